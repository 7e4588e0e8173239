#include "common/c_locale.h"

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

}  // namespace plugkit
