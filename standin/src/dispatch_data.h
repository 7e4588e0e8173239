#pragma once

// What the stand-in's own calls read of a dispatch data object (a shader
// library blob handed to newLibraryWithData).

#include <dispatch/dispatch.h>

#include <cstddef>
#include <span>

namespace standin::dispatch {

std::span<const std::byte> DataBytes(dispatch_data_t data);

}  // namespace standin::dispatch
