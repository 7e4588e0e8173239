#pragma once

// AppKit key events as the graphics core's key presses. Main thread only.

#include <AppKit/NSEvent.h>
#include <CoreFoundation/CFString.h>

#include <cstdint>

#include "framework/core/key_press.h"

namespace plugkit::graphics {

// Bits of a translated key's flags.
enum EKeyFlag : uint32_t {
  kKeyFlagKnown = 1,  // the key is a virtual key, not just text
  kKeyFlagShift = 4,
  kKeyFlagCommand = 8,
  kKeyFlagOption = 16,
  kKeyFlagControl = 32,
};

struct TranslatedKey {
  int32_t key = 0;
  uint32_t flags = 0;
};

// The virtual key of the hardware key code, else of the first character of
// the text typed without modifiers (null or empty for none). Letters come
// upper-cased; a character that is neither a letter, a digit nor one of Tab,
// line feed, Return, Escape and Space stays as it is but is not known and
// loses Shift, as it is text rather than a key.
TranslatedKey TranslateKey(unsigned short keyCode, CFStringRef charactersIgnoringModifiers,
                           NS::EventModifierFlags modifiers);

// The key press of a key event: the virtual key when known (else 0), the text
// typed without modifiers when it is one UTF-16 unit or one surrogate pair,
// and Shift, Command and Option as shift, control and alt.
IKeyPress KeyPressForEvent(const NS::Event& event);

}  // namespace plugkit::graphics
