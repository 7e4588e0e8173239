#include <CoreFoundation/CoreFoundation.h>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <standin/testing/bundles.h>
#include <standin/testing/objects.h>

#include <filesystem>
#include <string>

#include "cf_strings.h"
#include "leak_checked_test.h"
#include "temp_folder.h"
#include "support/test_paths.h"

namespace {

std::string PathOf(CFURLRef url) {
  Owned<CFStringRef> path(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
  return Text(path);
}

std::string InfoPlist(const std::string& identifier, const std::string& extra = "") {
  return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>" + identifier + "</string>"
         "<key>CFBundleVersion</key><string>2.5.1</string>" + extra + "</dict></plist>\n";
}

class BundleTest : public LeakCheckedTest {
protected:
  TempFolder temp_;
};

TEST_F(BundleTest, RegisteredBundleAnswersFromItsInfoPlistAndFolders) {
  const auto bundle = temp_.path() / "Orvane.component";
  temp_.Write("Orvane.component/Contents/Info.plist",
              InfoPlist("com.test.standin.orvane", "<key>CFBundleExecutable</key><string>OrvaneLib</string>"));
  ASSERT_NE(standin::testing::RegisterBundle(bundle.string()), nullptr);

  CFBundleRef found = CFBundleGetBundleWithIdentifier(CFSTR("com.test.standin.orvane"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(CFGetTypeID(found), CFBundleGetTypeID());
  EXPECT_EQ(Text(CFBundleGetIdentifier(found)), "com.test.standin.orvane");
  EXPECT_EQ(Text(static_cast<CFStringRef>(CFBundleGetValueForInfoDictionaryKey(found, CFSTR("CFBundleVersion")))),
            "2.5.1");
  EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(found, CFSTR("Missing")), nullptr);

  Owned<CFURLRef> url(CFBundleCopyBundleURL(found));
  EXPECT_EQ(PathOf(url), bundle.string());
  Owned<CFURLRef> resources(CFBundleCopyResourcesDirectoryURL(found));
  EXPECT_EQ(PathOf(resources), (bundle / "Contents/Resources").string());
  Owned<CFURLRef> executable(CFBundleCopyExecutableURL(found));
  EXPECT_EQ(PathOf(executable), (bundle / "Contents/MacOS/OrvaneLib").string());
}

TEST_F(BundleTest, ExecutableDefaultsToTheBundleName) {
  const auto bundle = temp_.path() / "Plain.component";
  temp_.Write("Plain.component/Contents/Info.plist", InfoPlist("com.test.standin.plain"));
  CFBundleRef registered = standin::testing::RegisterBundle(bundle.string());
  Owned<CFURLRef> executable(CFBundleCopyExecutableURL(registered));
  EXPECT_EQ(PathOf(executable), (bundle / "Contents/MacOS/Plain").string());
}

TEST_F(BundleTest, MalformedOrMissingInfoPlistGivesNoIdentifier) {
  temp_.Write("Broken.component/Contents/Info.plist",
              "<plist><dict><key>CFBundleIdentifier</key><string>com.test.standin.broken</dict></plist>");
  CFBundleRef broken = standin::testing::RegisterBundle((temp_.path() / "Broken.component").string());
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(broken), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(broken)), 0);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.test.standin.broken")), nullptr);

  std::filesystem::create_directories(temp_.path() / "Bare.component");
  CFBundleRef bare = standin::testing::RegisterBundle((temp_.path() / "Bare.component").string());
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(bare), nullptr);

  EXPECT_EQ(standin::testing::RegisterBundle((temp_.path() / "Nowhere").string()), nullptr);
}

TEST_F(BundleTest, RegisteringAgainReplacesTheBundleOfThatIdentifier) {
  temp_.Write("First.component/Contents/Info.plist", InfoPlist("com.test.standin.replaced"));
  temp_.Write("Second.component/Contents/Info.plist", InfoPlist("com.test.standin.replaced"));
  standin::testing::RegisterBundle((temp_.path() / "First.component").string());
  CFBundleRef second = standin::testing::RegisterBundle((temp_.path() / "Second.component").string());
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.test.standin.replaced")), second);
}

TEST_F(BundleTest, CreateFromURLRegistersTheFolderOnce) {
  temp_.Write("ByURL.component/Contents/Info.plist", InfoPlist("com.test.standin.byurl"));
  Owned<CFStringRef> path(CFStringCreateWithCString(
      nullptr, (temp_.path() / "ByURL.component").c_str(), kCFStringEncodingUTF8));
  Owned<CFURLRef> url(CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true));
  CFBundleRef first = CFBundleCreate(nullptr, url);
  CFBundleRef again = CFBundleCreate(nullptr, url);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, again);
  CFRelease(first);  // bundles live as long as the process
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.test.standin.byurl")), first);
}

TEST_F(BundleTest, MainBundleIsWhatTheHostDeclared) {
  standin::testing::SetMainBundle("com.test.standin.host", "12.3");
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(CFBundleGetIdentifier(main)), "com.test.standin.host");
  EXPECT_EQ(Text(static_cast<CFStringRef>(CFBundleGetValueForInfoDictionaryKey(main, CFSTR("CFBundleVersion")))),
            "12.3");
  standin::testing::ClearMainBundle();
  EXPECT_EQ(CFBundleGetMainBundle(), nullptr);
}

TEST_F(BundleTest, LibraryLoadedFromABundleFolderMakesItsBundleKnown) {
  const auto bundle = temp_.path() / "Probe.component";
  const auto library = bundle / "Contents/MacOS/Probe";
  std::filesystem::create_directories(library.parent_path());
  std::filesystem::copy_file(STANDIN_PROBE_COMPONENT, library);
  temp_.Write("Probe.component/Contents/Info.plist", InfoPlist("com.test.standin.probe"));

  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.test.standin.probe")), nullptr);
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  CFBundleRef found = CFBundleGetBundleWithIdentifier(CFSTR("com.test.standin.probe"));
  ASSERT_NE(found, nullptr);
  Owned<CFURLRef> url(CFBundleCopyBundleURL(found));
  EXPECT_EQ(PathOf(url), bundle.string());
  dlclose(handle);
}

}  // namespace
