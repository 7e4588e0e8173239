#pragma once

// The check that opens a component's editor as a host does, again and again.

#include "host/component_bundle.h"

namespace orvane::auhost::validate {

// Editor cycles and the frame ticks each presents once its first frame came.
inline constexpr int kEditorCycles = 3;
inline constexpr int kEditorFrameTicks = 10;

// A component that reports a Cocoa view: its editor opens in a host window,
// presents its first frame within the host's limit and kEditorFrameTicks
// frame periods more, and closes, kEditorCycles times on one instance; the
// live object counts after the last cycle are those after the first (what
// the first opening makes for the whole process is no leak). A component
// without an editor passes.
void EditorOpensAndCloses(const host::ComponentBundle& bundle);

}  // namespace orvane::auhost::validate
