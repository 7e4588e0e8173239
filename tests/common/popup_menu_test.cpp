#include "common/popup_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace plugkit {
namespace {

std::vector<std::string> Texts(const IPopupMenu& menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < menu.NItems(); ++i) texts.emplace_back(menu.GetItem(i)->GetText());
  return texts;
}

TEST(IPopupMenuTest, ConstructorAddsTheTextsInOrder) {
  IPopupMenu menu("Title", 2, true, {"one", "two"});
  EXPECT_STREQ(menu.GetRootTitle(), "Title");
  EXPECT_EQ(menu.GetPrefix(), 2);
  EXPECT_TRUE(menu.GetCanMultiCheck());
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(menu.GetTag(), 0);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(menu.GetItem(0)->GetTag(), -1);
  EXPECT_EQ(menu.GetItem(0)->GetFlags(), 0);
  EXPECT_EQ(menu.GetItem(0)->GetSubmenu(), nullptr);
}

TEST(IPopupMenuTest, SortedInsertionIgnoresCaseAndGoesBeforeAnEqualText) {
  IPopupMenu menu;
  menu.AddItem("beta", IPopupMenu::kInsertSorted);
  menu.AddItem("Alpha", IPopupMenu::kInsertSorted);
  menu.AddItem("gamma", IPopupMenu::kInsertSorted);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"Alpha", "beta", "gamma"}));

  menu.AddItem("ALPHA", IPopupMenu::kInsertSorted);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"ALPHA", "Alpha", "beta", "gamma"}));

  menu.AddItem("", IPopupMenu::kInsertSorted);
  EXPECT_STREQ(menu.GetItem(0)->GetText(), "");
}

TEST(IPopupMenuTest, ExplicitIndicesAreClampedAndMinusOneAppends) {
  IPopupMenu menu("", 0, false, {"a", "b", "c"});
  menu.AddItem("end", 99);
  EXPECT_STREQ(menu.GetItem(3)->GetText(), "end");
  menu.AddItem("start", -7);
  EXPECT_STREQ(menu.GetItem(0)->GetText(), "start");
  menu.AddItem("mid", 2, IPopupMenu::Item::kChecked);
  EXPECT_STREQ(menu.GetItem(2)->GetText(), "mid");
  EXPECT_TRUE(menu.GetItem(2)->GetChecked());
  menu.AddItem("last");
  EXPECT_STREQ(menu.GetItem(menu.NItems() - 1)->GetText(), "last");
}

TEST(IPopupMenuTest, ClearResetsTheMenuAndKeepsTitleAndTag) {
  IPopupMenu menu("Root", 3, true, {"x"});
  menu.SetChosenItemIdx(0);
  menu.SetTag(5);
  menu.GetItem(0)->SetSubmenu(std::make_unique<IPopupMenu>("Sub", 0, false, std::initializer_list<const char*>{"s"}));
  EXPECT_EQ(menu.GetChosenItem(), menu.GetItem(0));

  menu.Clear();
  EXPECT_EQ(menu.NItems(), 0);
  EXPECT_EQ(menu.GetPrefix(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(menu.GetChosenItem(), nullptr);
  EXPECT_FALSE(menu.GetCanMultiCheck());
  EXPECT_STREQ(menu.GetRootTitle(), "Root");
  EXPECT_EQ(menu.GetTag(), 5);
}

TEST(IPopupMenuTest, CompletionFunctionIsStoredAndCalledWithTheMenu) {
  IPopupMenu menu;
  IPopupMenu* seen = nullptr;
  menu.SetFunction([&](IPopupMenu* m) { seen = m; });
  menu.GetFunction()(&menu);
  EXPECT_EQ(seen, &menu);
}

TEST(IPopupMenuTest, ASubmenuTakesItsParentsCompletionFunction) {
  std::vector<std::string> chosen;
  IPopupMenu menu("Root", {"a"}, [&](IPopupMenu* m) { chosen.emplace_back(m->GetChosenItem()->GetText()); });
  auto more = std::make_unique<IPopupMenu>("", 0, false, std::initializer_list<const char*>{"b", "c"});
  IPopupMenu::Item* item = menu.AddItem("More", std::move(more), 0);
  ASSERT_EQ(menu.GetItem(0), item);
  EXPECT_STREQ(item->GetText(), "More");
  IPopupMenu* submenu = item->GetSubmenu();
  ASSERT_NE(submenu, nullptr);

  for (IPopupMenu* m : {&menu, submenu}) {
    m->SetChosenItemIdx(1);
    m->GetFunction()(m);
  }
  EXPECT_EQ(chosen, (std::vector<std::string>{"a", "c"}));

  IPopupMenu plain;
  plain.AddItem("Sub", std::make_unique<IPopupMenu>());
  EXPECT_FALSE(plain.GetItem(0)->GetSubmenu()->GetFunction());
}

}  // namespace
}  // namespace plugkit
