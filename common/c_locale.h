#pragma once

#include <locale.h>

#include <cstddef>

namespace plugkit {

// Switches the calling thread to the "C" locale while alive, so numbers are
// written and read with a '.' whatever locale the host process has set.
class ScopedCLocale {
public:
  ScopedCLocale();
  ~ScopedCLocale();
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
  locale_t mPrevious = nullptr;
};

// strtod in the "C" locale: reads the longest decimal prefix; end gets the
// position after it (text itself when nothing was read).
double ParseDoubleCLocale(const char* text, const char** end = nullptr);

// snprintf in the "C" locale: the text is cut to size - 1 bytes; answers
// what snprintf answers.
int FormatCLocale(char* out, std::size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace plugkit
