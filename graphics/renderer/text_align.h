#pragma once

// Text alignment bits: one horizontal and one vertical bit, OR-ed together.
enum VCalign : int {
  VC_ALIGN_LEFT = 1 << 0,
  VC_ALIGN_CENTER = 1 << 1,
  VC_ALIGN_RIGHT = 1 << 2,
  VC_ALIGN_TOP = 1 << 3,
  VC_ALIGN_MIDDLE = 1 << 4,
  VC_ALIGN_BOTTOM = 1 << 5,
  VC_ALIGN_BASELINE = 1 << 6,
};
