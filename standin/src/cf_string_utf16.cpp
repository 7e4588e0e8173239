// UTF-16 access to strings that hold UTF-8.

#include <algorithm>
#include <cctype>
#include <limits>

#include "cf_string.h"

namespace standin::cf {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char16_t kHighSurrogateFirst = 0xD800;
constexpr char16_t kLowSurrogateFirst = 0xDC00;
constexpr char16_t kSurrogateEnd = 0xE000;
constexpr int kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = (1u << kSurrogateBits) - 1;

bool IsHighSurrogate(char16_t unit) { return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst; }
bool IsLowSurrogate(char16_t unit) { return unit >= kLowSurrogateFirst && unit < kSurrogateEnd; }

std::u16string EncodeUTF16(const std::u32string& codePoints) {
  std::u16string units;
  units.reserve(codePoints.size());
  for (char32_t c : codePoints) {
    if (c < kFirstSupplementary) {
      units.push_back(static_cast<char16_t>(c));
      continue;
    }
    const char32_t offset = c - kFirstSupplementary;
    units.push_back(static_cast<char16_t>(kHighSurrogateFirst + (offset >> kSurrogateBits)));
    units.push_back(static_cast<char16_t>(kLowSurrogateFirst + (offset & kSurrogateMask)));
  }
  return units;
}

std::u16string UnitsOf(CFStringRef string) { return EncodeUTF16(DecodeUTF8(StringText(string))); }

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

void AppendUTF8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < kFirstSupplementary) {
    text.push_back(static_cast<char>(0xE0 | (c >> 12)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | (c >> 18)));
    text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::u32string DecodeUTF8(const std::string& utf8) {
  std::u32string codePoints;
  codePoints.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > utf8.size() || !IsValidUTF8(utf8.data() + i, length)) {
      codePoints.push_back(kReplacementCharacter);
      ++i;
      continue;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    codePoints.push_back(c);
    i += length;
  }
  return codePoints;
}

}  // namespace standin::cf

extern "C" {

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* characters, CFIndex count) {
  if (count < 0 || (characters == nullptr && count > 0)) return nullptr;
  std::string text;
  for (CFIndex i = 0; i < count; ++i) {
    const char16_t unit = characters[i];
    char32_t c = unit;
    if (standin::cf::IsHighSurrogate(unit) && i + 1 < count && standin::cf::IsLowSurrogate(characters[i + 1])) {
      const char32_t high = unit - standin::cf::kHighSurrogateFirst;
      const char32_t low = characters[++i] - standin::cf::kLowSurrogateFirst;
      c = standin::cf::kFirstSupplementary + ((high << standin::cf::kSurrogateBits) | low);
    } else if (standin::cf::IsHighSurrogate(unit) || standin::cf::IsLowSurrogate(unit)) {
      c = standin::cf::kReplacementCharacter;
    }
    standin::cf::AppendUTF8(text, c);
  }
  return standin::cf::MakeString(std::move(text));
}

UniChar CFStringGetCharacterAtIndex(CFStringRef string, CFIndex index) {
  const std::u16string units = standin::cf::UnitsOf(string);
  if (index < 0 || static_cast<std::size_t>(index) >= units.size()) return 0;
  return units[static_cast<std::size_t>(index)];
}

void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer) {
  const std::u16string units = standin::cf::UnitsOf(string);
  const auto size = static_cast<CFIndex>(units.size());
  if (buffer == nullptr || range.location < 0 || range.length < 0 || range.location > size ||
      range.length > size - range.location) {
    return;
  }
  std::copy_n(units.begin() + range.location, range.length, buffer);
}

SInt32 CFStringGetIntValue(CFStringRef string) {
  const std::string& text = standin::cf::StringText(string);
  std::size_t i = 0;
  while (i < text.size() && standin::cf::IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Saturates at each step, so any number of digits stays in range.
  constexpr long long kMax = std::numeric_limits<SInt32>::max();
  constexpr long long kMin = std::numeric_limits<SInt32>::min();
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    value = negative ? std::max(value * 10 - digit, kMin) : std::min(value * 10 + digit, kMax);
  }
  return static_cast<SInt32>(value);
}

}  // extern "C"
