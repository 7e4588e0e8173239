#pragma once

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

}  // namespace orvane::testing
