#pragma once

// Misuse of the Metal, QuartzCore and dispatch stand-ins: printed to standard
// error and counted, so the tests of their users can assert there was none.

namespace standin::metal {

// printf-style message, printed on one line.
void ReportValidationError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace standin::metal
