#pragma once

#include <locale>
#include <string>

namespace orvane::testing {

// Switches the process's numeric locale to one whose decimal point is a comma
// while alive, so tests can show that numbers are written and read the same
// whatever locale a host sets. The locale is compiled once per process with
// localedef; Active() is false when that is not possible on this machine.
class ScopedCommaDecimalLocale {
public:
  ScopedCommaDecimalLocale();
  ~ScopedCommaDecimalLocale();
  ScopedCommaDecimalLocale(const ScopedCommaDecimalLocale&) = delete;
  ScopedCommaDecimalLocale& operator=(const ScopedCommaDecimalLocale&) = delete;

  bool Active() const { return mActive; }

private:
  std::string mPrevious;
  bool mActive = false;
};

// Makes the process's global C++ locale, which every stream made meanwhile
// takes, one whose decimal point is a comma, as a host may set it; the C
// locale is left alone. Restores the previous global locale.
class ScopedCommaDecimalStreamLocale {
public:
  ScopedCommaDecimalStreamLocale();
  ~ScopedCommaDecimalStreamLocale();
  ScopedCommaDecimalStreamLocale(const ScopedCommaDecimalStreamLocale&) = delete;
  ScopedCommaDecimalStreamLocale& operator=(const ScopedCommaDecimalStreamLocale&) = delete;

private:
  std::locale mPrevious;
};

}  // namespace orvane::testing
