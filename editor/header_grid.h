#pragma once

// The editor's header is laid out on a grid 2072 units wide and 102 units
// high, stretched over the editor's width and the header's height.

namespace orvane {

inline constexpr float kHeaderGridWidth = 2072.f;
inline constexpr float kHeaderGridHeight = 102.f;
// The header's height: this share of the editor's width (x 2072 = 102, so a
// grid unit is as high as it is wide), at most this share of its height.
inline constexpr float kHeaderWidthShare = 0.0492278f;
inline constexpr float kHeaderHeightShare = 0.2f;

}  // namespace orvane
