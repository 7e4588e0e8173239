// The header band across the top of the editor, in both views: title, banner
// and logo, the four switch boxes, the design fields with the section chain
// (EDIT) or the gain fields (PLAY), the preset bar and the meters' scale. Every
// clickable element's rectangle is recorded for the pointer handlers.

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "common/c_locale.h"
#include "design/design.h"
#include "editor/editor_colours.h"
#include "editor/header_grid.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "editor/text_fitting.h"
#include "plugin/product_version.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;
using plugkit::graphics::IBitmap;

constexpr float kLineWidth = 1.f;
// Lines and insets thinner than this vanish on a small window.
constexpr float kThinnestLine = 0.7f;

// A box and a column on the header grid, in units.
struct GridBox {
  float left, top, right, bottom;
};
struct GridColumn {
  float left, right;
};

// Title and banner. The title carries the major and minor version numbers.
constexpr char kTitleFormat[] = "ORVANE %d.%d";
constexpr int kTitleBufferSize = 40;
constexpr GridBox kTitleBox{105.f, 13.f, 342.f, 64.f};
constexpr float kTitleStartSize = 42.f;
constexpr float kTitleDrawnShare = 0.9f;
constexpr char kBannerText[] = "VELLUMTONE";
constexpr GridBox kBannerBox{105.f, 44.f, 342.f, 93.f};
constexpr float kBannerStartSize = 31.f;
constexpr int kBannerCorrections = 3;
constexpr float kBannerDrawnShare = 1.005f;

// The logo, fitted into its box and lifted a little left of and above its centre.
constexpr char kLogoResource[] = "Orvane-Logo.png";
constexpr int kLogoScale = 1;
constexpr GridBox kLogoBox{14.f, 4.f, 112.f, 95.f};
constexpr float kLogoHeightShare = 0.78f;
constexpr float kLogoLift = 5.f;

// The four switch boxes share the span between these units.
constexpr float kSwitchSpanLeft = 352.f;
constexpr float kSwitchSpanRight = 450.f;
constexpr float kSwitchSpanMargin = 0.1f;  // of the span, at both ends
constexpr float kSwitchWidthPerHalf = 1.28f;
constexpr float kFirstSwitchIndentPerHalf = 0.28f;
constexpr float kFirstSwitchShift = 35.f;
constexpr float kSwitchSpacing = 5.f;
constexpr float kSwitchTop = 5.f;
constexpr float kSwitchBottom = 95.f;
constexpr float kSwitchLabelSize = 16.f;
constexpr int kSwitchCount = 4;

// The oversampling box's three texts.
constexpr float kOversamplingTopPad = 2.f;
constexpr float kOverShift = 4.f;
constexpr float kOverSize = 20.f;
constexpr float kSampleSize = 16.f;
constexpr float kFactorSize = 20.f;

// The meters' scale: labels beside the two meters, ticks under the output meter.
constexpr float kMeterLabelLeft = 1714.f;
constexpr float kMeterLabelRight = 1741.f;
constexpr float kMeterLabelSize = 19.f;
constexpr std::array<int, 6> kScaleTicksDb{-60, -36, -24, -12, -6, 0};
constexpr float kTickTop = 72.f;
constexpr float kTickBottom = 78.5f;
constexpr float kTickLabelHalfWidth = 24.f;
constexpr float kTickLabelTop = 73.f;
constexpr float kTickLabelBottom = 102.f;
constexpr float kTickLabelSize = 17.f;
constexpr int kTickLabelBufferSize = 8;

// The EDIT view's design fields and gain boxes.
constexpr GridBox kDesignNameBox{914.8f, 5.f, 1301.525f, 38.f};
constexpr GridBox kDesignDescriptionBox{1306.525f, 5.f, 1688.25f, 38.f};
constexpr float kDesignFieldSize = 18.15f;
constexpr GridBox kInputGainBox{914.8f, 45.f, 991.8f, 95.f};
constexpr GridBox kOutputGainBox{1614.f, 45.f, 1704.f, 95.f};
constexpr float kGainCaptionSize = 20.f;
constexpr float kGainValueInset = 3.f;

