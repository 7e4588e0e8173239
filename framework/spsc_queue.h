#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "common/heap_buf.h"

namespace plugkit {

// A lock-free ring between exactly one producer thread and one consumer
// thread. It keeps one slot empty, so it holds at most `Capacity` records; a
// push into a full queue drops the record. Each index is written by one side
// only (release) and read by the other (acquire). The storage is sized once
// here, so neither side ever allocates.
template <class T, int Capacity>
class SpscQueue {
  static_assert(std::is_trivially_copyable_v<T>);
  static_assert(Capacity > 0);

public:
  static constexpr int kGranularity = 4096;
  static constexpr uint64_t kSlots = static_cast<uint64_t>(Capacity) + 1;

  SpscQueue() { mBuf.Resize(static_cast<int>(kSlots)); }
  SpscQueue(const SpscQueue&) = delete;
  SpscQueue& operator=(const SpscQueue&) = delete;

  static constexpr int GetCapacity() { return Capacity; }

  // Producer side; false when the record was dropped.
  bool Push(const T& item) {
    if (!HasStorage()) return false;
    const uint64_t write = mWriteIndex.load(std::memory_order_relaxed);
    const uint64_t next = (write + 1) % kSlots;
    if (next == mReadIndex.load(std::memory_order_acquire)) return false;
    mBuf.Get()[write] = item;
    mWriteIndex.store(next, std::memory_order_release);
    return true;
  }

  // Consumer side; false when the queue is empty.
  bool Pop(T& item) {
    if (ElementsAvailable() == 0) return false;
    const uint64_t read = mReadIndex.load(std::memory_order_relaxed);
    item = mBuf.Get()[read];
    mReadIndex.store((read + 1) % kSlots, std::memory_order_release);
    return true;
  }

  // Exact on the consumer side; a snapshot anywhere else.
  uint64_t ElementsAvailable() const {
    const uint64_t write = mWriteIndex.load(std::memory_order_acquire);
    const uint64_t read = mReadIndex.load(std::memory_order_acquire);
    return write >= read ? write - read : write + kSlots - read;
  }

private:
  bool HasStorage() const { return mBuf.GetSize() == static_cast<int>(kSlots); }

  TypedBuf<T> mBuf{kGranularity};
  alignas(64) std::atomic<uint64_t> mWriteIndex{0};
  alignas(64) std::atomic<uint64_t> mReadIndex{0};
};

}  // namespace plugkit
