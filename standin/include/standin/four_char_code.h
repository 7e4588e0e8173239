#pragma once

// Four-character codes as 32-bit words: the first character is the most
// significant byte, so "aufx" reads as 0x61756678 on every machine.

#include <MacTypes.h>

namespace standin {

constexpr FourCharCode FourCharCodeOf(const char (&code)[5]) {
  return (static_cast<FourCharCode>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<FourCharCode>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<FourCharCode>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<FourCharCode>(static_cast<unsigned char>(code[3]));
}

}  // namespace standin
