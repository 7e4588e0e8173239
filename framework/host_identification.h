#pragma once

#include "framework/api_and_host_codes.h"

namespace plugkit {

// Host names are matched on at most this many bytes (terminator included);
// a longer name is cut at a UTF-8 character boundary for the match only.
constexpr int kHostNameMatchSize = 256;

// Classifies a host application by its name: the first known text that the
// name contains, compared with A-Z folded to lower case, gives the code;
// kHostUnknown when none does (also for a null or empty name).
EHost LookUpHost(const char* hostName);

}  // namespace plugkit
