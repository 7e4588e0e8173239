#include "editor/plot_drawing.h"

#include <algorithm>

#include "editor/editor_colours.h"
#include "editor/text_fitting.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;
using plugkit::graphics::IPaint;
using plugkit::graphics::IStrokeStyle;

constexpr float kSmallestPanel = 20.f;
constexpr float kGridWidth = 0.65f;
constexpr float kFrameWidth = 0.7f;

// The top strip, below the panel's top and above the area.
constexpr float kStripTopInset = 4.f;
constexpr float kStripBottomGap = 3.f;
constexpr float kTitleLeftInset = 6.f;
// The bottom strip: the x labels right under the area, the axis title under them.
constexpr float kXLabelRowTop = 0.5f;
constexpr float kXLabelRowBottom = 9.f;
constexpr float kXLabelHalfWidth = 20.f;
// Value labels in the left margin, right-aligned against the area, each in
// a box whose height caps its text size.
constexpr float kYLabelLeftInset = 2.f;
constexpr float kYLabelGap = 3.f;
constexpr float kYLabelBoxHeight = 8.5f;

constexpr float kLabelSizeShare = 0.75f;
constexpr PlotTitleBox kMagnitudeTitle{0.28f, 70.f, 0.8f};
constexpr PlotTitleBox kOutputTitle{0.3f, 90.f, 0.8f};
constexpr PlotTitleBox kBottomTitle{0.3f, 90.f, 0.8f};

struct FamilyLook {
  bool logarithmic;
  CurveScale scale;
  const char* valueTitle;
  PlotTitleBox valueTitleBox;
  const char* xTitle;
};

FamilyLook LookOf(PlotFamily family) {
  if (family == PlotFamily::kFrequency)
    return {true, CurveScale::kDecibels, "MAGNITUDE [dB]", kMagnitudeTitle, "FREQUENCY [Hz]"};
  return {false, CurveScale::kLinear, "OUTPUT [V]", kOutputTitle, "Input [V]"};
}

// The parts of one plot drawn into its panel.
class PlotCanvas {
public:
  PlotCanvas(IGraphics& g, const IRECT& panel, const IText& style)
      : mGraphics(g), mPanel(panel), mArea(PlotArea(panel)), mStyle(style) {}

  bool Drawable() const {
    return mPanel.W() >= kSmallestPanel && mPanel.H() >= kSmallestPanel && mArea.W() > 0.f && mArea.H() > 0.f;
  }
  const IRECT& Area() const { return mArea; }
  // The size the value labels are drawn at before they are fitted to their width.
  float ValueLabelHeight() const { return std::min(LabelSize(), kYLabelBoxHeight); }

  void FillArea() { mGraphics.FillRect(PaletteColor(kPalettePlotArea), mArea); }
  void DrawFrame() { mGraphics.DrawRect(PaletteColor(kPaletteOutline), mArea, nullptr, kFrameWidth); }

  IRECT TitleAtLeft(const char* text, const PlotTitleBox& box) {
    const float left = mPanel.L + kTitleLeftInset;
    const IRECT r(left, StripTop(), left + Width(box), StripBottom());
    DrawTitle(r, text, box, EAlign::Near);
    return r;
  }

  IRECT NameAtRight(const char* text, const PlotTitleBox& box) {
    const IRECT r(mArea.R - Width(box), StripTop(), mArea.R, StripBottom());
    DrawTitle(r, text, box, EAlign::Far);
    return r;
  }

  void TitleBelow(const char* text, const PlotTitleBox& box) {
    const float centre = (mArea.L + mArea.R) / 2.f;
    const float half = Width(box) / 2.f;
    DrawTitle(IRECT(centre - half, mArea.B + kXLabelRowBottom, centre + half, mPanel.B), text, box, EAlign::Center);
  }

  void VerticalGrid(const std::vector<GridLine>& lines, const PlotMapping& mapping) {
    for (const GridLine& line : lines) {
      const float x = mapping.X(line.value);
      mGraphics.DrawLine(GridColour(), x, mArea.T, x, mArea.B, nullptr, kGridWidth);
      DrawLabel(line.label, EAlign::Center,
                IRECT(x - kXLabelHalfWidth, mArea.B + kXLabelRowTop, x + kXLabelHalfWidth, mArea.B + kXLabelRowBottom));
    }
  }

