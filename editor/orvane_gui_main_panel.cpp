// The EDIT view's main panel: the layout of its three columns, the DNA and
// knob editors on the left, then the script, the player controls and the
// plots. Drawing records every hit rectangle the pointer input tests.

#include <algorithm>
#include <array>

#include "editor/editor_colours.h"
#include "editor/editor_scale.h"
#include "editor/main_panel_layout.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_gui_control.h"
#include "engine/dna_table.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;

// Layout shares of the editor's width and of the margin.
constexpr float kTopMarginShare = 0.55f;  // of the margin, also between the columns
constexpr float kLeftColumnShare = 0.335f;
constexpr float kScriptColumnShare = 0.285f;
constexpr float kScriptPanelShare = 0.64f;  // of the available height
// The plot column's width leaves out the two gaps between the columns and
// the editor's two margins.
constexpr float kPlotColumnMargins = 2.f * kTopMarginShare + 2.f;
constexpr float kToggleHeightShare = 0.65f;
constexpr float kToggleAvailShare = 0.042f;
constexpr float kToggleLeastHeight = 23.f;
constexpr float kPlotsTopMarginShare = kTopMarginShare * kTopMarginShare;

// The left column: rows per panel, the panels' extra heights, and where rows
// start inside them.
constexpr int kPreampRows = kPreampRowsPerStage;
constexpr int kToneStackRows = kDnaPowerGain - kDnaToneHpfFreqMin;
constexpr int kPowerAmpRows = static_cast<int>(kDnaSize) - kDnaPowerGain;
constexpr int kKnobRows = static_cast<int>(kAmpKnobCount);
constexpr float kPreampPanelExtra = 29.f;
constexpr float kToneStackPanelExtra = 5.f;
constexpr float kPowerAmpPanelExtra = 5.f;
constexpr float kKnobPanelExtra = 3.f;
constexpr float kPanelExtras = kPreampPanelExtra + kToneStackPanelExtra + kPowerAmpPanelExtra + kKnobPanelExtra;
constexpr float kTitleStripWidth = 31.f;
constexpr float kRowsRightInset = 3.f;
constexpr float kRowRightGap = 2.f;
constexpr float kPreampRowsTop = 24.f;
constexpr float kDnaRowsTop = 3.f;
constexpr float kKnobRowsTop = 2.f;

// Panel titles, turned to read upwards, and the DNA menu boxes above them.
constexpr float kPanelLineWidth = 1.f;
constexpr float kTitleSize = 17.f;  // per unfloored scale
constexpr float kTitleAngle = 270.f;
constexpr float kTitleStripLeft = 2.f;
constexpr float kTitleStripRight = 29.f;
constexpr float kTitleStripInset = 4.f;
constexpr float kMenuBoxLeft = 4.5f;
constexpr float kMenuBoxRight = 26.5f;
constexpr float kMenuBoxRows = 1.5f;
constexpr float kMenuBoxMaxHeight = 18.f;
constexpr std::size_t kPaletteMenuBox = 12;
constexpr char kMenuBoxText[] = "...";

// Stage tabs above the preamp rows.
constexpr float kTabTop = 3.f;
constexpr float kTabBottom = 21.f;
constexpr float kTabGap = 2.f;
constexpr std::array<const char*, kPreampStageCount> kStageTabLabels{"STAGE 1", "STAGE 2", "STAGE 3", "STAGE 4"};
constexpr std::array<const char*, kAmpKnobCount> kKnobLabels{"Gain",   "Bass",      "Mid",     "Treble",
                                                             "Master", "Resonance", "Presence"};

// The player controls under the script.
constexpr char kPlayerPanelTitle[] = "USER CONTROLS";
constexpr float kPlayerAreaSide = 8.f;
constexpr float kPlayerAreaTop = 38.f;
constexpr float kPlayerAreaBottom = 5.f;

}  // namespace

MainPanelLayout::MainPanelLayout(const IRECT& editorRect, float headerHeight, float gap, float marginWidth)
    : editor(editorRect), margin(marginWidth) {
  const float w = editor.W();
  top = editor.T + headerHeight + kTopMarginShare * margin;
  bottom = editor.B - gap;
  avail = bottom - top;
  rowHeight = (avail - kPanelExtras) / static_cast<float>(kPreampRows + kToneStackRows + kPowerAmpRows + kKnobRows);

  x0 = editor.L + margin;
  x1 = x0 + kLeftColumnShare * w;
  xs = x0 + kTitleStripWidth;
  xe = x1 - kRowsRightInset;
  y1 = top + kPreampRows * rowHeight + kPreampPanelExtra;
  y2 = y1 + kToneStackRows * rowHeight + kToneStackPanelExtra;
  y3 = y2 + kPowerAmpRows * rowHeight + kPowerAmpPanelExtra;
  y4 = y3 + kKnobRows * rowHeight + kKnobPanelExtra;

  sx0 = x1 + kTopMarginShare * margin;
  sx1 = sx0 + kScriptColumnShare * w;
  sy1 = top + kScriptPanelShare * avail;

  px0 = sx1 + kTopMarginShare * margin;
  pw = w - kLeftColumnShare * w - kScriptColumnShare * w - kPlotColumnMargins * margin;
  toggleHeight = kToggleHeightShare * std::max(kToggleAvailShare * avail, kToggleLeastHeight);
  py0 = top + toggleHeight + kPlotsTopMarginShare * margin;
}

