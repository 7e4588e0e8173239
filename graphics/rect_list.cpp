// The dirty-rectangle list and its optimisation: before a frame is drawn the
// list is reduced to rectangles that do not overlap, so nothing is drawn twice.
#include <cstring>

#include "graphics/graphics_types.h"

namespace plugkit::graphics {

namespace {

float Area(const IRECT& r) { return r.W() * r.H(); }

// One's top lies within the other's span (touching counts).
bool TouchesVertically(const IRECT& a, const IRECT& b) {
  return (a.T >= b.T && a.T <= b.B) || (b.T >= a.T && b.T <= a.B);
}

bool TouchesHorizontally(const IRECT& a, const IRECT& b) {
  return (a.L >= b.L && a.L <= b.R) || (b.L >= a.L && b.L <= a.R);
}

// Their union is a rectangle with no more area than the two cover: same
// columns and touching or overlapping rows, or the other way round.
bool Mergeable(const IRECT& a, const IRECT& b) {
  if (a.L == b.L && a.R == b.R && TouchesVertically(a, b)) return true;
  return a.T == b.T && a.B == b.B && TouchesHorizontally(a, b);
}

// r less x, where x spans r on one axis. When x lies strictly inside r on the
// other axis two pieces remain: the first is answered, the second put in
// `second`; otherwise `second` stays empty.
IRECT PartOutside(const IRECT& r, const IRECT& x, IRECT& second) {
  second = IRECT();
  if (x.L != r.L) {
    if (x.R != r.R) second = IRECT(x.R, r.T, r.R, r.B);
    return IRECT(r.L, r.T, x.L, r.B);
  }
  if (x.T != r.T) {
    if (x.B != r.B) second = IRECT(r.L, x.B, r.R, r.B);
    return IRECT(r.L, r.T, r.R, x.T);
  }
  if (x.R != r.R) return IRECT(x.R, r.T, r.R, r.B);
  return IRECT(r.L, x.B, r.R, r.B);
}

}  // namespace

void IRECTList::Delete(int index) {
  const int size = Size();
  if (index < 0 || index >= size) return;
  IRECT* rects = mRects.Get();
  std::memmove(rects + index, rects + index + 1, sizeof(IRECT) * static_cast<size_t>(size - index - 1));
  mRects.Resize(size - 1, false);
}

IRECT IRECTList::Bounds() const {
  IRECT bounds;
  for (int i = 0; i < Size(); ++i) bounds = bounds.Union(Get(i));
  return bounds;
}

IRECT IRECTList::Split(const IRECT& r, const IRECT& x) {
  IRECT appended;
  IRECT kept;
  if (r.L == x.L && r.T == x.T) {
    appended = IRECT(x.R, r.T, r.R, x.B);
    kept = IRECT(r.L, x.B, r.R, r.B);
  } else if (r.L == x.L) {
    appended = IRECT(r.L, r.T, r.R, x.T);
    kept = IRECT(x.R, x.T, r.R, r.B);
  } else if (r.T == x.T) {
    appended = IRECT(r.L, r.T, x.L, x.B);
    kept = IRECT(r.L, x.B, r.R, r.B);
  } else {
    appended = IRECT(r.L, r.T, r.R, x.T);
    kept = IRECT(r.L, x.T, x.L, r.B);
  }
  return Add(appended) ? kept : r;
}

void IRECTList::Optimize() {
  // Pass 1: no two rectangles overlap afterwards. Every change only removes
  // area that another rectangle still covers.
  for (int i = 0; i < Size(); ++i) {
    for (int j = i + 1; j < Size(); ++j) {
      const IRECT a = Get(i);
      const IRECT b = Get(j);
      if (a.Empty() || b.Empty()) continue;
      if (b.Contains(a)) {
        Delete(i);
        j = i;  // the next rectangle moved to i; compare it from i + 1
        continue;
      }
      if (a.Contains(b)) {
        Delete(j--);
        continue;
      }
      if (!a.Intersects(b)) continue;
      const IRECT x = a.Intersect(b);
      IRECT second;
      if (Mergeable(a, x)) {
        const IRECT outside = PartOutside(a, x, second);
        if (second.Empty() || Add(second)) Set(i, outside);
      } else if (Mergeable(b, x)) {
        const IRECT outside = PartOutside(b, x, second);
        if (second.Empty() || Add(second)) Set(j, outside);
      } else if (Area(a) < Area(b)) {
        Set(i, Split(a, x));
      } else {
        Set(j, Split(b, x));
      }
    }
  }

  // Pass 2: rectangles that line up merge, until none do. An all-zero
  // rectangle merges with anything and so disappears.
  for (int i = 0; i < Size(); ++i) {
    for (int j = i + 1; j < Size(); ++j) {
      const IRECT a = Get(i);
      const IRECT b = Get(j);
      if (!a.Empty() && !b.Empty() && !Mergeable(a, b)) continue;
      Set(j, a.Union(b));
      Delete(i);
      i = -1;  // restart from the first rectangle
      break;
    }
  }
}

}  // namespace plugkit::graphics
