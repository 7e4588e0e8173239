#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>

#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "graphics/cache_key.h"

namespace plugkit::graphics {

// A cache of loaded resources (bitmaps, SVG images, font data) shared by
// whoever holds it: the graphics contexts of a process, or one context.
// Entries are kept in the order they were added and own their data; an entry
// is found by its name at an exact scale. A user count tells the last user
// to empty it. Any thread: every operation holds the storage's recursive
// mutex, and an Accessor holds it across several, so a load can look up,
// decode and add as one step.
template <class T>
class StaticStorage {
public:
  static constexpr int kEntryListGranularity = 4096;

  // Holds the storage's mutex for its scope; the same thread may take it again.
  class Accessor {
  public:
    explicit Accessor(StaticStorage& storage) : mStorage(storage), mLock(storage.mMutex) {}
    StaticStorage* operator->() const { return &mStorage; }
    StaticStorage& operator*() const { return mStorage; }

  private:
    StaticStorage& mStorage;
    std::unique_lock<std::recursive_mutex> mLock;
  };

  StaticStorage() = default;
  ~StaticStorage() { Clear(); }
  StaticStorage(const StaticStorage&) = delete;
  StaticStorage& operator=(const StaticStorage&) = delete;

  // The data of the first entry whose key hash, scale (compared exactly) and
  // name all match; null when none.
  T* Find(const char* name, double scale) {
    Accessor lock(*this);
    const size_t hash = CacheKeyHash(name, scale);
    const char* wanted = name ? name : "";
    for (int i = 0; i < mEntries.GetSize(); ++i) {
      const Entry* entry = mEntries.Get(i);
      if (entry->mKeyHash == hash && entry->mScale == scale && std::strcmp(entry->mName.Get(), wanted) == 0)
        return entry->mData.get();
    }
    return nullptr;
  }

  // Appends an entry owning the data, without looking for one of the same
  // name and scale. False when the list cannot grow: the data is freed then.
  bool Add(std::unique_ptr<T> data, const char* name, double scale) {
    Accessor lock(*this);
    auto entry = std::make_unique<Entry>(CacheKeyHash(name, scale), name, scale, std::move(data));
    if (!mEntries.Add(entry.get())) return false;
    entry.release();
    return true;
  }

  // Deletes the entry holding the data; nothing when no entry holds it.
  void Remove(const T* data) {
    Accessor lock(*this);
    const int index = IndexOf(data);
    if (index >= 0) mEntries.Delete(index, true);
  }

  // Whether an entry holds the data.
  bool Holds(const T* data) {
    Accessor lock(*this);
    return IndexOf(data) >= 0;
  }

  // Deletes every entry, the last first.
  void Clear() {
    Accessor lock(*this);
    mEntries.Empty(true);
  }

  // The users: the last one to leave empties the storage.
  void Retain() {
    Accessor lock(*this);
    ++mUserCount;
  }
  void Release() {
    Accessor lock(*this);
    if (--mUserCount == 0) Clear();
  }

private:
  struct Entry {
    Entry(size_t keyHash, const char* name, double scale, std::unique_ptr<T> data)
        : mKeyHash(keyHash), mName(name ? name : ""), mScale(scale), mData(std::move(data)) {}
    size_t mKeyHash;
    StrBuf mName;
    double mScale;
    std::unique_ptr<T> mData;
  };

  int IndexOf(const T* data) const {
    for (int i = 0; i < mEntries.GetSize(); ++i)
      if (mEntries.Get(i)->mData.get() == data) return i;
    return -1;
  }

  std::recursive_mutex mMutex;
  int mUserCount = 0;
  PtrList<Entry> mEntries{kEntryListGranularity};
};

}  // namespace plugkit::graphics
