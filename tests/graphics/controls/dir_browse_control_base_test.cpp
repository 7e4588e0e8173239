#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "graphics/controls/dir_browse_control_base.h"
#include "support/temp_folder.h"

namespace plugkit::graphics {
namespace {

namespace fs = std::filesystem;

class Browser : public IDirBrowseControlBase {
public:
  using IDirBrowseControlBase::IDirBrowseControlBase;
  void Draw(IGraphics&) override {}
  void ShowSelectedFile() override {}

  // The menu tree: "label(file)" for a file item, with the file name its tag
  // names and "*" when checked; "label{...}" for a sub-menu.
  std::string Tree() const { return Describe(mMainMenu); }

private:
  std::string Describe(const IPopupMenu& menu) const {
    std::string text;
    for (int i = 0; i < menu.NItems(); ++i) {
      const IPopupMenu::Item* item = menu.GetItem(i);
      if (!text.empty()) text += " ";
      text += item->GetText();
      if (item->GetChecked()) text += "*";
      if (item->GetSubmenu()) {
        text += "{" + Describe(*item->GetSubmenu()) + "}";
      } else {
        const StrBuf* file = mFiles.Get(item->GetTag());
        text += "(" + (file ? fs::path(file->Get()).filename().string() : std::string("?")) + ")";
      }
    }
    return text;
  }
};

class DirBrowseTest : public ::testing::Test {
protected:
  void Make(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
      if (file.back() == '/')
        fs::create_directories(folder.path() / file);
      else
        folder.Write(file, "");
    }
  }
  std::string Path(const std::string& relative) const { return (folder.path() / relative).string(); }

