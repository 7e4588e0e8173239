#include "editor/dna_clipboard_text.h"

#include <locale>
#include <sstream>

namespace orvane {

namespace {

constexpr int kByteMax = 255;

}  // namespace

std::string DnaSectionText(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += std::to_string(byte);
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> ReadDnaSectionText(std::string_view text, int count) {
  if (count < 0) return std::nullopt;
  std::istringstream input{std::string(text)};
  // Whatever locale the host set, no grouping and only the classic blanks.
  input.imbue(std::locale::classic());
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    // Wider than a byte so that a sign or a large value is seen, not wrapped;
    // a value beyond int fails the read.
    int value = 0;
    if (!(input >> value) || value < 0 || value > kByteMax) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  input >> std::ws;
  if (input.peek() != std::istringstream::traits_type::eof()) return std::nullopt;
  return bytes;
}

}  // namespace orvane
