#include "metal/validation.h"

#include <standin/testing/metal.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace standin::metal {
namespace {

std::atomic<long> gValidationErrors{0};

}  // namespace

void ReportValidationError(const char* format, ...) {
  char message[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  std::fprintf(stderr, "Metal validation error: %s\n", message);
  gValidationErrors.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace standin::metal

namespace standin::testing {

long MetalValidationErrorCount() { return standin::metal::gValidationErrors.load(std::memory_order_relaxed); }

}  // namespace standin::testing
