// The snapshot hand-over: the committing side publishes, the render thread
// adopts and retires, and only what changed reaches the engines.

#include <utility>

#include "engine/render/amp_renderer.h"

namespace orvane {

void AmpRenderer::PublishSnapshot(std::unique_ptr<RuntimeSnapshot> snapshot) {
  // A snapshot the render thread never took is out of date: free it here.
  delete mPendingSnapshot.exchange(snapshot.release(), std::memory_order_acq_rel);
}

void AmpRenderer::TakePendingSnapshot() {
  // With the ring full the replaced snapshot would have nowhere to go; the
  // pending one waits until the committing side reclaims.
  if (!HasEngines() || RetiredRingFull()) {
    return;
  }
  RuntimeSnapshot* incoming = mPendingSnapshot.exchange(nullptr, std::memory_order_seq_cst);
  if (incoming == nullptr) {
    return;
  }
  ApplySnapshotSettings(incoming->effectiveDesign, incoming->oversampling);
  RuntimeSnapshot* replaced = std::exchange(mCurrentSnapshot, incoming);
  if (replaced != nullptr) {
    RetireSnapshot(replaced);
  }
}

void AmpRenderer::ApplySnapshotSettings(const Design& design, std::int32_t oversampling) {
  ApplyEngineSettings(EngineSettingsOf(design, oversampling));
}

void AmpRenderer::ApplyEngineSettings(const EngineSettings& settings) {
  const EngineSettings& applied = mAppliedSettings;
  // Exact comparisons: only what changed is re-applied, so a single knob
  // change does not restart every filter ramp.
  const bool dnaChanged = settings.dna != applied.dna;
  const bool knobsSame = settings.knobs == applied.knobs;
  const bool trimsSame = settings.bypassGainDb == applied.bypassGainDb;
  const bool oversamplingChanged = settings.oversampling != applied.oversampling;
  for (std::unique_ptr<AmpEngine>& engine : mEngines) {
    if (engine == nullptr) {
      continue;
    }
    if (oversamplingChanged) {
      engine->SetOversampling(settings.oversampling);
    }
    if (settings.toneStackPosition != applied.toneStackPosition) {
      engine->SetToneStackPosition(settings.toneStackPosition);
    }
    if (dnaChanged) {
      engine->SetDna(settings.dna);
    }
    if (!knobsSame) {
      engine->SetKnobs(settings.knobs);
    }
    for (int section = 0; section < static_cast<int>(kAmpSectionCount); ++section) {
      const auto index = static_cast<std::size_t>(section);
      if (settings.sections[index] != applied.sections[index]) {
        engine->SetSectionOn(section, settings.sections[index]);
      }
      if (!trimsSame) {
        engine->SetSectionTrimDb(section, settings.bypassGainDb[index]);
      }
    }
    // The new factor's rate change empties the filter memories, so the
    // resting stage voltages would enter them as steps and thump for far
    // longer than the mute posted with the change: start again from rest.
    if (oversamplingChanged) {
      engine->Reset();
    }
  }
  mAppliedSettings = settings;
}

}  // namespace orvane