// The section chain: six slots from kSlotTop to kSlotBottom with a colour band
// above kSlotDivider and the "BYP" box and trim field below it.
struct SlotColumn {
  float left, right;
  float anchor;  // the right unit of the slot's column
  float width;   // the slot's width constant
};
constexpr std::array<SlotColumn, kAmpSectionCount> kSlotColumns{{
    {1004.8f, 1093.6f, 1043.6f, 111.f},
    {1106.6f, 1195.4f, 1145.4f, 111.f},
    {1208.4f, 1298.f, 1248.f, 112.f},
    {1311.f, 1399.8f, 1349.8f, 111.f},
    {1412.8f, 1499.2f, 1449.2f, 108.f},
    {1512.2f, 1601.f, 1551.f, 111.f},
}};
constexpr float kSlotTop = 45.f;
constexpr float kSlotBottom = 95.f;
constexpr float kSlotDivider = 70.f;
constexpr float kSlotLabelSize = 20.f;
constexpr std::array<const char*, kAmpSectionCount> kSectionLabels{"PRE I",  "PRE II", "PRE III",
                                                                   "PRE IV", "TONE",   "POWER"};
constexpr float kToneLabelIndent = 5.f;
constexpr float kLeftArrowFromRight = 39.f;
constexpr float kRightArrowFromRight = 21.f;
constexpr float kArrowEndFromRight = 3.f;
constexpr float kArrowTop = 3.f;
constexpr float kArrowBottom = 21.f;
constexpr float kArrowSize = 16.f;
constexpr float kBypassIndent = 3.f;
constexpr float kBypassRightFromAnchor = 98.f;
constexpr float kBypassTextSize = 16.f;
constexpr float kTrimLeftFromAnchor = 101.f;
constexpr float kTrimRightFromAnchor = 48.f;
constexpr float kValueTop = 72.f;
constexpr float kValueBottom = 94.f;

// The PLAY view's gain fields take the meters' rows.
constexpr float kPlayInputTop = 18.f;
constexpr float kPlayInputBottom = 41.f;
constexpr float kPlayOutputTop = 49.f;
constexpr float kPlayOutputBottom = 72.f;
constexpr GridBox kGainTrimLabelBox{1625.12f, 75.f, 1704.f, 96.f};
constexpr float kGainTrimLabelSize = 17.f;
constexpr GridBox kPlayTitleBox{910.f, 5.f, 1519.f, 58.25f};
constexpr float kPlayTitleSize = 30.f;
constexpr GridBox kPlayDescriptionBox{910.f, 63.25f, 1519.f, 96.f};
constexpr float kPlayDescriptionSize = 18.15f;

// The preset bar, in units from its offset o, which puts its left edge this
// many points right of the view switch.
constexpr float kPresetBarGap = 15.f;
constexpr float kPresetBarLeft = 663.f;
constexpr float kPresetBarRight = 895.f;
constexpr float kPresetNameTop = 5.f;
constexpr float kPresetNameBottom = 38.f;
constexpr float kPresetNameSize = 18.15f;
constexpr float kPresetNameInset = 6.f;
constexpr float kModifiedSquare = 33.6f;
constexpr float kModifiedMarkSize = 39.2f;
constexpr float kNameAfterMark = 3.f;
constexpr char kModifiedMark[] = "*";
constexpr char kFolderEmptyText[] = "Preset folder empty";
constexpr char kNoFolderText[] = "No preset folder";
constexpr char kUnsavedDesignText[] = "Unsaved design";
constexpr float kCommandTop = 41.f;
constexpr float kCommandBottom = 62.f;
constexpr float kNavigationTop = 67.f;
constexpr float kNavigationBottom = 95.f;
constexpr float kPresetButtonSize = 14.f;
constexpr GridColumn kOpenColumn{663.f, 718.6f};
constexpr GridColumn kNewColumn{721.8f, 777.4f};
constexpr GridColumn kSaveColumn{780.6f, 836.2f};
constexpr GridColumn kSaveAsColumn{839.4f, 895.f};
constexpr GridColumn kPreviousColumn{663.f, 689.4f};
constexpr GridColumn kIndexColumn{691.8f, 750.2f};
constexpr GridColumn kNextColumn{753.4f, 779.8f};
constexpr GridColumn kCollectionColumn{783.48f, 895.f};
constexpr int kIndexBufferSize = 24;
constexpr char kNoIndexText[] = "--";
constexpr float kHighlightInset = 1.5f;

