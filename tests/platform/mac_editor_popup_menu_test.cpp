// Native popup menus: the menu built from a popup, the view running it, and
// the answer reaching the asking control on the next pass of the main loop.

#include <memory>

#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/platform_menu.h"
#include "mac_editor_fixture.h"

namespace plugkit::testing {
namespace {

using Item = IPopupMenu::Item;
using Lines = std::vector<std::string>;

// Each item as a line: "-" for a separator, else its title and what sets it
// apart; "sends" for an item that sends its choice to the receiver.
Lines Describe(const NS::Menu* menu, const NS::Object* receiver) {
  Lines lines;
  for (const NS::MenuItem* item : menu->itemArray()) {
    std::string line = item->isSeparatorItem() ? "-" : graphics::CFStringText(item->title());
    if (item->indentationLevel() == 1) line += " indented";
    if (!item->isEnabled()) line += " disabled";
    if (item->state() == NS::ControlStateValueOn) line += " checked";
    if (item->hasSubmenu()) line += " opens";
    const bool sends = std::string(item->action().name()) == "onMenuSelection:" && receiver && item->target() == receiver;
    if (sends && !item->isSeparatorItem()) line += " sends";
    lines.push_back(line);
  }
  return lines;
}

// Owns its menu (a, b, c, then "more" opening x, y), asks for it over its
// rectangle and logs the answer, after the menu's completion function.
class MenuAsker : public graphics::IControl {
public:
  MenuAsker(const IRECT& bounds, Lines& log, std::string name) : IControl(bounds), mLog(log), mName(std::move(name)) {
    // Set first: a sub-menu takes the function its menu has when added.
    mMenu.SetFunction([this](IPopupMenu* chosen) { mLog.push_back(mName + " completion " + Index(chosen)); });
    for (const char* text : {"a", "b", "c"}) mMenu.AddItem(text);
    mMenu.AddItem("more", std::make_unique<IPopupMenu>("", 0, false, std::initializer_list<const char*>{"x", "y"}));
  }
  void Draw(IGraphics&) override {}
  void OnPopupMenuSelection(IPopupMenu* menu, int) override { mLog.push_back(mName + " chose " + Index(menu)); }
  void Ask() { GetUI()->CreatePopupMenuFor(*this, mMenu, GetRECT()); }

  IPopupMenu mMenu;

private:
  std::string Index(const IPopupMenu* menu) const {
    if (!menu) return "nothing";
    return (menu == &mMenu ? "" : "other ") + std::to_string(menu->GetChosenItemIdx());
  }
  Lines& mLog;
  std::string mName;
};

class MacPopupMenuTest : public MacScaledEditorTest {
protected:
  void SetUp() override {
    MacScaledEditorTest::SetUp();
    mDelegate->SetLayoutFunc([this](IGraphics* g) {
      mA = static_cast<MenuAsker*>(g->AttachControl(new MenuAsker(IRECT(10, 20, 60, 36), mLog, "A")));
      mB = static_cast<MenuAsker*>(g->AttachControl(new MenuAsker(IRECT(100, 20, 150, 36), mLog, "B")));
    });
    Open();
  }
  void Open() { mView = static_cast<IGraphicsView_vOrvane_au*>(OpenEditor(mWindow->contentView())); }

