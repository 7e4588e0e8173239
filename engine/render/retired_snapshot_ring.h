#pragma once

// Snapshots the render thread has replaced travel back to the committing side
// through this ring, so that the render thread never frees memory. One thread
// retires, one thread (at a time) reclaims.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/render/runtime_snapshot.h"

namespace orvane {

class RetiredSnapshotRing {
public:
  static constexpr std::uint64_t kSlotCount = 32;

  RetiredSnapshotRing() = default;
  // Frees what is still in the ring.
  ~RetiredSnapshotRing();
  RetiredSnapshotRing(const RetiredSnapshotRing&) = delete;
  RetiredSnapshotRing& operator=(const RetiredSnapshotRing&) = delete;

  // Render thread.
  bool Full() const;
  // Only when not Full(); takes ownership.
  void Retire(RuntimeSnapshot* snapshot);

  // Committing side: frees every retired snapshot; returns how many.
  std::size_t Reclaim();

private:
  static std::size_t SlotOf(std::uint64_t index) { return static_cast<std::size_t>(index % kSlotCount); }

  std::array<RuntimeSnapshot*, kSlotCount> mSlots{};
  std::atomic<std::uint64_t> mWriteIndex{0};  // advanced by the render thread
  std::atomic<std::uint64_t> mReadIndex{0};   // advanced by the committing side

  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
};

}  // namespace orvane
