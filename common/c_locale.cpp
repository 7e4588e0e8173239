#include "common/c_locale.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace plugkit {

namespace {

locale_t CLocale() {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return cLocale;
}

}  // namespace

ScopedCLocale::ScopedCLocale() {
  if (const locale_t cLocale = CLocale()) mPrevious = uselocale(cLocale);
}

ScopedCLocale::~ScopedCLocale() {
  if (mPrevious) uselocale(mPrevious);
}

double ParseDoubleCLocale(const char* text, const char** end) {
  if (!text) {
    if (end) *end = text;
    return 0.0;
  }
  char* stop = nullptr;
  double value;
  {
    ScopedCLocale cLocale;
    value = std::strtod(text, &stop);
  }
  if (end) *end = stop;
  return value;
}

int FormatCLocale(char* out, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written;
  {
    ScopedCLocale cLocale;
    written = std::vsnprintf(out, size, format, args);
  }
  va_end(args);
  return written;
}

}  // namespace plugkit
