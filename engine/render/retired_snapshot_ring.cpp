#include "engine/render/retired_snapshot_ring.h"

namespace orvane {

RetiredSnapshotRing::~RetiredSnapshotRing() {
  Reclaim();
}

bool RetiredSnapshotRing::Full() const {
  const std::uint64_t write = mWriteIndex.load(std::memory_order_relaxed);  // our own index
  return write - mReadIndex.load(std::memory_order_acquire) > kSlotCount - 1;
}

void RetiredSnapshotRing::Retire(RuntimeSnapshot* snapshot) {
  const std::uint64_t write = mWriteIndex.load(std::memory_order_relaxed);
  mSlots[SlotOf(write)] = snapshot;
  mWriteIndex.store(write + 1, std::memory_order_release);
}

std::size_t RetiredSnapshotRing::Reclaim() {
  const std::uint64_t read = mReadIndex.load(std::memory_order_relaxed);  // our own index
  const std::uint64_t write = mWriteIndex.load(std::memory_order_acquire);
  std::size_t freed = 0;
  for (std::uint64_t index = read; index != write; ++index) {
    RuntimeSnapshot*& slot = mSlots[SlotOf(index)];
    if (slot != nullptr) {
      delete slot;
      slot = nullptr;
      ++freed;
    }
  }
  mReadIndex.store(write, std::memory_order_release);
  return freed;
}

}  // namespace orvane
