#include "common/heap_buf.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace plugkit {

HeapBuf::~HeapBuf() { Release(); }

HeapBuf::HeapBuf(const HeapBuf& other) : mGranularity(other.mGranularity) {
  Resize(other.mSize);
  if (mSize == other.mSize && mSize > 0) std::memcpy(mBuf, other.mBuf, static_cast<size_t>(mSize));
}

HeapBuf& HeapBuf::operator=(const HeapBuf& other) {
  if (this != &other) {
    HeapBuf copy(other);
    if (copy.mSize == other.mSize) *this = std::move(copy);
  }
  return *this;
}

HeapBuf::HeapBuf(HeapBuf&& other) noexcept
  : mBuf(std::exchange(other.mBuf, nullptr)),
    mAlloc(std::exchange(other.mAlloc, 0)),
    mSize(std::exchange(other.mSize, 0)),
    mGranularity(other.mGranularity) {}

HeapBuf& HeapBuf::operator=(HeapBuf&& other) noexcept {
  if (this != &other) {
    Release();
    mBuf = std::exchange(other.mBuf, nullptr);
    mAlloc = std::exchange(other.mAlloc, 0);
    mSize = std::exchange(other.mSize, 0);
    mGranularity = other.mGranularity;
  }
  return *this;
}

void HeapBuf::Release() {
  std::free(mBuf);
  mBuf = nullptr;
  mAlloc = 0;
  mSize = 0;
}

int HeapBuf::ShrinkThreshold() const {
  return std::max(1, std::min(mAlloc - 4 * mGranularity, mAlloc / 2));
}

long long HeapBuf::AllocationFor(int newSize) const {
  long long step = std::max(newSize / 2, mGranularity);
  if (mGranularity < kLargeGranularity) return newSize + step;
  step = std::min<long long>(step / kLargeGranularity * kLargeGranularity, kMaxLargeStep);
  const long long padded = newSize + step + kLargeAllocationSlack;
  return padded / kLargeGranularity * kLargeGranularity - kLargeAllocationSlack;
}

bool HeapBuf::Reallocate(int newAlloc) {
  if (void* grown = std::realloc(mBuf, static_cast<size_t>(newAlloc))) {
    mBuf = grown;
    mAlloc = newAlloc;
    return true;
  }
  void* fresh = std::malloc(static_cast<size_t>(newAlloc));
  if (!fresh) return false;
  if (mBuf) std::memcpy(fresh, mBuf, static_cast<size_t>(std::min(newAlloc, mSize)));
  std::free(mBuf);
  mBuf = fresh;
  mAlloc = newAlloc;
  return true;
}

void* HeapBuf::Resize(int newSize, bool resizeDown) {
  newSize = std::max(newSize, 0);
  if (newSize == mSize) return mSize ? mBuf : nullptr;

  const bool mustGrow = newSize > mAlloc;
  const bool mayShrink = resizeDown && newSize < ShrinkThreshold();
  if (mustGrow || mayShrink) {
    if (newSize == 0) {
      Release();
      return nullptr;
    }
    const long long newAlloc = AllocationFor(newSize);
    if (newAlloc > INT_MAX || !Reallocate(static_cast<int>(newAlloc))) return mSize ? mBuf : nullptr;
  }
  mSize = newSize;
  return mSize ? mBuf : nullptr;
}

}  // namespace plugkit
