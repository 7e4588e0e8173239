#pragma once

#include <locale.h>

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

}  // namespace plugkit
