// The cursors the macOS graphics context shows, the move cursor made from the
// system's files, and hiding the pointer.

#include <standin/testing/environment.h>

#include "mac_editor_fixture.h"
#include "support/temp_folder.h"

namespace plugkit::testing {
namespace {

using standin::testing::CursorName;

constexpr const char* kMoveCursorFolder =
    "System/Library/Frameworks/ApplicationServices.framework/Versions/A/Frameworks/HIServices.framework/Versions/A/"
    "Resources/cursors/move";

// The cursor's property list, with or without its blur.
std::string MoveCursorPlist(bool blur) {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>hotx-scaled</key><real>7.5</real><key>hoty-scaled</key><integer>6</integer>
<key>shadowoffsetx</key><real>0</real><key>shadowoffsety</key><real>-1</real>
<key>shadowcolor</key><array><real>0</real><real>0</real><real>0</real><real>0.5</real></array>)") +
         (blur ? "<key>blur</key><real>1</real>" : "") + "</dict></plist>";
}

std::string Current() { return CursorName(NS::Cursor::currentCursor()); }

class MacCursorTest : public MacScaledEditorTest {
protected:
  void TearDown() override {
    standin::testing::SetMachineDomainRoot("/");
    standin::testing::SetProcessName("");
    MacScaledEditorTest::TearDown();
  }
  NS::View* Open() { return OpenEditor(mWindow->contentView()); }
};

TEST_F(MacCursorTest, EachKindShowsItsCursorOrAFallback) {
  const struct {
    int kind;
    std::string cursor;
    std::string unavailable;  // an optional class method switched off
  } cases[] = {
      {0, "arrowCursor", ""},
      {1, "IBeamCursor", ""},
      {2, "busyButClickableCursor", ""},
      {2, "arrowCursor", "busyButClickableCursor"},
      {3, "crosshairCursor", ""},
      {4, "_windowResizeNorthCursor", ""},
      {4, "resizeUpCursor", "_windowResizeNorthCursor"},
      {5, "_windowResizeNorthWestSouthEastCursor", ""},
      {5, "arrowCursor", "_windowResizeNorthWestSouthEastCursor"},
      {6, "_windowResizeNorthEastSouthWestCursor", ""},
      {7, "_windowResizeEastWestCursor", ""},
      {7, "resizeLeftRightCursor", "_windowResizeEastWestCursor"},
      {8, "_windowResizeNorthSouthCursor", ""},
      {8, "resizeUpDownCursor", "_windowResizeNorthSouthCursor"},
      {9, "arrowCursor", ""},  // no system cursor files here
      {10, "operationNotAllowedCursor", ""},
      {11, "pointingHandCursor", ""},
      {12, "busyButClickableCursor", ""},
      {13, "_helpCursor", ""},
      {14, "arrowCursor", ""},
      {-1, "arrowCursor", ""},
  };
  Open();
  EXPECT_EQ(G().SetCursor(5), 0);
  EXPECT_EQ(G().SetCursor(0), 5);
  for (const auto& c : cases) {
    if (!c.unavailable.empty()) standin::testing::SetOptionalMethodAvailable(c.unavailable, false);
    G().SetCursor(c.kind);
    EXPECT_EQ(Current(), c.cursor) << c.kind;
    if (!c.unavailable.empty()) standin::testing::SetOptionalMethodAvailable(c.unavailable, true);
  }
  EXPECT_EQ(standin::testing::AppKitValidationErrorCount(), 0);

  // Help mode ends with any cursor but the help cursor.
  standin::testing::SetHelpCursorShown(true);
  G().SetCursor(13);
  EXPECT_TRUE(standin::testing::HelpCursorCalls().empty());
  G().SetCursor(1);
  G().SetCursor(1);
  EXPECT_EQ(standin::testing::HelpCursorCalls(), std::vector<bool>{false});
}

TEST_F(MacCursorTest, TheMoveCursorIsMadeOnceFromTheSystemFiles) {
  TempFolder root;
  standin::testing::SetMachineDomainRoot(root.path().string());
  const auto folder = root.path() / kMoveCursorFolder;
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(standin::testing::WritePng(standin::testing::Image(16, 16, 0, 0, 0, 255), folder / "cursor.pdf"));
  const struct {
    const char* name;
    std::string plist;
    bool made;
  } cases[] = {
      {"a value missing", MoveCursorPlist(false), false},
      {"every file and value", MoveCursorPlist(true), true},
  };
  for (const auto& c : cases) {
    RenewDelegate();
    Open();
    root.Write(std::filesystem::path(kMoveCursorFolder) / "info.plist", c.plist);
    G().SetCursor(9);
    NS::Cursor* cursor = NS::Cursor::currentCursor();
    if (!c.made) {
      EXPECT_EQ(CursorName(cursor), "arrowCursor") << c.name;
      root.Write(std::filesystem::path(kMoveCursorFolder) / "info.plist", MoveCursorPlist(true));
      G().SetCursor(9);
      EXPECT_EQ(Current(), "arrowCursor") << "not tried again in this view's life";
      continue;
    }
    ASSERT_NE(cursor->image(), nullptr);
    EXPECT_EQ(cursor->hotSpot(), (NS::Point{7.5, 6}));
    EXPECT_EQ(cursor->image()->size(), (NS::Size{16, 16}));
    std::vector<long> widths;
    for (const NS::ImageRep* representation : cursor->image()->representations()) {
      widths.push_back(representation->pixelsWide());
      EXPECT_EQ(representation->size(), (NS::Size{16, 16}));
    }
    EXPECT_EQ(widths, (std::vector<long>{16, 32, 48, 64}));
    G().SetCursor(0);
    G().SetCursor(9);
    EXPECT_EQ(NS::Cursor::currentCursor(), cursor) << "made once";
  }
}

TEST_F(MacCursorTest, HidingHidesOnceAndNothingInAnXPCService) {
  Open();
  G().HideCursor(true, true);
  G().HideCursor(true, true);
  EXPECT_EQ(standin::testing::CursorHideCount(), 1);
  EXPECT_TRUE(G().IsCursorLocked());
  G().HideCursor(false, true);
  EXPECT_EQ(standin::testing::CursorHideCount(), 0);
  EXPECT_FALSE(G().IsCursorLocked());

  standin::testing::SetProcessName("AUHostingServiceXPC");
  G().HideCursor(true, true);
  EXPECT_FALSE(G().IsCursorHidden());
  EXPECT_EQ(standin::testing::CursorHideCount(), 0);
}

}  // namespace
}  // namespace plugkit::testing