  void HorizontalGrid(const std::vector<GridLine>& lines, const PlotMapping& mapping) {
    for (const GridLine& line : lines) {
      const float y = mapping.Y(line.value);
      mGraphics.DrawLine(GridColour(), mArea.L, y, mArea.R, y, nullptr, kGridWidth);
      const float half = kYLabelBoxHeight / 2.f;
      DrawLabel(line.label, EAlign::Far, IRECT(mPanel.L + kYLabelLeftInset, y - half, mArea.L - kYLabelGap, y + half));
    }
  }

private:
  float StripTop() const { return mPanel.T + kStripTopInset; }
  float StripBottom() const { return mArea.T - kStripBottomGap; }
  float Width(const PlotTitleBox& box) const { return std::min(box.widthShare * mArea.W(), box.maxWidth); }
  float LabelSize() const { return kLabelSizeShare * mStyle.mSize; }
  static IColor GridColour() { return PaletteColor(kPalettePlotGrid); }

  void DrawTitle(const IRECT& r, const char* text, const PlotTitleBox& box, EAlign align) {
    DrawFittedText(mGraphics, mStyle, r, text, PaletteColor(kPaletteMainText), box.sizeShare * mStyle.mSize, align);
  }

  void DrawLabel(const std::string& label, EAlign align, const IRECT& r) {
    DrawFittedText(mGraphics, mStyle, r, label.c_str(), PaletteColor(kPaletteSecondaryText), LabelSize(), align);
  }

  IGraphics& mGraphics;
  IRECT mPanel;
  IRECT mArea;
  IText mStyle;
};

ValueRange RangeOf(const PlotContent& content, CurveScale scale) {
  ValueSpan values;
  for (const PlotCurve& curve : content.curves) values.AddCurve(curve.x, curve.y, scale, content.xmin, content.xmax);
  if (content.reference) values.AddReference(*content.reference, content.xmin, content.xmax);
  return content.family == PlotFamily::kFrequency ? DecibelRange(values) : TransferRange(values);
}

}  // namespace

void DrawFittedText(IGraphics& g, const IText& base, const IRECT& r, const char* text, const IColor& colour,
                    float maxSize, EAlign align) {
  IText aligned = base;
  aligned.mAlign = align;
  aligned.mVAlign = EVAlign::Middle;
  g.DrawText(FitText(g, aligned)(r, text, colour, maxSize), text, r);
}

void StrokePlotPoints(IGraphics& g, const std::vector<PlotPoint>& points, const IColor& colour, float width) {
  if (points.size() < 2) return;
  g.PathClear();
  g.PathMoveTo(points.front().x, points.front().y);
  for (std::size_t i = 1; i < points.size(); ++i) g.PathLineTo(points[i].x, points[i].y);
  g.StrokePath(IPaint(colour), width, IStrokeStyle{}, nullptr);
}

void DrawReferenceCurve(IGraphics& g, const IRECT& area, const PlotSeries& series, bool logarithmic, double xmin,
                        double xmax, double ymin, double ymax) {
  const PlotMapping mapping{area, logarithmic, xmin, xmax, ymin, ymax};
  StrokePlotPoints(g, ReferencePixels(series, mapping), kReferenceCurveColor, kReferenceCurveWidth);
}

std::optional<IRECT> DrawPlot(IGraphics& g, const IRECT& panel, const IText& style, const PlotContent& content) {
  PlotCanvas canvas(g, panel, style);
  if (!canvas.Drawable() || !(content.xmax > content.xmin)) return std::nullopt;
  const FamilyLook look = LookOf(content.family);
  const IRECT& area = canvas.Area();
  const ValueRange range = RangeOf(content, look.scale);
  const PlotMapping mapping{area, look.logarithmic, content.xmin, content.xmax, range.min, range.max};

  canvas.FillArea();
  canvas.VerticalGrid(look.logarithmic ? FrequencyGridLines(content.xmax)
                                       : TransferXTicks(content.xmin, content.xmax, area.W()),
                      mapping);
  canvas.HorizontalGrid(look.logarithmic ? DecibelRows(range, area.H(), canvas.ValueLabelHeight())
                                         : TransferYTicks(range, area.H()),
                        mapping);
  canvas.DrawFrame();
  const IRECT title = canvas.TitleAtLeft(look.valueTitle, look.valueTitleBox);
  const IRECT name = canvas.NameAtRight(content.name, content.nameBox);
  canvas.TitleBelow(look.xTitle, kBottomTitle);

  if (range.Drawable()) {
    for (const PlotCurve& curve : content.curves)
      StrokePlotPoints(g, CurvePixels(curve.x, curve.y, look.scale, mapping), curve.colour, curve.width);
    if (content.reference)
      DrawReferenceCurve(g, area, *content.reference, look.logarithmic, content.xmin, content.xmax, range.min,
                         range.max);
  }
  return IRECT(title.R, title.T, name.L, title.B);
}

}  // namespace orvane
