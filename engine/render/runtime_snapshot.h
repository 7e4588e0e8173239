#pragma once

// Everything the render thread needs of one commit of the design. Built and
// freed on the committing side; between publication and retirement only the
// render thread touches it.

#include <cstdint>
#include <vector>

#include "design/controls_script.h"
#include "design/design.h"

namespace orvane {

struct RuntimeSnapshot {
  Design editedDesign;     // as the user edited it
  Design effectiveDesign;  // after the player-control mappings: what the engines play
  std::int32_t oversampling = 1;
  ParsedControlsScript script;  // of the edited design
  // Moved by MIDI controllers on the render thread.
  std::vector<double> playerControlValues;
};

}  // namespace orvane
