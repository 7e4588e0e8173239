#pragma once

// Sets of characters tested one UTF-16 unit at a time. Immutable; any thread.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

#include <string>

namespace NS {

class NS_CLASS_EXPORT CharacterSet : public Object {
public:
  // Letters and digits of every script, by their Unicode class. Shared; not
  // owned by the caller.
  static CharacterSet* alphanumericCharacterSet();
  // Autoreleased; the characters of the string (none for null).
  static CharacterSet* characterSetWithCharactersInString(CFStringRef string);

  // A surrogate unit is never a member: it is half of a character.
  bool characterIsMember(UniChar character) const;

protected:
  ~CharacterSet() override = default;

private:
  enum class Kind { Alphanumeric, Listed };
  CharacterSet(Kind kind, std::u32string sortedCharacters);

  const Kind kind_;
  const std::u32string sortedCharacters_;  // Listed only
};

}  // namespace NS
