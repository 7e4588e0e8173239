// The editing operations through which the editor changes the live design
// and the plug-in state. Every audible switch posts its mute before the
// commit publishes the change: the render thread takes a mute request before
// it adopts a snapshot, so a block starting in between would otherwise play
// the change unmuted.

#include <algorithm>
#include <cmath>

#include "design/controls_script.h"
#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "engine/render/mute_envelope.h"
#include "plugin/orvane.h"

namespace orvane {

namespace {

constexpr int kNoPin = -1;

bool IsSection(int section) { return section >= 0 && section < static_cast<int>(kAmpSectionCount); }

bool IsPreampStage(int stage) { return stage >= 0 && stage < kPreampStageCount; }

bool IsOversamplingFactor(int factor) { return factor == 1 || factor == 2 || factor == 4 || factor == 8; }

double LinearGain(double gainDb) { return std::pow(10.0, gainDb / 20.0); }

}  // namespace

void Orvane::PostMuteRequest(int fadeOutMs, int holdMs, int fadeInMs) {
  mRenderer.PostMuteRequest(fadeOutMs, holdMs, fadeInMs);
}

void Orvane::PostStandardMute() {
  PostMuteRequest(kStandardMuteFadeOutMs, kStandardMuteHoldMs, kStandardMuteFadeInMs);
}

void Orvane::SetSectionEnabled(int section, bool on) {
  if (!IsSection(section)) return;
  bool changed = false;
  {
    std::lock_guard lock(mDesignMutex);
    bool& flag = mDocument.design.amplifier.sections[static_cast<std::size_t>(section)];
    changed = flag != on;
    flag = on;
  }
  if (changed) PostStandardMute();
  CommitDesign(kNoPin, kNoPin);
  UpdatePresetModified();
}

void Orvane::SetAmplifierEnabled(bool on) {
  // The render thread reads the flag at the start of a block: the mute must
  // already wait there when it sees the new state.
  if (mRenderer.AmpEnabled() != on) {
    PostStandardMute();
    mRenderer.SetAmpEnabled(on);
  }
  std::lock_guard lock(mDesignMutex);
  mDocument.state.amplifierEnabled = on;
}

void Orvane::SetBypassGainDb(int section, double gainDb) {
  if (!IsSection(section) || !std::isfinite(gainDb)) return;
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.amplifier.bypassGainDb[static_cast<std::size_t>(section)] =
        std::clamp(gainDb, kBypassGainMinDb, kBypassGainMaxDb);
  }
  CommitDesign(kNoPin, kNoPin);
  UpdatePresetModified();
}

void Orvane::SetDesignName(const std::string& name) {
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.name = name;
  }
  UpdatePresetModified();
}

void Orvane::SetDesignDescription(const std::string& description) {
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.description = description;
  }
  UpdatePresetModified();
}

void Orvane::SetOversampling(int factor) {
  if (!IsOversamplingFactor(factor)) return;
  {
    std::lock_guard lock(mDesignMutex);
    if (mDocument.state.oversampling == factor) return;
    mDocument.state.oversampling = factor;
  }
  PostStandardMute();
  CommitDesign(kNoPin, kNoPin);
}

void Orvane::SetToneStackPosition(int position) {
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.amplifier.toneStackPosition = std::clamp(position, kToneStackFirst, kToneStackLast);
  }
  CommitDesign(kNoPin, kNoPin);
  UpdatePresetModified();
}

void Orvane::SetDnaByte(int index, std::uint8_t value) {
  if (index < 0 || index >= static_cast<int>(kDnaSize)) return;
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.amplifier.dna[static_cast<std::size_t>(index)] = value;
  }
  CommitDesign(index, kNoPin);
  UpdatePresetModified();
}

template <std::size_t N>
bool Orvane::StoreDnaBytes(std::size_t offset, const std::array<std::uint8_t, N>& bytes) {
  static_assert(N <= kDnaSize);
  std::lock_guard lock(mDesignMutex);
  DnaBytes& dna = mDocument.design.amplifier.dna;
  const auto first = dna.begin() + static_cast<std::ptrdiff_t>(offset);
  if (std::equal(bytes.begin(), bytes.end(), first)) return false;
  std::copy(bytes.begin(), bytes.end(), first);
  return true;
}

void Orvane::PublishDnaGroupEdit() {
  PostStandardMute();
  CommitDesign(kNoPin, kNoPin);
  UpdatePresetModified();
}

