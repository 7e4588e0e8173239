#pragma once

// What leak tests read of the CoreFoundation stand-in.

namespace standin::testing {

// CF objects alive now, not counting immortal ones (CFSTR constants, booleans,
// allocators, run loops, process-lifetime bundles). Leak tests compare it with
// its value before the scenario.
long LiveObjectCount();

// Blocks from CFAllocatorAllocate not yet returned with CFAllocatorDeallocate.
long LiveAllocationCount();

}  // namespace standin::testing
