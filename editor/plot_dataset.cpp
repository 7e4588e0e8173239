// Dataset blocks for the clipboard and the reference-file parser.

#include "editor/plot_dataset.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>
#include <utility>

namespace orvane {

namespace {

// Up to 12 significant digits, fixed or scientific as the exponent asks, as a
// stream writes a double at precision 12; to_chars never reads a locale.
constexpr int kSignificantDigits = 12;
constexpr double kDbFloor = 1e-12;
constexpr std::size_t kReadChunkBytes = std::size_t{64} << 10;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineBlanks = " \t\r";

void WriteNumber(std::ostream& text, double value) {
  std::array<char, 64> digits{};
  const auto result =
      std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general,
                    kSignificantDigits);
  text.write(digits.data(), result.ptr - digits.data());
}

double Decibels(double magnitude) { return 20.0 * std::log10(std::max(magnitude, kDbFloor)); }

template <typename Values>
void AppendBlock(std::ostream& text, std::string_view name, const Values& x, const Values& y, std::size_t count,
                 bool inDb) {
  text << "# " << name << '\n';
  for (std::size_t i = 0; i < count; ++i) {
    WriteNumber(text, x[i]);
    text << ',';
    WriteNumber(text, inDb ? Decibels(y[i]) : y[i]);
    text << '\n';
  }
  text << '\n';
}

enum class ReadResult { kRead, kUnreadable, kTooLarge };

// The whole stream, up to the bound.
ReadResult ReadBounded(std::istream& input, std::string& bytes) {
  while (input) {
    const std::size_t start = bytes.size();
    bytes.resize(start + kReadChunkBytes);
    input.read(bytes.data() + start, static_cast<std::streamsize>(kReadChunkBytes));
    bytes.resize(start + static_cast<std::size_t>(input.gcount()));
    if (bytes.size() > kPlotReferenceMaxBytes) return ReadResult::kTooLarge;
  }
  return input.bad() ? ReadResult::kUnreadable : ReadResult::kRead;
}

bool IsSkippedLine(std::string_view line) {
  const std::size_t first = line.find_first_not_of(kLineBlanks);
  return first == std::string_view::npos || line[first] == '#';
}

// Commas, semicolons and tabs all separate columns; a comma is never a decimal mark.
std::string ColumnsOf(std::string_view line) {
  std::string row(line);
  std::replace_if(row.begin(), row.end(), [](char c) { return c == ',' || c == ';' || c == '\t'; }, ' ');
  return row;
}

std::string RowError(std::size_t lineNumber) {
  return std::string(kPlotReferenceRowErrorPrefix) + std::to_string(lineNumber) +
         std::string(kPlotReferenceRowErrorSuffix);
}

bool Fail(std::string& error, std::string_view message) {
  error = message;
  return false;
}

using Point = std::pair<double, double>;

bool ParseLines(std::string_view text, std::vector<Point>& points, std::string& error) {
  std::istringstream row;
  row.imbue(std::locale::classic());
  bool headerExcused = false;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (IsSkippedLine(line)) continue;
    row.clear();
    row.str(ColumnsOf(line));
    double x = 0.0;
    double y = 0.0;
    if (row >> x >> y) {
      if (!std::isfinite(x) || !std::isfinite(y)) return Fail(error, kPlotReferenceNonFiniteError);
      points.emplace_back(x, y);
      continue;
    }
    // One line of column names may come before the first point.
    if (points.empty() && !headerExcused) {
      headerExcused = true;
      continue;
    }
    return Fail(error, RowError(lineNumber));
  }
  return true;
}

}  // namespace

void AppendSeriesText(std::ostream& text, std::string_view name, const std::vector<double>& x,
                      const std::vector<double>& y, bool inDb) {
  AppendBlock(text, name, x, y, std::min(x.size(), y.size()), inDb);
}

void AppendTransferSeriesText(std::ostream& text, std::string_view name, const TransferCurve& x,
                              const TransferCurve& y, bool inDb) {
  AppendBlock(text, name, x, y, kTransferCurvePoints, inDb);
}

bool ParsePlotReferenceStream(std::istream& input, PlotSeries& series, std::string& error) {
  std::string bytes;
  switch (ReadBounded(input, bytes)) {
    case ReadResult::kRead:
      break;
    case ReadResult::kUnreadable:
      return Fail(error, kPlotReferenceOpenError);
    case ReadResult::kTooLarge:
      return Fail(error, kPlotReferenceTooLargeError);
  }
  std::string_view text = bytes;
  // Spreadsheet programs start their UTF-8 files with a byte-order mark.
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());

  std::vector<Point> points;
  if (!ParseLines(text, points, error)) return false;
  if (points.size() < 2) return Fail(error, kPlotReferenceTooFewPointsError);
  std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.first < b.first; });

  PlotSeries parsed;
  parsed.x.reserve(points.size());
  parsed.y.reserve(points.size());
  for (const auto& [x, y] : points) {
    parsed.x.push_back(x);
    parsed.y.push_back(y);
  }
  series = std::move(parsed);
  return true;
}

bool ParsePlotReferenceFile(const std::string& path, PlotSeries& series, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return Fail(error, kPlotReferenceOpenError);
  return ParsePlotReferenceStream(file, series, error);
}

}  // namespace orvane
