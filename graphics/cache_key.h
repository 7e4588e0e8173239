#pragma once

#include <cstddef>

#include "common/str_buf.h"

namespace plugkit::graphics {

// The graphics caches key an entry by a name at a scale. The key text is the
// name, a dash, the scale with one decimal and "x" ("knob.png" at 2 gives
// "knob.png-2.0x"), in the C locale. Scales 1.5 and 1.54 share a text, so an
// entry also compares its name and its exact scale. Any thread.
void CacheKeyText(StrBuf& out, const char* name, double scale);

// The standard library's string hash of the key text.
size_t CacheKeyHash(const char* name, double scale);

}  // namespace plugkit::graphics
