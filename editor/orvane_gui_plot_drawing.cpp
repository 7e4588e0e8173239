// The five plots: each drawer gathers its curves, widths and colours from the
// plot state and draws them through DrawPlot; the preamp plots add the stage
// chips that show and hide their curves.

#include <algorithm>
#include <string>

#include "editor/editor_colours.h"
#include "editor/orvane_gui_control.h"
#include "editor/plot_drawing.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;

constexpr float kCurrentStageWidth = 3.8f;
constexpr float kOtherStageWidth = 1.9f;
constexpr float kHighlightedCurveWidth = 3.8f;
constexpr float kCurveWidth = 2.f;

constexpr PlotTitleBox kPreampLinearName{0.4f, 100.f, 1.15f};
constexpr PlotTitleBox kResponseName{0.42f, 115.f, 1.15f};
constexpr PlotTitleBox kTransferName{0.55f, 190.f, 1.15f};

// Stage chips: a block of four in the top strip, centred between the axis
// title and the plot's name.
constexpr float kChipBlockMaxWidth = 96.f;
constexpr float kChipGap = 4.f;
constexpr float kChipInset = 1.5f;
constexpr float kShownChipWidth = 1.75f;
constexpr float kHiddenChipWidth = 0.75f;
constexpr float kChipTextShare = 0.8f;

int LegendOf(PlotKind kind) { return kind == kPlotPreampLinear ? 0 : 1; }

IColor StageColour(int stage) { return PaletteColor(kPaletteFirstStageCurve + static_cast<std::size_t>(stage)); }

}  // namespace

const PlotSeries* OrvaneGUIControl::ShownReference(PlotKind kind) const {
  return mPlotReferenceShown[kind] ? &mPlotReferences[kind] : nullptr;
}

void OrvaneGUIControl::DrawPreampLinearPlot(IGraphics& g, const IRECT& panel, const IText& style) {
  DrawPreampPlot(g, panel, style, kPlotPreampLinear);
}

void OrvaneGUIControl::DrawPreampNonLinearPlot(IGraphics& g, const IRECT& panel, const IText& style) {
  DrawPreampPlot(g, panel, style, kPlotPreampNonLinear);
}

void OrvaneGUIControl::DrawPreampPlot(IGraphics& g, const IRECT& panel, const IText& style, PlotKind kind) {
  const int legend = LegendOf(kind);
  mPreampCurveToggleRects[static_cast<std::size_t>(legend)].fill(IRECT());
  if (!PlotCurvesValid(mPlotData, kind)) return;
  const bool linear = kind == kPlotPreampLinear;
  PlotContent content;
  if (linear) {
    content.family = PlotFamily::kFrequency;
    content.xmin = kPlotLowestFrequency;
    content.xmax = FrequencyAxisMax(mPlotSampleRate);
    content.name = "PREAMP LIN";
    content.nameBox = kPreampLinearName;
  } else {
    content.family = PlotFamily::kTransfer;
    content.xmin = -kPreampInputVolts;
    content.xmax = kPreampInputVolts;
    content.name = "PREAMP NON-LIN";
    content.nameBox = kTransferName;
  }
  // The selected stage comes last, on top of the others.
  const int current = ((mSelectedStage % kPreampStageCount) + kPreampStageCount) % kPreampStageCount;
  for (int offset = 1; offset <= kPreampStageCount; ++offset) {
    const int stage = (current + offset) % kPreampStageCount;
    if (!mPreampCurveVisible[static_cast<std::size_t>(legend)][static_cast<std::size_t>(stage)]) continue;
    const float width = stage == current ? kCurrentStageWidth : kOtherStageWidth;
    if (linear) {
      const FrequencyCurve& curve = mPlotData.PreampResponse(stage);
      content.curves.push_back({curve.frequencies, curve.magnitudes, StageColour(stage), width});
    } else {
      content.curves.push_back({mPlotData.PreampInput(), mPlotData.PreampOutput(stage), StageColour(stage), width});
    }
  }
  content.reference = ShownReference(kind);
  if (const std::optional<IRECT> chipSpace = DrawPlot(g, panel, style, content))
    DrawStageChips(g, *chipSpace, legend, style);
}

