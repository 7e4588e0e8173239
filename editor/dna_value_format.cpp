#include "editor/dna_value_format.h"

#include <cmath>
#include <string>

#include "common/c_locale.h"
#include "engine/dna_table.h"

namespace orvane {

namespace {

constexpr double kMaxByte = 255.0;
constexpr double kKilo = 1000.0;
constexpr double kFewerDecimalsFrom = 10.0;
constexpr int kSmallValueDecimals = 2;
constexpr int kLargeValueDecimals = 1;

bool WriteEmpty(char* out) {
  out[0] = '\0';
  return false;
}

}  // namespace

bool FormatPhysicalValue(double value, std::string_view unit, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return false;
  if (!std::isfinite(value) || unit.data() == nullptr) return WriteEmpty(out);
  if (unit == "Hz" && value >= kKilo) {
    value /= kKilo;
    unit = "kHz";
  }
  const int decimals = std::fabs(value) < kFewerDecimalsFrom ? kSmallValueDecimals : kLargeValueDecimals;
  if (unit.empty() || unit == "%" || unit == ".") {
    plugkit::FormatCLocale(out, size, "%.*f", decimals, value);
  } else if (unit == "dB") {
    plugkit::FormatCLocale(out, size, "%+.*f dB", decimals, value);
  } else {
    const std::string unitText(unit);
    plugkit::FormatCLocale(out, size, "%.*f %s", decimals, value, unitText.c_str());
  }
  return true;
}

bool FormatDnaValue(int index, std::uint8_t value, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return false;
  if (index < 0 || static_cast<std::size_t>(index) >= kDnaSize) return WriteEmpty(out);
  const auto row = static_cast<std::size_t>(index);
  const double min = DnaMin(row);
  const double max = DnaMax(row);
  if (!std::isfinite(min) || !std::isfinite(max)) return WriteEmpty(out);
  const double t = value / kMaxByte;
  const double shaped = DnaIsCubic(row) ? t * t * t : t;
  return FormatPhysicalValue(std::fma(max - min, shaped, min), DnaUnit(row), out, size);
}

}  // namespace orvane
