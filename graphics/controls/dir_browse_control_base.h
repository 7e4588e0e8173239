#pragma once

#include <string>
#include <vector>

#include "common/popup_menu.h"
#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "graphics/container_base.h"

namespace plugkit::graphics {

// The base of controls that choose a file: it turns one or more folders into
// a popup menu of the files with one extension (optionally with sub-folders
// as sub-menus), keeps each file's full path beside the menu and remembers
// the selected file. Each file item's tag is its path's index in the file
// list. Main thread only.
class IDirBrowseControlBase : public IContainerBase {
public:
  // A scan enters at most this many folders for one menu, its roots
  // included: links may make a small tree list an exponential number of them.
  static constexpr int kMaxFoldersPerMenu = 1000;
  // A scan adds at most this many file items to one menu, over all its
  // sub-menus: links may make a few folders list one large folder many times.
  static constexpr int kMaxFileItemsPerMenu = 10000;

  // extension: without the dot.
  IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions = true,
                        bool scanRecursively = true, bool showEmptySubmenus = false);
  ~IDirBrowseControlBase() override;

  // Shows the selected file the way the derived control presents it.
  virtual void ShowSelectedFile() = 0;

  // A folder to scan and the label of its sub-menu when there are several.
  void AddPath(const char* path, const char* label);
  // Forgets the folders, the files and the items.
  void ClearPathList();
  // Builds the menu afresh: one folder scanned into the main menu, or each
  // of several into a sub-menu of its own under its label; nothing selected.
  void SetupMenu();
  // Adds the files of the folder (a trailing separator dropped) with the
  // extension, sorted without regard to case; sub-folders become sorted
  // sub-menus when scanning recursively, and those left empty are removed
  // unless kept. Hidden entries (".name") are skipped, and so is a folder
  // already being scanned further up (a link to a parent); once
  // kMaxFoldersPerMenu folders are entered, every further sub-folder; once
  // kMaxFileItemsPerMenu files are listed, every further entry. A folder
  // that cannot be opened adds nothing.
  void ScanDirectory(const char* path, IPopupMenu& menu);
  // Appends the file items of the menu tree to the item list, depth first.
  void CollectSortedItems(IPopupMenu& menu);
  int NItems() const { return mItems.GetSize(); }
  // Selects the item of the file whose full path is exactly path; nothing
  // when there is none.
  void SetSelectedFile(const char* path);
  // The selected file's full path; empty without a selection.
  void GetSelectedFile(StrBuf& path) const;
  // Checks the selected item and unchecks every other item of the tree.
  void CheckSelectedItem();

protected:
  bool mScanRecursively;
  bool mShowFileExtensions;
  bool mShowEmptySubmenus;
  int mSelectedItemIndex = -1;
  IPopupMenu mMainMenu;
  PtrList<StrBuf> mPaths;
  PtrList<StrBuf> mPathLabels;
  PtrList<StrBuf> mFiles;
  PtrList<IPopupMenu::Item> mItems;  // not owning: the menu tree owns them
  StrBuf mExtension;

private:
  struct FolderScan {
    // The real paths of the folders being scanned, outermost first.
    std::vector<std::string> descent;
    int foldersLeft = kMaxFoldersPerMenu;
    int fileItemsLeft = kMaxFileItemsPerMenu;
  };
  void ScanRoot(const char* path, IPopupMenu& menu, FolderScan& scan);
  void ScanFolder(const std::string& folder, IPopupMenu& menu, FolderScan& scan);
  // The label of a file with the extension; false for any other name.
  bool FileLabel(const std::string& name, std::string& label) const;
  void CheckItems(IPopupMenu& menu, const IPopupMenu::Item* selected);
};

}  // namespace plugkit::graphics
