// The main panel's right column: the five plot toggles and the visible plots
// stacked in their fixed order, each drawn from a layer kept between frames.
// A layer is redrawn only when its plot's curves or reference changed (it was
// invalidated), its rectangle moved, or it was drawn in the other theme: the
// theme is process-wide, so another editor may have switched it.

#include <algorithm>
#include <array>

#include "editor/editor_colours.h"
#include "editor/main_panel_layout.h"
#include "editor/orvane_gui_control.h"
#include "graphics/graphics_context.h"
#include "plugin/theme_palette.h"

namespace orvane {

namespace {

constexpr std::array<const char*, kPlotKindCount> kToggleLabels{"PRE LIN", "PRE NON-LIN", "TONE", "PWR LIN",
                                                                "PWR NON-LIN"};
constexpr std::size_t kPaletteToggleOff = 14;
constexpr std::size_t kPaletteToggleOn = 15;
constexpr float kToggleLineWidth = 1.f;
constexpr char kNoPlotsText[] = "(All plots are hidden)";
constexpr float kPlotOutlineWidth = 0.8f;

// The tone stack's four responses (tone knobs 0, 100, 50 and the current
// ones), the current one emphasised; the power amp's one response.
constexpr std::size_t kToneStackCurves = 4;
constexpr std::size_t kPaletteCurrentToneStack = 17;
constexpr std::array<std::size_t, kToneStackCurves> kToneStackColours{kPalettePlotCurve, kPalettePlotCurve,
                                                                      kPalettePlotCurve, kPaletteCurrentToneStack};
constexpr int kCurrentToneStackCurve = 3;
constexpr int kNoHighlight = -1;

// What a frequency plot shows while its curves are not computed.
constexpr char kPlaceholderText[] = "REFERENCE  /  LOAD VECTOR";
constexpr float kPlaceholderInset = 12.f;
constexpr float kPlaceholderLineWidth = 0.55f;
constexpr float kPlaceholderTextTop = 4.f;
constexpr float kPlaceholderTextRight = 8.f;
constexpr float kPlaceholderTextBottom = 20.f;

void DrawCurvePlaceholder(IGraphics& g, const IRECT& r, const IText& smallStyle) {
  const float middle = (r.T + r.B) / 2.f;
  g.DrawLine(PaletteColor(kPaletteSecondaryText), r.L + kPlaceholderInset, middle, r.R - kPlaceholderInset, middle,
             nullptr, kPlaceholderLineWidth);
  g.DrawTextIfNotEmpty(smallStyle, kPlaceholderText,
                       IRECT(r.L + kPlaceholderInset, r.T + kPlaceholderTextTop, r.R - kPlaceholderTextRight,
                             r.T + kPlaceholderTextBottom));
}

}  // namespace

void OrvaneGUIControl::DrawPlotColumn(IGraphics& g, const MainPanelLayout& layout, const IText& titleStyle,
                                      const IText& smallStyle) {
  const auto validShown = [&](PlotKind kind) { return mPlotVisible[kind] && PlotCurvesValid(mPlotData, kind); };
  mLegendShown = validShown(kPlotPreampLinear) || validShown(kPlotPreampNonLinear);
  mPlotRects.fill(IRECT());
  // A chip of a plot that draws none must not catch clicks, even while the
  // other preamp plot's legend is shown.
  for (const PlotKind kind : {kPlotPreampLinear, kPlotPreampNonLinear})
    if (!validShown(kind)) mPreampCurveToggleRects[kind == kPlotPreampLinear ? 0 : 1].fill(IRECT());

  const float pw = layout.pw;
  int shown = 0;
  for (int k = 0; k < kPlotKindCount; ++k) {
    const auto kind = static_cast<std::size_t>(k);
    const float left = layout.px0 + static_cast<float>(k) * pw / kPlotKindCount;
    const IRECT toggle(left, layout.top, layout.px0 + static_cast<float>(k + 1) * pw / kPlotKindCount,
                       layout.top + layout.toggleHeight);
    mPlotButtonRects[kind] = toggle;
    g.FillRect(PaletteColor(mPlotVisible[kind] ? kPaletteToggleOn : kPaletteToggleOff), toggle);
    g.DrawRect(PaletteColor(kPaletteOutline), toggle, nullptr, kToggleLineWidth);
    g.DrawTextIfNotEmpty(titleStyle, kToggleLabels[kind], toggle);
    if (mPlotVisible[kind]) ++shown;
  }

  const IRECT column(layout.px0, layout.py0, layout.px0 + pw, layout.bottom);
  if (shown == 0) {
    g.FillRect(PaletteColor(kPalettePanel), column);
    g.DrawTextIfNotEmpty(Recoloured(titleStyle, kPaletteSecondaryText), kNoPlotsText, column);
    return;
  }
  const float height = std::max(column.H(), 0.f);
  const bool dark = ThemePalette.IsDark();
  int place = 0;
  for (int k = 0; k < kPlotKindCount; ++k) {
    const auto kind = static_cast<PlotKind>(k);
    if (!mPlotVisible[kind]) continue;
    const IRECT r(column.L, column.T + height * static_cast<float>(place) / static_cast<float>(shown), column.R,
                  column.T + height * static_cast<float>(place + 1) / static_cast<float>(shown));
    ++place;
    mPlotRects[kind] = r;
    if (r != mPlotLayerRects[kind]) {
      mPlotLayerRects[kind] = r;
      InvalidatePlotLayer(kind, false);
    }
    ILayerPtr& layer = mPlotLayers[kind];
    if (layer && mPlotLayerDarkTheme[kind] != dark) layer->SetInvalid(true);
    if (!g.CheckLayer(layer)) {
      g.StartLayer(this, r);
      g.FillRect(PaletteColor(kPalettePanel), r);
      g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kPlotOutlineWidth);
      DrawPlotContent(g, kind, r, titleStyle, smallStyle);
      layer = g.EndLayer();
      mPlotLayerDarkTheme[kind] = dark;
    }
    g.DrawLayer(layer);
  }
}

void OrvaneGUIControl::DrawPlotContent(IGraphics& g, PlotKind kind, const IRECT& r, const IText& titleStyle,
                                       const IText& smallStyle) {
  switch (kind) {
    case kPlotPreampLinear: DrawPreampLinearPlot(g, r, titleStyle); return;
    case kPlotPreampNonLinear: DrawPreampNonLinearPlot(g, r, titleStyle); return;
    case kPlotPowerAmpNonLinear: DrawPowerAmpNonLinearPlot(g, r, titleStyle); return;
    case kPlotToneStack:
    case kPlotPowerAmpLinear: break;
  }
  if (!PlotCurvesValid(mPlotData, kind)) {
    DrawCurvePlaceholder(g, r, smallStyle);
  } else if (kind == kPlotToneStack) {
    std::array<const FrequencyCurve*, kToneStackCurves> curves{};
    std::array<IColor, kToneStackCurves> colours{};
    for (std::size_t i = 0; i < kToneStackCurves; ++i) {
      curves[i] = &mPlotData.ToneStackResponse(static_cast<int>(i));
      colours[i] = PaletteColor(kToneStackColours[i]);
    }
    DrawToneStackPlot(g, r, titleStyle, curves, colours, "TONE STACK", kCurrentToneStackCurve);
  } else {
    const std::array<const FrequencyCurve*, 1> curves{&mPlotData.PowerResponse()};
    const std::array<IColor, 1> colours{PaletteColor(kPalettePlotCurve)};
    DrawPowerAmpLinearPlot(g, r, titleStyle, curves, colours, "POWER AMP LIN", kNoHighlight);
  }
}

}  // namespace orvane
