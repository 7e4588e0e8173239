#include "graphics/controls/dir_browse_control_base.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace plugkit::graphics {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Joined at full length, however long.
std::string JoinPath(const std::string& folder, const char* name) {
  return folder == "/" ? folder + name : folder + "/" + name;
}

// Empty when the path does not resolve.
std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

bool IsFolder(const dirent& entry, const std::string& path) {
  switch (entry.d_type) {
    case DT_DIR: return true;
    case DT_UNKNOWN: return DirHandle(opendir(path.c_str())) != nullptr;
    case DT_LNK: {
      const std::string real = RealPath(path);
      struct stat status {};
      return !real.empty() && stat(real.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }
    default: return false;
  }
}

}  // namespace

IDirBrowseControlBase::IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions,
                                             bool scanRecursively, bool showEmptySubmenus)
  : IContainerBase(bounds),
    mScanRecursively(scanRecursively),
    mShowFileExtensions(showFileExtensions),
    mShowEmptySubmenus(showEmptySubmenus),
    mExtension(extension ? extension : "") {}

IDirBrowseControlBase::~IDirBrowseControlBase() {
  mPaths.Empty(true);
  mPathLabels.Empty(true);
  mFiles.Empty(true);
}

void IDirBrowseControlBase::AddPath(const char* path, const char* label) {
  mPaths.Add(new StrBuf(path ? path : ""));
  mPathLabels.Add(new StrBuf(label ? label : ""));
}

void IDirBrowseControlBase::ClearPathList() {
  mPaths.Empty(true);
  mPathLabels.Empty(true);
  mFiles.Empty(true);
  mItems.Empty();
}

void IDirBrowseControlBase::SetupMenu() {
  mFiles.Empty(true);
  mItems.Empty();
  mMainMenu.Clear();
  mSelectedItemIndex = -1;
  FolderScan scan;
  if (mPaths.GetSize() == 1) {
    ScanRoot(mPaths.Get(0)->Get(), mMainMenu, scan);
  } else {
    for (int i = 0; i < mPaths.GetSize(); ++i) {
      auto submenu = std::make_unique<IPopupMenu>("");
      IPopupMenu* folderMenu = submenu.get();
      if (mMainMenu.AddItem(mPathLabels.Get(i)->Get(), std::move(submenu)))
        ScanRoot(mPaths.Get(i)->Get(), *folderMenu, scan);
    }
  }
  CollectSortedItems(mMainMenu);
}

void IDirBrowseControlBase::ScanDirectory(const char* path, IPopupMenu& menu) {
  FolderScan scan;
  ScanRoot(path, menu, scan);
}

// Only the path given loses its trailing separators: a folder found may end its name with one.
void IDirBrowseControlBase::ScanRoot(const char* path, IPopupMenu& menu, FolderScan& scan) {
  std::string folder = path ? path : "";
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
  ScanFolder(folder, menu, scan);
}

void IDirBrowseControlBase::ScanFolder(const std::string& folder, IPopupMenu& menu, FolderScan& scan) {
  if (scan.foldersLeft <= 0 || scan.fileItemsLeft <= 0) return;
  const DirHandle dir(opendir(folder.c_str()));
  if (!dir) return;
  --scan.foldersLeft;
  scan.descent.push_back(RealPath(folder));
  // Once the file items are used up, no further file is listed nor folder entered.
  while (scan.fileItemsLeft > 0) {
    const dirent* entry = readdir(dir.get());
    if (!entry) break;
    const char* name = entry->d_name;
    if (name[0] == '.') continue;
    const std::string path = JoinPath(folder, name);
    // Folders are never listed as files.
    if (IsFolder(*entry, path)) {
      if (!mScanRecursively || scan.foldersLeft <= 0) continue;
      if (std::find(scan.descent.begin(), scan.descent.end(), RealPath(path)) != scan.descent.end()) continue;
      auto submenu = std::make_unique<IPopupMenu>("");
      IPopupMenu* folderMenu = submenu.get();
      if (menu.AddItem(name, std::move(submenu), IPopupMenu::kInsertSorted)) ScanFolder(path, *folderMenu, scan);
      continue;
    }
    std::string label;
    if (!FileLabel(name, label)) continue;
    if (menu.InsertItem(new IPopupMenu::Item(label.c_str(), IPopupMenu::Item::kNoFlags, mFiles.GetSize()),
                        IPopupMenu::kInsertSorted)) {
      mFiles.Add(new StrBuf(path.c_str()));
      --scan.fileItemsLeft;
    }
  }
  scan.descent.pop_back();
  if (mShowEmptySubmenus) return;
  for (int i = menu.NItems() - 1; i >= 0; --i) {
    const IPopupMenu* submenu = menu.GetItem(i)->GetSubmenu();
    if (submenu && submenu->NItems() == 0) menu.RemoveItem(i);
  }
}

// The extension must end the name after a dot that does not start it.
bool IDirBrowseControlBase::FileLabel(const std::string& name, std::string& label) const {
  const std::string extension = mExtension.Get();
  if (extension.empty() || name.empty()) return false;
  const size_t at = name.rfind(extension);
  if (at == std::string::npos || at < 2 || at + extension.size() != name.size() || name[at - 1] != '.') return false;
  label = mShowFileExtensions ? name : name.substr(0, at - 1);
  return true;
}

void IDirBrowseControlBase::CollectSortedItems(IPopupMenu& menu) {
  for (int i = 0; i < menu.NItems(); ++i) {
    IPopupMenu::Item* item = menu.GetItem(i);
    if (IPopupMenu* submenu = item->GetSubmenu())
      CollectSortedItems(*submenu);
    else
      mItems.Add(item);
  }
}

void IDirBrowseControlBase::SetSelectedFile(const char* path) {
  mSelectedItemIndex = -1;
  if (!path) return;
  for (int file = 0; file < mFiles.GetSize(); ++file) {
    if (std::strcmp(mFiles.Get(file)->Get(), path) != 0) continue;
    for (int i = 0; i < mItems.GetSize(); ++i) {
      if (mItems.Get(i)->GetTag() == file) {
        mSelectedItemIndex = i;
        return;
      }
    }
  }
}

void IDirBrowseControlBase::GetSelectedFile(StrBuf& path) const {
  const IPopupMenu::Item* item = mItems.Get(mSelectedItemIndex);
  const StrBuf* file = item ? mFiles.Get(item->GetTag()) : nullptr;
  path.Set(file ? file->Get() : "");
}

void IDirBrowseControlBase::CheckSelectedItem() { CheckItems(mMainMenu, mItems.Get(mSelectedItemIndex)); }

void IDirBrowseControlBase::CheckItems(IPopupMenu& menu, const IPopupMenu::Item* selected) {
  for (int i = 0; i < menu.NItems(); ++i) {
    IPopupMenu::Item* item = menu.GetItem(i);
    const int unchecked = item->GetFlags() & ~IPopupMenu::Item::kChecked;
    item->SetFlags(item == selected ? unchecked | IPopupMenu::Item::kChecked : unchecked);
    if (IPopupMenu* submenu = item->GetSubmenu()) CheckItems(*submenu, selected);
  }
}

}  // namespace plugkit::graphics