void OrvaneGUIControl::DrawMainPanel(IGraphics& g, const IRECT& editor, float headerHeight, float gap, float margin,
                                     const IText& labelStyleA, const IText& labelStyleB, const IText& smallStyle,
                                     const IText& titleStyle) {
  const MainPanelLayout layout(editor, headerHeight, gap, margin);
  DrawDnaPanels(g, layout, labelStyleB, titleStyle);
  DrawScriptPanel(g, layout, labelStyleA, labelStyleB, smallStyle);

  const IRECT playerPanel(layout.sx0, layout.sy1 + kTopMarginShare * margin, layout.sx1, layout.bottom);
  DrawPanelFrame(g, playerPanel, kPlayerPanelTitle, labelStyleA);
  const IRECT playerArea(playerPanel.L + kPlayerAreaSide, playerPanel.T + kPlayerAreaTop,
                         playerPanel.R - kPlayerAreaSide, playerPanel.B - kPlayerAreaBottom);
  // The rows take the column's whole width; the message is the PLAY view's.
  if (mParsedScript.error.empty() && mParsedScript.controls.empty())
    DrawUserControlsPanel(g, playerArea, labelStyleB, 0.f, 0.f, 0.f);
  else
    DrawPlayerRowsIn(g, playerArea, labelStyleB, playerArea.H());

  DrawPlotColumn(g, layout, titleStyle, smallStyle);
}

void OrvaneGUIControl::DrawDnaPanels(IGraphics& g, const MainPanelLayout& layout, const IText& labelStyle,
                                     const IText& titleStyle) {
  const float r = layout.rowHeight;
  const float x0 = layout.x0;
  const struct {
    const char* title;
    float top, bottom;
    IRECT* menuBox;
  } panels[] = {
      {"PREAMP DNA", layout.top, layout.y1, &mPreampDnaHeaderRect},
      {"TONE STACK DNA", layout.y1, layout.y2, &mToneStackDnaHeaderRect},
      {"POWER AMP DNA", layout.y2, layout.y3, &mPowerAmpDnaHeaderRect},
      {"AMP KNOBS", layout.y3, layout.y4, nullptr},
  };
  const IText panelTitle(kTitleSize * EditorScale(layout.editor), PaletteColor(kPaletteMainText), kEditorFontRegular,
                         EAlign::Center, EVAlign::Middle, kTitleAngle);
  for (const auto& panel : panels) {
    const IRECT bounds(x0, panel.top, layout.x1, panel.bottom);
    g.FillRect(PaletteColor(kPalettePanel), bounds);
    g.DrawRect(PaletteColor(kPaletteOutline), bounds, nullptr, kPanelLineWidth);
    g.DrawTextIfNotEmpty(panelTitle, panel.title,
                         IRECT(x0 + kTitleStripLeft, panel.top + kTitleStripInset, x0 + kTitleStripRight,
                               panel.bottom - kTitleStripInset));
  }
  const IText menuText = Recoloured(titleStyle, kPaletteSecondaryText);
  for (const auto& panel : panels) {
    if (!panel.menuBox) continue;
    const float boxTop = panel.top + kTitleStripInset;
    *panel.menuBox = IRECT(x0 + kMenuBoxLeft, boxTop, x0 + kMenuBoxRight,
                           boxTop + std::min(kMenuBoxRows * r, kMenuBoxMaxHeight));
    g.FillRect(PaletteColor(kPaletteMenuBox), *panel.menuBox);
    g.DrawTextIfNotEmpty(menuText, kMenuBoxText, *panel.menuBox);
  }

  mDnaRowRects.clear();
  mDnaRowIndexes.clear();
  const float xs = layout.xs;
  const float rowRight = layout.xe - kRowRightGap;
  const int stage = std::clamp<int>(mSelectedStage, 0, kPreampStageCount - 1);
  const float tabWidth = (layout.xe - xs) / static_cast<float>(kPreampStageCount);
  for (int k = 0; k < kPreampStageCount; ++k) {
    const auto tab = static_cast<std::size_t>(k);
    const float left = xs + static_cast<float>(k) * tabWidth;
    const IRECT r(left, layout.top + kTabTop, left + tabWidth - kTabGap, layout.top + kTabBottom);
    mStageSelectorRects[0][tab] = r;
    DrawTabButton(g, r, kStageTabLabels[tab], k == stage, titleStyle, !mEffectiveSections[tab],
                  PaletteColor(kPaletteFirstStageBand + tab));
  }
  const auto rowAt = [&](float top, int i) {
    return IRECT(xs, top + static_cast<float>(i) * r, rowRight, top + static_cast<float>(i + 1) * r);
  };
  for (int i = 0; i < kPreampRows; ++i)
    DrawDnaRow(g, rowAt(layout.top + kPreampRowsTop, i), kPreampRowsPerStage * stage + i, labelStyle);
  for (int i = 0; i < kToneStackRows; ++i)
    DrawDnaRow(g, rowAt(layout.y1 + kDnaRowsTop, i), kDnaToneHpfFreqMin + i, labelStyle);
  for (int i = 0; i < kPowerAmpRows; ++i)
    DrawDnaRow(g, rowAt(layout.y2 + kDnaRowsTop, i), kDnaPowerGain + i, labelStyle);

  mKnobTrackRects.clear();
  for (int i = 0; i < kKnobRows; ++i)
    DrawKnobRow(g, rowAt(layout.y3 + kKnobRowsTop, i), kKnobLabels[static_cast<std::size_t>(i)], i, labelStyle);
}

}  // namespace orvane
