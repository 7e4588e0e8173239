#pragma once

// The light and dark looks of the interface. Main thread only.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

extern const CFStringRef NSAppearanceNameAqua;
extern const CFStringRef NSAppearanceNameDarkAqua;

namespace NS {

class NS_CLASS_EXPORT Appearance : public Object {
public:
  // The shared appearance of that name (not owned by the caller); null for a
  // name that is neither of the two above.
  static Appearance* appearanceNamed(CFStringRef name);

  // One of the names above.
  CFStringRef name() const { return name_; }

protected:
  ~Appearance() override = default;

private:
  explicit Appearance(CFStringRef name);

  CFStringRef name_;
};

}  // namespace NS
