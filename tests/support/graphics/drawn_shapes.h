#pragma once

#include <string>
#include <vector>

#include "support/graphics/recording_graphics.h"

namespace plugkit::testing {

// What a recording graphics in geometry mode drew, one line per shape:
// "fill <colour> <bounds of its path>", "stroke <colour> <bounds>" (a
// thickness other than 1 added as " w=<thickness>"; for both a blend of a
// weight other than 1 as " @<weight>"), "clip <rect>" and "text "<str>" <rect>".
std::vector<std::string> DrawnShapes(const RecordingGraphics& g);

}  // namespace plugkit::testing
