#pragma once

// Coordinates between views, their window and the screen.

#include <AppKit/NSView.h>

namespace standin::appkit {

// Half-open on every side, so neighbouring rectangles never share a point.
bool RectContainsPoint(const NS::Rect& rect, NS::Point point);
// The zero rectangle when they do not overlap.
NS::Rect RectIntersection(const NS::Rect& a, const NS::Rect& b);
bool RectIsEmpty(const NS::Rect& rect);
// A view shows nothing while it or an ancestor is hidden.
bool IsHiddenOrHasHiddenAncestor(const NS::View& view);

// A point of the view in its root's superview coordinates (the window's for a
// content view) and back.
NS::Point PointToRoot(const NS::View& view, NS::Point point);
NS::Point PointFromRoot(const NS::View& view, NS::Point point);
NS::Point PointFromSuperview(const NS::View& view, NS::Point point);
NS::Rect RectToRoot(const NS::View& view, const NS::Rect& rect);
NS::Rect RectFromRoot(const NS::View& view, const NS::Rect& rect);

}  // namespace standin::appkit
