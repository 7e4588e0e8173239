// The header's widgets: the three two-state switches, the trim fields and the
// single-line name and description fields. Each records its hit rectangle.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "common/c_locale.h"
#include "editor/editor_colours.h"
#include "editor/header_grid.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_gui_control.h"
#include "editor/text_fitting.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;

constexpr float kLineWidth = 1.f;
constexpr float kFocusLineWidth = 1.5f * kLineWidth;

// Two-state switches: the thumb is inset this much and covers one half.
constexpr float kSwitchInset = 1.5f;
constexpr float kSwitchLabelInset = 1.f;

// Theme icons, in units of the icon scale k = width / 48 within 0.7..1.
constexpr float kIconScaleWidth = 48.f;
constexpr float kIconScaleMin = 0.7f;
constexpr float kIconScaleMax = 1.f;
constexpr float kSunRadius = 4.2f;
constexpr float kRayInner = 6.2f;
constexpr float kRayOuter = 8.5f;
constexpr float kRayWidth = 1.3f;
constexpr int kRayCount = 8;
constexpr float kMoonRadius = 7.f;
constexpr float kMoonCutShare = 0.88f;
constexpr float kMoonCutX = 3.5f;
constexpr float kMoonCutY = -2.5f;

// Trim fields.
constexpr float kGainFieldLeft = 1625.12f;
constexpr float kGainFieldRight = 1704.f;
constexpr float kFieldTextHeightShare = 0.6f;
constexpr float kFieldTextPad = 2.f;
constexpr int kFieldTextSize = 32;
constexpr char kUnitSuffix[] = " dB";

// Single-line fields: the text starts this share of its size inside the field.
constexpr float kSingleLinePadPerSize = 0.5f;

float Clamp01(float value) { return std::isnan(value) ? 0.f : std::clamp(value, 0.f, 1.f); }

IText Recoloured(const IText& style, const IColor& colour) {
  IText copy = style;
  copy.mFGColor = colour;
  return copy;
}

// The halves of a two-state switch that its labels and icons stand in.
struct SwitchHalves {
  IRECT upper;
  IRECT lower;
};

// Fill, outline and the thumb at q: 0 over the upper half, 1 over the lower.
SwitchHalves DrawSwitchBody(IGraphics& g, const IRECT& r, float q) {
  const float half = (r.H() - 2.f * kSwitchInset) / 2.f;
  const float top = r.T + kSwitchInset;
  g.FillRect(PaletteColor(kPalettePanel), r);
  g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kLineWidth);
  const float thumbTop = top + half * q;
  g.FillRect(kThumbColor, IRECT(r.L + kSwitchInset, thumbTop, r.R - kSwitchInset, thumbTop + half));
  return {IRECT(r.L + kSwitchLabelInset, top, r.R - kSwitchLabelInset, top + half),
          IRECT(r.L + kSwitchLabelInset, top + half, r.R - kSwitchLabelInset, top + 2.f * half)};
}

// The amplifier and view switches: the thumb in the upper half at 1, and in
// the lower half at 0 or below.
void DrawLabelledSwitch(IGraphics& g, const IRECT& r, const IText& style, float animation, const char* upperLabel,
                        const char* lowerLabel, bool upperIsCurrent) {
  const SwitchHalves halves = DrawSwitchBody(g, r, 1.f - Clamp01(animation));
  const IText current = Recoloured(style, PaletteColor(kPaletteActiveText));
  const IText other = Recoloured(style, PaletteColor(kPaletteSecondaryText));
  g.DrawTextIfNotEmpty(upperIsCurrent ? current : other, upperLabel, halves.upper);
  g.DrawTextIfNotEmpty(upperIsCurrent ? other : current, lowerLabel, halves.lower);
}

