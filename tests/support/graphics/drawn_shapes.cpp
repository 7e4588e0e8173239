#include "support/graphics/drawn_shapes.h"

#include <algorithm>

namespace plugkit::testing {

using graphics::IRECT;

namespace {

std::string BlendSuffix(const RecordedCall& call) {
  if (!call.blend || call.blend->mWeight == 1.f) return "";
  return " @" + FormatNumber(call.blend->mWeight);
}

}  // namespace

std::vector<std::string> DrawnShapes(const RecordingGraphics& g) {
  std::vector<std::string> lines;
  IRECT box;
  bool empty = true;
  for (const RecordedCall& call : g.Calls()) {
    if (call.kind == "PathClear") empty = true;
    for (const PathPoint& p : call.points) {
      const auto x = static_cast<float>(p.x);
      const auto y = static_cast<float>(p.y);
      box = empty ? IRECT(x, y, x, y)
                  : IRECT(std::min(box.L, x), std::min(box.T, y), std::max(box.R, x), std::max(box.B, y));
      empty = false;
    }
    const std::string bounds = FormatRect(empty ? IRECT() : box);
    if (call.kind == "FillPath")
      lines.push_back("fill " + FormatColor(call.paint->GetStop(0).mColor) + " " + bounds + BlendSuffix(call));
    if (call.kind == "StrokePath") {
      const double thickness = call.args.front();
      lines.push_back("stroke " + FormatColor(call.paint->GetStop(0).mColor) + " " + bounds +
                      (thickness == 1.0 ? "" : " w=" + FormatNumber(thickness)) + BlendSuffix(call));
    }
    if (call.kind == "SetClipRect") lines.push_back("clip " + FormatRect(*call.rect));
    if (call.kind == "DrawText") lines.push_back("text \"" + *call.text + "\" " + FormatRect(*call.rect));
  }
  return lines;
}

}  // namespace plugkit::testing
