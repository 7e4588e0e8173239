// Reference dataset files are whatever the user picks: the parser must give
// at least two finite points sorted by x, or one of its messages and the
// series untouched. A row message names a line the input has.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "editor/plot_dataset.h"

namespace {

using orvane::PlotSeries;

constexpr double kUntouched = -12345.0;

std::size_t LineCount(std::string_view text) {
  const auto ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  return ends + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

bool IsRowError(const std::string& error, std::size_t lineCount) {
  const std::string_view text = error;
  const std::string_view prefix = orvane::kPlotReferenceRowErrorPrefix;
  const std::string_view suffix = orvane::kPlotReferenceRowErrorSuffix;
  if (!text.starts_with(prefix) || !text.ends_with(suffix) || text.size() <= prefix.size() + suffix.size())
    return false;
  const std::string number(text.substr(prefix.size(), text.size() - prefix.size() - suffix.size()));
  if (number.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long line = std::strtoull(number.c_str(), nullptr, 10);
  return line >= 1 && line <= lineCount;
}

bool IsKnownError(const std::string& error, std::size_t lineCount) {
  return error == orvane::kPlotReferenceOpenError || error == orvane::kPlotReferenceTooLargeError ||
         error == orvane::kPlotReferenceNonFiniteError ||
         error == orvane::kPlotReferenceTooFewPointsError || IsRowError(error, lineCount);
}

bool IsGoodSeries(const PlotSeries& series) {
  if (series.x.size() < 2 || series.x.size() != series.y.size()) return false;
  for (std::size_t i = 0; i < series.x.size(); ++i) {
    if (!std::isfinite(series.x[i]) || !std::isfinite(series.y[i])) return false;
    if (i > 0 && series.x[i] < series.x[i - 1]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream input(text);
  PlotSeries series;
  series.x = {kUntouched};
  std::string error;
  if (orvane::ParsePlotReferenceStream(input, series, error)) {
    if (!error.empty() || !IsGoodSeries(series)) std::abort();
  } else {
    if (!IsKnownError(error, LineCount(text))) std::abort();
    if (series.x.size() != 1 || series.x[0] != kUntouched || !series.y.empty()) std::abort();
  }
  return 0;
}