IText Style(float size, const IColor& colour, const char* font = kEditorFontRegular,
            EAlign align = EAlign::Center) {
  return IText(size, colour, font, align, EVAlign::Middle);
}

IText MainText(float size, EAlign align = EAlign::Center) {
  return Style(size, PaletteColor(kPaletteMainText), kEditorFontRegular, align);
}

float Measure(IGraphics& g, const IText& style, const char* text, IRECT bounds) {
  return g.MeasureTextIfNotEmpty(style, text, bounds);
}

IRECT BoxRect(const HeaderGrid& grid, const GridBox& box) {
  return grid.Rect(box.left, box.top, box.right, box.bottom);
}

void DrawBox(IGraphics& g, const IRECT& r, const IColor& fill) {
  g.FillRect(fill, r);
  g.DrawRect(PaletteColor(kPaletteOutline), r, nullptr, kLineWidth);
}

// The title at most as wide as its box, then drawn a little smaller; answers
// its drawn width.
float DrawTitle(IGraphics& g, const HeaderGrid& grid) {
  int major = 0;
  int minor = 0;
  if (std::sscanf(kProductVersionText, "%d.%d", &major, &minor) != 2) major = minor = 0;
  char title[kTitleBufferSize];
  plugkit::FormatCLocale(title, sizeof title, kTitleFormat, major, minor);

  const IRECT box = BoxRect(grid, kTitleBox);
  IText style = Style(kTitleStartSize * grid.unitY, PaletteColor(kPaletteHeaderTitle), kEditorFontRegular,
                      EAlign::Near);
  const float width = Measure(g, style, title, box);
  if (width > box.W()) style.mSize *= box.W() / width;
  style.mSize *= kTitleDrawnShare;
  g.DrawTextIfNotEmpty(style, title, box);
  return Measure(g, style, title, box);
}

// The banner sized to the title's width.
void DrawBanner(IGraphics& g, const HeaderGrid& grid, float titleWidth) {
  const IRECT box = BoxRect(grid, kBannerBox);
  IText style = Style(kBannerStartSize * grid.unitY, kBannerColor, kEditorFontRegular, EAlign::Near);
  for (int i = 0; i < kBannerCorrections; ++i) {
    const float width = Measure(g, style, kBannerText, box);
    if (width > 0.f) style.mSize *= titleWidth / width;
  }
  style.mSize *= kBannerDrawnShare;
  g.DrawTextIfNotEmpty(style, kBannerText, box);
}

// The logo's bitmap fitted into its box; the box itself when there is none.
IRECT DrawLogo(IGraphics& g, const HeaderGrid& grid) {
  const IRECT box = BoxRect(grid, kLogoBox);
  const IBitmap logo = g.LoadBitmap(kLogoResource, 1, false, kLogoScale);
  if (!logo.IsValid() || logo.W() <= 0 || logo.H() <= 0) return box;
  const float width = static_cast<float>(logo.W());
  const float height = static_cast<float>(logo.H());
  const float scale = std::min(box.W() / width, kLogoHeightShare * box.H() / height);
  const float centreX = (box.L + box.R) / 2.f - kLogoLift * grid.unitX;
  const float centreY = (box.T + box.B) / 2.f - kLogoLift * grid.unitY;
  const float halfWidth = width * scale / 2.f;
  const float halfHeight = height * scale / 2.f;
  const IRECT fitted(centreX - halfWidth, centreY - halfHeight, centreX + halfWidth, centreY + halfHeight);
  g.DrawStretchedBitmap(logo, fitted);
  return fitted;
}

// The four switch boxes, left to right.
std::array<IRECT, kSwitchCount> SwitchBoxes(const HeaderGrid& grid) {
  const float a = grid.X(kSwitchSpanLeft);
  const float b = grid.X(kSwitchSpanRight);
  const float margin = kSwitchSpanMargin * (b - a);
  const float half = ((b - margin) - (a + margin)) / 2.f;
  const float width = kSwitchWidthPerHalf * half;
  float left = a + margin + kFirstSwitchIndentPerHalf * half - kFirstSwitchShift * grid.unitX;
  std::array<IRECT, kSwitchCount> boxes;
  for (IRECT& box : boxes) {
    box = IRECT(left, grid.Y(kSwitchTop), left + width, grid.Y(kSwitchBottom));
    left = box.R + kSwitchSpacing * grid.unitX;
  }
  return boxes;
}

