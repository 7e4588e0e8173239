#pragma once

#include <cstdint>
#include <cstring>

namespace plugkit {

// Virtual key codes, as the platform layer maps them: a letter key's code is
// its upper-case character, a digit key's its digit.
enum EVirtualKey : int32_t {
  kKeyBackspace = 8,
  kKeyTab = 9,
  kKeyReturn = 13,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyDelete = 46,
  kKeyDigit0 = '0',
  kKeyDigit9 = '9',
  kKeyA = 'A',
  kKeyC = 'C',
  kKeyV = 'V',
  kKeyX = 'X',
  kKeyZ = 'Z',
  kKeyNumpad0 = 0x60,
  kKeyNumpad9 = 0x69,
};

// One key press: the virtual key code (letters as their upper-case character
// codes), the key's text as UTF-8 and the shift, control and alt modifiers.
struct IKeyPress {
  static constexpr int kMaxUtf8Size = 5;  // terminator included

  int32_t mVK = 0;
  char mUtf8[kMaxUtf8Size] = {};
  bool mS = false;
  bool mC = false;
  bool mA = false;

  IKeyPress() = default;
  IKeyPress(const char* utf8, int32_t vk, bool shift = false, bool ctrl = false, bool alt = false)
      : mVK(vk), mS(shift), mC(ctrl), mA(alt) {
    if (utf8) std::strncpy(mUtf8, utf8, kMaxUtf8Size - 1);
  }
};

}  // namespace plugkit
