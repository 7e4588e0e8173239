#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "common/ptr_list.h"
#include "common/str_buf.h"

namespace plugkit {

// The model of a popup menu: items with optional submenus, filled by controls
// and shown by the graphics context or the platform.
class IPopupMenu {
public:
  static constexpr int kAppend = -1;
  static constexpr int kInsertSorted = -2;
  static constexpr int kNoChoice = -1;

  class Item {
  public:
    enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };
    static constexpr int kNoTag = -1;

    explicit Item(const char* text, int flags = kNoFlags, int tag = kNoTag) : mText(text), mFlags(flags), mTag(tag) {}

    const char* GetText() const { return mText.Get(); }
    void SetText(const char* text) { mText.Set(text); }
    IPopupMenu* GetSubmenu() const { return mSubmenu.get(); }
    void SetSubmenu(std::unique_ptr<IPopupMenu> submenu) { mSubmenu = std::move(submenu); }
    int GetFlags() const { return mFlags; }
    void SetFlags(int flags) { mFlags = flags; }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    int GetTag() const { return mTag; }
    void SetTag(int tag) { mTag = tag; }

  private:
    StrBuf mText;
    std::unique_ptr<IPopupMenu> mSubmenu;
    int mFlags;
    int mTag;
  };

  using CompletionFunc = std::function<void(IPopupMenu*)>;

  explicit IPopupMenu(const char* rootTitle = "", int prefix = 0, bool canMultiCheck = false,
                      std::initializer_list<const char*> items = {});
  // The items, then the function a choice is handed to.
  IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items, CompletionFunc completion);
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // A new item {text, no submenu, flags, no tag}; index as for InsertItem.
  Item* AddItem(const char* text, int index = kAppend, int flags = Item::kNoFlags);
  // An item that opens the submenu; the submenu takes this menu's completion
  // function, when it has one, so that a choice there reaches the same handler.
  Item* AddItem(const char* text, std::unique_ptr<IPopupMenu> submenu, int index = kAppend);
  // Takes ownership. index -1 appends, -2 inserts sorted without regard to case
  // (before an equal text), any other index is clamped to 0..count. Null when
  // the list could not grow; the item is then deleted.
  Item* InsertItem(Item* item, int index = kAppend);

  void Clear();
  // Deletes the item at index with its submenu; nothing for an index outside the list.
  void RemoveItem(int index) { mItems.Delete(index, true); }

  int NItems() const { return mItems.GetSize(); }
  Item* GetItem(int index) const { return mItems.Get(index); }
  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  Item* GetChosenItem() const { return mItems.Get(mChosenItemIdx); }
  const char* GetRootTitle() const { return mRootTitle.Get(); }
  void SetRootTitle(const char* title) { mRootTitle.Set(title); }
  int GetPrefix() const { return mPrefix; }
  void SetPrefix(int prefix) { mPrefix = prefix; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }
  void SetMultiCheck(bool multiCheck) { mCanMultiCheck = multiCheck; }
  int GetTag() const { return mTag; }
  void SetTag(int tag) { mTag = tag; }
  const CompletionFunc& GetFunction() const { return mCompletion; }
  void SetFunction(CompletionFunc func) { mCompletion = std::move(func); }

private:
  int SortedIndexFor(const char* text) const;

  int mTag = 0;
  int mPrefix;
  int mChosenItemIdx = kNoChoice;
  bool mCanMultiCheck;
  PtrList<Item> mItems;
  CompletionFunc mCompletion;
  StrBuf mRootTitle;
};

}  // namespace plugkit