const char* OversamplingText(int factor) {
  switch (factor) {
    case 1: return "OFF";
    case 2: return "2x";
    case 4: return "4x";
    default: return "8x";
  }
}

void DrawOversamplingBox(IGraphics& g, const HeaderGrid& grid, const IRECT& r, int factor) {
  DrawBox(g, r, PaletteColor(kPalettePanel));
  const IColor text = PaletteColor(kPaletteMainText);
  const float a = r.T + kOversamplingTopPad * grid.unitY;
  const float mid = (r.T + r.B) / 2.f;
  const float left = r.L + grid.unitX;
  const float right = r.R - grid.unitX;
  const float quarter = a + (mid - a) / 2.f;
  const float shift = kOverShift * grid.unitY;
  g.DrawTextIfNotEmpty(Style(kOverSize * grid.unitY, text, kEditorFontBold), "OVER",
                       IRECT(left, a + shift, right, quarter + shift));
  g.DrawTextIfNotEmpty(Style(kSampleSize * grid.unitY, text, kEditorFontBold), "SAMPLE",
                       IRECT(left, quarter, right, mid));
  g.DrawTextIfNotEmpty(Style(kFactorSize * grid.unitY, text), OversamplingText(factor), IRECT(left, mid, right, r.B));
}

// The meters' labels and a tick for each level, where the meters' bars end at
// that level.
void DrawMeterScale(IGraphics& g, const HeaderGrid& grid, const IRECT& editor) {
  using Meter = OrvaneLevelMeterControl;
  const IText label = MainText(kMeterLabelSize * grid.unitY, EAlign::Near);
  const IRECT input = Meter::MeterRect(editor, Meter::kInputMeter);
  const IRECT output = Meter::MeterRect(editor, Meter::kOutputMeter);
  const float labelLeft = grid.X(kMeterLabelLeft);
  const float labelRight = grid.X(kMeterLabelRight);
  g.DrawTextIfNotEmpty(label, "IN", IRECT(labelLeft, input.T, labelRight, input.B));
  g.DrawTextIfNotEmpty(label, "OUT", IRECT(labelLeft, output.T, labelRight, output.B));

  const IText tickLabel = MainText(kTickLabelSize * grid.unitY);
  const IColor tickColour = PaletteColor(kPaletteOutline);
  const float halfWidth = kTickLabelHalfWidth * grid.unitX;
  for (const int db : kScaleTicksDb) {
    const float x = output.L + Meter::LevelFraction(static_cast<float>(db)) * output.W();
    g.DrawLine(tickColour, x, grid.Y(kTickTop), x, grid.Y(kTickBottom), nullptr, kLineWidth);
    char text[kTickLabelBufferSize];
    plugkit::FormatCLocale(text, sizeof text, "%d", db);
    g.DrawTextIfNotEmpty(tickLabel, text,
                         IRECT(x - halfWidth, grid.Y(kTickLabelTop), x + halfWidth, grid.Y(kTickLabelBottom)));
  }
}

// A slot-like box with a caption above the divider; answers the value field's rectangle.
IRECT DrawGainCaption(IGraphics& g, const HeaderGrid& grid, const GridBox& box, const char* caption) {
  const IRECT r = BoxRect(grid, box);
  const float divider = grid.Y(kSlotDivider);
  DrawBox(g, r, PaletteColor(kPalettePanel));
  g.DrawLine(PaletteColor(kPaletteOutline), r.L, divider, r.R, divider, nullptr, kLineWidth);
  g.DrawTextIfNotEmpty(MainText(kGainCaptionSize * grid.unitY), caption, IRECT(r.L, r.T, r.R, divider));
  const float inset = kGainValueInset * grid.unitX;
  return IRECT(r.L + inset, grid.Y(kValueTop), r.R - inset, grid.Y(kValueBottom));
}

// The sections in processing order, the tone stack after preamp stage p.
std::array<int, kAmpSectionCount> ChainOrder(int toneStackPosition) {
  const int p = std::clamp(toneStackPosition, kToneStackFirst, kToneStackLast);
  std::array<int, kAmpSectionCount> order{};
  std::size_t slot = 0;
  for (int stage = 0; stage < p; ++stage) order[slot++] = kSectionPreamp1 + stage;
  order[slot++] = kSectionToneStack;
  for (int stage = p; stage < static_cast<int>(kPreampStageCount); ++stage) order[slot++] = kSectionPreamp1 + stage;
  order[slot] = kSectionPowerAmp;
  return order;
}