void Orvane::CopyPreampStageDna(int dstStage, int srcStage) {
  if (dstStage == srcStage || !IsPreampStage(dstStage) || !IsPreampStage(srcStage)) return;
  std::array<std::uint8_t, kDnaPreampStageSize> source{};
  {
    std::lock_guard lock(mDesignMutex);
    const DnaBytes& dna = mDocument.design.amplifier.dna;
    const auto first = dna.begin() + static_cast<std::ptrdiff_t>(srcStage) * kPreampRowsPerStage;
    std::copy(first, first + static_cast<std::ptrdiff_t>(kDnaPreampStageSize), source.begin());
  }
  if (StoreDnaBytes(static_cast<std::size_t>(dstStage) * kDnaPreampStageSize, source)) PublishDnaGroupEdit();
}

void Orvane::SetPreampStageDna(int stage, const std::array<std::uint8_t, kDnaPreampStageSize>& bytes) {
  if (!IsPreampStage(stage)) return;
  if (StoreDnaBytes(static_cast<std::size_t>(stage) * kDnaPreampStageSize, bytes)) PublishDnaGroupEdit();
}

void Orvane::SetToneStackDna(const std::array<std::uint8_t, kDnaToneStackSize>& bytes) {
  if (StoreDnaBytes(kDnaToneStackOffset, bytes)) PublishDnaGroupEdit();
}

void Orvane::SetPowerAmpDna(const std::array<std::uint8_t, kDnaPowerAmpSize>& bytes) {
  if (StoreDnaBytes(kDnaPowerAmpOffset, bytes)) PublishDnaGroupEdit();
}

void Orvane::SetKnob(int knob, double value) {
  if (knob < 0 || knob >= static_cast<int>(kAmpKnobCount) || !std::isfinite(value)) return;
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.amplifier.knobs[static_cast<std::size_t>(knob)] = std::clamp(value, kKnobMin, kKnobMax);
  }
  CommitDesign(kNoPin, knob);
  UpdatePresetModified();
}

void Orvane::SetTrimGainDb(bool input, double gainDb) {
  if (!std::isfinite(gainDb)) return;
  const double clamped = input ? std::clamp(gainDb, kInputTrimMinDb, kInputTrimMaxDb)
                               : std::clamp(gainDb, kOutputTrimMinDb, kOutputTrimMaxDb);
  {
    std::lock_guard lock(mDesignMutex);
    (input ? mDocument.design.trims.inputGainDb : mDocument.design.trims.outputGainDb) = clamped;
  }
  // The render thread reads the linear gains directly; nothing to commit.
  if (input) {
    mRenderer.SetInputGain(LinearGain(clamped));
  } else {
    mRenderer.SetOutputGain(LinearGain(clamped));
  }
  UpdatePresetModified();
}

void Orvane::SetScriptAndValues(const std::string& script) {
  ClearMidiCCSeenFlags();
  std::vector<double> values;
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.script = script;
    ParsedControlsScript parsed;
    values = mDocument.state.playerControlValues;
    // A script that fails to parse keeps the values for when it is mended.
    if (ParseUserControlsScript(script, parsed)) FitPlayerValuesToScript(parsed, values);
    mDocument.state.playerControlValues = values;
    mDocument.design.playerControlValues = values;
  }
  if (mEditorControl != nullptr) mEditorControl->SetScriptText(script, values);
  CommitDesign(kNoPin, kNoPin);
  UpdatePresetModified();
}

void Orvane::SetPlayerControlValue(int index, double value) {
  const PlayerValueChange change{index, value};
  SetPlayerControlValues({&change, 1});
}

void Orvane::SetPlayerControlValues(std::span<const PlayerValueChange> changes) {
  bool switchChanged = false;
  {
    std::lock_guard lock(mDesignMutex);
    std::vector<double>& values = mDocument.state.playerControlValues;
    ParsedControlsScript parsed;
    const bool parsedOk = ParseUserControlsScript(mDocument.design.script, parsed);
    bool stored = false;
    for (const PlayerValueChange& change : changes) {
      const auto slot = static_cast<std::size_t>(change.index);
      if (!std::isfinite(change.value) || change.index < 0 || slot >= values.size()) continue;
      const ScriptControl* control = parsedOk && slot < parsed.controls.size() ? &parsed.controls[slot] : nullptr;
      if (control != nullptr && control->kind == kScriptSwitch && values[slot] != change.value) switchChanged = true;
      values[slot] = change.value;
      stored = true;
      // The user's value wins over the controller until the controller moves again.
      if (control != nullptr && control->hasMidiCC) mRenderer.ClearMidiCCSeenFlag(control->midiCC);
    }
    if (!stored) return;
    mDocument.design.playerControlValues = values;
  }
  if (switchChanged) PostStandardMute();
  CommitDesign(kNoPin, kNoPin);
  UpdatePresetModified();
}

void Orvane::SetPlayerView(bool playerView) {
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.state.playerView = playerView;
  }
  SaveSettings();
  for (OrvaneLevelMeterControl* meter : {mInputMeter, mOutputMeter})
    if (meter != nullptr) meter->MarkDirty(false);
}

}  // namespace orvane
