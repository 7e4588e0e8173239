// Drawing routines of the main panel, the plots and the footer: DNA and knob
// rows, panel frames, tab buttons and the version line.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/c_locale.h"
#include "editor/dna_value_format.h"
#include "editor/editor_colours.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_gui_control.h"
#include "editor/text_fitting.h"
#include "graphics/graphics_context.h"
#include "plugin/product_version.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;

// Row columns, as shares of the row's width and offsets in view points.
constexpr float kDnaLabelRight = 0.38f;
constexpr float kKnobLabelRight = 0.5f;
constexpr float kValueLeft = 0.39f;
constexpr float kValueRight = 0.54f;
constexpr float kBarLeft = 0.56f;
constexpr float kBarInset = 1.5f;
constexpr float kBarRightOffset = 32.f;
constexpr float kPercentWidth = 30.f;
constexpr int kDnaLabelSize = 112;
constexpr int kDnaValueSize = 32;
constexpr int kPercentSize = 8;
// Indexes below this have one digit fewer and one blank more after them.
constexpr int kTwoDigitIndex = 10;
constexpr double kMaxByte = 255.0;
constexpr double kPercentMax = 100.0;

// Panel frames.
constexpr float kFrameLineWidth = 1.f;
constexpr float kTitleLeft = 8.f;
constexpr float kTitleTop = 5.f;
constexpr float kTitleRight = 6.f;
constexpr float kTitleBottom = 27.f;
constexpr float kSeparatorInset = 7.f;
constexpr float kSeparatorTop = 31.f;
constexpr float kSeparatorWidth = 0.8f;

// Tab buttons.
constexpr float kStrikeWidth = 1.1f;
constexpr float kStrikeMargin = 8.f;

// The version line.
constexpr int kVersionTextSize = 160;
constexpr float kVersionWidthShare = 0.56f;
constexpr float kVersionStartSizePerGap = 2.f;
constexpr float kVersionSmallestSizePerScale = 5.f;
constexpr float kVersionShrink = 0.9f;

// A flat DNA name from its first ": " on, leading blanks kept, so that the
// items of one group stay indented under it.
std::string RowLabel(std::string_view flatName) {
  constexpr std::string_view kSeparator = ": ";
  const std::size_t at = flatName.find(kSeparator);
  return std::string(at == std::string_view::npos ? flatName : flatName.substr(at + kSeparator.size()));
}

IText Aligned(const IText& style, EAlign align) {
  IText copy = style;
  copy.mAlign = align;
  return copy;
}

// The bar and the percentage column of a DNA or knob row; answers the bar's
// whole rectangle.
IRECT DrawRowBar(IGraphics& g, const IRECT& r, double fraction, bool mapped, long percent, const IText& style) {
  const IRECT bar(r.L + kBarLeft * r.W(), r.T + kBarInset, r.R - kBarRightOffset, r.B - kBarInset);
  g.FillRect(PaletteColor(kPaletteBackground), bar);
  const float filledWidth = static_cast<float>(bar.W() * std::clamp(fraction, 0.0, 1.0));
  if (filledWidth > 0.f)
    g.FillRect(mapped ? kScriptMappedColor : PaletteColor(kPaletteBarFill),
               IRECT(bar.L, bar.T, bar.L + filledWidth, bar.B));
  char text[kPercentSize];
  plugkit::FormatCLocale(text, sizeof text, "%3u", static_cast<unsigned>(percent));
  g.DrawTextIfNotEmpty(Aligned(style, EAlign::Far), text, IRECT(r.R - kPercentWidth, r.T, r.R, r.B));
  return bar;
}

const char* FooterProcessorName() {
  const char* pinned = std::getenv(kPinnedProcessorVariable);
  return pinned != nullptr && *pinned != '\0' ? pinned : kProductBuildProcessor;
}

}  // namespace

void OrvaneGUIControl::DrawDnaRow(IGraphics& g, const IRECT& r, int index, const IText& style) {
  if (index < 0 || static_cast<std::size_t>(index) >= kDnaSize) return;
  const auto row = static_cast<std::size_t>(index);
  const std::string name = RowLabel(DnaFlatName(row));
  char label[kDnaLabelSize];
  plugkit::FormatCLocale(label, sizeof label, index < kTwoDigitIndex ? "[dna%d]  %s" : "[dna%d] %s", index,
                         name.c_str());
  const std::string_view unit = DnaUnit(row);
  char value[kDnaValueSize];
  const bool hasValue =
      unit.data() != nullptr && unit != "%" && FormatDnaValue(index, mEffectiveDna[row], value, sizeof value);
  const IRECT valueRect(r.L + kValueLeft * r.W(), r.T, r.L + kValueRight * r.W(), r.B);

  // A row without a value lends its value column to the label. A label longer
  // than its room ends in "..." rather than run into the value.
  const IText labelStyle = Aligned(style, EAlign::Near);
  const IRECT labelRect(r.L, r.T, hasValue ? r.L + kDnaLabelRight * r.W() : valueRect.R, r.B);
  g.DrawTextIfNotEmpty(labelStyle, CutTextToWidth(g, labelStyle, label, labelRect.W()).c_str(), labelRect);
  if (hasValue) g.DrawTextIfNotEmpty(Aligned(style, EAlign::Far), value, valueRect);

  const std::uint8_t byte = mEffectiveDna[row];
  const IRECT bar = DrawRowBar(g, r, byte / kMaxByte, mDnaMapped[row], std::lround(byte / kMaxByte * kPercentMax),
                               style);
  mDnaRowRects.push_back(bar);
  mDnaRowIndexes.push_back(static_cast<std::uint32_t>(index));
}