std::size_t SectionBand(int section) {
  if (section == kSectionToneStack) return kPaletteToneStackBand;
  if (section == kSectionPowerAmp) return kPalettePowerAmpBand;
  return kPaletteFirstStageBand + static_cast<std::size_t>(section);
}

void DrawToneStackArrows(OrvaneGUIControl& e, IGraphics& g, const HeaderGrid& grid, const IRECT& slot) {
  const float top = slot.T + kArrowTop * grid.unitY;
  const float bottom = slot.T + kArrowBottom * grid.unitY;
  const IRECT left(slot.R - kLeftArrowFromRight * grid.unitX, top, slot.R - kRightArrowFromRight * grid.unitX,
                   bottom);
  const IRECT right(slot.R - kRightArrowFromRight * grid.unitX, top, slot.R - kArrowEndFromRight * grid.unitX,
                    bottom);
  const IText arrow = Style(kArrowSize * grid.unitY, PaletteColor(kPaletteActiveText), kEditorFontBold);
  const auto draw = [&](const IRECT& r, const char* text, bool shown) {
    if (!shown) return IRECT();
    g.FillRect(kAccentColor, r);
    g.DrawTextIfNotEmpty(arrow, text, r);
    return r;
  };
  // Each arrow only while the tone stack can move that way.
  e.mToneStackLeftArrowRect = draw(left, "<", e.mToneStackPosition > kToneStackFirst);
  e.mToneStackRightArrowRect = draw(right, ">", e.mToneStackPosition < kToneStackLast);
}

void DrawSectionChain(OrvaneGUIControl& e, IGraphics& g, const HeaderGrid& grid) {
  const std::array<int, kAmpSectionCount> order = ChainOrder(e.mToneStackPosition);
  const float inset = std::max(grid.unitY, kThinnestLine);
  const float top = grid.Y(kSlotTop);
  const float divider = grid.Y(kSlotDivider);
  const IColor outline = PaletteColor(kPaletteOutline);
  const IColor mainText = PaletteColor(kPaletteMainText);
  for (std::size_t i = 0; i < kAmpSectionCount; ++i) {
    const SlotColumn& column = kSlotColumns[i];
    const int section = order[i];
    const auto s = static_cast<std::size_t>(section);
    const bool on = e.mEffectiveSections[s];
    const IRECT slot = grid.Rect(column.left, kSlotTop, column.right, kSlotBottom);
    DrawBox(g, slot, PaletteColor(kPalettePanel));
    g.FillRect(PaletteColor(on ? SectionBand(section) : kPaletteBackground),
               IRECT(slot.L + inset, top + inset, slot.R - inset, divider));
    g.DrawLine(outline, slot.L, divider, slot.R, divider, nullptr, kLineWidth);

    const IText label = Style(kSlotLabelSize * grid.unitY, on ? plugkit::graphics::kColorWhite : mainText);
    if (section == kSectionToneStack) {
      DrawToneStackArrows(e, g, grid, slot);
      const float arrowsLeft = slot.R - kLeftArrowFromRight * grid.unitX;
      g.DrawTextIfNotEmpty(label, kSectionLabels[s],
                           IRECT(slot.L + kToneLabelIndent * grid.unitX, top, arrowsLeft - grid.unitX, divider));
    } else {
      g.DrawTextIfNotEmpty(label, kSectionLabels[s], IRECT(slot.L + inset, top + inset, slot.R, divider));
    }
    if (section <= kSectionPreamp4) e.mStageSelectorRects[1][s] = IRECT(slot.L, top, slot.R, divider);

    const IRECT bypass(slot.L + kBypassIndent * grid.unitX, divider + grid.unitY,
                       grid.X(column.anchor + kBypassRightFromAnchor - column.width) + grid.unitX,
                       grid.Y(kSlotBottom) - grid.unitY);
    DrawBox(g, bypass, on ? PaletteColor(kPalettePanel) : kAccentColor);
    const IText bypassText = FitTextMainColour(g, MainText(kBypassTextSize * grid.unitY))(
        bypass, "BYP", kBypassTextSize * grid.unitY);
    g.DrawTextIfNotEmpty(bypassText, "BYP", bypass);
    e.mSectionButtonRects[s] = bypass;

    e.DrawTrimField(g, section,
                    IRECT(grid.X(column.anchor + kTrimLeftFromAnchor - column.width), grid.Y(kValueTop),
                          grid.X(column.anchor + kTrimRightFromAnchor), grid.Y(kValueBottom)));
  }
}

