#pragma once

// An error a call reports through an out-parameter. Whoever receives one owns
// that reference and releases it.

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

// The userInfo key whose string value is the error's description.
extern const CFStringRef NSLocalizedDescriptionKey;

namespace NS {

class NS_CLASS_EXPORT Error : public Object {
public:
  static Error* alloc();
  // Keeps its own references to the domain and the userInfo (which may be null).
  Error* initWithDomainCodeUserInfo(CFStringRef domain, Integer code, CFDictionaryRef userInfo);

  // Not owned by the caller.
  CFStringRef domain() const { return domain_; }
  Integer code() const { return code_; }
  CFDictionaryRef userInfo() const { return userInfo_; }
  // The userInfo's description, else one made of the domain and the code.
  CFStringRef localizedDescription() const;

  CFStringRef description() const override { return localizedDescription(); }

protected:
  ~Error() override;

private:
  Error() = default;

  CFStringRef domain_ = nullptr;
  Integer code_ = 0;
  CFDictionaryRef userInfo_ = nullptr;
  CFStringRef fallbackDescription_ = nullptr;
};

}  // namespace NS
