#pragma once

#include <cstring>

namespace plugkit {

// A malloc-owned byte buffer that grows in steps so repeated appends stay cheap.
// A failed growth never throws: the buffer keeps its contents, allocation and
// size, and callers detect it by comparing GetSize() with the size they asked for.
class HeapBuf {
public:
  static constexpr int kLargeGranularity = 4096;  // page-rounded growth from here up
  static constexpr int kMaxLargeStep = 4 * 1024 * 1024;
  static constexpr int kLargeAllocationSlack = 96;  // leaves room for the allocator's header

  explicit HeapBuf(int granularity = kLargeGranularity) : mGranularity(granularity) {}
  ~HeapBuf();
  HeapBuf(const HeapBuf& other);
  HeapBuf& operator=(const HeapBuf& other);
  HeapBuf(HeapBuf&& other) noexcept;
  HeapBuf& operator=(HeapBuf&& other) noexcept;

  // Sets the size in use, reallocating when it grows past the allocation or
  // (with resizeDown) falls well below it. Returns the data (null for size 0).
  void* Resize(int newSize, bool resizeDown = true);

  void* Get() { return mBuf; }
  const void* Get() const { return mBuf; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAlloc; }
  int GetGranularity() const { return mGranularity; }

private:
  int ShrinkThreshold() const;
  long long AllocationFor(int newSize) const;
  bool Reallocate(int newAlloc);
  void Release();

  void* mBuf = nullptr;
  int mAlloc = 0;
  int mSize = 0;
  int mGranularity;
};

// A HeapBuf read as an array of trivially copyable T.
template <class T>
class TypedBuf {
public:
  explicit TypedBuf(int granularity = HeapBuf::kLargeGranularity) : mBuf(granularity) {}

  T* Get() { return static_cast<T*>(mBuf.Get()); }
  const T* Get() const { return static_cast<const T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T)); }
  int GetBytes() const { return mBuf.GetSize(); }

  // Returns the data, or null when the count is 0; GetSize() tells whether it grew.
  T* Resize(int count, bool resizeDown = true) {
    if (count < 0) count = 0;
    const long long bytes = static_cast<long long>(count) * static_cast<long long>(sizeof(T));
    if (bytes > kMaxBytes) return Get();
    return static_cast<T*>(mBuf.Resize(static_cast<int>(bytes), resizeDown));
  }

  // Appends one element; false (and nothing appended) when the buffer cannot grow.
  bool Add(const T& item) {
    const int count = GetSize();
    Resize(count + 1, false);
    if (GetSize() != count + 1) return false;
    std::memcpy(Get() + count, &item, sizeof(T));
    return true;
  }

private:
  static constexpr long long kMaxBytes = 0x7fffffff;
  HeapBuf mBuf;
};

}  // namespace plugkit
