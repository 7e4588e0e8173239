#pragma once

// What the editor drew, read from the call log of a recording graphics
// context in geometry mode: one item per fill, stroke and text, so that tests
// compare shapes rather than path calls.
//   fill (A,R,G,B) (L,T,R,B)           the bounds of the filled path
//   stroke (A,R,G,B) w=1.5 (L,T,R,B)   the bounds of the stroked path
//   text "ON" (L,T,R,B) font size fg=(A,R,G,B) angle=0 align=h,v
// A line's bounds are its end points, left to right, top to bottom.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics/graphics_types.h"
#include "support/graphics/recording_graphics.h"

namespace orvane::testing {

struct DrawnItem {
  std::string kind;  // "fill", "stroke" or "text"
  plugkit::graphics::IColor colour;
  float width = 0.f;  // strokes only
  plugkit::graphics::IRECT box;
  std::string text;                 // texts only
  plugkit::graphics::IText style;  // texts only
  std::string line;
};

std::vector<DrawnItem> DrawnItems(const plugkit::testing::RecordingGraphics& g);
std::vector<std::string> DrawnLines(const plugkit::testing::RecordingGraphics& g);
// The items of one kind.
std::vector<DrawnItem> DrawnOfKind(const plugkit::testing::RecordingGraphics& g, const std::string& kind);
// Whether a drawn text, measured at its style, is no wider than its box.
bool FitsItsBox(plugkit::testing::RecordingGraphics& g, const DrawnItem& text);
// "(A,R,G,B)" and "(L,T,R,B)" as the lines write them.
std::string Colour(const plugkit::graphics::IColor& colour);
std::string Box(const plugkit::graphics::IRECT& r);
// The colour of a palette entry as the lines write it.
std::string Entry(std::size_t entry);

// A whole frame as text for golden files: one line per call in the call log's
// form, except that every run of path calls becomes one line "path points=N
// (L,T,R,B)" with the count and bounds of its points (geometry mode), so that
// a small change in a curve's shape moves a bound rather than a thousand lines.
std::vector<std::string> FrameText(const plugkit::testing::RecordingGraphics& g);

// Compares the lines with the golden file, or writes it while
// ORVANE_REGENERATE_GOLDENS=1; a failure names the file and shows the first
// lines that differ.
::testing::AssertionResult MatchesTextGolden(const std::vector<std::string>& lines,
                                             const std::filesystem::path& golden);

}  // namespace orvane::testing
