#pragma once

#include <cstdint>
#include <cstring>

namespace plugkit {

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
