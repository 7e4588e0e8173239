#pragma once

// The integer types of the Objective-C frameworks: lengths, indices and counts.

namespace NS {

typedef long Integer;
typedef unsigned long UInteger;

}  // namespace NS
