#pragma once

#include <optional>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/drawing_types.h"
#include "graphics/graphics_types.h"

namespace plugkit::testing {

// A point a path call added, through the transform last set; moveTo marks the
// start of a sub-path (otherwise a line joins it to the point before).
struct PathPoint {
  double x = 0.0;
  double y = 0.0;
  bool moveTo = false;
};

// One call that reached the recording graphics: the slot's name, its
// arguments, and the transform last set when it was made. `line` is its
// stable text form: the name, then the arguments in the slot's order; numbers
// with at most 3 decimals (trailing zeros dropped), rectangles "(L,T,R,B)",
// colours "(A,R,G,B)", a solid paint "solid(A,R,G,B)", a stroke style
// "miter=10 cap=0 join=0" (" dash=[...]@offset", " preserve" when set), a fill
// style "rule=0" (" preserve"), "blend=none" or "blend=(method,weight)", text
// quoted, a text style "font size fg=(A,R,G,B) angle=a align=h,v", a bitmap
// "name:WxH". In geometry mode " ->" and the points follow ("M" before a
// sub-path's first point).
struct RecordedCall {
  std::string kind;
  std::vector<double> args;  // the plain numeric arguments, in order
  std::optional<graphics::IRECT> rect;
  std::optional<graphics::IPaint> paint;
  std::optional<graphics::IStrokeStyle> strokeStyle;
  std::optional<graphics::IFillStyle> fillStyle;
  std::optional<graphics::IBlend> blend;  // empty when the slot got none
  std::optional<std::string> text;
  std::optional<graphics::IText> textStyle;
  std::optional<graphics::IBitmap> bitmap;
  graphics::ITransform transform;
  std::vector<PathPoint> points;  // geometry mode only
  std::string line;
};

// Builds a RecordedCall and its line together, one argument at a time.
class CallBuilder {
public:
  CallBuilder(const char* kind, const graphics::ITransform& transform);

  CallBuilder& Number(double value);
  CallBuilder& Flag(const char* name, bool value);  // "name=0|1"
  CallBuilder& Word(const std::string& word);
  CallBuilder& Rect(const graphics::IRECT& r);
  CallBuilder& Paint(const graphics::IPaint& paint);
  CallBuilder& Stroke(const graphics::IStrokeStyle& style);
  CallBuilder& Fill(const graphics::IFillStyle& style);
  CallBuilder& Blend(const graphics::IBlend* blend);
  CallBuilder& Text(const char* str);
  CallBuilder& TextStyle(const graphics::IText& style, bool withColor);
  CallBuilder& Bitmap(const graphics::IBitmap& bitmap);
  CallBuilder& Points(const std::vector<PathPoint>& points);

  RecordedCall Take() { return std::move(mCall); }

private:
  void Append(const std::string& piece);

  RecordedCall mCall;
};

// A number with at most 3 decimals and no trailing zeros; -0 reads 0.
std::string FormatNumber(double value);
std::string FormatRect(const graphics::IRECT& r);
std::string FormatColor(const graphics::IColor& c);

}  // namespace plugkit::testing
