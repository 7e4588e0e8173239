#pragma once

// The text a section of DNA travels as on the clipboard, between designs or
// to and from any text tool: its bytes as decimal numbers separated by one
// blank, without a line end. Pasted text is whatever the user copied.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// "51 128 0": no blank before the first or after the last number; empty for
// no bytes.
std::string DnaSectionText(std::span<const std::uint8_t> bytes);

// Exactly `count` numbers 0..255, read as a formatted stream of the classic
// locale reads integers: white space (blanks, tabs, line ends) skipped before
// each, an optional sign, decimal digits; only white space may follow the
// last. None for anything else (a number that cannot be read, one out of
// range, too few numbers, or text left over).
std::optional<std::vector<std::uint8_t>> ReadDnaSectionText(std::string_view text, int count);

}  // namespace orvane
