#include "drawing_log.h"

#include <algorithm>
#include <limits>

namespace orvane::testing {

using plugkit::graphics::IRECT;
using plugkit::testing::PathPoint;
using plugkit::testing::RecordedCall;

namespace {

IRECT Bounds(const std::vector<PathPoint>& points) {
  if (points.empty()) return {};
  constexpr double kHuge = std::numeric_limits<double>::max();
  double l = kHuge, t = kHuge, r = -kHuge, b = -kHuge;
  for (const PathPoint& p : points) {
    l = std::min(l, p.x);
    t = std::min(t, p.y);
    r = std::max(r, p.x);
    b = std::max(b, p.y);
  }
  return IRECT(static_cast<float>(l), static_cast<float>(t), static_cast<float>(r), static_cast<float>(b));
}

std::string StyleText(const plugkit::graphics::IText& s) {
  return std::string(s.mFont) + " " + plugkit::testing::FormatNumber(s.mSize) + " fg=" + Colour(s.mFGColor) +
         " angle=" + plugkit::testing::FormatNumber(s.mAngle) + " align=" + std::to_string(static_cast<int>(s.mAlign)) +
         "," + std::to_string(static_cast<int>(s.mVAlign));
}

}  // namespace

std::string Colour(const plugkit::graphics::IColor& colour) { return plugkit::testing::FormatColor(colour); }
std::string Box(const IRECT& r) { return plugkit::testing::FormatRect(r); }

std::vector<DrawnItem> DrawnItems(const plugkit::testing::RecordingGraphics& g) {
  std::vector<DrawnItem> items;
  std::vector<PathPoint> path;
  for (const RecordedCall& call : g.Calls()) {
    if (call.kind == "PathClear") {
      path.clear();
    } else if (call.kind == "FillPath" || call.kind == "StrokePath") {
      DrawnItem item;
      item.kind = call.kind == "FillPath" ? "fill" : "stroke";
      item.colour = call.paint->GetStop(0).mColor;
      item.box = Bounds(path);
      item.line = item.kind + " " + Colour(item.colour);
      if (item.kind == "stroke") {
        item.width = static_cast<float>(call.args.at(0));
        item.line += " w=" + plugkit::testing::FormatNumber(item.width);
      }
      item.line += " " + Box(item.box);
      items.push_back(item);
      if (!(call.strokeStyle && call.strokeStyle->mPreserve) && !(call.fillStyle && call.fillStyle->mPreserve))
        path.clear();
    } else if (call.kind == "DrawText") {
      DrawnItem item;
      item.kind = "text";
      item.text = *call.text;
      item.style = *call.textStyle;
      item.colour = item.style.mFGColor;
      item.box = *call.rect;
      item.line = "text \"" + item.text + "\" " + Box(item.box) + " " + StyleText(item.style);
      items.push_back(item);
    } else {
      path.insert(path.end(), call.points.begin(), call.points.end());
    }
  }
  return items;
}

std::vector<std::string> DrawnLines(const plugkit::testing::RecordingGraphics& g) {
  std::vector<std::string> lines;
  for (const DrawnItem& item : DrawnItems(g)) lines.push_back(item.line);
  return lines;
}

std::vector<DrawnItem> DrawnOfKind(const plugkit::testing::RecordingGraphics& g, const std::string& kind) {
  std::vector<DrawnItem> items = DrawnItems(g);
  std::erase_if(items, [&](const DrawnItem& item) { return item.kind != kind; });
  return items;
}

}  // namespace orvane::testing
