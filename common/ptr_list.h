#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "common/heap_buf.h"

namespace plugkit {

// A growable list of pointers. It deletes nothing by itself: owners call
// Empty(true) (or Delete with deleteItem) for the items they own.
template <class T>
class PtrList {
public:
  using FreeFunc = std::function<void(T*)>;

  explicit PtrList(int granularity = HeapBuf::kLargeGranularity) : mBuf(granularity) {}
  PtrList(const PtrList&) = delete;
  PtrList& operator=(const PtrList&) = delete;
  PtrList(PtrList&&) noexcept = default;
  PtrList& operator=(PtrList&&) noexcept = default;

  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T*)); }
  T* Get(int index) const {
    return index >= 0 && index < GetSize() ? Items()[index] : nullptr;
  }
  T** GetList() { return Items(); }

  // Returns the item, or null when the list could not grow (the item is not added).
  T* Add(T* item) { return Insert(GetSize(), item); }

  // Inserts at index clamped to 0..count; null when the list could not grow.
  T* Insert(int index, T* item) {
    const int count = GetSize();
    index = std::clamp(index, 0, count);
    const int bytes = (count + 1) * static_cast<int>(sizeof(T*));
    mBuf.Resize(bytes, false);
    if (mBuf.GetSize() != bytes) return nullptr;
    T** items = Items();
    std::memmove(items + index + 1, items + index, static_cast<size_t>(count - index) * sizeof(T*));
    items[index] = item;
    return item;
  }

  // Takes the item at index off the list, deleting it first when asked.
  void Delete(int index, bool deleteItem = false) {
    const int count = GetSize();
    if (index < 0 || index >= count) return;
    T** items = Items();
    T* item = items[index];
    std::memmove(items + index, items + index + 1, static_cast<size_t>(count - index - 1) * sizeof(T*));
    mBuf.Resize((count - 1) * static_cast<int>(sizeof(T*)), false);
    if (deleteItem) delete item;
  }

  int Find(const T* item) const {
    const int count = GetSize();
    for (int i = 0; i < count; ++i)
      if (Items()[i] == item) return i;
    return -1;
  }

  // Removes every item (last first, each deleted when asked); keeps the allocation.
  void Empty(bool deleteItems = false, const FreeFunc& freeFunc = nullptr) {
    if (deleteItems) {
      for (int i = GetSize() - 1; i >= 0; --i) {
        T* item = Items()[i];
        mBuf.Resize(i * static_cast<int>(sizeof(T*)), false);
        if (freeFunc)
          freeFunc(item);
        else
          delete item;
      }
    }
    mBuf.Resize(0, false);
  }

private:
  T** Items() const { return static_cast<T**>(const_cast<void*>(mBuf.Get())); }

  HeapBuf mBuf;
};

}  // namespace plugkit
