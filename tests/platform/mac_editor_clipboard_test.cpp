// The clipboard, links, the file viewer and native subviews of the macOS
// graphics context.

#include <AppKit/NSPasteboard.h>

#include "graphics/platform/mac/cf_string.h"
#include "mac_editor_fixture.h"
#include "support/temp_folder.h"

namespace plugkit::testing {
namespace {

using graphics::CFStringText;
using graphics::MakeMacGraphics;
using standin::testing::WorkspaceCall;
using Strings = std::vector<std::string>;

class MacSystemTest : public MacEditorTest {
protected:
  // Neither needs a view.
  std::unique_ptr<IGraphicsMac> mGraphics{MakeMacGraphics(*mDelegate, 100, 100, kEditorFPS, 1.f)};
};

// Each workspace call as "method argument...".
Strings WorkspaceCalls() {
  Strings calls;
  for (const WorkspaceCall& call : standin::testing::WorkspaceCalls()) {
    std::string text = call.method;
    for (const std::string& argument : call.arguments) text += " " + argument;
    calls.push_back(text);
  }
  return calls;
}

TEST_F(MacSystemTest, TheClipboardHoldsTextOrAFile) {
  StrBuf text("stale");
  EXPECT_FALSE(mGraphics->ClipboardText(text));
  EXPECT_STREQ(text.Get(), "");

  EXPECT_TRUE(mGraphics->SetClipboardText("Größe 12"));
  EXPECT_TRUE(mGraphics->ClipboardText(text));
  EXPECT_STREQ(text.Get(), "Größe 12");

  EXPECT_TRUE(mGraphics->SetClipboardFile("/tmp/a b.txt"));
  const NS::AutoreleasePool pool;
  NS::Pasteboard* pasteboard = NS::Pasteboard::generalPasteboard();
  EXPECT_EQ(CFStringText(pasteboard->stringForType(NSPasteboardTypeFileURL)), "file:///tmp/a%20b.txt");
  const auto names = static_cast<CFArrayRef>(pasteboard->propertyListForType(NSFilenamesPboardType));
  ASSERT_NE(names, nullptr);
  ASSERT_EQ(CFArrayGetCount(names), 1);
  EXPECT_EQ(CFStringText(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, 0))), "/tmp/a b.txt");
  EXPECT_FALSE(mGraphics->ClipboardText(text)) << "the file replaced the text";

  standin::testing::SetPasteboardRefusesWrites(true);
  EXPECT_FALSE(mGraphics->SetClipboardText("x"));
  EXPECT_FALSE(mGraphics->SetClipboardFile("/tmp/a"));
}

TEST_F(MacSystemTest, WebAddressesOpenAsURLsAndEverythingElseAsFiles) {
  const struct {
    const char* address;
    const char* opened;
    bool workspaceAnswer;
  } cases[] = {
      {"https://example.org/a?b=1", "https://example.org/a?b=1", true},
      {"HTTP://x.org", "HTTP://x.org", false},
      {"/tmp/a b.txt", "file:///tmp/a%20b.txt", true},
      {"/tmp/httpd/notes.txt", "file:///tmp/httpd/notes.txt", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    standin::testing::ResetAppKit();
    standin::testing::SetWorkspaceAnswer("openURL:", c.workspaceAnswer);
    EXPECT_EQ(mGraphics->OpenLink(c.address), c.workspaceAnswer);
    EXPECT_EQ(WorkspaceCalls(), Strings{std::string("openURL: ") + c.opened});
  }
  EXPECT_FALSE(mGraphics->OpenLink(""));
  EXPECT_STREQ(mGraphics->PlatformName(), "Cocoa");
}

TEST_F(MacSystemTest, RevealingAFileOpensItOrSelectsItInItsFolder) {
  const TempFolder folder;
  const std::string file = folder.Write("a.orv", "{}").string();
  const std::string parent = folder.path().string();
  const struct {
    std::string path;
    bool select;
    bool folderOpens;
    bool result;
    Strings calls;
  } cases[] = {
      {parent + "/missing.orv", true, true, false, {}},
      {"", false, true, false, {}},
      {file, true, true, true, {"openFile: " + parent, "selectFile:inFileViewerRootedAtPath: " + file + " " + parent}},
      {file, true, false, false, {"openFile: " + parent}},
      {file, false, true, true, {"openFile: " + file}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + (c.select ? " selected" : ""));
    standin::testing::ResetAppKit();
    standin::testing::SetWorkspaceAnswer("openFile:", c.folderOpens);
    EXPECT_EQ(mGraphics->RevealInFinder(c.path.c_str(), c.select), c.result);
    EXPECT_EQ(WorkspaceCalls(), c.calls);
  }
}

TEST_F(MacSystemTest, NativeSubviewsSitOverTheEditorAtTheDrawScale) {
  const auto subview = NS::Ref<NS::View>::Adopt(new NS::View);
  mGraphics->AttachPlatformView(IRECT(10.2f, 20.7f, 30.1f, 40.9f), subview.get());
  EXPECT_EQ(subview->superview(), nullptr) << "no editor view to attach to";

  mDelegate->mDrawScale = 1.5f;
  NS::View* editor = OpenEditor(Window()->contentView());
  IGraphicsMac* g = mDelegate->Mac();
  g->AttachPlatformView(IRECT(10.2f, 20.7f, 30.1f, 40.9f), subview.get());
  EXPECT_EQ(subview->superview(), editor);
  EXPECT_EQ(subview->frame(), NS::MakeRect(15, 31, 31, 31));
  g->HidePlatformView(subview.get(), true);
  EXPECT_TRUE(subview->isHidden());
  g->RemovePlatformView(subview.get());
  EXPECT_EQ(subview->superview(), nullptr);
}

}  // namespace
}  // namespace plugkit::testing