void DrawEditHeaderFields(OrvaneGUIControl& e, IGraphics& g, const HeaderGrid& grid) {
  e.DrawNameField(g, BoxRect(grid, kDesignNameBox), kDesignFieldSize * grid.unitY, kDesignNamePlaceholder);
  e.DrawDescriptionField(g, BoxRect(grid, kDesignDescriptionBox), kDesignFieldSize * grid.unitY);
  e.DrawGainBox(g, true, DrawGainCaption(g, grid, kInputGainBox, "IN GAIN"));
  DrawSectionChain(e, g, grid);
  e.DrawGainBox(g, false, DrawGainCaption(g, grid, kOutputGainBox, "OUT GAIN"));
}

void DrawPlayHeaderFields(OrvaneGUIControl& e, IGraphics& g, const HeaderGrid& grid) {
  e.DrawGainField(g, true, grid.Y(kPlayInputTop), grid.Y(kPlayInputBottom));
  e.DrawGainField(g, false, grid.Y(kPlayOutputTop), grid.Y(kPlayOutputBottom));
  const IRECT trimLabel = BoxRect(grid, kGainTrimLabelBox);
  const IText trimStyle = FitTextMainColour(g, MainText(kGainTrimLabelSize * grid.unitY))(
      trimLabel, "GAIN TRIM", kGainTrimLabelSize * grid.unitY);
  g.DrawTextIfNotEmpty(trimStyle, "GAIN TRIM", trimLabel);
  e.DrawNameField(g, BoxRect(grid, kPlayTitleBox), kPlayTitleSize * grid.unitY);
  e.DrawDescriptionField(g, BoxRect(grid, kPlayDescriptionBox), kPlayDescriptionSize * grid.unitY);
}

void DrawPresetName(OrvaneGUIControl& e, IGraphics& g, const HeaderGrid& grid, const IRECT& box) {
  DrawBox(g, box, PaletteColor(kPalettePanel));
  const char* name = e.mActivePresetName.c_str();
  if (e.mActivePresetName.empty()) {
    if (e.mPresetCount > 0)
      name = kUnsavedDesignText;
    else
      name = e.mPresetFolderExists ? kFolderEmptyText : kNoFolderText;
  }

  float textLeft = box.L + kPresetNameInset * grid.unitX;
  if (e.mPresetModified) {
    const float middle = (box.T + box.B) / 2.f;
    const float half = kModifiedSquare * grid.unitY / 2.f;
    const IRECT square(box.L, middle - half, box.L + kModifiedSquare * grid.unitX, middle + half);
    g.DrawTextIfNotEmpty(Style(kModifiedMarkSize * grid.unitY, kAccentColor, kEditorFontBold), kModifiedMark, square);
    textLeft = square.R + kNameAfterMark * grid.unitX;
  }
  const IRECT space(textLeft, box.T, box.R - kPresetNameInset * grid.unitX, box.B);
  const IText style = MainText(kPresetNameSize * grid.unitY, EAlign::Near);
  g.DrawTextIfNotEmpty(style, CutTextToWidth(g, style, name, space.W()).c_str(), space);
}

