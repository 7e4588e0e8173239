#include <AppKit/NSAppearance.h>

const CFStringRef NSAppearanceNameAqua = CFStringMakeConstantString("NSAppearanceNameAqua");
const CFStringRef NSAppearanceNameDarkAqua = CFStringMakeConstantString("NSAppearanceNameDarkAqua");

namespace NS {

Appearance::Appearance(CFStringRef name) : name_(name) { makeImmortal(); }

Appearance* Appearance::appearanceNamed(CFStringRef name) {
  static Appearance* const aqua = new Appearance(NSAppearanceNameAqua);
  static Appearance* const darkAqua = new Appearance(NSAppearanceNameDarkAqua);
  if (name == nullptr) return nullptr;
  if (CFEqual(name, NSAppearanceNameAqua)) return aqua;
  if (CFEqual(name, NSAppearanceNameDarkAqua)) return darkAqua;
  return nullptr;
}

}  // namespace NS
