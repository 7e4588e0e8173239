#include "editor/plot_dataset.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/comma_locale.h"
#include "support/temp_folder.h"

namespace orvane::testing {
namespace {

using Values = std::vector<double>;
const Values kEarlierX{7};

// Every case holds whatever global locale a host set, a decimal comma included.
template <typename Check>
void InClassicAndCommaLocales(Check&& check) {
  check();
  const ScopedCommaDecimalStreamLocale commaLocale;
  SCOPED_TRACE("decimal-comma stream locale");
  check();
}

std::string BlockText(const std::vector<double>& x, const std::vector<double>& y, bool inDb) {
  std::ostringstream text;
  AppendSeriesText(text, "N", x, y, inDb);
  return text.str();
}

TEST(PlotDatasetText, BlocksWriteTwelveSignificantDigitsAndDecibelsFloorAtMinus240) {
  const struct {
    std::vector<double> x, y;
    bool inDb;
    std::string text;
  } cases[] = {
      {{20, 0.00001, 1e12}, {1, 1.0 / 3.0, 0}, false, "# N\n20,1\n1e-05,0.333333333333\n1e+12,0\n\n"},
      {{1, 2, 3}, {1e-13, 0, 10}, true, "# N\n1,-240\n2,-240\n3,20\n\n"},
      {{1.5, 2, 3}, {-2.25, 5}, false, "# N\n1.5,-2.25\n2,5\n\n"},
      {{}, {1}, false, "# N\n\n"},
  };
  InClassicAndCommaLocales([&] {
    for (const auto& c : cases) EXPECT_EQ(BlockText(c.x, c.y, c.inDb), c.text);
    TransferCurve x{}, y{};
    x.back() = 0.5;
    std::ostringstream transfer;
    AppendTransferSeriesText(transfer, "T", x, y, false);
    const std::string text = transfer.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 1025 + 1);
    EXPECT_TRUE(text.ends_with("\n0.5,0\n\n"));
  });
}

std::string RowError(int line) {
  return "Invalid reference dataset row " + std::to_string(line) + ". Expected two numeric columns: x, y.";
}
const std::string kTooFew = "A reference dataset must contain at least two numeric x,y points.";
const std::string kOpenError = "Could not open the selected reference dataset.";

TEST(PlotReferenceParser, ReadsTwoColumnsSortedOrNamesTheFault) {
  const struct {
    std::string file;
    std::vector<double> x, y;
    std::string error;
  } cases[] = {
      {"f;g\n100;-3\n1000;0\n", {100, 1000}, {-3, 0}, ""},
      {"f;g\n100;-3\n\n  # note\n1000;0\nend\n", {}, {}, RowError(6)},
      {"freq gain\nhz db\n1 2\n", {}, {}, RowError(2)},
      {"1,5\n2\t6;\n3 ;7\n", {1, 2, 3}, {5, 6, 7}, ""},
      {"20, 1e-3 word\n30 1\n", {20, 30}, {0.001, 1}, ""},
      {"1e999 1\n1 2\n3 4\n", {1, 3}, {2, 4}, ""},
      {"1 2\n1e999 1\n", {}, {}, RowError(2)},
      {"3 1\n1 2\n3 0\n-1 5\n0 4\n", {-1, 0, 1, 3, 3}, {5, 4, 2, 1, 0}, ""},
      {"12.5,3\r\n13,4\r\n \t\r\n", {12.5, 13}, {3, 4}, ""},
      {"\xEF\xBB\xBF" "100,1\n200,2", {100, 200}, {1, 2}, ""},
      {"x y\n1 2\n", {}, {}, kTooFew},
      {"", {}, {}, kTooFew},
  };
  InClassicAndCommaLocales([&] {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.file);
      std::istringstream input(c.file);
      PlotSeries series;
      series.x = kEarlierX;
      std::string error;
      EXPECT_EQ(ParsePlotReferenceStream(input, series, error), c.error.empty());
      EXPECT_EQ(error, c.error);
      EXPECT_EQ(series.x, c.error.empty() ? c.x : kEarlierX);
      if (c.error.empty()) {
        EXPECT_EQ(series.y, c.y);
      }
    }
  });
}

TEST(PlotReferenceParser, FilesThatCannotBeOpenedOrExceedTheBoundLoadNothing) {
  const TempFolder folder;
  const std::string rows = "1,2\n3,4\n";
  const std::string atBound = rows + std::string(kPlotReferenceMaxBytes - rows.size(), '#');
  const std::string tooLarge = "The selected reference dataset is larger than the 16 MiB that a reference may hold.";
  const struct {
    std::string path;
    std::string error;  // none: it loads
  } cases[] = {
      {folder.Write("at_bound.csv", atBound).string(), ""},
      {folder.Write("past_bound.csv", atBound + "#").string(), tooLarge},
      {"/dev/zero", tooLarge},
      {(folder.path() / "missing.csv").string(), kOpenError},
      {folder.path().string(), kOpenError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    PlotSeries series;
    series.x = kEarlierX;
    std::string error;
    EXPECT_EQ(ParsePlotReferenceFile(c.path, series, error), c.error.empty());
    EXPECT_EQ(series.x, (c.error.empty() ? Values{1, 3} : kEarlierX));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace orvane::testing
