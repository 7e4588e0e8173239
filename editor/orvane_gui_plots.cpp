// The idle tick: controllers, the eased animations, the host rate and the
// plots recomputed one at a time.

#include <algorithm>
#include <cmath>

#include "editor/orvane_gui_control.h"
#include "plugin/theme_palette.h"

namespace orvane {

namespace {

constexpr float kAnimationStepMax = 0.14f;
constexpr float kAnimationSnapDistance = 0.002f;

// The frequency responses take the knobs and the plot rate; the transfer
// curves follow from the DNA alone.
bool UsesKnobsAndRate(PlotKind kind) {
  return kind == kPlotPreampLinear || kind == kPlotToneStack || kind == kPlotPowerAmpLinear;
}

}  // namespace

void OrvaneGUIControl::UpdatePlots() {
  ApplyMidiCCToPlayerControls();
  EaseAnimation(mThemeAnimation, ThemePalette.IsDark() ? kSwitchOn : kSwitchOff);
  EaseAnimation(mViewAnimation, mPlayerView ? kSwitchOff : kSwitchOn);
  EaseAnimation(mAmplifierAnimation, mAmplifierEnabled ? kSwitchOn : kSwitchOff);
  FollowSampleRate();
  // The PLAY view shows no plot: nothing is computed until the EDIT view.
  if (mPlayerView) return;
  RecomputeNextDirtyPlot();
}

void OrvaneGUIControl::EaseAnimation(float& value, float target) {
  const float distance = target - value;
  if (std::fabs(distance) > kAnimationSnapDistance) {
    value += std::clamp(distance, -kAnimationStepMax, kAnimationStepMax);
    MarkDirty(false);
  } else {
    value = target;
  }
}

void OrvaneGUIControl::FollowSampleRate() {
  const double rate = getSampleRate ? getSampleRate() : mPlotSampleRate;
  if (!std::isfinite(rate) || rate <= 0.0 || rate == mPlotSampleRate) return;
  mPlotSampleRate = rate;
  mLastSampleRate = rate;
  mPlotData.SetSampleRate(rate);
  RaisePlotFlag(kEditorPlotPreampLinear);
  RaisePlotFlag(kEditorPlotToneStack);
  RaisePlotFlag(kEditorPlotPowerAmpLinear);
}

void OrvaneGUIControl::RecomputeNextDirtyPlot() {
  const int start = ((mNextPlot % kPlotKindCount) + kPlotKindCount) % kPlotKindCount;
  for (int step = 0; step < kPlotKindCount; ++step) {
    const auto kind = static_cast<PlotKind>((start + step) % kPlotKindCount);
    if (!mPlotVisible[kind] || !IsPlotDirty(kind)) continue;
    ComputePlot(kind);
    mNextPlot = (kind + 1) % kPlotKindCount;
    // The new curves must reach the screen without waiting for another change.
    InvalidatePlotLayer(kind);
    return;
  }
}

void OrvaneGUIControl::ComputePlot(PlotKind kind) {
  mPlotDirty[EditorPlotOf(kind)] = false;
  mPlotData.SetDna(mEffectiveDna);
  if (UsesKnobsAndRate(kind)) {
    mPlotData.SetKnobs(mEffectiveKnobs);
    mPlotData.SetSampleRate(mPlotSampleRate);
  }
  switch (kind) {
    case kPlotPreampLinear: mPlotData.ComputePreampLinear(); break;
    case kPlotPreampNonLinear: mPlotData.ComputePreampNonLinear(); break;
    case kPlotToneStack: mPlotData.ComputeToneStack(); break;
    case kPlotPowerAmpLinear: mPlotData.ComputePowerAmpLinear(); break;
    case kPlotPowerAmpNonLinear: mPlotData.ComputePowerAmpNonLinear(); break;
  }
}

void OrvaneGUIControl::InvalidatePlotLayer(int plot, bool markDirty) {
  if (!IsPlotKind(plot)) return;
  if (const ILayerPtr& layer = mPlotLayers[static_cast<std::size_t>(plot)]) layer->SetInvalid(true);
  if (markDirty) MarkDirty(false);
}

}  // namespace orvane
