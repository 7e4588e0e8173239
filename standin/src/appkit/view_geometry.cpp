#include "appkit/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace standin::appkit {
namespace {

// Whether the view's y runs the other way from its superview's (the window's
// y runs up, like an unflipped view's).
bool FlipsAgainstSuperview(const NS::View& view) {
  const bool superviewFlipped = view.superview() != nullptr && view.superview()->isFlipped();
  return view.isFlipped() != superviewFlipped;
}

NS::Point PointToSuperview(const NS::View& view, NS::Point point) {
  const NS::Rect frame = view.frame();
  const NS::CGFloat y = FlipsAgainstSuperview(view) ? frame.size.height - point.y : point.y;
  return NS::Point{frame.origin.x + point.x, frame.origin.y + y};
}

NS::Rect RectFromCorners(NS::Point a, NS::Point b) {
  return NS::MakeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y));
}

NS::Point FarCorner(const NS::Rect& rect) {
  return NS::Point{rect.origin.x + rect.size.width, rect.origin.y + rect.size.height};
}

}  // namespace

bool RectContainsPoint(const NS::Rect& rect, NS::Point point) {
  return point.x >= rect.origin.x && point.x < rect.origin.x + rect.size.width && point.y >= rect.origin.y &&
         point.y < rect.origin.y + rect.size.height;
}

NS::Rect RectIntersection(const NS::Rect& a, const NS::Rect& b) {
  const NS::Point low{std::max(a.origin.x, b.origin.x), std::max(a.origin.y, b.origin.y)};
  const NS::Point aFar = FarCorner(a);
  const NS::Point bFar = FarCorner(b);
  const NS::Point high{std::min(aFar.x, bFar.x), std::min(aFar.y, bFar.y)};
  if (high.x <= low.x || high.y <= low.y) return NS::Rect{};
  return RectFromCorners(low, high);
}

bool RectIsEmpty(const NS::Rect& rect) { return rect.size.width <= 0.0 || rect.size.height <= 0.0; }

bool IsHiddenOrHasHiddenAncestor(const NS::View& view) {
  for (const NS::View* step = &view; step != nullptr; step = step->superview()) {
    if (step->isHidden()) return true;
  }
  return false;
}

NS::Point PointFromSuperview(const NS::View& view, NS::Point point) {
  const NS::Rect frame = view.frame();
  const NS::CGFloat y = point.y - frame.origin.y;
  return NS::Point{point.x - frame.origin.x, FlipsAgainstSuperview(view) ? frame.size.height - y : y};
}

NS::Point PointToRoot(const NS::View& view, NS::Point point) {
  for (const NS::View* step = &view; step != nullptr; step = step->superview()) point = PointToSuperview(*step, point);
  return point;
}

NS::Point PointFromRoot(const NS::View& view, NS::Point point) {
  std::vector<const NS::View*> chain;
  for (const NS::View* step = &view; step != nullptr; step = step->superview()) chain.push_back(step);
  for (auto step = chain.rbegin(); step != chain.rend(); ++step) point = PointFromSuperview(**step, point);
  return point;
}

NS::Rect RectToRoot(const NS::View& view, const NS::Rect& rect) {
  return RectFromCorners(PointToRoot(view, rect.origin), PointToRoot(view, FarCorner(rect)));
}

NS::Rect RectFromRoot(const NS::View& view, const NS::Rect& rect) {
  return RectFromCorners(PointFromRoot(view, rect.origin), PointFromRoot(view, FarCorner(rect)));
}

}  // namespace standin::appkit
