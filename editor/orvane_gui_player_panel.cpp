// The PLAY view's player controls: one row per control of the script with its
// name, its controller badge and a slider or switch track, scrolled when the
// rows do not all fit. Drawing records the hit rectangles the pointer input
// tests and changes no value; the scroll offset it clamps is stored without a
// redraw, because a control that marks itself while drawing is drawn again
// on every tick.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "common/c_locale.h"
#include "editor/editor_colours.h"
#include "editor/editor_scale.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_gui_control.h"
#include "editor/text_fitting.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;

constexpr char kNoControlsMessage[] = "This amp does not have user controls";
constexpr float kMessageSize = 16.f;  // per scale

// The rows' part of the panel's area, as shares of the area.
constexpr float kPanelSideShare = 0.18f;
constexpr float kPanelTopShare = 0.08f;
constexpr float kMaxRowHeightShare = 0.055f;
constexpr float kMaxRowHeightCap = 48.f;
constexpr float kMinRowHeight = 24.f;
constexpr float kRowGap = 10.f;

constexpr float kLineWidth = 1.f;
constexpr float kSegmentLineWidth = 0.8f;

// The scrollbar, per scale: the bar's width (never below kScrollbarWidth
// points), the track's inset from the bar's left, the thumb's from the
// track's sides, and the thumb's least height.
constexpr float kScrollbarWidth = 24.f;
constexpr float kScrollTrackInset = 8.f;
constexpr float kThumbInset = 2.f;
constexpr float kMinThumbHeight = 20.f;

// A row: the label part's share of the row, wider for a badge; the name's
// insets; the badge (sizes per scale) and the track beside the value column.
constexpr float kBoundLabelShare = 0.44f;
constexpr float kLabelShare = 0.33f;
constexpr float kNameLeft = 10.f;
constexpr float kNameInset = 3.f;
constexpr float kNameBadgeGap = 4.f;
constexpr float kBadgeRightGap = 5.f;
constexpr float kBadgeTextSize = 9.f;
constexpr float kBadgePad = 8.f;
constexpr float kBadgeLabelShare = 0.48f;
constexpr float kBadgeHeight = 14.f;
constexpr float kTrackGap = 7.f;
constexpr float kValueColumnWidth = 52.f;
constexpr float kValueInset = 6.f;
constexpr float kTrackHalfHeightShare = 0.28f;
constexpr float kTrackHalfHeightCap = 7.f;
constexpr float kValueTextSize = 12.f;  // per scale
constexpr int kNumberTextSize = 24;
constexpr char kSwitchMark[] = "SW";
constexpr double kPercentMax = 100.0;

IText EditorText(float size, const IColor& colour, EAlign align) {
  return IText(size, colour, kEditorFontRegular, align, EVAlign::Middle);
}

float MiddleOf(const IRECT& r) { return (r.T + r.B) / 2.f; }

// The badge ends kBadgeRightGap before the label part's right; answers its left.
float DrawControllerBadge(IGraphics& g, int controller, const IRECT& row, float labelRight, float scale) {
  char text[kNumberTextSize];
  plugkit::FormatCLocale(text, sizeof text, "MIDI CC %d", controller);
  const IText style = EditorText(kBadgeTextSize * scale, plugkit::graphics::kColorWhite, EAlign::Center);
  IRECT bounds = row;
  const float measured = g.MeasureTextIfNotEmpty(style, text, bounds);
  const float width = std::min(measured + kBadgePad * scale, kBadgeLabelShare * (labelRight - row.L));
  const float right = labelRight - kBadgeRightGap;
  const float half = kBadgeHeight * scale / 2.f;
  const IRECT badge(right - width, MiddleOf(row) - half, right, MiddleOf(row) + half);
  g.FillRect(kThumbColor, badge);
  g.DrawTextIfNotEmpty(style, text, badge);
  return badge.L;
}

