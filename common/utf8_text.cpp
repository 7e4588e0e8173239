#include "common/utf8_text.h"

#include <algorithm>
#include <cstring>

namespace plugkit {

namespace {

struct Utf8Sequence {
  std::size_t length = 0;  // bytes taken: the character, or the ill-formed part
  bool wellFormed = false;
};

constexpr unsigned char kContinuationLow = 0x80;
constexpr unsigned char kContinuationHigh = 0xBF;

// The sequence that starts at `position` (< text length). The range of the
// second byte depends on the first, which rules out overlong forms,
// surrogates and code points above U+10FFFF.
Utf8Sequence ReadSequence(std::string_view text, std::size_t position) {
  const auto lead = static_cast<unsigned char>(text[position]);
  if (lead < 0x80) return {1, true};
  std::size_t continuations = 0;
  unsigned char secondLow = kContinuationLow;
  unsigned char secondHigh = kContinuationHigh;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return {1, false};
  }
  std::size_t length = 1;
  for (std::size_t i = 0; i < continuations; ++i, ++length) {
    if (position + length >= text.size()) return {length, false};
    const auto byte = static_cast<unsigned char>(text[position + length]);
    const unsigned char low = i == 0 ? secondLow : kContinuationLow;
    const unsigned char high = i == 0 ? secondHigh : kContinuationHigh;
    if (byte < low || byte > high) return {length, false};
  }
  return {length, true};
}

constexpr char32_t kReplacementCodePoint = 0xFFFD;

// The code point of a well-formed sequence.
char32_t DecodeSequence(std::string_view text, std::size_t position, std::size_t length) {
  static constexpr unsigned char kLeadPayload[] = {0x7F, 0x1F, 0x0F, 0x07};
  char32_t code = static_cast<unsigned char>(text[position]) & kLeadPayload[length - 1];
  for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(text[position + i]) & 0x3F);
  return code;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < kFirstSupplementaryCodePoint) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

void CopyTextCut(char* field, int fieldSize, const char* src) {
  if (!field || fieldSize <= 0) return;
  const int keep = Utf8CutLength(src, fieldSize - 1);
  if (keep > 0) std::memmove(field, src, static_cast<size_t>(keep));
  field[keep] = '\0';
}

std::size_t Utf8NextBoundary(std::string_view text, std::size_t position) {
  if (position >= text.size()) return text.size();
  ++position;
  while (position < text.size() && IsUtf8Continuation(text[position])) ++position;
  return position;
}

std::size_t Utf8PreviousBoundary(std::string_view text, std::size_t position) {
  position = std::min(position, text.size());
  if (position == 0) return 0;
  --position;
  while (position > 0 && IsUtf8Continuation(text[position])) --position;
  return position;
}

std::size_t Utf8CharacterStart(std::string_view text, std::size_t position) {
  position = std::min(position, text.size());
  while (position > 0 && position < text.size() && IsUtf8Continuation(text[position])) --position;
  return position;
}

bool Utf8IsValid(std::string_view text) {
  for (std::size_t position = 0; position < text.size();) {
    const Utf8Sequence sequence = ReadSequence(text, position);
    if (!sequence.wellFormed) return false;
    position += sequence.length;
  }
  return true;
}

std::string Utf8ReplaceInvalid(std::string_view text) {
  if (Utf8IsValid(text)) return std::string(text);
  std::string replaced;
  replaced.reserve(text.size() + kUtf8ReplacementCharacter.size());
  for (std::size_t position = 0; position < text.size();) {
    const Utf8Sequence sequence = ReadSequence(text, position);
    if (sequence.wellFormed) {
      replaced.append(text.substr(position, sequence.length));
    } else {
      replaced.append(kUtf8ReplacementCharacter);
    }
    position += sequence.length;
  }
  return replaced;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const Utf8Sequence sequence = ReadSequence(text, position);
    const char32_t code =
        sequence.wellFormed ? DecodeSequence(text, position, sequence.length) : kReplacementCodePoint;
    if (code < kFirstSupplementaryCodePoint) {
      units += static_cast<char16_t>(code);
    } else {
      units += HighSurrogateOf(code);
      units += LowSurrogateOf(code);
    }
    position += sequence.length;
  }
  return units;
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string text;
  text.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      AppendUtf8(text, JoinSurrogates(unit, units[i + 1]));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(text, kReplacementCodePoint);
    } else {
      AppendUtf8(text, unit);
    }
  }
  return text;
}

}  // namespace plugkit