void OrvaneGUIControl::DrawKnobRow(IGraphics& g, const IRECT& r, const char* label, int knob, const IText& style) {
  if (knob < 0 || static_cast<std::size_t>(knob) >= kAmpKnobCount) return;
  const auto k = static_cast<std::size_t>(knob);
  g.DrawTextIfNotEmpty(Aligned(style, EAlign::Near), label, IRECT(r.L, r.T, r.L + kKnobLabelRight * r.W(), r.B));
  const double value = std::isnan(mEffectiveKnobs[k]) ? 0.0 : std::clamp(mEffectiveKnobs[k], 0.0, kPercentMax);
  mKnobTrackRects.push_back(DrawRowBar(g, r, value / kPercentMax, mKnobMapped[k], std::lround(value), style));
}

void OrvaneGUIControl::DrawPanelFrame(IGraphics& g, const IRECT& r, const char* title,
                                      const IText& titleStyle) const {
  const IColor outline = PaletteColor(kPaletteOutline);
  g.FillRect(PaletteColor(kPalettePanel), r);
  g.DrawRect(outline, r, nullptr, kFrameLineWidth);
  const IRECT titleRect(r.L + kTitleLeft, r.T + kTitleTop, r.R - kTitleRight, r.T + kTitleBottom);
  g.DrawTextIfNotEmpty(titleStyle, title, titleRect);
  g.DrawLine(outline, r.L + kSeparatorInset, r.T + kSeparatorTop, r.R - kSeparatorInset, r.T + kSeparatorTop, nullptr,
             kSeparatorWidth);
}

void OrvaneGUIControl::DrawTabButton(IGraphics& g, const IRECT& r, const char* label, bool active, const IText& style,
                                     bool struck, std::optional<IColor> activeFill,
                                     std::optional<IColor> inactiveFill,
                                     std::optional<IColor> activeTextColour) const {
  const IColor fill = active ? activeFill.value_or(kAccentColor) : inactiveFill.value_or(PaletteColor(kPalettePanel));
  g.FillRect(fill, r);
  g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kFrameLineWidth);

  IText labelStyle = style;
  if (active)
    labelStyle.mFGColor = activeTextColour.value_or(activeFill ? plugkit::graphics::kColorWhite
                                                               : PaletteColor(kPaletteActiveText));
  g.DrawTextIfNotEmpty(labelStyle, label, r);

  if (!struck) return;
  IRECT bounds = r;
  const float length = std::min(g.MeasureTextIfNotEmpty(style, label, bounds), r.W() - kStrikeMargin);
  const float centreX = (r.L + r.R) / 2.f;
  const float centreY = (r.T + r.B) / 2.f;
  g.DrawLine(style.mFGColor, centreX - length / 2.f, centreY, centreX + length / 2.f, centreY, nullptr, kStrikeWidth);
}

void OrvaneGUIControl::DrawVersionLine(IGraphics& g, const IRECT& editor, float gap, float margin,
                                       float scale) const {
  char text[kVersionTextSize];
  plugkit::FormatCLocale(text, sizeof text, "v%s.%llu | %s | %s | Built: %s", kProductVersionText,
                         kProductBuildNumber, kProductBuildKind, FooterProcessorName(), kProductBuildDate);
  const float widthLimit = kVersionWidthShare * editor.W();
  const IRECT versionRect(editor.R - margin - widthLimit, editor.B - gap, editor.R - margin, editor.B);
  IText style(kVersionStartSizePerGap * gap, PaletteColor(kPaletteSecondaryText), kEditorFontRegular, EAlign::Far,
              EVAlign::Middle);
  while (style.mSize > kVersionSmallestSizePerScale * scale) {
    IRECT blank = versionRect;
    g.MeasureTextIfNotEmpty(style, " ", blank);
    IRECT bounds = versionRect;
    if (blank.H() <= gap && g.MeasureTextIfNotEmpty(style, text, bounds) <= widthLimit) break;
    style.mSize *= kVersionShrink;
  }
  g.DrawTextIfNotEmpty(style, text, versionRect);
}

}  // namespace orvane