  Lines mLog;
  IPopupMenu mOtherMenu{"", 0, false, {"p", "q"}};
  MenuAsker* mA = nullptr;
  MenuAsker* mB = nullptr;
  IGraphicsView_vOrvane_au* mView = nullptr;
};

TEST_F(MacPopupMenuTest, AMenuTakesThePopupsTitlesFlagsAndSubmenus) {
  const NS::AutoreleasePool pool;  // separators come autoreleased
  IPopupMenu popup("", 2, false, {"t", "off", "on", "-", "more", "plain"});
  const int flags[] = {Item::kTitle, Item::kDisabled, Item::kChecked, Item::kSeparator, 0, 0};
  for (int i = 0; i < popup.NItems(); ++i) popup.GetItem(i)->SetFlags(flags[i]);
  popup.GetItem(4)->SetSubmenu(std::make_unique<IPopupMenu>("", 0, false, std::initializer_list<const char*>{"x"}));
  auto* receiver = new IGraphicsMenuRcvr_vOrvane_au;
  const auto menu = NS::Ref<IGraphicsMenu_vOrvane_au>::Adopt(
      (new IGraphicsMenu_vOrvane_au)->initWithIPopupMenuAndReceiver(popup, receiver));
  EXPECT_EQ(Describe(menu.get(), receiver), (Lines{"01: t indented sends", "02: off disabled sends",
                                                   "03: on checked sends", "-", "05: more opens", "06: plain sends"}));
  const auto* sub = static_cast<IGraphicsMenu_vOrvane_au*>(menu->itemAtIndex(4)->submenu());
  EXPECT_EQ(Describe(sub, receiver), (Lines{"x sends"}));
  EXPECT_EQ(sub->iPopupMenu(), popup.GetItem(4)->GetSubmenu());
  EXPECT_FALSE(menu->autoenablesItems());
  receiver->release();

  const struct {
    int style;
    Lines titles;  // the first, ninth and last of twelve
  } prefixes[] = {{0, {"i", "i", "i"}}, {1, {"1: i", "9: i", "12: i"}}, {2, {"01: i", "09: i", "12: i"}},
                  {3, {"001: i", "009: i", "012: i"}}};
  for (const auto& c : prefixes) {
    IPopupMenu twelve("", c.style);
    for (int i = 0; i < 12; ++i) twelve.AddItem("i");
    const auto numbered = NS::Ref<IGraphicsMenu_vOrvane_au>::Adopt(
        (new IGraphicsMenu_vOrvane_au)->initWithIPopupMenuAndReceiver(twelve, nullptr));
    const Lines all = Describe(numbered.get(), nullptr);
    EXPECT_EQ((Lines{all[0], all[8], all[11]}), c.titles) << c.style;
  }
}

TEST_F(MacPopupMenuTest, TheChosenItemOpensOverTheControlAndTheAnswerIsTheMenuHoldingTheChoice) {
  const NS::Rect bounds = NS::MakeRect(10, 20, 30, 40);
  IPopupMenu& popup = mA->mMenu;
  const struct {
    const char* name;
    int chosenBefore;
    std::vector<long> choice;  // empty: dismissed
    long positioningItem;
    NS::Point location;
    const IPopupMenu* answer;
    int answerIndex;
  } cases[] = {
      {"current choice 3", 3, {1}, 3, {10, 20}, &popup, 1},
      {"no current choice", -1, {0}, -1, {10, 64}, &popup, 0},
      {"index beyond the items", 9, {}, -1, {10, 64}, nullptr, 0},
      {"inside the sub-menu", -1, {3, 1}, -1, {10, 64}, popup.GetItem(3)->GetSubmenu(), 1},
  };
  for (const auto& c : cases) {
    popup.SetChosenItemIdx(c.chosenBefore);
    c.choice.empty() ? standin::testing::QueueMenuDismissal() : standin::testing::QueueMenuChoice(c.choice);
    const IPopupMenu* answer = mView->createPopupMenu(popup, bounds);
    const standin::testing::MenuRun run = standin::testing::MenuRuns().back();
    EXPECT_EQ(run.positioningItemIndex, c.positioningItem) << c.name;
    EXPECT_EQ(run.location.x, c.location.x) << c.name;
    EXPECT_EQ(run.location.y, c.location.y) << c.name;
    EXPECT_EQ(run.view, mView) << c.name;
    EXPECT_EQ(answer, c.answer) << c.name;
    if (answer) {
      EXPECT_EQ(answer->GetChosenItemIdx(), c.answerIndex) << c.name;
    }
  }
  EXPECT_EQ(standin::testing::AppKitValidationErrorCount(), 0);
}

TEST_F(MacPopupMenuTest, ARequestIsAnsweredOnTheNextPassOnlyWhileItIsTheOneAwaited) {
  const struct {
    const char* name;
    std::function<void()> meanwhile;
    std::vector<long> choice;  // empty: dismissed
    size_t runs;
    Lines log;
  } cases[] = {
      {"chosen", nullptr, {2}, 1, {"A completion 2", "A chose 2"}},
      {"chosen in the sub-menu", nullptr, {3, 0}, 1, {"A completion other 0", "A chose other 0"}},
      {"dismissed", nullptr, {}, 1, {"A chose nothing"}},
      {"another control asked", [this] { mB->Ask(); }, {1}, 1, {"B completion 1", "B chose 1"}},
      {"asked again with another menu", [this] { G().CreatePopupMenuFor(*mA, mOtherMenu, mA->GetRECT()); }, {1}, 1,
       {"A chose other 1"}},
      {"asker removed", [this] { G().RemoveControl(mA); }, {1}, 0, {}},
      {"editor closed", [this] { mDelegate->CloseEditor(); }, {1}, 0, {}},
  };
  for (const auto& c : cases) {
    if (!mDelegate->GetUI()) Open();
    const size_t runsBefore = standin::testing::MenuRuns().size();
    mA->Ask();
    if (c.meanwhile) c.meanwhile();
    EXPECT_EQ(standin::testing::MenuRuns().size(), runsBefore) << c.name << ": nothing shows at once";
    EXPECT_TRUE(mLog.empty()) << c.name;
    c.choice.empty() ? standin::testing::QueueMenuDismissal() : standin::testing::QueueMenuChoice(c.choice);
    standin::testing::RunOnce();
    EXPECT_EQ(standin::testing::MenuRuns().size() - runsBefore, c.runs) << c.name;
    EXPECT_EQ(mLog, c.log) << c.name;
    mLog.clear();
    mDelegate->CloseEditor();
  }
}

TEST_F(MacScaledEditorTest, APlatformMenuAskedForWithoutAViewAnswersNothing) {
  Lines log;
  IGraphicsMac graphics(*mDelegate, kGuiWidth, kGuiHeight);
  auto* asker = static_cast<MenuAsker*>(graphics.AttachControl(new MenuAsker(IRECT(0, 0, 10, 10), log, "A")));
  asker->Ask();
  standin::testing::RunOnce();
  EXPECT_TRUE(standin::testing::MenuRuns().empty());
  EXPECT_EQ(log, (Lines{"A chose nothing"}));
}

}  // namespace
}  // namespace plugkit::testing
