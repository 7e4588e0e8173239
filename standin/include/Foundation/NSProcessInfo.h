#pragma once

#include <CoreFoundation/CFString.h>

namespace NS {

class ProcessInfo {
public:
  static ProcessInfo* processInfo();

  // The process's name as the system lists it (autoreleased).
  CFStringRef processName() const;

private:
  ProcessInfo() = default;
};

}  // namespace NS
