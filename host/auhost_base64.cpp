#include "host/auhost_base64.h"

#include <algorithm>
#include <array>

namespace orvane::auhost {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPadding = '=';
constexpr int kNotInAlphabet = -1;
constexpr std::size_t kGroupBytes = 3;
constexpr std::size_t kGroupChars = 4;
constexpr int kBitsPerChar = 6;
constexpr std::uint32_t kCharMask = 0x3F;
constexpr std::uint32_t kByteMask = 0xFF;

constexpr std::array<int, 256> MakeDecodeTable() {
  std::array<int, 256> table{};
  for (int& entry : table) entry = kNotInAlphabet;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}
constexpr std::array<int, 256> kDecodeTable = MakeDecodeTable();

}  // namespace

std::string EncodeBase64(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  text.reserve((bytes.size() + kGroupBytes - 1) / kGroupBytes * kGroupChars);
  for (std::size_t i = 0; i < bytes.size(); i += kGroupBytes) {
    const std::size_t count = std::min(kGroupBytes, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < kGroupBytes; ++k) group = (group << 8) | (k < count ? bytes[i + k] : 0u);
    for (std::size_t k = 0; k < kGroupChars; ++k) {
      const auto shift = static_cast<int>(kGroupChars - 1 - k) * kBitsPerChar;
      text += k <= count ? kAlphabet[(group >> shift) & kCharMask] : kPadding;
    }
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  if (text.size() % kGroupChars != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / kGroupChars * kGroupBytes);
  for (std::size_t i = 0; i < text.size(); i += kGroupChars) {
    const bool lastGroup = i + kGroupChars == text.size();
    std::size_t padding = 0;
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < kGroupChars; ++k) {
      const char c = text[i + k];
      int value = 0;
      if (c == kPadding) {
        // Padding only at the end of the last group, at most two.
        if (!lastGroup || k < 2) return std::nullopt;
        ++padding;
      } else {
        if (padding > 0) return std::nullopt;
        value = kDecodeTable[static_cast<unsigned char>(c)];
        if (value == kNotInAlphabet) return std::nullopt;
      }
      group = (group << kBitsPerChar) | static_cast<std::uint32_t>(value);
    }
    const std::size_t count = kGroupBytes - padding;
    for (std::size_t k = 0; k < count; ++k)
      bytes.push_back(static_cast<std::uint8_t>((group >> ((kGroupBytes - 1 - k) * 8)) & kByteMask));
    // Canonical text only: the bits that padding hides must be zero.
    const std::uint32_t hiddenBits = padding * 8;
    if (padding > 0 && (group & ((1u << hiddenBits) - 1u)) != 0) return std::nullopt;
  }
  return bytes;
}

}  // namespace orvane::auhost
