#pragma once

// Errors the device hands back through an out-parameter.

#include <Foundation/NSError.h>

#include <string>

namespace standin::metal {

// Stores a new error (owned by the caller) with the description in `*error`
// when `error` is not null.
void SetError(NS::Error** error, const char* domain, NS::Integer code, const std::string& description);

}  // namespace standin::metal