void DrawSliderTrack(IGraphics& g, const IRECT& track, double value, const IRECT& valueRect, float scale) {
  const double fraction = std::isnan(value) ? 0.0 : std::clamp(value / kPercentMax, 0.0, 1.0);
  if (fraction > 0.0)
    g.FillRect(kAccentColor, IRECT(track.L, track.T, track.L + static_cast<float>(track.W() * fraction), track.B));
  g.DrawRect(PaletteColor(kPaletteOutline), track, nullptr, kLineWidth);
  char text[kNumberTextSize];
  plugkit::FormatCLocale(text, sizeof text, "%3.0f", value);
  g.DrawTextIfNotEmpty(EditorText(kValueTextSize * scale, PaletteColor(kPaletteMainText), EAlign::Far), text,
                       valueRect);
}

// Segments labelled with the position names when there is one per position,
// else numbered from 1.
void DrawSwitchTrack(IGraphics& g, const IRECT& track, const ScriptControl& control, double value,
                     const IRECT& valueRect, float scale) {
  const std::int32_t positions = control.positionCount;
  if (positions < 1) return;
  const float segmentWidth = track.W() / static_cast<float>(positions);
  const auto segment = [&](std::int32_t k) {
    return IRECT(track.L + segmentWidth * static_cast<float>(k), track.T,
                 track.L + segmentWidth * static_cast<float>(k + 1), track.B);
  };
  const double selected = std::trunc(value);  // NaN selects none
  if (selected >= 0.0 && selected < positions) g.FillRect(kAccentColor, segment(static_cast<std::int32_t>(selected)));

  const bool named = control.positionNames.size() == static_cast<std::size_t>(positions);
  const float textSize = kValueTextSize * scale;
  for (std::int32_t k = 0; k < positions; ++k) {
    const IRECT r = segment(k);
    g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kSegmentLineWidth);
    char number[kNumberTextSize];
    plugkit::FormatCLocale(number, sizeof number, "%d", k + 1);
    const char* label = named ? control.positionNames[static_cast<std::size_t>(k)].c_str() : number;
    const IColor colour = PaletteColor(k == selected ? kPaletteActiveText : kPaletteMainText);
    g.DrawTextIfNotEmpty(EditorText(textSize, colour, EAlign::Center), label, r);
  }
  g.DrawTextIfNotEmpty(EditorText(textSize, PaletteColor(kPaletteMainText), EAlign::Far), kSwitchMark, valueRect);
}

// One row; answers its track.
IRECT DrawPlayerRow(IGraphics& g, const ScriptControl& control, double value, const IRECT& row, const IText& style,
                    float scale) {
  g.FillRect(PaletteColor(kPalettePanel), row);
  g.DrawRect(PaletteColor(kPaletteOutline), row, nullptr, kLineWidth);

  const float labelRight = row.L + (control.hasMidiCC ? kBoundLabelShare : kLabelShare) * row.W();
  float nameRight = labelRight;
  if (control.hasMidiCC) nameRight = DrawControllerBadge(g, control.midiCC, row, labelRight, scale) - kNameBadgeGap;
  const IRECT nameRect(row.L + kNameLeft, row.T + kNameInset, nameRight, row.B - kNameInset);
  const std::string name = CutTextToWidth(g, style, control.name, nameRect.W());
  g.DrawTextIfNotEmpty(style, name.c_str(), nameRect);

  const float half = std::min(kTrackHalfHeightShare * row.H(), kTrackHalfHeightCap);
  const IRECT track(labelRight + kTrackGap, MiddleOf(row) - half, row.R - kValueColumnWidth, MiddleOf(row) + half);
  g.FillRect(PaletteColor(kPaletteBackground), track);
  const IRECT valueRect(track.R + kValueInset, row.T, row.R - kValueInset, row.B);
  if (control.kind == kScriptSwitch)
    DrawSwitchTrack(g, track, control, value, valueRect, scale);
  else
    DrawSliderTrack(g, track, value, valueRect, scale);
  return track;
}

}  // namespace

void OrvaneGUIControl::ForgetPlayerHitRects() {
  mPlayerRowRects.clear();
  mPlayerTrackRects.clear();
  mPlayerRowControls.clear();
  mPlayerScrollTrackRect = IRECT();
  mPlayerScrollThumbRect = IRECT();
}

