// The stock cursors, the optional class methods reached by name, and cursors made from images.

#include <string>

#include "appkit_fixture.h"

namespace {

using namespace standin::testing;

TEST_F(AppKitTest, OptionalCursorMethodsAnswerByNameUntilSwitchedOff) {
  const char* optional[] = {"busyButClickableCursor",
                            "_windowResizeNorthCursor",
                            "_windowResizeNorthWestSouthEastCursor",
                            "_windowResizeNorthEastSouthWestCursor",
                            "_windowResizeEastWestCursor",
                            "_windowResizeNorthSouthCursor",
                            "_helpCursor"};
  for (const char* name : optional) {
    const NS::SEL selector(name);
    ASSERT_TRUE(NS::Cursor::classRespondsToSelector(selector)) << name;
    auto* cursor = dynamic_cast<NS::Cursor*>(NS::Cursor::classPerformSelector(selector));
    ASSERT_NE(cursor, nullptr) << name;
    EXPECT_EQ(CursorName(cursor), name);

    SetOptionalMethodAvailable(name, false);
    EXPECT_FALSE(NS::Cursor::classRespondsToSelector(selector)) << name;
    const long errors = AppKitValidationErrorCount();
    EXPECT_EQ(NS::Cursor::classPerformSelector(selector), nullptr) << name;
    EXPECT_EQ(AppKitValidationErrorCount(), errors + 1) << "the platform raises: " << name;
  }
  EXPECT_TRUE(NS::Cursor::classRespondsToSelector(NS::SEL("arrowCursor")));
  EXPECT_FALSE(NS::Cursor::classRespondsToSelector(NS::SEL("_noSuchCursor")));

  // The help cursor's state: answered through performSelector, changed by _setHelpCursor:.
  const NS::SEL shown("helpCursorShown");
  const NS::SEL setHelp("_setHelpCursor:");
  EXPECT_EQ(NS::Cursor::classPerformSelector(shown), nullptr);
  SetHelpCursorShown(true);
  EXPECT_NE(NS::Cursor::classPerformSelector(shown), nullptr);
  NS::Cursor::classPerformSelectorWithObject(setHelp, nullptr);
  EXPECT_EQ(NS::Cursor::classPerformSelector(shown), nullptr);
  EXPECT_EQ(HelpCursorCalls(), std::vector<bool>{false});
  SetOptionalMethodAvailable("_setHelpCursor:", false);
  NS::Cursor::classPerformSelectorWithObject(setHelp, nullptr);
  EXPECT_EQ(HelpCursorCalls(), std::vector<bool>{false}) << "a switched-off method does nothing";
}

TEST_F(AppKitTest, SetMakesACursorCurrentAndImageCursorsKeepTheirHotSpot) {
  EXPECT_EQ(NS::Cursor::currentCursor(), NS::Cursor::arrowCursor());
  const struct {
    NS::Cursor* (*getter)();
    const char* name;
  } stock[] = {{NS::Cursor::IBeamCursor, "IBeamCursor"},
               {NS::Cursor::crosshairCursor, "crosshairCursor"},
               {NS::Cursor::resizeUpCursor, "resizeUpCursor"},
               {NS::Cursor::resizeLeftRightCursor, "resizeLeftRightCursor"},
               {NS::Cursor::resizeUpDownCursor, "resizeUpDownCursor"},
               {NS::Cursor::operationNotAllowedCursor, "operationNotAllowedCursor"},
               {NS::Cursor::pointingHandCursor, "pointingHandCursor"},
               {NS::Cursor::arrowCursor, "arrowCursor"}};
  for (const auto& cursor : stock) {
    cursor.getter()->set();
    EXPECT_EQ(NS::Cursor::currentCursor(), cursor.getter());
    EXPECT_EQ(CursorName(NS::Cursor::currentCursor()), cursor.name);
  }

  auto* image = (new NS::Image)->initWithSize(NS::Size{16, 16});
  auto* made = (new NS::Cursor)->initWithImageHotSpot(image, NS::Point{8.5, 3});
  image->release();
  made->set();
  made->release();
  EXPECT_EQ(NS::Cursor::currentCursor()->hotSpot(), (NS::Point{8.5, 3}));
  EXPECT_EQ(NS::Cursor::currentCursor()->image()->size(), (NS::Size{16, 16}));
  EXPECT_EQ(CursorName(NS::Cursor::currentCursor()), "");
}

}  // namespace
