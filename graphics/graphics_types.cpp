#include "graphics/graphics_types.h"

#include <algorithm>
#include <cmath>

namespace plugkit::graphics {

IRECT IRECT::Intersect(const IRECT& r) const {
  if (!Intersects(r)) return IRECT();
  return IRECT(std::max(L, r.L), std::max(T, r.T), std::min(R, r.R), std::min(B, r.B));
}

IRECT IRECT::Union(const IRECT& r) const {
  if (Empty()) return r;
  if (r.Empty()) return *this;
  return IRECT(std::min(L, r.L), std::min(T, r.T), std::max(R, r.R), std::max(B, r.B));
}

IRECT IRECT::GetPixelAligned(float scale) const {
  if (!(scale > 0.f)) return *this;
  return IRECT(std::floor(L * scale) / scale, std::floor(T * scale) / scale, std::ceil(R * scale) / scale,
               std::ceil(B * scale) / scale);
}

namespace {

// One axis of GetConstrained: the span [lo, hi) moved into [boundLo, boundHi).
void ConstrainSpan(float& lo, float& hi, float boundLo, float boundHi) {
  if (lo < boundLo) {
    hi = std::min(boundLo + (hi - lo), boundHi - 1.f);
    lo = boundLo;
  }
  if (hi >= boundHi) {
    lo = std::max(boundLo, lo - (hi - boundHi + 1.f));
    hi = boundHi - 1.f;
  }
}

}  // namespace

IRECT IRECT::GetConstrained(const IRECT& bound) const {
  IRECT r = *this;
  ConstrainSpan(r.L, r.R, bound.L, bound.R);
  ConstrainSpan(r.T, r.B, bound.T, bound.B);
  return r;
}

}  // namespace plugkit::graphics