void OrvaneGUIControl::DrawUserControlsPanel(IGraphics& g, const IRECT& area, const IText& style, float topInset,
                                             float bottomInset, float sideInset) {
  if (mParsedScript.error.empty() && mParsedScript.controls.empty()) {
    // The scrollbar of an earlier script must not catch clicks meant for
    // whatever now stands where it was.
    mPlayerPanelRect = IRECT();
    ForgetPlayerHitRects();
    const IRECT messageRect(area.L + sideInset, area.T + topInset, area.R - sideInset, area.B - bottomInset);
    const IText messageStyle = EditorText(kMessageSize * FlooredEditorScale(GetRECT()),
                                          PaletteColor(kPaletteSecondaryText), EAlign::Center);
    g.DrawTextIfNotEmpty(messageStyle, kNoControlsMessage, messageRect);
    return;
  }
  const float w = area.W();
  const float h = area.H();
  const IRECT panel(area.L + kPanelSideShare * w, area.T + topInset + kPanelTopShare * h,
                    area.R - kPanelSideShare * w, area.B - bottomInset);
  DrawPlayerRowsIn(g, panel, style, h);
}

void OrvaneGUIControl::DrawPlayerRowsIn(IGraphics& g, const IRECT& panel, const IText& style, float areaHeight) {
  DrawPlayerControls(g, panel, style, kMinRowHeight, std::min(kMaxRowHeightShare * areaHeight, kMaxRowHeightCap),
                     kRowGap);
}

void OrvaneGUIControl::DrawPlayerControls(IGraphics& g, const IRECT& panel, const IText& style, float minRowHeight,
                                          float maxRowHeight, float gap) {
  mPlayerPanelRect = panel;
  ForgetPlayerHitRects();
  const std::vector<ScriptControl>& controls = mParsedScript.controls;
  const float height = panel.H();
  if (!mParsedScript.error.empty() || controls.empty() || !(height > 0.f)) return;

  const auto count = static_cast<double>(controls.size());
  const double rowHeight =
      std::clamp((height - gap * (count - 1.0)) / count, double{minRowHeight}, std::max<double>(minRowHeight, maxRowHeight));
  const double pitch = rowHeight + gap;
  // Never more rows than controls, so the counts below stay in range.
  const double visible = pitch > 0.0 ? std::clamp(std::floor((height + gap) / pitch), 1.0, count) : count;
  const auto range = static_cast<std::int64_t>(count - visible);
  mPlayerScrollOffset = static_cast<std::int32_t>(std::clamp<std::int64_t>(mPlayerScrollOffset, 0, range));

  const float scale = FlooredEditorScale(GetRECT());
  float rowsRight = panel.R;
  if (range >= 1) {
    const float barWidth = std::max(kScrollbarWidth * scale, kScrollbarWidth);
    rowsRight = panel.R - barWidth;
    mPlayerScrollTrackRect = IRECT(rowsRight + kScrollTrackInset * scale, panel.T, panel.R, panel.B);
    g.FillRect(PaletteColor(kPalettePanel), mPlayerScrollTrackRect);
    g.DrawRect(PaletteColor(kPaletteOutline), mPlayerScrollTrackRect, nullptr, kLineWidth);
    const float thumbHeight = std::max(kMinThumbHeight * scale, static_cast<float>(height * visible / count));
    const float thumbTop = panel.T + std::max(height - thumbHeight, 0.f) * static_cast<float>(mPlayerScrollOffset) /
                                         static_cast<float>(range);
    mPlayerScrollThumbRect = IRECT(mPlayerScrollTrackRect.L + kThumbInset * scale, thumbTop,
                                   panel.R - kThumbInset * scale, thumbTop + thumbHeight);
    g.FillRect(PaletteColor(kPaletteSecondaryText), mPlayerScrollThumbRect);
  }

  const auto first = static_cast<std::size_t>(mPlayerScrollOffset);
  const std::size_t end = std::min(first + static_cast<std::size_t>(visible), controls.size());
  for (std::size_t i = first; i < end; ++i) {
    const auto top = static_cast<float>(panel.T + static_cast<double>(i - first) * pitch);
    const IRECT row(panel.L, top, rowsRight, top + static_cast<float>(rowHeight));
    const double value = i < mPlayerValues.size() ? mPlayerValues[i] : 0.0;
    mPlayerTrackRects.push_back(DrawPlayerRow(g, controls[i], value, row, style, scale));
    mPlayerRowRects.push_back(row);
    mPlayerRowControls.push_back(static_cast<std::int32_t>(i));
  }
}

}  // namespace orvane
