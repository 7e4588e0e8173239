// The workspace, URLs, and property lists read from files.

#include <standin/testing/environment.h>

#include <string>
#include <vector>

#include "appkit_fixture.h"
#include "cf_strings.h"
#include "temp_folder.h"

namespace {

using namespace standin::testing;

TEST_F(AppKitTest, WorkspaceCallsAreLoggedAndAnsweredAsConfigured) {
  const NS::AutoreleasePool pool;
  NS::Workspace* workspace = NS::Workspace::sharedWorkspace();
  SetWorkspaceAnswer("openFile:", false);
  EXPECT_TRUE(workspace->openURL(NS::URL::URLWithString(CFSTR("https://example.org/a?b=1"))));
  EXPECT_FALSE(workspace->openFile(CFSTR("/tmp/x")));
  EXPECT_TRUE(workspace->selectFileInFileViewerRootedAtPath(CFSTR("/tmp/x/a.orv"), CFSTR("/tmp/x")));
  EXPECT_FALSE(workspace->openURL(nullptr));
  NS::Image* icon = workspace->iconForFile(CFSTR("/tmp/x/a.orv"));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->size(), (NS::Size{32, 32}));

  const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
      {"openURL:", {"https://example.org/a?b=1"}},
      {"openFile:", {"/tmp/x"}},
      {"selectFile:inFileViewerRootedAtPath:", {"/tmp/x/a.orv", "/tmp/x"}},
      {"iconForFile:", {"/tmp/x/a.orv"}},
  };
  const std::vector<WorkspaceCall> calls = WorkspaceCalls();
  ASSERT_EQ(calls.size(), expected.size());
  for (std::size_t at = 0; at < calls.size(); ++at) {
    EXPECT_EQ(calls[at].method, expected[at].first);
    EXPECT_EQ(calls[at].arguments, expected[at].second);
  }
}

TEST_F(AppKitTest, URLsAreMadeFromTextsAndPaths) {
  const NS::AutoreleasePool pool;
  CFURLRef file = NS::URL::fileURLWithPath(CFSTR("/tmp/a b.txt"));
  EXPECT_EQ(Text(NS::URL::absoluteString(file)), "file:///tmp/a%20b.txt");
  EXPECT_EQ(Text(NS::URL::path(file)), "/tmp/a b.txt");
  EXPECT_EQ(Text(NS::URL::path(NS::URL::URLWithString(CFSTR("file:/tmp/c%20d.plist")))), "/tmp/c d.plist");
  EXPECT_EQ(NS::URL::URLWithString(CFSTR("https://example.org/a b")), nullptr);
  EXPECT_EQ(NS::URL::URLWithString(nullptr), nullptr);
}

constexpr const char* kCursorInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>hotx-scaled</key><real>8.5</real>
  <key>hoty-scaled</key><integer>-3</integer>
  <key>shadowcolor</key>
  <array><real>0</real><real>0.25</real><real>1e-1</real><real>+0.5</real></array>
  <key>blob</key><data> aGk= </data>
  <key>on</key><true/>
</dict>
</plist>
)";

double Number(CFTypeRef value) {
  double number = -1.0;
  if (value != nullptr && CFGetTypeID(value) == CFNumberGetTypeID()) {
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberDoubleType, &number);
  }
  return number;
}

TEST_F(AppKitTest, PropertyListsAreReadThroughFileURLs) {
  const TempFolder folder;
  SetMachineDomainRoot(folder.path().string());
  const std::string plist = folder.Write("info.plist", kCursorInfo).string();
  folder.Write("System/Library/cursors/info.plist", kCursorInfo);
  folder.Write("broken.plist", "<plist><dict><key>a</key><real>x</real></dict></plist>");
  folder.Write("array.plist", "<plist><array/></plist>");
  const NS::AutoreleasePool pool;

  for (const std::string& url : {"file:" + plist, "file://" + plist, std::string("file:/System/Library/cursors/info.plist")}) {
    CFDictionaryRef info = NS::Dictionary::dictionaryWithContentsOfURL(NS::URL::URLWithString(String(url)));
    ASSERT_NE(info, nullptr) << url;
    EXPECT_EQ(Number(NS::Dictionary::objectForKey(info, CFSTR("hotx-scaled"))), 8.5);
    EXPECT_EQ(Number(NS::Dictionary::objectForKey(info, CFSTR("hoty-scaled"))), -3.0);
    const auto color = static_cast<CFArrayRef>(NS::Dictionary::objectForKey(info, CFSTR("shadowcolor")));
    const std::vector<double> components = {Number(NS::Array::objectAtIndexedSubscript(color, 0)),
                                            Number(NS::Array::objectAtIndexedSubscript(color, 1)),
                                            Number(NS::Array::objectAtIndexedSubscript(color, 2)),
                                            Number(NS::Array::objectAtIndexedSubscript(color, 3))};
    EXPECT_EQ(components, (std::vector<double>{0.0, 0.25, 0.1, 0.5}));
    const auto blob = static_cast<CFDataRef>(NS::Dictionary::objectForKey(info, CFSTR("blob")));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(blob)), CFDataGetLength(blob)), "hi");
    EXPECT_EQ(NS::Dictionary::objectForKey(info, CFSTR("on")), kCFBooleanTrue);
    EXPECT_EQ(NS::Dictionary::objectForKey(info, CFSTR("missing")), nullptr);

    const long errors = AppKitValidationErrorCount();
    EXPECT_EQ(NS::Array::objectAtIndexedSubscript(color, 4), nullptr);
    EXPECT_EQ(AppKitValidationErrorCount(), errors + 1) << "the platform raises past the end";
  }
  for (const std::string& url : {"file:" + (folder.path() / "missing.plist").string(),
                                 "file:" + (folder.path() / "broken.plist").string(),
                                 "file:" + (folder.path() / "array.plist").string(),
                                 std::string("https://example.org/info.plist")}) {
    EXPECT_EQ(NS::Dictionary::dictionaryWithContentsOfURL(NS::URL::URLWithString(String(url))), nullptr) << url;
  }
  EXPECT_EQ(NS::Dictionary::dictionaryWithContentsOfURL(nullptr), nullptr);
  SetMachineDomainRoot("/");
}

}  // namespace
