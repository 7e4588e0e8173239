#include <AppKit/NSFormatter.h>

namespace NS {

CFStringRef Formatter::stringForObjectValue(CFTypeRef) { return nullptr; }

bool Formatter::getObjectValueForStringErrorDescription(CFTypeRef*, CFStringRef, CFStringRef*) { return false; }

bool Formatter::isPartialStringValidNewEditingStringErrorDescription(CFStringRef, CFStringRef*, CFStringRef*) {
  return true;
}

}  // namespace NS
