// Menus as built, described to the testing responder, and the answers it
// gives: a choice sends the item's action, a dismissal nothing, a refused
// choice a validation error.

#include <functional>

#include "appkit_fixture.h"
#include "cf_strings.h"

namespace {

using namespace standin::testing;

// Records each item it hears from and whether the menu was still running.
class Receiver : public NS::Object {
public:
  void onMenuSelection(NS::Object* sender) {
    chosen.push_back(static_cast<NS::MenuItem*>(sender));
    sentWhileRunning.push_back(running);
  }

  bool running = false;
  std::vector<NS::MenuItem*> chosen;
  std::vector<bool> sentWhileRunning;
};

// One, a separator, Two (disabled), Three (checked), Four (indented), and
// More, which opens a sub-menu of Sub A and Sub B; all but the separator and
// More target the receiver.
struct MenuScene {
  MenuScene()
      : receiver(new Receiver),
        menu((new NS::Menu)->initWithTitle(nullptr)),
        submenu((new NS::Menu)->initWithTitle(nullptr)) {
    menu->setAutoenablesItems(false);
    submenu->setAutoenablesItems(false);
    for (const char* title : {"One", "-", "Two", "Three", "Four", "More"}) {
      if (std::string(title) == "-") {
        menu->addItem(NS::MenuItem::separatorItem());
        continue;
      }
      NS::MenuItem* item = Add(menu, title, std::string(title) != "More");
      if (std::string(title) == "Two") item->setEnabled(false);
      if (std::string(title) == "Three") item->setState(NS::ControlStateValueOn);
      if (std::string(title) == "Four") item->setIndentationLevel(1);
      if (std::string(title) == "More") menu->setSubmenuForItem(submenu, item);
    }
    Add(submenu, "Sub A", true);
    Add(submenu, "Sub B", true);
    submenu->release();
  }
  ~MenuScene() {
    menu->release();
    receiver->release();
  }

  NS::MenuItem* Add(NS::Menu* to, const char* title, bool withAction) {
    CFStringRef text = CreateString(title);
    const NS::SEL action = withAction ? NS_SELECTOR(Receiver, onMenuSelection) : NS::SEL();
    NS::MenuItem* item = to->addItemWithTitleActionKeyEquivalent(text, action, CFSTR(""));
    CFRelease(text);
    if (withAction) item->setTarget(receiver);
    return item;
  }

  bool Run(NS::MenuItem* positioning = nullptr, NS::Point location = {}) {
    receiver->running = true;
    const bool chose = menu->popUpMenuPositioningItemAtLocationInView(positioning, location, nullptr);
    receiver->running = false;
    return chose;
  }

  NS::AutoreleasePool pool;  // the separator
  Receiver* receiver;
  NS::Menu* menu;
  NS::Menu* submenu;
};

MenuItemDescription Item(const char* title, bool enabled = true, long state = 0, long indentation = 0) {
  MenuItemDescription item;
  item.title = title;
  item.enabled = enabled;
  item.state = state;
  item.indentation = indentation;
  return item;
}

void ExpectSameItems(const std::vector<MenuItemDescription>& actual, const std::vector<MenuItemDescription>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(actual[i].title, expected[i].title);
    EXPECT_EQ(actual[i].separator, expected[i].separator);
    EXPECT_EQ(actual[i].enabled, expected[i].enabled);
    EXPECT_EQ(actual[i].state, expected[i].state);
    EXPECT_EQ(actual[i].indentation, expected[i].indentation);
    EXPECT_EQ(actual[i].hasSubmenu, expected[i].hasSubmenu);
    ExpectSameItems(actual[i].submenu, expected[i].submenu);
  }
}

