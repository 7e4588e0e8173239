#include "editor/orvane_gui_control.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "design/player_controls.h"
#include "plugin/state/plugin_state.h"
#include "plugin/theme_palette.h"

namespace orvane {

namespace {

// Which plots each edited value feeds.
enum EditorPlot : int {
  kPlotPreampResponse = 0,
  kPlotToneStack = 1,
  kPlotPowerAmpResponse = 2,
  kPlotPreampTransfer = 3,
  kPlotPowerAmpTransfer = 4,
};

constexpr std::size_t kPreampDnaEnd = 44;
constexpr std::size_t kToneStackDnaEnd = 60;
constexpr std::size_t kPowerAmpDnaStart = 60;
constexpr std::size_t kPowerAmpTransferDnaEnd = 67;  // 60..66 shape the transfer curve
constexpr std::size_t kPreampStageBytes = 11;
constexpr std::uint64_t kMidiCounterUnit = 0x100;
constexpr std::uint64_t kMidiValueMask = 0x7F;

}  // namespace

OrvaneGUIControl::OrvaneGUIControl(
    const IRECT& bounds, std::string designName, std::string designDescription, VoidFunc openDesign,
    VoidFunc saveDesign, VoidFunc saveDesignAs, BoolFunc playerViewChanged, BoolFunc amplifierEnabledChanged,
    IndexBoolFunc sectionEnabledChanged, IntFunc toneStackPositionChanged, IndexValueFunc sectionTrimChanged,
    IntFunc oversamplingChanged, DnaByteFunc dnaByteChanged, StageCopyFunc copyPreampStage,
    PreampStageDnaFunc preampStageDnaChanged, ToneStackDnaFunc toneStackDnaChanged,
    PowerAmpDnaFunc powerAmpDnaChanged, IndexValueFunc knobChanged, GainFunc gainChanged, const DnaBytes& dna,
    const AmpKnobs& knobs, int oversampling, std::string script, std::vector<double> playerValues,
    TextFunc scriptChanged, IndexValueFunc playerControlChanged, MidiCcStateFunc midiCcState,
    SampleRateFunc sampleRate, TextFunc designNameChanged, TextFunc designDescriptionChanged,
    VoidFunc previousPreset, VoidFunc nextPreset, IntFunc selectPreset, VoidFunc showFactoryPresets,
    VoidFunc showUserPresets, VoidFunc newDesign, bool playerView, double inputGainDb, double outputGainDb)
    : IControl(bounds),
      mDesignName(std::move(designName)),
      mDesignDescription(std::move(designDescription)),
      onDesignNameChanged(std::move(designNameChanged)),
      onDesignDescriptionChanged(std::move(designDescriptionChanged)),
      onPreviousPreset(std::move(previousPreset)),
      onNextPreset(std::move(nextPreset)),
      onSelectPreset(std::move(selectPreset)),
      onShowFactoryPresets(std::move(showFactoryPresets)),
      onShowUserPresets(std::move(showUserPresets)),
      onNewDesign(std::move(newDesign)),
      onOpenDesign(std::move(openDesign)),
      onSaveDesign(std::move(saveDesign)),
      onSaveDesignAs(std::move(saveDesignAs)),
      onPlayerViewChanged(std::move(playerViewChanged)),
      onAmplifierEnabledChanged(std::move(amplifierEnabledChanged)),
      onSectionEnabledChanged(std::move(sectionEnabledChanged)),
      onToneStackPositionChanged(std::move(toneStackPositionChanged)),
      onSectionTrimChanged(std::move(sectionTrimChanged)),
      onOversamplingChanged(std::move(oversamplingChanged)),
      onDnaByteChanged(std::move(dnaByteChanged)),
      onCopyPreampStage(std::move(copyPreampStage)),
      onPreampStageDnaChanged(std::move(preampStageDnaChanged)),
      onToneStackDnaChanged(std::move(toneStackDnaChanged)),
      onPowerAmpDnaChanged(std::move(powerAmpDnaChanged)),
      onKnobChanged(std::move(knobChanged)),
      onGainChanged(std::move(gainChanged)),
      onScriptChanged(std::move(scriptChanged)),
      onPlayerControlChanged(std::move(playerControlChanged)),
      getMidiCcState(std::move(midiCcState)),
      getSampleRate(std::move(sampleRate)),
      mScriptText(std::move(script)) {
  mEffectiveDna = dna;
  mDesignDna = dna;
  mEffectiveKnobs = knobs;
  mDesignKnobs = knobs;
  mOversampling = oversampling;
  mInputGainDb = inputGainDb;
  mOutputGainDb = outputGainDb;
  mPlayerView = playerView;
  mViewAnimation = playerView ? 0.f : 1.f;
  mThemeAnimation = ThemePalette.IsDark() ? 1.f : 0.f;
  const std::string initialScript = mScriptText;
  SetScriptText(initialScript, playerValues);
  SetIgnoreMouse(false);
}

void OrvaneGUIControl::SetPresetBrowserState(bool factoryShown, bool activeIsFactory, int activeIndexFrom1,
                                             int entryCount, bool modified, bool folderExists,
                                             std::string presetLabel, std::vector<std::string> entryNames) {
  mFactoryPresetsShown = factoryShown;
  mActivePresetIsFactory = activeIsFactory;
  mActivePresetIndex = activeIndexFrom1;
  mPresetCount = entryCount;
  mPresetModified = modified;
  mPresetFolderExists = folderExists;
  mActivePresetName = std::move(presetLabel);
  mPresetNames = std::move(entryNames);
  MarkDirty(false);
}

void OrvaneGUIControl::SetScriptText(const std::string& script, const std::vector<double>& playerValues) {
  if (&script != &mScriptText) mScriptText = script;
  mScriptCaret = std::min<std::uint64_t>(mScriptCaret, mScriptText.size());
  ParseUserControlsScript(mScriptText, mParsedScript);
  if (&playerValues != &mPlayerValues) mPlayerValues = playerValues;
  if (mParsedScript.error.empty()) FitPlayerValuesToScript(mParsedScript, mPlayerValues);
  RefreshEffectiveAmp();
  MarkDirty(false);
}

void OrvaneGUIControl::RefreshEffectiveAmp() {
  const DnaBytes oldDna = mEffectiveDna;
  const AmpKnobs oldKnobs = mEffectiveKnobs;
  mEffectiveDna = mDesignDna;
  mEffectiveKnobs = mDesignKnobs;
  mEffectiveSections = mDesignSections;
  mDnaMapped.fill(false);
  mKnobMapped.fill(false);
  if (mParsedScript.error.empty()) {
    for (const ScriptControl& control : mParsedScript.controls) {
      for (const ScriptMapping& mapping : control.mappings) {
        const auto index = static_cast<std::size_t>(mapping.targetIndex);
        if (mapping.targetKind == kTargetDna && index < kDnaSize) mDnaMapped[index] = true;
        if (mapping.targetKind == kTargetKnob && index < kAmpKnobCount) mKnobMapped[index] = true;
      }
    }
    EngineSettings mapped;
    if (ApplyPlayerControlValues(mParsedScript, mPlayerValues, mDesignDna, mDesignKnobs, mDesignSections, mapped)) {
      mEffectiveDna = mapped.dna;
      mEffectiveKnobs = mapped.knobs;
      mEffectiveSections = mapped.sections;
    }
  }
  RaisePlotFlagsOfChanges(oldDna, oldKnobs);
}

void OrvaneGUIControl::RaisePlotFlagsOfChanges(const DnaBytes& oldDna, const AmpKnobs& oldKnobs) {
  for (std::size_t index = 0; index < kDnaSize; ++index) {
    if (oldDna[index] == mEffectiveDna[index]) continue;
    if (index < kPreampDnaEnd) {
      const std::size_t offset = index % kPreampStageBytes;
      if (offset <= 3 || offset == 9) mPlotDirty[kPlotPreampResponse] = true;
      if (offset >= 3 && offset <= 8) mPlotDirty[kPlotPreampTransfer] = true;
    } else if (index < kToneStackDnaEnd) {
      mPlotDirty[kPlotToneStack] = true;
    } else {
      if (index == kPowerAmpDnaStart || index >= kPowerAmpTransferDnaEnd) mPlotDirty[kPlotPowerAmpResponse] = true;
      if (index < kPowerAmpTransferDnaEnd) mPlotDirty[kPlotPowerAmpTransfer] = true;
    }
  }
  const auto changed = [&](AmpKnob knob) { return oldKnobs[knob] != mEffectiveKnobs[knob]; };
  if (changed(kKnobBass) || changed(kKnobMid) || changed(kKnobTreble)) mPlotDirty[kPlotToneStack] = true;
  if (changed(kKnobResonance) || changed(kKnobPresence)) mPlotDirty[kPlotPowerAmpResponse] = true;
}

void OrvaneGUIControl::UpdatePlots() {
  ApplyMidiCCToPlayerControls();
  if (getSampleRate) {
    const double rate = getSampleRate();
    if (std::isfinite(rate) && rate > 0.0 && rate != mLastSampleRate) {
      mLastSampleRate = rate;
      mPlotSampleRate = rate;
      mPlotDirty[kPlotPreampResponse] = true;
      mPlotDirty[kPlotToneStack] = true;
      mPlotDirty[kPlotPowerAmpResponse] = true;
    }
  }
}

void OrvaneGUIControl::ApplyMidiCCToPlayerControls() {
  if (!getMidiCcState || !mParsedScript.error.empty()) return;
  bool anyChanged = false;
  for (int cc = 0; cc < kMidiCCCount; ++cc) {
    const std::uint64_t state = getMidiCcState(cc);
    const std::uint64_t counter = state / kMidiCounterUnit;
    auto& lastCounter = mLastMidiCounters[static_cast<std::size_t>(cc)];
    if (state < kMidiCounterUnit || counter == lastCounter) continue;
    lastCounter = counter;
    const int value = static_cast<int>(state & kMidiValueMask);
    for (std::size_t i = 0; i < mParsedScript.controls.size() && i < mPlayerValues.size(); ++i) {
      const ScriptControl& control = mParsedScript.controls[i];
      if (!control.hasMidiCC || control.midiCC != cc) continue;
      const double playerValue = PlayerValueFromMidi(control, value);
      if (playerValue == mPlayerValues[i]) continue;
      mPlayerValues[i] = playerValue;
      anyChanged = true;
      if (onPlayerControlChanged) onPlayerControlChanged(static_cast<int>(i), playerValue);
    }
  }
  if (anyChanged) {
    RefreshEffectiveAmp();
    MarkDirty(false);
  }
}

}  // namespace orvane