  TempFolder folder;
};

TEST_F(DirBrowseTest, FilesWithTheExtensionAreListedSortedWithoutRegardToCase) {
  struct Case {
    const char* what;
    std::vector<std::string> files;
    bool showExtensions, recursive, showEmpty;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"extension at the end only", {"notes.txt.bak", "x.txt", "readmetxt", "y.wav"}, false, true, false, "x(x.txt)"},
      {"extensions shown", {"x.txt", "b.txt"}, true, true, false, "b.txt(b.txt) x.txt(x.txt)"},
      {"case-insensitive order", {"b.txt", "C.txt", "a.txt", "B2.txt"}, false, true, false,
       "a(a.txt) b(b.txt) B2(B2.txt) C(C.txt)"},
      {"hidden entries and empty folders", {".hidden.txt", ".dir/a.txt", "empty/", "deep/none/x.wav"}, false, true,
       false, ""},
      {"empty folders kept", {".hidden.txt", "empty/", "deep/none/x.wav"}, false, true, true, "deep{none{}} empty{}"},
      {"sub-folders among files", {"m.txt", "Sub/z.txt", "Sub/a.txt", "zed.txt"}, false, true, false,
       "m(m.txt) Sub{a(a.txt) z(z.txt)} zed(zed.txt)"},
      {"flat", {"m.txt", "Sub/z.txt", "folder.txt/"}, false, false, false, "m(m.txt)"},
      {"a folder named with a trailing separator", {"a\\/x.txt"}, false, true, false, "a\\{x(x.txt)}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder.path());
    Make(c.files);
    Browser browser(IRECT(), "txt", c.showExtensions, c.recursive, c.showEmpty);
    browser.AddPath((folder.path().string() + "/").c_str(), "Folder");
    browser.SetupMenu();
    EXPECT_EQ(browser.Tree(), c.expected);
  }
}

TEST_F(DirBrowseTest, TheSelectedFileIsFoundCheckedAndGivenBack) {
  Make({"a.txt", "Sub/b.txt", "Sub/Deeper/c.txt", "Other/d.txt"});
  Browser browser(IRECT(), "txt", false);
  browser.AddPath(Path("").c_str(), "Main");
  browser.AddPath(Path("Other").c_str(), "Other");
  browser.SetupMenu();
  EXPECT_EQ(browser.NItems(), 5);
  EXPECT_EQ(browser.Tree(), "Main{a(a.txt) Other{d(d.txt)} Sub{b(b.txt) Deeper{c(c.txt)}}} Other{d(d.txt)}");

  struct Case {
    std::string path, expected, tree;
  };
  const std::vector<Case> cases = {
      {Path("Sub/Deeper/c.txt"), Path("Sub/Deeper/c.txt"),
       "Main{a(a.txt) Other{d(d.txt)} Sub{b(b.txt) Deeper{c*(c.txt)}}} Other{d(d.txt)}"},
      {Path("Other/d.txt"), Path("Other/d.txt"),
       "Main{a(a.txt) Other{d*(d.txt)} Sub{b(b.txt) Deeper{c(c.txt)}}} Other{d(d.txt)}"},
      {Path("Sub/../a.txt"), "", "Main{a(a.txt) Other{d(d.txt)} Sub{b(b.txt) Deeper{c(c.txt)}}} Other{d(d.txt)}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    browser.SetSelectedFile(c.path.c_str());
    StrBuf selected("unchanged");
    browser.GetSelectedFile(selected);
    EXPECT_EQ(selected.Get(), c.expected);
    browser.CheckSelectedItem();
    EXPECT_EQ(browser.Tree(), c.tree);
  }

  browser.ClearPathList();
  browser.SetupMenu();
  EXPECT_EQ(browser.NItems(), 0);
}

TEST_F(DirBrowseTest, LinksBackUpAndLongPathsAreScannedOnce) {
  Make({"a.txt", "Sub/b.txt"});
  fs::create_directory_symlink(folder.path(), folder.path() / "Sub" / "up");
  fs::create_directory_symlink(folder.path() / "Sub", folder.path() / "side");
  std::string deep;
  for (int i = 0; i < 9; ++i) deep += std::string(250, char('k' + i)) + "/";
  Make({deep + "far.txt"});

  Browser browser(IRECT(), "txt", false);
  browser.AddPath(Path("").c_str(), "");
  browser.SetupMenu();
  std::string chain = "far(far.txt)";
  for (int i = 8; i >= 0; --i) chain = std::string(250, char('k' + i)) + "{" + chain + "}";
  EXPECT_EQ(browser.Tree(), "a(a.txt) " + chain + " side{b(b.txt)} Sub{b(b.txt)}");
}

// Without a limit, the 12 levels would enter 4,095 folders.
TEST_F(DirBrowseTest, TwoLinksPerLevelEnterNoMoreFoldersThanTheLimit) {
  constexpr int kDepth = 11;
  const auto level = [&](int i) { return folder.path() / ("f" + std::to_string(i)); };
  for (int i = 0; i <= kDepth; ++i) Make({"f" + std::to_string(i) + "/a.txt"});
  for (int i = 0; i < kDepth; ++i)
    for (const char* link : {"x", "y"}) fs::create_directory_symlink(level(i + 1), level(i) / link);
  Browser browser(IRECT(), "txt", false);
  browser.AddPath(level(0).c_str(), "");
  browser.SetupMenu();
  // One file in every folder entered.
  EXPECT_EQ(browser.NItems(), IDirBrowseControlBase::kMaxFoldersPerMenu);
}

// Without a limit, the links would list twice as many files as it allows.
TEST_F(DirBrowseTest, LinksToOneLargeFolderListNoMoreFilesThanTheLimit) {
  constexpr int kFiles = IDirBrowseControlBase::kMaxFileItemsPerMenu / 50;
  constexpr int kLinks = 2 * IDirBrowseControlBase::kMaxFileItemsPerMenu / kFiles;
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) files.push_back("large/" + std::to_string(i) + ".txt");
  Make(files);
  Make({"links/"});
  for (int i = 0; i < kLinks; ++i)
    fs::create_directory_symlink(folder.path() / "large", folder.path() / "links" / std::to_string(i));
  Browser browser(IRECT(), "txt", false);
  browser.AddPath(Path("links").c_str(), "");
  browser.SetupMenu();
  EXPECT_EQ(browser.NItems(), IDirBrowseControlBase::kMaxFileItemsPerMenu);
}

}  // namespace
}  // namespace plugkit::graphics