TEST_F(AppKitTest, AMenuRunIsDescribedToTheResponderAsBuilt) {
  MenuScene scene;
  MenuItemDescription separator = Item("", false);
  separator.separator = true;
  MenuItemDescription more = Item("More");
  more.hasSubmenu = true;
  more.submenu = {Item("Sub A"), Item("Sub B")};
  const std::vector<MenuItemDescription> expected = {
      Item("One"), separator, Item("Two", false), Item("Three", true, NS::ControlStateValueOn),
      Item("Four", true, 0, 1), more};

  EXPECT_FALSE(scene.Run(scene.menu->itemAtIndex(3), NS::Point{40, 12}));

  const auto runs = MenuRuns();
  ASSERT_EQ(runs.size(), 1u);
  ExpectSameItems(runs[0].items, expected);
  EXPECT_EQ(runs[0].positioningItemIndex, 3);
  EXPECT_EQ(runs[0].location, (NS::Point{40, 12}));
  EXPECT_TRUE(runs[0].answer.empty());
  EXPECT_EQ(Text(scene.menu->itemAtIndex(5)->title()), "More");
  EXPECT_EQ(scene.menu->itemAtIndex(5)->submenu(), scene.submenu);
  EXPECT_EQ(scene.submenu->itemAtIndex(1)->menu(), scene.submenu);
  EXPECT_EQ(scene.submenu->indexOfItem(scene.submenu->itemAtIndex(1)), 1);
  EXPECT_EQ(scene.menu->indexOfItem(scene.submenu->itemAtIndex(1)), -1) << "only its own menu holds it";
  EXPECT_EQ(AppKitValidationErrorCount(), 0);
  EXPECT_EQ(scene.menu->itemAtIndex(6), nullptr);
  EXPECT_EQ(scene.menu->itemAtIndex(-1), nullptr);
  EXPECT_EQ(AppKitValidationErrorCount(), 2) << "the platform raises for both";
}

TEST_F(AppKitTest, TheQueuedAnswerDecidesWhatAMenuRunSends) {
  struct Case {
    const char* answer;
    std::function<void()> queue;
    bool chose;
    std::vector<std::string> sentTo;
    long validationErrors;
  };
  const Case cases[] = {
      {"nothing queued dismisses", [] {}, false, {}, 0},
      {"a dismissal", [] { QueueMenuDismissal(); }, false, {}, 0},
      {"an item of the top menu", [] { QueueMenuChoice({0}); }, true, {"One"}, 0},
      {"an item of the sub-menu", [] { QueueMenuChoice({5, 1}); }, true, {"Sub B"}, 0},
      {"a disabled item", [] { QueueMenuChoice({2}); }, false, {}, 1},
      {"a separator", [] { QueueMenuChoice({1}); }, false, {}, 1},
      {"the item that opens the sub-menu", [] { QueueMenuChoice({5}); }, false, {}, 1},
      {"past the sub-menu's items", [] { QueueMenuChoice({5, 2}); }, false, {}, 1},
      {"into an item without a sub-menu", [] { QueueMenuChoice({0, 0}); }, false, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    ResetAppKit();
    MenuScene scene;
    c.queue();
    EXPECT_EQ(scene.Run(), c.chose);
    std::vector<std::string> sentTo;
    for (NS::MenuItem* item : scene.receiver->chosen) sentTo.push_back(Text(item->title()));
    EXPECT_EQ(sentTo, c.sentTo);
    EXPECT_EQ(scene.receiver->sentWhileRunning, std::vector<bool>(c.sentTo.size(), true)) << "sent before the run ends";
    EXPECT_EQ(AppKitValidationErrorCount(), c.validationErrors);
    ASSERT_EQ(MenuRuns().size(), 1u);
    EXPECT_EQ(MenuRuns()[0].chose, c.chose);
  }
}

TEST_F(AppKitTest, AnAutoenablingMenuEnablesWhatItsTargetsCanDo) {
  MenuScene scene;
  scene.menu->setAutoenablesItems(true);
  scene.menu->itemAtIndex(0)->setTarget(nullptr);
  QueueMenuChoice({2});  // disabled by its own flag, enabled by its target

  EXPECT_TRUE(scene.Run());

  const auto items = MenuRuns()[0].items;
  EXPECT_FALSE(items[0].enabled) << "no target";
  EXPECT_TRUE(items[2].enabled);
  EXPECT_TRUE(items[5].enabled) << "opens a sub-menu";
  ASSERT_EQ(scene.receiver->chosen.size(), 1u);
  EXPECT_EQ(Text(scene.receiver->chosen[0]->title()), "Two");
}

}  // namespace
