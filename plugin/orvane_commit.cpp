// Publishing the edited design to the render thread as one snapshot.

#include <memory>

#include "design/controls_script.h"
#include "design/player_controls.h"
#include "plugin/orvane.h"

namespace orvane {

namespace {

constexpr int kMidiValueMask = 0x7F;

}  // namespace

void Orvane::SeedPlayerValuesFromMidi(const ParsedControlsScript& script, std::vector<double>& values) const {
  for (std::size_t i = 0; i < script.controls.size() && i < values.size(); ++i) {
    const ScriptControl& control = script.controls[i];
    if (!control.hasMidiCC || !mRenderer.MidiCCSeen(control.midiCC)) continue;
    const int value = static_cast<int>(mRenderer.ReadMidiCCSlot(control.midiCC) & kMidiValueMask);
    values[i] = PlayerValueFromMidi(control, value);
  }
}

void Orvane::CommitDesign(int dnaIndex, int knobIndex) {
  // The snapshot mutex is held to the end: it orders commits, and the design
  // mutex is only taken inside it for the copy.
  std::lock_guard snapshotLock(mSnapshotMutex);
  mRenderer.ReclaimRetiredSnapshots();
  auto snapshot = std::make_unique<RuntimeSnapshot>();
  PluginState state;
  {
    std::lock_guard designLock(mDesignMutex);
    snapshot->editedDesign = mDocument.design;
    state = mDocument.state;
  }
  snapshot->effectiveDesign = snapshot->editedDesign;
  Design& effective = snapshot->effectiveDesign;
  const Design& edited = snapshot->editedDesign;
  ParseUserControlsScript(effective.script, snapshot->script);
  if (snapshot->script.error.empty()) {
    SeedPlayerValuesFromMidi(snapshot->script, state.playerControlValues);
    DesignAmplifier& amp = effective.amplifier;
    EngineSettings mapped;
    if (ApplyPlayerControlValues(snapshot->script, state.playerControlValues, amp.dna, amp.knobs, amp.sections,
                                 mapped)) {
      amp.dna = mapped.dna;
      amp.knobs = mapped.knobs;
      amp.sections = mapped.sections;
    }
  }
  // The value the user is dragging wins over the script's mapping of it.
  if (dnaIndex >= 0 && dnaIndex < static_cast<int>(kDnaSize)) {
    const auto index = static_cast<std::size_t>(dnaIndex);
    effective.amplifier.dna[index] = edited.amplifier.dna[index];
  }
  if (knobIndex >= 0 && knobIndex < static_cast<int>(kAmpKnobCount)) {
    const auto index = static_cast<std::size_t>(knobIndex);
    effective.amplifier.knobs[index] = edited.amplifier.knobs[index];
  }
  snapshot->oversampling = state.oversampling;
  snapshot->playerControlValues = std::move(state.playerControlValues);
  mRenderer.PublishSnapshot(std::move(snapshot));
}

}  // namespace orvane
