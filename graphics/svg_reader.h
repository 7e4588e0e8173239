#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "graphics/svg_image.h"

namespace plugkit::graphics {

// Documents nested deeper or larger than these are refused before parsing:
// the XML parser descends recursively without a limit of its own.
inline constexpr int kMaxSvgNestingDepth = 256;
inline constexpr size_t kMaxSvgDocumentBytes = size_t{4} << 20;
// The gradient stops one document's shapes hold in total. Each shape holds
// its own copy of its gradient's stops (in its own opacity), so one long
// gradient painting many shapes would hold their product. Past this a shape
// holds only the stops that are drawn.
inline constexpr size_t kMaxSvgShapeStops = 1'000'000;

// Parses SVG text into an image whose coordinates, width and height are in
// `units` ("px", "pt", "pc", "mm", "cm" or "in"; anything else is px) at `dpi`
// pixels per inch. Null when the text is not a readable SVG document: not
// well-formed XML, a root that is not svg, nesting or size above the limits,
// or a dpi that is not a positive number. Parts that cannot be used (a shape
// with a number that is not finite, path data after its first error,
// elements that are not drawn) are left out of the image. Reads nothing but
// the text: no DTD, no external entity, no file. Any thread.
std::unique_ptr<SvgImage> ParseSvg(std::string_view text, const char* units, float dpi);

}  // namespace plugkit::graphics
