#include <Foundation/NSCharacterSet.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cwctype>

#include "cf_string.h"

namespace NS {
namespace {

// The C library's Unicode classification, independent of the process's locale.
locale_t UnicodeClassification() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}

bool IsAlphanumeric(UniChar character) {
  const locale_t locale = UnicodeClassification();
  if (locale == locale_t{}) return character < 0x80 && std::isalnum(character) != 0;
  return iswalnum_l(static_cast<wint_t>(character), locale) != 0;
}

}  // namespace

CharacterSet::CharacterSet(Kind kind, std::u32string sortedCharacters)
    : kind_(kind), sortedCharacters_(std::move(sortedCharacters)) {}

CharacterSet* CharacterSet::alphanumericCharacterSet() {
  static CharacterSet* const shared = [] {
    auto* set = new CharacterSet(Kind::Alphanumeric, {});
    set->makeImmortal();
    return set;
  }();
  return shared;
}

CharacterSet* CharacterSet::characterSetWithCharactersInString(CFStringRef string) {
  std::u32string characters = standin::cf::DecodeUTF8(standin::cf::StringText(string));
  std::sort(characters.begin(), characters.end());
  characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
  return static_cast<CharacterSet*>((new CharacterSet(Kind::Listed, std::move(characters)))->autorelease());
}

bool CharacterSet::characterIsMember(UniChar character) const {
  if (kind_ == Kind::Alphanumeric) return IsAlphanumeric(character);
  return std::binary_search(sortedCharacters_.begin(), sortedCharacters_.end(), char32_t{character});
}

}  // namespace NS
