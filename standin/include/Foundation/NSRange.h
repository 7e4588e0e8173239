#pragma once

// A stretch of a string or list: where it starts and how many units it spans.

#include <Foundation/NSObjCRuntime.h>

namespace NS {

struct Range {
  UInteger location = 0;
  UInteger length = 0;

  friend bool operator==(const Range&, const Range&) = default;
};

inline Range MakeRange(UInteger location, UInteger length) { return Range{location, length}; }

}  // namespace NS
