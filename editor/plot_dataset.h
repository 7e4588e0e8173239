#pragma once

// Plot datasets as text: the blocks a plot puts on the clipboard, and the
// reference files the user loads to draw over a plot. Free of the editor
// control, so the parser can be fed bytes directly. Numbers are written and
// read in the classic form whatever locale the host process set: a decimal
// point, never a comma. Any thread; nothing shared.

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "editor/plot_model.h"
#include "engine/plot_data.h"

namespace orvane {

// A reference file is read whole before it is parsed; a larger one is refused
// rather than filling the memory of the host.
inline constexpr std::size_t kPlotReferenceMaxBytes = std::size_t{16} << 20;

inline constexpr std::string_view kPlotReferenceOpenError = "Could not open the selected reference dataset.";
inline constexpr std::string_view kPlotReferenceTooLargeError =
    "The selected reference dataset is larger than the 16 MiB that a reference may hold.";
inline constexpr std::string_view kPlotReferenceNonFiniteError = "Reference dataset values must be finite numbers.";
inline constexpr std::string_view kPlotReferenceTooFewPointsError =
    "A reference dataset must contain at least two numeric x,y points.";
// The row error reads prefix, line number (from 1), suffix.
inline constexpr std::string_view kPlotReferenceRowErrorPrefix = "Invalid reference dataset row ";
inline constexpr std::string_view kPlotReferenceRowErrorSuffix = ". Expected two numeric columns: x, y.";

// One block: "# name", then an "x,y" row for each of the first min(|x|, |y|)
// points, then an empty line. In dB a y is written as 20 log10(max(y, 1e-12)).
void AppendSeriesText(std::ostream& text, std::string_view name, const std::vector<double>& x,
                      const std::vector<double>& y, bool inDb);
// The same block over all points of a transfer curve.
void AppendTransferSeriesText(std::ostream& text, std::string_view name, const TransferCurve& x,
                              const TransferCurve& y, bool inDb);

// Reads the x,y points of a reference file, sorted by x (equal x in file
// order). On failure answers false with the message for the user in `error`
// and leaves `series` as it was.
bool ParsePlotReferenceFile(const std::string& path, PlotSeries& series, std::string& error);
// The same from any stream, read to its end or to the size bound.
bool ParsePlotReferenceStream(std::istream& input, PlotSeries& series, std::string& error);

}  // namespace orvane
