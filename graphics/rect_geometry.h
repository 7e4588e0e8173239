#pragma once

#include <algorithm>

#include "graphics/graphics_types.h"

// Rectangles cut from others, for laying out the parts of a control.
namespace plugkit::graphics {

// r scaled about its centre; a fraction of 1 gives r exactly.
inline IRECT ScaledAboutCentre(const IRECT& r, float frac) {
  const float padX = r.W() * (1.f - frac) / 2.f;
  const float padY = r.H() * (1.f - frac) / 2.f;
  return IRECT(r.L + padX, r.T + padY, r.R - padX, r.B - padY);
}

// A w x h rectangle with r's centre.
inline IRECT CentredIn(const IRECT& r, float w, float h) {
  const float cx = (r.L + r.R) / 2.f;
  const float cy = (r.T + r.B) / 2.f;
  return IRECT(cx - w / 2.f, cy - h / 2.f, cx + w / 2.f, cy + h / 2.f);
}

// Slot i of n equal slots of r along the direction: left to right
// horizontally, top to bottom vertically. The last slot ends on r's edge.
inline IRECT SlotAlong(const IRECT& r, EDirection direction, int n, int i) {
  const auto edge = [n](float from, float to, int k) { return k >= n ? to : from + (to - from) * k / n; };
  if (direction == EDirection::Horizontal) return IRECT(edge(r.L, r.R, i), r.T, edge(r.L, r.R, i + 1), r.B);
  return IRECT(r.L, edge(r.T, r.B, i), r.R, edge(r.T, r.B, i + 1));
}

// r less dx on the left and right and dy at the top and bottom; an edge
// stops at the centre, so a rectangle too small for the inset closes there.
// Negative amounts grow r.
inline IRECT Inset(const IRECT& r, float dx, float dy) {
  const float cx = (r.L + r.R) / 2.f;
  const float cy = (r.T + r.B) / 2.f;
  return IRECT(std::min(r.L + dx, cx), std::min(r.T + dy, cy), std::max(r.R - dx, cx), std::max(r.B - dy, cy));
}

// A strip along the direction through r's middle, halfWidth either side of
// r's centre across it.
inline IRECT StripAlong(const IRECT& r, EDirection direction, float halfWidth) {
  if (direction == EDirection::Horizontal) {
    const float cy = (r.T + r.B) / 2.f;
    return IRECT(r.L, cy - halfWidth, r.R, cy + halfWidth);
  }
  const float cx = (r.L + r.R) / 2.f;
  return IRECT(cx - halfWidth, r.T, cx + halfWidth, r.B);
}

// Each edge of from moved towards to by the fraction.
inline IRECT Interpolated(const IRECT& from, const IRECT& to, float frac) {
  const auto mix = [frac](float a, float b) { return a + (b - a) * frac; };
  return IRECT(mix(from.L, to.L), mix(from.T, to.T), mix(from.R, to.R), mix(from.B, to.B));
}

}  // namespace plugkit::graphics
