#pragma once

// Helpers for the render-side suites: a committer that does what the
// product's commit does (parse, map, publish, reclaim), and a block runner
// that feeds a renderer fixed-size blocks and keeps what came out.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "design/controls_script.h"
#include "design/design.h"
#include "design/player_controls.h"
#include "engine/amp_engine.h"
#include "engine/render/amp_renderer.h"

namespace orvane::testing {

inline constexpr double kTestRate = 48000.0;
inline constexpr int kTestBlock = 64;
// The status byte of a control change on the first channel.
inline constexpr std::uint8_t kControlChange = 0xB0;

// A renderer whose engines run the design at 48 kHz, as the product builds it.
inline std::unique_ptr<AmpRenderer> MakeRenderer(const Design& design, int oversampling = 1) {
  auto renderer = std::make_unique<AmpRenderer>();
  const EngineSettings settings = orvane::EngineSettingsOf(design, oversampling);
  renderer->InstallEngines(BuildAmpEngine(settings, kTestRate), settings, kTestRate);
  return renderer;
}

// The committing side: builds a snapshot the way the product's commit does
// (script parsed, player values seeded from moved controllers, mappings
// applied) and publishes it; reclaims the ring on every commit.
class TestCommitter {
public:
  explicit TestCommitter(AmpRenderer& renderer) : mRenderer(renderer) {}

  std::unique_ptr<RuntimeSnapshot> Build(const Design& design, int oversampling = 1) const {
    auto snapshot = std::make_unique<RuntimeSnapshot>();
    snapshot->editedDesign = design;
    snapshot->effectiveDesign = design;
    snapshot->oversampling = oversampling;
    ParseUserControlsScript(design.script, snapshot->script);
    snapshot->playerControlValues = design.playerControlValues;
    SeedFromControllers(*snapshot);
    EngineSettings mapped;
    const DesignAmplifier& edited = design.amplifier;
    if (ApplyPlayerControlValues(snapshot->script, snapshot->playerControlValues, edited.dna, edited.knobs,
                                 edited.sections, mapped)) {
      snapshot->effectiveDesign.amplifier.dna = mapped.dna;
      snapshot->effectiveDesign.amplifier.knobs = mapped.knobs;
      snapshot->effectiveDesign.amplifier.sections = mapped.sections;
    }
    return snapshot;
  }

  void Commit(const Design& design, int oversampling = 1) {
    Reclaim();
    mRenderer.PublishSnapshot(Build(design, oversampling));
  }

  std::size_t Reclaim() {
    const std::size_t freed = mRenderer.ReclaimRetiredSnapshots();
    mReclaimed += freed;
    return freed;
  }

  std::size_t Reclaimed() const { return mReclaimed; }

private:
  void SeedFromControllers(RuntimeSnapshot& snapshot) const {
    if (!snapshot.script.error.empty()) return;
    const auto& controls = snapshot.script.controls;
    for (std::size_t i = 0; i < controls.size() && i < snapshot.playerControlValues.size(); ++i) {
      if (controls[i].hasMidiCC && mRenderer.MidiCCSeen(controls[i].midiCC)) {
        const int value = static_cast<int>(mRenderer.ReadMidiCCSlot(controls[i].midiCC) & 0x7F);
        snapshot.playerControlValues[i] = PlayerValueFromMidi(controls[i], value);
      }
    }
  }

  AmpRenderer& mRenderer;
  std::size_t mReclaimed = 0;
};

// Feeds a renderer blocks of `blockSize` frames from a signal function of
// the sample index and keeps every output sample of both channels.
class BlockRunner {
public:
  using Signal = std::function<double(long)>;

  explicit BlockRunner(AmpRenderer& renderer, int inputs = 1, int outputs = 2, int blockSize = kTestBlock)
      : mRenderer(renderer),
        mFormat{inputs, outputs, kTestRate},
        mBlockSize(blockSize),
        mIn(2, std::vector<double>(static_cast<std::size_t>(blockSize))),
        mOut(2, std::vector<double>(static_cast<std::size_t>(blockSize))),
        mRecorded(2) {}

  void SetSignal(Signal signal) { mSignal = std::move(signal); }

  void Run(int blocks) {
    for (int b = 0; b < blocks; ++b) RunBlock();
  }

  void RunBlock() {
    double* in[2] = {mIn[0].data(), mIn[1].data()};
    double* out[2] = {mOut[0].data(), mOut[1].data()};
    for (int i = 0; i < mBlockSize; ++i) {
      const double x = mSignal(mPosition + i);
      mIn[0][static_cast<std::size_t>(i)] = x;
      mIn[1][static_cast<std::size_t>(i)] = x;
    }
    mRenderer.ProcessBlock(in, out, mBlockSize, mFormat);
    for (std::size_t c = 0; c < 2; ++c) {
      mRecorded[c].insert(mRecorded[c].end(), mOut[c].begin(), mOut[c].end());
    }
    mPosition += mBlockSize;
  }

  const std::vector<double>& Output(int channel) const { return mRecorded[static_cast<std::size_t>(channel)]; }
  long Position() const { return mPosition; }

  // Index of the first recorded sample of a channel that is not 0, or -1.
  long FirstNonZero(int channel) const {
    const auto& out = Output(channel);
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (out[i] != 0.0) return static_cast<long>(i);
    }
    return -1;
  }

private:
  AmpRenderer& mRenderer;
  BlockFormat mFormat;
  int mBlockSize;
  std::vector<std::vector<double>> mIn;
  std::vector<std::vector<double>> mOut;
  std::vector<std::vector<double>> mRecorded;
  Signal mSignal = [](long) { return 0.0; };
  long mPosition = 0;
};

inline double TestSine(long i) {
  constexpr double kTwoPi = 6.283185307179586;
  return 0.3 * std::sin(kTwoPi * 220.0 * static_cast<double>(i) / kTestRate);
}

}  // namespace orvane::testing
