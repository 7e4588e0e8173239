#include <Foundation/NSError.h>

const CFStringRef NSLocalizedDescriptionKey = CFSTR("NSLocalizedDescription");

namespace NS {

Error* Error::alloc() { return new Error; }

Error* Error::initWithDomainCodeUserInfo(CFStringRef domain, Integer code, CFDictionaryRef userInfo) {
  domain_ = domain != nullptr ? static_cast<CFStringRef>(CFRetain(domain)) : CFSTR("");
  code_ = code;
  userInfo_ = userInfo != nullptr ? static_cast<CFDictionaryRef>(CFRetain(userInfo)) : nullptr;
  fallbackDescription_ = CFStringCreateWithFormat(
      nullptr, nullptr, CFSTR("The operation could not be completed. (%@ error %ld.)"), domain_, code_);
  return this;
}

Error::~Error() {
  for (CFTypeRef owned : {static_cast<CFTypeRef>(domain_), static_cast<CFTypeRef>(userInfo_),
                          static_cast<CFTypeRef>(fallbackDescription_)}) {
    if (owned != nullptr) CFRelease(owned);
  }
}

CFStringRef Error::localizedDescription() const {
  if (userInfo_ != nullptr) {
    const void* value = CFDictionaryGetValue(userInfo_, NSLocalizedDescriptionKey);
    if (value != nullptr && CFGetTypeID(value) == CFStringGetTypeID()) return static_cast<CFStringRef>(value);
  }
  return fallbackDescription_ != nullptr ? fallbackDescription_ : CFSTR("");
}

}  // namespace NS
