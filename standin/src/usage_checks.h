#pragma once

// Misuse the Objective-C stand-ins count instead of raising as the platform
// does; tests read the counts through standin/testing/appkit.h.

#include <string_view>

namespace standin::appkit {

// Counts a violation when the caller is not the main thread; answers whether it is.
bool CheckMainThread();
// A call the platform would refuse with an exception.
void CountValidationError();
// Whether an optional platform method (a selector name such as
// "setInsertionPointColor:") is present; all are unless a test switched one off.
bool OptionalMethodAvailable(std::string_view selectorName);

}  // namespace standin::appkit

namespace standin::appkit {

// Counts at 0 and every optional method present again.
void ResetUsageChecks();

}  // namespace standin::appkit
