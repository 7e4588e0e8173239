#pragma once

// The system's four-way move cursor, which AppKit offers no getter for: built
// from the system's cursor files (its image, hot spot and shadow) with
// representations for backing scales 1 to 4. Main thread only.

#include <AppKit/NSCursor.h>

namespace plugkit::graphics {

// A new cursor (one reference for the caller); null when any of the files,
// their values or a rendering is missing.
NS::Cursor* MakeMoveCursor();

}  // namespace plugkit::graphics
