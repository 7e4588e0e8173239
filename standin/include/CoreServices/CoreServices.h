#pragma once

// The Component Manager calls that legacy AudioUnit entry points use: the
// parameter block a legacy dispatcher receives and per-instance storage.

#include <MacTypes.h>

#include <cstddef>

typedef char* Ptr;
typedef Ptr* Handle;

typedef struct ComponentInstanceRecord* ComponentInstance;
typedef SInt32 ComponentResult;

// The parameter block of a legacy call: flags, the size of the arguments, the
// selector, padding that aligns the slots, then one 8-byte slot per argument.
// Slot 0 is the component instance (or, for can-do, the asked selector); the
// arguments follow in their declared order, 32-bit ones in a slot's low half.
struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[1];
};
static_assert(offsetof(ComponentParameters, params) == 8);
static_assert(sizeof(ComponentParameters::params[0]) == 8);

enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
};

enum : OSStatus {
  badComponentSelector = -2147450878,
};

extern "C" {

// The storage an instance's Open registered; null when none was.
void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);

}  // extern "C"
