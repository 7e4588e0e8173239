#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>

#include <gtest/gtest.h>
#include <standin/testing/environment.h>
#include <standin/testing/objects.h>

#include <fstream>
#include <string>
#include <vector>

#include "cf_strings.h"
#include "leak_checked_test.h"
#include "temp_folder.h"

namespace {

std::vector<std::string> Folders(NSSearchPathDirectory directory, NSSearchPathDomainMask domains,
                                 bool expandTilde = true) {
  NS::AutoreleasePool pool;
  CFArrayRef found = NSSearchPathForDirectoriesInDomains(directory, domains, expandTilde);
  std::vector<std::string> folders;
  for (CFIndex i = 0; i < CFArrayGetCount(found); ++i) {
    folders.push_back(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(found, i))));
  }
  return folders;
}

class FoundationPathsTest : public LeakCheckedTest {
protected:
  TempFolder home_;
  ScopedHome scopedHome_{home_.path()};
};

TEST_F(FoundationPathsTest, UserFoldersFollowHome) {
  const std::string home = home_.path().string();
  EXPECT_EQ(Folders(NSDocumentDirectory, NSUserDomainMask), std::vector<std::string>{home + "/Documents"});
  EXPECT_EQ(Folders(NSDesktopDirectory, NSUserDomainMask), std::vector<std::string>{home + "/Desktop"});
  EXPECT_EQ(Folders(NSMusicDirectory, NSUserDomainMask), std::vector<std::string>{home + "/Music"});
  EXPECT_EQ(Folders(NSLibraryDirectory, NSUserDomainMask), std::vector<std::string>{home + "/Library"});
  EXPECT_EQ(Folders(NSApplicationSupportDirectory, NSUserDomainMask),
            std::vector<std::string>{home + "/Library/Application Support"});
  EXPECT_EQ(Folders(NSApplicationSupportDirectory, NSUserDomainMask, false),
            std::vector<std::string>{"~/Library/Application Support"});
  NS::AutoreleasePool pool;
  EXPECT_EQ(Text(NSHomeDirectory()), home);
}

TEST_F(FoundationPathsTest, MachineFoldersLieUnderTheMovableRoot) {
  TempFolder machine;
  standin::testing::SetMachineDomainRoot(machine.path().string());
  const std::string root = machine.path().string();
  EXPECT_EQ(Folders(NSApplicationSupportDirectory, NSAllDomainsMask),
            (std::vector<std::string>{home_.path().string() + "/Library/Application Support",
                                      root + "/Library/Application Support"}));
  EXPECT_TRUE(Folders(NSDocumentDirectory, NSLocalDomainMask).empty());
  standin::testing::SetMachineDomainRoot("/");
  EXPECT_EQ(Folders(NSLibraryDirectory, NSLocalDomainMask), std::vector<std::string>{"/Library"});
}

TEST_F(FoundationPathsTest, PoolReleasesWhatWasAutoreleasedInIt) {
  const long start = standin::testing::LiveObjectCount();
  {
    NS::AutoreleasePool outer;
    CFStringRef kept = NSHomeDirectory();
    {
      NS::AutoreleasePool inner;
      NSHomeDirectory();
      EXPECT_EQ(standin::testing::LiveObjectCount(), start + 2);
    }
    EXPECT_EQ(standin::testing::LiveObjectCount(), start + 1);
    EXPECT_EQ(Text(kept), home_.path().string());
  }
  EXPECT_EQ(standin::testing::LiveObjectCount(), start);
}

TEST_F(FoundationPathsTest, FileManagerTellsFilesFromFoldersAndMissingPaths) {
  home_.Write("Documents/a.orv", "{}");
  NS::FileManager* files = NS::FileManager::defaultManager();
  Owned<CFStringRef> file(CFStringCreateWithCString(nullptr, (home_.path() / "Documents/a.orv").c_str(), kCFStringEncodingUTF8));
  Owned<CFStringRef> folder(CFStringCreateWithCString(nullptr, (home_.path() / "Documents").c_str(), kCFStringEncodingUTF8));
  Owned<CFStringRef> missing(CFStringCreateWithCString(nullptr, (home_.path() / "nothing").c_str(), kCFStringEncodingUTF8));
  bool isDirectory = true;
  EXPECT_TRUE(files->fileExistsAtPathIsDirectory(file, &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(files->fileExistsAtPathIsDirectory(folder, &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(files->fileExistsAtPath(missing));
  EXPECT_FALSE(files->fileExistsAtPath(CFSTR("")));
  EXPECT_FALSE(files->fileExistsAtPath(nullptr));
}

TEST_F(FoundationPathsTest, AppGroupContainerLiesInTheUsersGroupContainers) {
  NS::AutoreleasePool pool;
  NS::FileManager* files = NS::FileManager::defaultManager();
  CFURLRef url = files->containerURLForSecurityApplicationGroupIdentifier(CFSTR("group.com.Vellumtone.Orvane"));
  ASSERT_NE(url, nullptr);
  Owned<CFStringRef> path(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
  EXPECT_EQ(Text(path), home_.path().string() + "/Library/Group Containers/group.com.Vellumtone.Orvane");
  EXPECT_EQ(files->containerURLForSecurityApplicationGroupIdentifier(CFSTR("")), nullptr);
}

TEST_F(FoundationPathsTest, ProcessNameIsTheSystemsUnlessOverridden) {
  NS::AutoreleasePool pool;
  std::string listed;
  std::getline(std::ifstream("/proc/self/comm"), listed);
  EXPECT_EQ(Text(NS::ProcessInfo::processInfo()->processName()), listed);
  standin::testing::SetProcessName("AUHostingServiceXPC_arrow");
  EXPECT_EQ(Text(NS::ProcessInfo::processInfo()->processName()), "AUHostingServiceXPC_arrow");
  standin::testing::SetProcessName("");
  EXPECT_EQ(Text(NS::ProcessInfo::processInfo()->processName()), listed);
}

}  // namespace