void DrawPresetBar(OrvaneGUIControl& e, IGraphics& g, const HeaderGrid& grid, float left) {
  // Units counted as the bar's columns are, kPresetBarLeft standing at `left`.
  const auto x = [&](float u) { return left + (u - kPresetBarLeft) * grid.unitX; };
  const auto row = [&](const GridColumn& column, float top, float bottom) {
    return IRECT(x(column.left), grid.Y(top), x(column.right), grid.Y(bottom));
  };

  e.mPresetNameRect = IRECT(x(kPresetBarLeft), grid.Y(kPresetNameTop), x(kPresetBarRight), grid.Y(kPresetNameBottom));
  DrawPresetName(e, g, grid, e.mPresetNameRect);

  const IText button = MainText(kPresetButtonSize * grid.unitY);
  const auto drawButton = [&](IRECT& stored, const IRECT& r, const char* label,
                              std::optional<IColor> fill = {}) {
    e.DrawTabButton(g, r, label, false, button, false, {}, fill);
    stored = r;
  };
  drawButton(e.mOpenRect, row(kOpenColumn, kCommandTop, kCommandBottom), "OPEN");
  drawButton(e.mNewRect, row(kNewColumn, kCommandTop, kCommandBottom), "NEW");
  drawButton(e.mSaveRect, row(kSaveColumn, kCommandTop, kCommandBottom), "SAVE");
  drawButton(e.mSaveAsRect, row(kSaveAsColumn, kCommandTop, kCommandBottom), "SAVE AS");

  const IColor arrowFill = PaletteColor(e.mPresetCount >= 1 ? kPalettePanel : kPaletteBackground);
  char index[kIndexBufferSize];
  if (e.mActivePresetIndex >= 1)
    plugkit::FormatCLocale(index, sizeof index, "%d/%d", e.mActivePresetIndex, e.mPresetCount);
  else
    plugkit::FormatCLocale(index, sizeof index, "%s", kNoIndexText);
  drawButton(e.mPreviousPresetRect, row(kPreviousColumn, kNavigationTop, kNavigationBottom), "<", arrowFill);
  drawButton(e.mPresetIndexRect, row(kIndexColumn, kNavigationTop, kNavigationBottom), index);
  drawButton(e.mNextPresetRect, row(kNextColumn, kNavigationTop, kNavigationBottom), ">", arrowFill);

  const IRECT collection = row(kCollectionColumn, kNavigationTop, kNavigationBottom);
  DrawBox(g, collection, PaletteColor(kPalettePanel));
  const float middle = (collection.L + collection.R) / 2.f;
  const float highlightWidth = (collection.W() - 2.f * kHighlightInset) / 2.f;
  const float highlightLeft =
      e.mFactoryPresetsShown ? collection.L + kHighlightInset : collection.R - kHighlightInset - highlightWidth;
  g.FillRect(kThumbColor, IRECT(highlightLeft, collection.T + kHighlightInset, highlightLeft + highlightWidth,
                                collection.B - kHighlightInset));
  e.mFactoryTabRect = IRECT(collection.L, collection.T, middle, collection.B);
  e.mUserTabRect = IRECT(middle, collection.T, collection.R, collection.B);
  g.DrawTextIfNotEmpty(button, "FACTORY", e.mFactoryTabRect);
  g.DrawTextIfNotEmpty(button, "USER", e.mUserTabRect);
}

}  // namespace

void OrvaneGUIControl::DrawHeader(IGraphics& g, const IRECT& editor, float headerHeight) {
  const HeaderGrid grid(editor, headerHeight);
  g.FillRect(PaletteColor(kPaletteHeaderBand), IRECT(editor.L, editor.T, editor.R, editor.T + headerHeight));
  const float bottom = editor.T + headerHeight;
  g.DrawLine(PaletteColor(kPaletteOutline), editor.L, bottom, editor.R, bottom, nullptr,
             std::max(grid.unitY, kThinnestLine));

  DrawBanner(g, grid, DrawTitle(g, grid));
  mLogoRect = DrawLogo(g, grid);

  const std::array<IRECT, kSwitchCount> switches = SwitchBoxes(grid);
  const IText switchLabel = MainText(kSwitchLabelSize * grid.unitY);
  DrawThemeSwitch(g, switches[0], ThemePalette.IsDark(), mThemeAnimation);
  DrawOnOffSwitch(g, switches[1], mAmplifierEnabled, switchLabel, mAmplifierAnimation);
  DrawOversamplingBox(g, grid, switches[2], mOversampling);
  mOversamplingRect = switches[2];
  DrawViewSwitch(g, switches[3], mPlayerView, switchLabel, kSwitchOn - mViewAnimation);

  DrawMeterScale(g, grid, editor);
  if (mPlayerView)
    DrawPlayHeaderFields(*this, g, grid);
  else
    DrawEditHeaderFields(*this, g, grid);
  DrawPresetBar(*this, g, grid, switches[3].R + kPresetBarGap);
}

}  // namespace orvane
