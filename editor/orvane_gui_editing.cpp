// The editing operations that the pointer, the keyboard and the menus share.

#include <algorithm>
#include <cmath>
#include <optional>

#include "design/design.h"
#include "design/player_controls.h"
#include "editor/orvane_gui_control.h"

namespace orvane {

namespace {

constexpr double kPercentMax = 100.0;
constexpr double kByteMax = 255.0;

// Where x lies along a track, 0 at its left edge and 1 at its right edge or
// beyond; none for a track without width or a position that is no number.
std::optional<double> TrackFraction(const IRECT& track, float x) {
  const double width = static_cast<double>(track.R) - track.L;
  if (!(width > 0.0) || !std::isfinite(x)) return std::nullopt;
  return std::clamp((static_cast<double>(x) - track.L) / width, 0.0, 1.0);
}

template <typename T>
bool IndexIn(const std::vector<T>& list, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

}  // namespace

std::uint8_t DnaByteFromPercent(double percent) {
  if (std::isnan(percent)) return 0;
  // Multiplied before dividing, so 90 % is exactly 229.5 and rounds to 230.
  return static_cast<std::uint8_t>(std::round(std::clamp(percent, 0.0, kPercentMax) * kByteMax / kPercentMax));
}

void OrvaneGUIControl::SetGainFromEditor(bool input, double gainDb) {
  if (!std::isfinite(gainDb)) return;
  double& stored = input ? mInputGainDb : mOutputGainDb;
  const double clamped = input ? std::clamp(gainDb, kInputTrimMinDb, kInputTrimMaxDb)
                               : std::clamp(gainDb, kOutputTrimMinDb, kOutputTrimMaxDb);
  if (clamped == stored) return;
  stored = clamped;
  if (onGainChanged) onGainChanged(input, clamped);
  MarkDirty(false);
}

void OrvaneGUIControl::SetTrimFromEditor(int section, double gainDb) {
  if (section < 0 || static_cast<std::size_t>(section) >= kAmpSectionCount || !std::isfinite(gainDb)) return;
  double& stored = mBypassGainDb[static_cast<std::size_t>(section)];
  const double clamped = std::clamp(gainDb, kBypassGainMinDb, kBypassGainMaxDb);
  if (clamped == stored) return;
  stored = clamped;
  if (onSectionTrimChanged) onSectionTrimChanged(section, clamped);
  MarkDirty(false);
}

void OrvaneGUIControl::SetKnobValue(int knob, double value) {
  if (knob < 0 || static_cast<std::size_t>(knob) >= kAmpKnobCount || !std::isfinite(value)) return;
  const auto slot = static_cast<std::size_t>(knob);
  const double clamped = std::clamp(value, kKnobMin, kKnobMax);
  if (clamped == mEffectiveKnobs[slot]) return;
  const DnaBytes oldDna = mEffectiveDna;
  const AmpKnobs oldKnobs = mEffectiveKnobs;
  mDesignKnobs[slot] = clamped;
  RefreshEffectiveAmp();
  // Shown at once, even where a mapping decides the value the audio runs.
  mEffectiveKnobs[slot] = clamped;
  RaisePlotFlagsOfChanges(oldDna, oldKnobs);
  if (onKnobChanged) onKnobChanged(knob, clamped);
  MarkDirty(false);
}

void OrvaneGUIControl::SetKnobFromPosition(int knob, float x) {
  if (knob < 0 || static_cast<std::size_t>(knob) >= kAmpKnobCount || !IndexIn(mKnobTrackRects, knob)) return;
  const std::optional<double> t = TrackFraction(mKnobTrackRects[static_cast<std::size_t>(knob)], x);
  if (t) SetKnobValue(knob, kKnobMax * *t);
}

int OrvaneGUIControl::DnaIndexOfRow(int row) const {
  constexpr std::uint32_t kPreampDnaEnd = kPreampStageCount * kPreampRowsPerStage;
  if (!IndexIn(mDnaRowIndexes, row)) return -1;
  const std::uint32_t index = mDnaRowIndexes[static_cast<std::size_t>(row)];
  if (index >= kDnaSize) return -1;
  if (index >= kPreampDnaEnd) return static_cast<int>(index);
  if (mSelectedStage < 0 || mSelectedStage >= kPreampStageCount) return -1;
  return PreampDnaIndex(mSelectedStage, static_cast<PreampRow>(index % kPreampRowsPerStage));
}

void OrvaneGUIControl::SetDnaRowPercent(int row, double percent) {
  const int index = DnaIndexOfRow(row);
  if (index < 0 || std::isnan(percent)) return;
  SetDesignDnaByte(static_cast<std::size_t>(index), DnaByteFromPercent(percent));
}

void OrvaneGUIControl::SetDnaRowFromPosition(int row, float x) {
  if (!IndexIn(mDnaRowRects, row)) return;
  const std::optional<double> t = TrackFraction(mDnaRowRects[static_cast<std::size_t>(row)], x);
  if (t) SetDnaRowPercent(row, kPercentMax * *t);
}

void OrvaneGUIControl::SetDesignDnaByte(std::size_t index, std::uint8_t byte) {
  if (byte == mEffectiveDna[index]) return;
  const DnaBytes oldDna = mEffectiveDna;
  const AmpKnobs oldKnobs = mEffectiveKnobs;
  mDesignDna[index] = byte;
  RefreshEffectiveAmp();
  // Shown at once, even where a mapping decides the byte the audio runs.
  mEffectiveDna[index] = byte;
  RaisePlotFlagsOfChanges(oldDna, oldKnobs);
  if (onDnaByteChanged) onDnaByteChanged(static_cast<int>(index), byte);
  MarkDirty(false);
}

void OrvaneGUIControl::SetPlayerControlValue(int control, double value) {
  // After a failed parse the values stay while the controls are gone.
  if (!IndexIn(mParsedScript.controls, control) || !IndexIn(mPlayerValues, control) || std::isnan(value)) return;
  const auto slot = static_cast<std::size_t>(control);
  const ScriptControl& script = mParsedScript.controls[slot];
  const double highest = script.kind == kScriptSwitch ? std::max(script.positionCount - 1, 0) : kSliderMaxValue;
  const double fitted = std::clamp(std::round(value), kSliderMinValue, highest);
  if (fitted == mPlayerValues[slot]) return;
  mPlayerValues[slot] = fitted;
  if (onPlayerControlChanged) onPlayerControlChanged(control, fitted);
  RefreshEffectiveAmp();
  MarkDirty(false);
}

void OrvaneGUIControl::SetPlayerControlFromPosition(int row, float x) {
  if (!IndexIn(mPlayerRowControls, row) || !IndexIn(mPlayerTrackRects, row)) return;
  const int control = mPlayerRowControls[static_cast<std::size_t>(row)];
  if (!IndexIn(mParsedScript.controls, control) || !IndexIn(mPlayerValues, control)) return;
  const std::optional<double> t = TrackFraction(mPlayerTrackRects[static_cast<std::size_t>(row)], x);
  if (!t) return;
  const ScriptControl& script = mParsedScript.controls[static_cast<std::size_t>(control)];
  double value = *t;
  if (script.kind == kScriptSlider) {
    value = kSliderMaxValue * *t;
  } else if (script.positionCount >= 2) {
    const double positions = script.positionCount;
    value = std::min(std::floor(*t * positions), positions - 1.0);
  }
  SetPlayerControlValue(control, value);
}

void OrvaneGUIControl::ScrollPlayerControls(int rows) {
  const auto controls = static_cast<std::int64_t>(mParsedScript.controls.size());
  const auto visible = std::max<std::int64_t>(1, static_cast<std::int64_t>(mPlayerRowRects.size()));
  const std::int64_t range = std::max<std::int64_t>(0, controls - visible);
  const auto offset = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      static_cast<std::int64_t>(mPlayerScrollOffset) + rows, 0, range));
  if (offset == mPlayerScrollOffset) return;
  mPlayerScrollOffset = offset;
  MarkDirty(false);
}

void OrvaneGUIControl::ClonePreampStage(int destinationStage, int sourceStage) {
  const auto isStage = [](int stage) { return stage >= 0 && stage < kPreampStageCount; };
  if (!isStage(destinationStage) || !isStage(sourceStage) || destinationStage == sourceStage) return;
  std::array<std::uint8_t, kPreampRowsPerStage> source{};
  std::copy_n(mDesignDna.begin() + PreampDnaIndex(sourceStage, kPreampAcCoupling), source.size(), source.begin());
  if (!WriteDesignDna(static_cast<std::size_t>(PreampDnaIndex(destinationStage, kPreampAcCoupling)), source)) return;
  if (onCopyPreampStage) onCopyPreampStage(destinationStage, sourceStage);
  MarkDirty(false);
}

}  // namespace orvane
