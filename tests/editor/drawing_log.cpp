#include "drawing_log.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <set>

#include <standin/testing/images.h>

#include "editor/editor_colours.h"

namespace orvane::testing {

using plugkit::graphics::IRECT;
using plugkit::testing::PathPoint;
using plugkit::testing::RecordedCall;

namespace {

IRECT Bounds(const std::vector<PathPoint>& points) {
  if (points.empty()) return {};
  constexpr double kHuge = std::numeric_limits<double>::max();
  double l = kHuge, t = kHuge, r = -kHuge, b = -kHuge;
  for (const PathPoint& p : points) {
    l = std::min(l, p.x);
    t = std::min(t, p.y);
    r = std::max(r, p.x);
    b = std::max(b, p.y);
  }
  return IRECT(static_cast<float>(l), static_cast<float>(t), static_cast<float>(r), static_cast<float>(b));
}

std::string StyleText(const plugkit::graphics::IText& s) {
  return std::string(s.mFont) + " " + plugkit::testing::FormatNumber(s.mSize) + " fg=" + Colour(s.mFGColor) +
         " angle=" + plugkit::testing::FormatNumber(s.mAngle) + " align=" + std::to_string(static_cast<int>(s.mAlign)) +
         "," + std::to_string(static_cast<int>(s.mVAlign));
}

const std::set<std::string> kPathCalls{"PathMoveTo", "PathLineTo", "PathArc", "PathCubicTo", "PathQuadraticTo",
                                      "PathClose", "PathWinding"};
constexpr std::size_t kDifferencesShown = 5;

std::string PathLine(const std::vector<PathPoint>& points) {
  return "path points=" + std::to_string(points.size()) + (points.empty() ? "" : " " + Box(Bounds(points)));
}

}  // namespace

std::string Colour(const plugkit::graphics::IColor& colour) { return plugkit::testing::FormatColor(colour); }
std::string Box(const IRECT& r) { return plugkit::testing::FormatRect(r); }
std::string Entry(std::size_t entry) { return Colour(PaletteColor(entry)); }

std::vector<DrawnItem> DrawnItems(const plugkit::testing::RecordingGraphics& g) {
  std::vector<DrawnItem> items;
  std::vector<PathPoint> path;
  for (const RecordedCall& call : g.Calls()) {
    if (call.kind == "PathClear") {
      path.clear();
    } else if (call.kind == "FillPath" || call.kind == "StrokePath") {
      DrawnItem item;
      item.kind = call.kind == "FillPath" ? "fill" : "stroke";
      item.colour = call.paint->GetStop(0).mColor;
      item.box = Bounds(path);
      item.line = item.kind + " " + Colour(item.colour);
      if (item.kind == "stroke") {
        item.width = static_cast<float>(call.args.at(0));
        item.line += " w=" + plugkit::testing::FormatNumber(item.width);
      }
      item.line += " " + Box(item.box);
      items.push_back(item);
      if (!(call.strokeStyle && call.strokeStyle->mPreserve) && !(call.fillStyle && call.fillStyle->mPreserve))
        path.clear();
    } else if (call.kind == "DrawText") {
      DrawnItem item;
      item.kind = "text";
      item.text = *call.text;
      item.style = *call.textStyle;
      item.colour = item.style.mFGColor;
      item.box = *call.rect;
      item.line = "text \"" + item.text + "\" " + Box(item.box) + " " + StyleText(item.style);
      items.push_back(item);
    } else {
      path.insert(path.end(), call.points.begin(), call.points.end());
    }
  }
  return items;
}

std::vector<std::string> DrawnLines(const plugkit::testing::RecordingGraphics& g) {
  std::vector<std::string> lines;
  for (const DrawnItem& item : DrawnItems(g)) lines.push_back(item.line);
  return lines;
}

std::vector<DrawnItem> DrawnOfKind(const plugkit::testing::RecordingGraphics& g, const std::string& kind) {
  std::vector<DrawnItem> items = DrawnItems(g);
  std::erase_if(items, [&](const DrawnItem& item) { return item.kind != kind; });
  return items;
}

bool FitsItsBox(plugkit::testing::RecordingGraphics& g, const DrawnItem& text) {
  IRECT bounds = text.box;
  return g.MeasureText(text.style, text.text.c_str(), bounds) <= text.box.W();
}

std::vector<std::string> FrameText(const plugkit::testing::RecordingGraphics& g) {
  std::vector<std::string> lines;
  std::vector<PathPoint> run;
  bool inRun = false;
  for (const RecordedCall& call : g.Calls()) {
    if (kPathCalls.contains(call.kind)) {
      run.insert(run.end(), call.points.begin(), call.points.end());
      inRun = true;
      continue;
    }
    if (inRun) lines.push_back(PathLine(run));
    run.clear();
    inRun = false;
    lines.push_back(call.line);
  }
  if (inRun) lines.push_back(PathLine(run));
  return lines;
}

::testing::AssertionResult MatchesTextGolden(const std::vector<std::string>& lines,
                                             const std::filesystem::path& golden) {
  if (standin::testing::RegeneratingGoldens()) {
    std::filesystem::create_directories(golden.parent_path());
    std::ofstream out(golden);
    for (const std::string& line : lines) out << line << '\n';
    return out ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "could not write " << golden;
  }
  std::ifstream in(golden);
  if (!in) return ::testing::AssertionFailure() << golden << " is missing; ORVANE_REGENERATE_GOLDENS=1 writes it";
  std::vector<std::string> expected;
  for (std::string line; std::getline(in, line);) expected.push_back(line);
  if (expected == lines) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << golden << ": " << lines.size() << " lines drawn, "
                                               << expected.size() << " expected";
  for (std::size_t i = 0, shown = 0; i < std::max(lines.size(), expected.size()) && shown < kDifferencesShown; ++i) {
    const std::string drawn = i < lines.size() ? lines[i] : "(none)";
    const std::string wanted = i < expected.size() ? expected[i] : "(none)";
    if (drawn == wanted) continue;
    failure << "\nline " << i + 1 << ":\n  expected " << wanted << "\n  drawn    " << drawn;
    ++shown;
  }
  return failure;
}

}  // namespace orvane::testing
