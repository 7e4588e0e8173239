#pragma once

// DNA bytes as readable physical values ("2.50 kHz", "+8.16 dB", "0.47"),
// written in the C locale whatever locale the host has set.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvane {

// The physical value of byte `value` of DNA row `index`, through the row's
// range and taper. False, with the empty text written, for an index outside
// the table or a value that is not finite; false with nothing written for a
// null buffer or size 0.
bool FormatDnaValue(int index, std::uint8_t value, char* out, std::size_t size);

// A physical value in a unit: "Hz" from 1000 up becomes "kHz"; two decimals
// below 10, one from 10 (chosen before rounding, so 9999 Hz reads 10.00 kHz);
// "dB" always signed; "%" and "." without a unit; any other unit after one
// blank. The same failures as FormatDnaValue.
bool FormatPhysicalValue(double value, std::string_view unit, char* out, std::size_t size);

}  // namespace orvane
