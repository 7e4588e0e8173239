#include "common/popup_menu.h"

#include <strings.h>

#include <utility>

namespace plugkit {

IPopupMenu::IPopupMenu(const char* rootTitle, int prefix, bool canMultiCheck, std::initializer_list<const char*> items)
  : mPrefix(prefix), mCanMultiCheck(canMultiCheck), mRootTitle(rootTitle) {
  for (const char* text : items) AddItem(text);
}

IPopupMenu::IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items, CompletionFunc completion)
  : IPopupMenu(rootTitle, 0, false, items) {
  mCompletion = std::move(completion);
}

IPopupMenu::~IPopupMenu() { mItems.Empty(true); }

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, int flags) {
  return InsertItem(new Item(text, flags), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, std::unique_ptr<IPopupMenu> submenu, int index) {
  if (submenu && mCompletion) submenu->SetFunction(mCompletion);
  auto* item = new Item(text);
  item->SetSubmenu(std::move(submenu));
  return InsertItem(item, index);
}

int IPopupMenu::SortedIndexFor(const char* text) const {
  int low = 0;
  int high = NItems();
  while (low < high) {
    const int mid = (low + high) / 2;
    const int order = strcasecmp(text, mItems.Get(mid)->GetText());
    if (order <= 0) {
      high = mid;
      if (order == 0) break;
    } else {
      low = mid + 1;
    }
  }
  return high;
}

IPopupMenu::Item* IPopupMenu::InsertItem(Item* item, int index) {
  if (!item) return nullptr;
  if (index == kAppend)
    index = NItems();
  else if (index == kInsertSorted)
    index = SortedIndexFor(item->GetText());
  if (!mItems.Insert(index, item)) {
    delete item;
    return nullptr;
  }
  return item;
}

void IPopupMenu::Clear() {
  mPrefix = 0;
  mChosenItemIdx = kNoChoice;
  mCanMultiCheck = false;
  mItems.Empty(true);
}

}  // namespace plugkit
