// MIDI controllers: the slots the host's control changes land in, and their
// mapping onto the current snapshot's player controls on the render thread.

#include <algorithm>
#include <span>

#include "design/player_controls.h"
#include "engine/render/amp_renderer.h"

namespace orvane {
namespace {

constexpr std::uint8_t kStatusKindMask = 0xF0;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kDataByteLimit = 0x80;
constexpr std::uint64_t kSlotValueMask = 0x7F;
constexpr std::uint64_t kSlotLowByteMask = 0xFF;
// The message counter starts above the value byte.
constexpr std::uint64_t kSlotCounterStep = 0x100;

bool ValidController(int cc) {
  return cc >= 0 && cc < kMidiControllerCount;
}

}  // namespace

void AmpRenderer::HandleMidiInput(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  if ((status & kStatusKindMask) != kControlChange || data1 >= kDataByteLimit) {
    return;
  }
  const std::uint64_t value = data2 & kSlotValueMask;
  std::atomic<std::uint64_t>& slot = mMidiCCSlots[data1];
  // Compare-and-exchange keeps the counter exact should a second producer
  // write the same slot.
  std::uint64_t old = slot.load(std::memory_order_relaxed);
  while (!slot.compare_exchange_weak(old, ((old & ~kSlotLowByteMask) | value) + kSlotCounterStep,
                                     std::memory_order_release, std::memory_order_relaxed)) {
  }
}

std::uint64_t AmpRenderer::ReadMidiCCSlot(int cc) const {
  return ValidController(cc) ? mMidiCCSlots[static_cast<std::size_t>(cc)].load(std::memory_order_acquire) : 0;
}

bool AmpRenderer::MidiCCSeen(int cc) const {
  return ValidController(cc) && mMidiCCSeen[static_cast<std::size_t>(cc)].load(std::memory_order_acquire) != 0;
}

void AmpRenderer::ClearMidiCCSeenFlag(int cc) {
  if (ValidController(cc)) {
    mMidiCCSeen[static_cast<std::size_t>(cc)].store(0, std::memory_order_seq_cst);
  }
}

void AmpRenderer::ClearMidiCCSeenFlags() {
  for (std::atomic<std::uint8_t>& seen : mMidiCCSeen) {
    seen.store(0, std::memory_order_seq_cst);
  }
}

void AmpRenderer::MapMidiCCToControls() {
  RuntimeSnapshot* snapshot = mCurrentSnapshot;
  if (snapshot == nullptr || !HasEngines()) {
    return;
  }
  bool changed = false;
  for (int cc = 0; cc < kMidiControllerCount; ++cc) {
    const auto index = static_cast<std::size_t>(cc);
    const std::uint64_t word = mMidiCCSlots[index].load(std::memory_order_acquire);
    if (word == mMidiCCLastSeen[index]) {
      continue;
    }
    mMidiCCLastSeen[index] = word;
    // A move under a broken script is recorded as seen and otherwise ignored.
    if (word < kSlotCounterStep || !snapshot->script.error.empty()) {
      continue;
    }
    changed = MapControllerToControls(cc, word) || changed;
  }
  if (!changed) {
    return;
  }
  const DesignAmplifier& edited = snapshot->editedDesign.amplifier;
  EngineSettings mapped;
  // No error text is asked for: describing a failure would allocate.
  if (!ApplyPlayerControlValues(snapshot->script, snapshot->playerControlValues, edited.dna, edited.knobs,
                                edited.sections, mapped)) {
    return;
  }
  mapped.bypassGainDb = edited.bypassGainDb;
  mapped.toneStackPosition = edited.toneStackPosition;
  mapped.oversampling = snapshot->oversampling;
  ApplyEngineSettings(mapped);
}

bool AmpRenderer::MapControllerToControls(int cc, std::uint64_t word) {
  const int value = static_cast<int>(word & kSlotValueMask);
  const std::vector<ScriptControl>& controls = mCurrentSnapshot->script.controls;
  std::vector<double>& values = mCurrentSnapshot->playerControlValues;
  const std::size_t count = std::min(controls.size(), values.size());
  bool matched = false;
  bool changed = false;
  for (std::size_t j = 0; j < count; ++j) {
    const ScriptControl& control = controls[j];
    if (!control.hasMidiCC || control.midiCC != cc) {
      continue;
    }
    matched = true;
    const double playerValue = PlayerValueFromMidi(control, value);
    if (playerValue != values[j]) {
      values[j] = playerValue;
      changed = true;
    }
  }
  if (matched) {
    mMidiCCSeen[static_cast<std::size_t>(cc)].store(1, std::memory_order_release);
  }
  return changed;
}

}  // namespace orvane
