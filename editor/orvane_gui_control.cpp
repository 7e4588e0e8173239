#include "editor/orvane_gui_control.h"

#include <algorithm>
#include <utility>

#include "common/utf8_text.h"
#include "design/player_controls.h"
#include "plugin/state/plugin_state.h"
#include "plugin/theme_palette.h"

namespace orvane {

namespace {

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
      mScriptText(std::move(script)),
      mEffectiveDna(dna),
      mEffectiveKnobs(knobs),
      mDesignDna(dna),
      mDesignKnobs(knobs),
      mOversampling(oversampling),
      mInputGainDb(inputGainDb),
      mOutputGainDb(outputGainDb),
      mPlayerView(playerView),
      mThemeAnimation(ThemePalette.IsDark() ? kSwitchOn : kSwitchOff),
      mViewAnimation(playerView ? kSwitchOff : kSwitchOn) {
  mPlayerValues = std::move(playerValues);
  SetScriptText(mScriptText, mPlayerValues);
  SetIgnoreMouse(false);
  // The second click of a quick pair is a click like the first: two quick
  // presses on ">" move two presets.
  SetMouseDblAsSingleClick(true);
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
  mScriptCaret = plugkit::Utf8CharacterStart(mScriptText, mScriptCaret);
  // Rows of the old text: whoever needs rows next wraps the new one.
  mScriptRows.clear();
  ParseUserControlsScript(mScriptText, mParsedScript);
  if (&playerValues != &mPlayerValues) mPlayerValues = playerValues;
  if (mParsedScript.error.empty()) FitPlayerValuesToScript(mParsedScript, mPlayerValues);
  // The rows of the last frame show the old controls: a click, drag or wheel
  // on them before the next frame must not reach the new ones.
  mPlayerRowRects.clear();
  mPlayerTrackRects.clear();
  mPlayerRowControls.clear();
  mDragPlayerControl = kNoDrag;
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
  constexpr std::size_t kPreampDnaEnd = kPreampStageCount * kPreampRowsPerStage;
  for (std::size_t index = 0; index < kDnaSize; ++index) {
    if (oldDna[index] == mEffectiveDna[index]) continue;
    if (index < kPreampDnaEnd) {
      const auto row = static_cast<int>(index % kPreampRowsPerStage);
      // The tube gain shapes both the response and the transfer curve.
      if (row <= kPreampTubeGain || row == kPreampTubeBandwidth) RaisePlotFlag(kEditorPlotPreampLinear);
      if (row >= kPreampTubeGain && row <= kPreampTubeSatSharpness) RaisePlotFlag(kEditorPlotPreampNonLinear);
    } else if (index < kDnaPowerGain) {
      RaisePlotFlag(kEditorPlotToneStack);
    } else {
      // The power gain feeds both power-amp plots, the rails and crossover
      // only the transfer curve, the filters only the response.
      if (index == kDnaPowerGain || index >= kDnaPowerAcCoupling) RaisePlotFlag(kEditorPlotPowerAmpLinear);
      if (index < kDnaPowerAcCoupling) RaisePlotFlag(kEditorPlotPowerAmpNonLinear);
    }
  }
  const auto changed = [&](AmpKnob knob) { return oldKnobs[knob] != mEffectiveKnobs[knob]; };
  if (changed(kKnobBass) || changed(kKnobMid) || changed(kKnobTreble)) RaisePlotFlag(kEditorPlotToneStack);
  if (changed(kKnobResonance) || changed(kKnobPresence)) RaisePlotFlag(kEditorPlotPowerAmpLinear);
}

void OrvaneGUIControl::ApplyMidiCCToPlayerControls() {
  if (!getMidiCcState || !mParsedScript.error.empty()) return;
  std::vector<PlayerValueChange> changes;
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
      changes.push_back({static_cast<int>(i), playerValue});
    }
  }
  if (changes.empty()) return;
  if (onPlayerControlsChanged) onPlayerControlsChanged(changes);
  RefreshEffectiveAmp();
  MarkDirty(false);
}

}  // namespace orvane