void DrawSun(IGraphics& g, float x, float y, float k, const IColor& colour) {
  g.FillCircle(colour, x, y, kSunRadius * k);
  for (int ray = 0; ray < kRayCount; ++ray) {
    const double angle = 2.0 * std::numbers::pi * ray / kRayCount;
    const auto dx = static_cast<float>(std::cos(angle));
    const auto dy = static_cast<float>(std::sin(angle));
    g.DrawLine(colour, x + dx * kRayInner * k, y + dy * kRayInner * k, x + dx * kRayOuter * k,
               y + dy * kRayOuter * k, nullptr, kRayWidth * k);
  }
}

// A disc with a second one drawn over it in the colour beneath, which leaves
// a crescent.
void DrawMoon(IGraphics& g, float x, float y, float k, const IColor& colour, const IColor& beneath) {
  g.FillCircle(colour, x, y, kMoonRadius * k);
  g.FillCircle(beneath, x + kMoonCutX * k, y + kMoonCutY * k, kMoonRadius * kMoonCutShare * k);
}

std::string TrimText(const char* format, double gainDb) {
  char text[kFieldTextSize];
  plugkit::FormatCLocale(text, sizeof text, format, gainDb);
  return text;
}

// A numeric field: the value, or while the field is being edited the typed
// text with its unit, an accent outline and a caret after the typed text.
void DrawNumericField(const OrvaneGUIControl& e, IGraphics& g, const IRECT& r, PaletteEntry fill,
                      std::int32_t field, const std::string& valueText) {
  const bool editing = e.mEditField == field;
  g.FillRect(PaletteColor(fill), r);
  g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kLineWidth);
  if (editing) g.DrawRect(kAccentColor, r, nullptr, kFocusLineWidth);

  const std::string text = editing ? e.mEditBuffer + kUnitSuffix : valueText;
  const IRECT textRect(r.L + kFieldTextPad, r.T, r.R - kFieldTextPad, r.B);
  const IText base(IText::kDefaultSize, PaletteColor(kPaletteMainText), kEditorFontRegular);
  const IText style = FitTextMainColour(g, base)(textRect, text.c_str(), kFieldTextHeightShare * r.H());
  g.DrawTextIfNotEmpty(style, text.c_str(), textRect);
  if (!editing) return;

  const std::size_t caret = std::min(static_cast<std::size_t>(std::max(e.mEditCaret, 0)), e.mEditBuffer.size());
  const float textLeft = (textRect.L + textRect.R - MeasureTextKeepingSpaces(g, style, text)) / 2.f;
  const float x = textLeft + MeasureTextKeepingSpaces(g, style, std::string_view(text).substr(0, caret));
  const float middle = (r.T + r.B) / 2.f;
  g.DrawLine(PaletteColor(kPaletteMainText), x, middle - style.mSize / 2.f, x, middle + style.mSize / 2.f, nullptr,
             kLineWidth);
}

// A single-line text field; an empty text shows the placeholder.
void DrawSingleLineField(IGraphics& g, const IRECT& r, float fontSize, const std::string& text, std::uint64_t caret,
                         bool focused, const char* placeholder) {
  g.FillRect(PaletteColor(kPaletteHeaderField), r);
  g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kLineWidth);
  if (focused) g.DrawRect(kAccentColor, r, nullptr, kFocusLineWidth);

  const float pad = kSingleLinePadPerSize * fontSize;
  const IRECT textRect(r.L + pad, r.T, r.R - pad, r.B);
  const IText style(fontSize, PaletteColor(kPaletteMainText), kEditorFontRegular, EAlign::Near, EVAlign::Middle);
  float caretX = 0.f;
  if (text.empty()) {
    g.DrawTextIfNotEmpty(Recoloured(style, PaletteColor(kPaletteSecondaryText)), placeholder, textRect);
  } else {
    const SingleLineLayout layout = LayoutSingleLineText(g, style, text, caret, textRect.W());
    g.DrawTextIfNotEmpty(style, text.substr(layout.start, layout.end - layout.start).c_str(), textRect);
    caretX = layout.caretX;
  }
  if (!focused) return;
  const float x = textRect.L + caretX;
  const float middle = (r.T + r.B) / 2.f;
  g.DrawLine(PaletteColor(kPaletteMainText), x, middle - fontSize / 2.f, x, middle + fontSize / 2.f, nullptr,
             kLineWidth);
}

}  // namespace

