#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace plugkit {

// Copies src into a fixed field of fieldSize bytes (terminator included). A
// text that does not fit is cut before the first UTF-8 character that would
// not fit whole, so the field never ends inside a character.
void CopyTextCut(char* field, int fieldSize, const char* src);

// The number of bytes of text to keep so that at most maxBytes bytes remain
// and no UTF-8 character is split. Usable in constant expressions.
constexpr int Utf8CutLength(const char* text, int maxBytes) {
  if (!text || maxBytes <= 0) return 0;
  int length = 0;
  while (length < maxBytes && text[length]) ++length;
  if (text[length] == '\0') return length;
  // Cut: step back over the continuation bytes of the character that did not fit.
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}

// U+FFFD, which stands in for bytes that are not UTF-8.
inline constexpr std::string_view kUtf8ReplacementCharacter = "\xEF\xBF\xBD";

constexpr bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// UTF-16 surrogate pairs: a character from U+10000 to U+10FFFF as a high
// half, then a low half.
inline constexpr char32_t kFirstSupplementaryCodePoint = 0x10000;
constexpr bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
constexpr bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }
constexpr char16_t HighSurrogateOf(char32_t code) {
  return static_cast<char16_t>(0xD800 + ((code - kFirstSupplementaryCodePoint) >> 10));
}
constexpr char16_t LowSurrogateOf(char32_t code) {
  return static_cast<char16_t>(0xDC00 + ((code - kFirstSupplementaryCodePoint) & 0x3FF));
}
constexpr char32_t JoinSurrogates(char16_t high, char16_t low) {
  return kFirstSupplementaryCodePoint + ((char32_t(high - 0xD800) << 10) | char32_t(low - 0xDC00));
}

// Character boundaries of a text held as UTF-8 bytes. A text that is not
// UTF-8 gives positions within it all the same.
//
// The position after the character at `position`: its first byte and the
// continuation bytes after it; the text's length at or past its end.
std::size_t Utf8NextBoundary(std::string_view text, std::size_t position);
// The start of the character before `position` (a position past the end
// counts as the end); 0 at 0.
std::size_t Utf8PreviousBoundary(std::string_view text, std::size_t position);
// `position`, clamped to the text's length, moved back to the start of the
// character it stands in.
std::size_t Utf8CharacterStart(std::string_view text, std::size_t position);

// True when the text is well-formed UTF-8: no stray or missing continuation
// bytes, no overlong forms, no surrogates, nothing above U+10FFFF.
bool Utf8IsValid(std::string_view text);
// The text with every ill-formed sequence (each maximal part of one that
// could still have begun a character) replaced by U+FFFD.
std::string Utf8ReplaceInvalid(std::string_view text);

// UTF-16 code units of the text: characters above U+FFFF as surrogate pairs,
// every ill-formed sequence (as for Utf8ReplaceInvalid) as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-8 of the units: surrogate pairs joined, a lone surrogate as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

}  // namespace plugkit