void OrvaneGUIControl::DrawStageChips(IGraphics& g, const IRECT& space, int legend, const IText& style) {
  const float left = space.L + kChipGap;
  const float right = space.R - kChipGap;
  const float width = std::min(kChipBlockMaxWidth, right - left);
  const float quarter = width / static_cast<float>(kPreampStageCount);
  if (!(quarter > 2.f * kChipInset)) return;
  const float blockLeft = (left + right - width) / 2.f;
  auto& toggles = mPreampCurveToggleRects[static_cast<std::size_t>(legend)];
  for (int stage = 0; stage < kPreampStageCount; ++stage) {
    const float chipLeft = blockLeft + static_cast<float>(stage) * quarter;
    const IRECT chip(chipLeft + kChipInset, space.T, chipLeft + quarter - kChipInset, space.B);
    const bool shown = mPreampCurveVisible[static_cast<std::size_t>(legend)][static_cast<std::size_t>(stage)];
    g.DrawRect(StageColour(stage), chip, nullptr, shown ? kShownChipWidth : kHiddenChipWidth);
    const std::string label = std::to_string(stage + 1);
    DrawFittedText(g, style, chip, label.c_str(), StageColour(stage), kChipTextShare * style.mSize, EAlign::Center);
    toggles[static_cast<std::size_t>(stage)] = chip;
  }
}

void OrvaneGUIControl::DrawToneStackPlot(IGraphics& g, const IRECT& panel, const IText& style,
                                         std::span<const FrequencyCurve* const> curves,
                                         std::span<const IColor> colours, const char* name, int highlight) {
  DrawResponsePlot(g, panel, style, kPlotToneStack, curves, colours, name, highlight);
}

void OrvaneGUIControl::DrawPowerAmpLinearPlot(IGraphics& g, const IRECT& panel, const IText& style,
                                              std::span<const FrequencyCurve* const> curves,
                                              std::span<const IColor> colours, const char* name, int highlight) {
  DrawResponsePlot(g, panel, style, kPlotPowerAmpLinear, curves, colours, name, highlight);
}

void OrvaneGUIControl::DrawResponsePlot(IGraphics& g, const IRECT& panel, const IText& style, PlotKind kind,
                                        std::span<const FrequencyCurve* const> curves,
                                        std::span<const IColor> colours, const char* name, int highlight) {
  PlotContent content;
  content.xmin = kPlotLowestFrequency;
  content.xmax = FrequencyAxisMax(mPlotSampleRate);
  content.name = name ? name : "";
  content.nameBox = kResponseName;
  const std::size_t count = std::min(curves.size(), colours.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (!curves[i]) continue;
    const float width = static_cast<int>(i) == highlight ? kHighlightedCurveWidth : kCurveWidth;
    content.curves.push_back({curves[i]->frequencies, curves[i]->magnitudes, colours[i], width});
  }
  content.reference = ShownReference(kind);
  DrawPlot(g, panel, style, content);
}

void OrvaneGUIControl::DrawPowerAmpNonLinearPlot(IGraphics& g, const IRECT& panel, const IText& style) {
  if (!PlotCurvesValid(mPlotData, kPlotPowerAmpNonLinear)) return;
  PlotContent content;
  content.family = PlotFamily::kTransfer;
  content.xmin = mPlotData.PowerInputMin();
  content.xmax = mPlotData.PowerInputMax();
  content.name = "POWER AMP NON-LIN";
  content.nameBox = kTransferName;
  content.curves.push_back(
      {mPlotData.PowerInput(), mPlotData.PowerOutput(), PaletteColor(kPalettePlotCurve), kCurveWidth});
  content.reference = ShownReference(kPlotPowerAmpNonLinear);
  DrawPlot(g, panel, style, content);
}

}  // namespace orvane
