#pragma once

// The render-thread side of the plug-in: the two channel engines, the
// snapshot hand-over from the committing side, the MIDI controller slots, the
// start-up settle, the output mute, the gains and the level meters. The
// product object owns one and forwards its render calls to it.
//
// Threads: ProcessBlock and HandleMidiInput run on the render thread; the
// committing side publishes and reclaims snapshots (one committer at a time);
// the setters, PostMuteRequest, the controller-slot readers and the meters
// may be used from any thread. The render thread never locks, waits, frees
// or allocates (except when a new host rate or oversampling factor makes the
// engines re-size).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "design/design.h"
#include "engine/amp_engine.h"
#include "engine/engine_settings.h"
#include "engine/render/mute_envelope.h"
#include "engine/render/retired_snapshot_ring.h"
#include "engine/render/runtime_snapshot.h"
#include "engine/render/sample_count.h"
#include "engine/render/settle_monitor.h"

namespace orvane {

inline constexpr int kMidiControllerCount = 128;
inline constexpr float kMeterFloorDb = -120.0f;

// How the host connects the block: channel counts and the framework's current
// sample rate (which times the settle, the mute envelope and the meters; the
// engines follow the published host rate instead).
struct BlockFormat {
  int inputChannels = 0;
  int outputChannels = 0;
  double sampleRate = kFallbackSampleRate;
};

class AmpRenderer {
public:
  AmpRenderer();
  // Frees the pending, current and retired snapshots and the engines.
  ~AmpRenderer();
  AmpRenderer(const AmpRenderer&) = delete;
  AmpRenderer& operator=(const AmpRenderer&) = delete;

  // Before rendering starts: the engines, the settings they were built with
  // and the rate they run at (not above 0 means 48 kHz), which also becomes
  // the published host rate.
  void InstallEngines(AmpEnginePair engines, const EngineSettings& applied, double sampleRate);

  // Render thread. Inputs may be null (silence); outputs are processed in
  // place and a null output is neither read nor written.
  void ProcessBlock(const double* const* inputs, double* const* outputs, int nFrames, const BlockFormat& format);

  // Render thread: records a control change; other messages are ignored.
  void HandleMidiInput(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

  // Steps of ProcessBlock, render thread only.
  void TakePendingSnapshot();
  bool RetiredRingFull() const { return mRetiredSnapshots.Full(); }
  void RetireSnapshot(RuntimeSnapshot* snapshot) { mRetiredSnapshots.Retire(snapshot); }
  void ApplySnapshotSettings(const Design& design, std::int32_t oversampling);
  void ApplyEngineSettings(const EngineSettings& settings);
  void MapMidiCCToControls();

  // Committing side (one thread at a time). Publishing frees a snapshot the
  // render thread never took; reclaiming frees the retired ones and returns
  // how many.
  void PublishSnapshot(std::unique_ptr<RuntimeSnapshot> snapshot);
  std::size_t ReclaimRetiredSnapshots() { return mRetiredSnapshots.Reclaim(); }

  // Any thread.
  void PostMuteRequest(int fadeOutMs, int holdMs, int fadeInMs);
  std::uint64_t PendingMuteRequest() const { return mMuteEnvelope.PendingRequest(); }
  void SetAmpEnabled(bool enabled) { mAmpEnabled.store(enabled, std::memory_order_release); }
  bool AmpEnabled() const { return mAmpEnabled.load(std::memory_order_acquire); }
  void SetInputGain(double linear) { mInputGain.store(linear, std::memory_order_relaxed); }
  void SetOutputGain(double linear) { mOutputGain.store(linear, std::memory_order_relaxed); }
  double InputGain() const { return mInputGain.load(std::memory_order_relaxed); }
  double OutputGain() const { return mOutputGain.load(std::memory_order_relaxed); }
  // The engines re-rate to it at the next block.
  void PublishHostSampleRate(double rateHz) { mHostSampleRate.store(rateHz, std::memory_order_release); }
  double HostSampleRate() const { return mHostSampleRate.load(std::memory_order_acquire); }
  // Peak levels in dB, input then output; kMeterFloorDb for silence.
  std::array<float, 2> MeterLevels() const;

  // Controller slots: bits 0-6 the last value, bits 8-63 a message counter.
  std::uint64_t ReadMidiCCSlot(int cc) const;
  // Set once a controller has moved a mapped player control.
  bool MidiCCSeen(int cc) const;
  void ClearMidiCCSeenFlag(int cc);
  void ClearMidiCCSeenFlags();

  // Render thread only (or while it is not running).
  AmpEngine* Engine(int channel);
  const RuntimeSnapshot* CurrentSnapshot() const { return mCurrentSnapshot; }
  const EngineSettings& AppliedSettings() const { return mAppliedSettings; }
  double AppliedSampleRate() const { return mAppliedSampleRate; }
  SettleMonitor::State SettleState() const { return mSettle.CurrentState(); }

  // Which channels a block reads, writes and runs through the engines.
  struct ChannelRouting {
    int inputs = 0;
    int outputs = 0;
    bool monoToStereo = false;  // one input feeds two outputs
    int processed = 0;          // channels that run through an engine, at most 2
  };

private:
  struct Peaks {
    float input = 0.0f;
    float output = 0.0f;
  };

  bool HasEngines() const;
  void PassThroughAmpOff(const double* const* inputs, double* const* outputs, int n, const ChannelRouting& routing,
                         Peaks& peaks);
  void ProcessAmpOn(const double* const* inputs, double* const* outputs, int n, const ChannelRouting& routing,
                    double rate, Peaks& peaks);
  // Input times the input gain into the outputs; returns the input peak.
  float CopyGainedInput(const double* const* inputs, double* const* outputs, int n, const ChannelRouting& routing,
                        double inputGain) const;
  void RunEngines(double* const* outputs, int n, const ChannelRouting& routing);
  void ReRateEnginesIfNeeded();
  void UpdateMeters(const Peaks& peaks, int n, double rate);
  // A moved controller's new player values; true when one changed.
  bool MapControllerToControls(int cc, std::uint64_t word);

  std::array<std::unique_ptr<AmpEngine>, 2> mEngines;
  std::atomic<RuntimeSnapshot*> mPendingSnapshot{nullptr};
  RuntimeSnapshot* mCurrentSnapshot = nullptr;
  RetiredSnapshotRing mRetiredSnapshots;
  std::array<std::atomic<std::uint64_t>, kMidiControllerCount> mMidiCCSlots{};
  std::array<std::uint64_t, kMidiControllerCount> mMidiCCLastSeen{};
  std::array<std::atomic<std::uint8_t>, kMidiControllerCount> mMidiCCSeen{};
  EngineSettings mAppliedSettings;
  double mAppliedSampleRate = kFallbackSampleRate;
  std::atomic<double> mHostSampleRate{kFallbackSampleRate};
  MuteEnvelope mMuteEnvelope;
  SettleMonitor mSettle;
  std::array<std::atomic<float>, 2> mMeterLevels;
  std::atomic<double> mInputGain{1.0};
  std::atomic<double> mOutputGain{1.0};
  std::atomic<bool> mAmpEnabled{true};

  static_assert(std::atomic<RuntimeSnapshot*>::is_always_lock_free);
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
  static_assert(std::atomic<std::uint8_t>::is_always_lock_free);
  static_assert(std::atomic<double>::is_always_lock_free);
  static_assert(std::atomic<float>::is_always_lock_free);
  static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace orvane