void OrvaneGUIControl::DrawOnOffSwitch(IGraphics& g, const IRECT& r, bool on, const IText& style, float animation) {
  DrawLabelledSwitch(g, r, style, animation, "ON", "OFF", on);
  mAmplifierSwitchRect = r;
}

void OrvaneGUIControl::DrawViewSwitch(IGraphics& g, const IRECT& r, bool playView, const IText& style,
                                      float animation) {
  DrawLabelledSwitch(g, r, style, animation, "PLAY", "EDIT", playView);
  mViewSwitchRect = r;
}

void OrvaneGUIControl::DrawThemeSwitch(IGraphics& g, const IRECT& r, bool dark, float animation) {
  const float q = Clamp01(animation);
  const SwitchHalves halves = DrawSwitchBody(g, r, q);
  const float k = std::clamp(r.W() / kIconScaleWidth, kIconScaleMin, kIconScaleMax);
  const float x = (r.L + r.R) / 2.f;
  const IColor current = PaletteColor(kPaletteActiveText);
  const IColor other = PaletteColor(kPaletteSecondaryText);
  DrawSun(g, x, (halves.upper.T + halves.upper.B) / 2.f, k, dark ? other : current);
  // The thumb lies beneath the moon's centre from halfway down.
  constexpr float kThumbOverLowerHalf = 0.5f;
  const IColor beneathMoon = q >= kThumbOverLowerHalf ? kThumbColor : PaletteColor(kPalettePanel);
  DrawMoon(g, x, (halves.lower.T + halves.lower.B) / 2.f, k, dark ? current : other, beneathMoon);
  mThemeSwitchRect = r;
}

void OrvaneGUIControl::DrawGainField(IGraphics& g, bool input, float top, float bottom) {
  const IRECT& area = GetRECT();
  const float unit = area.W() / kHeaderGridWidth;
  const IRECT r(area.L + kGainFieldLeft * unit, top, area.L + kGainFieldRight * unit, bottom);
  DrawNumericField(*this, g, r, kPaletteHeaderField, input ? kEditFieldInputTrim : kEditFieldOutputTrim,
                   TrimText("%.1f dB", input ? mInputGainDb : mOutputGainDb));
  (input ? mInputTrimRect : mOutputTrimRect) = r;
}

void OrvaneGUIControl::DrawGainBox(IGraphics& g, bool input, const IRECT& r) {
  DrawNumericField(*this, g, r, kPaletteBoxField, input ? kEditFieldInputTrim : kEditFieldOutputTrim,
                   TrimText("%.1f dB", input ? mInputGainDb : mOutputGainDb));
  (input ? mInputTrimRect : mOutputTrimRect) = r;
}

void OrvaneGUIControl::DrawTrimField(IGraphics& g, int section, const IRECT& r) {
  if (section < 0 || static_cast<std::size_t>(section) >= kAmpSectionCount) return;
  const auto s = static_cast<std::size_t>(section);
  DrawNumericField(*this, g, r, kPaletteBoxField, kEditFieldFirstBypassTrim + section,
                   TrimText("%+.1f dB", mBypassGainDb[s]));
  mBypassTrimRects[s] = r;
}

void OrvaneGUIControl::DrawNameField(IGraphics& g, const IRECT& r, float fontSize, const char* placeholder) {
  DrawSingleLineField(g, r, fontSize, mDesignName, mNameCaret, mNameFocused, placeholder);
  mNameRect = r;
}

void OrvaneGUIControl::DrawDescriptionField(IGraphics& g, const IRECT& r, float fontSize, const char* placeholder) {
  DrawSingleLineField(g, r, fontSize, mDesignDescription, mDescriptionCaret, mDescriptionFocused, placeholder);
  mDescriptionRect = r;
}

}  // namespace orvane
