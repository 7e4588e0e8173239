#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"
#include "graphics/svg_reader.h"
#include "support/graphics/recording_graphics.h"
#include "support/test_paths.h"

namespace plugkit::graphics {
namespace {

using Points = std::vector<float>;

// The control offset of a quarter circle of radius 10 drawn as one cubic.
constexpr float kQuarter = 5.52285f;

std::string ReadFixture(const std::string& name) {
  std::ifstream file(std::string(ORVANE_SVG_DATA_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::unique_ptr<SvgImage> ParseFixture(const std::string& name, const char* units = "px", float dpi = 72.f) {
  auto image = ParseSvg(ReadFixture(name), units, dpi);
  EXPECT_NE(image, nullptr) << name;
  return image;
}

void ExpectPoints(const SvgSubpath& subpath, const Points& expected, float tolerance = 1e-3f) {
  ASSERT_EQ(subpath.mPoints.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(subpath.mPoints[i], expected[i], tolerance) << "at " << i;
}

// Where a gradient's map sends a point of the image.
std::pair<float, float> MapIntoGradient(const SvgGradient& gradient, float x, float y) {
  const float* m = gradient.mTransform;
  return {m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
}

uint32_t Packed(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) { return r | g << 8 | b << 16 | a << 24; }

TEST(SvgReaderTest, BasicShapesBecomeClosedOrOpenCubicOutlines) {
  const auto image = ParseFixture("shapes.svg");
  ASSERT_EQ(image->mShapes.size(), 6u);
  struct Case {
    const char* name;
    bool closed;
    float minX, minY;
    Points points;
  };
  const float k = kQuarter;
  const std::vector<Case> cases = {
      {"circle as four cubics", true, 40, 30,
       {60, 40, 60, 40 + k, 50 + k, 50, 50, 50, 50 - k, 50, 40, 40 + k, 40, 40,
        40, 40 - k, 50 - k, 30, 50, 30, 50 + k, 30, 60, 40 - k, 60, 40}},
      {"rectangle with rounded corners", true, 10, 20,
       {15, 20, 25, 20, 35, 20, 45, 20, 45 + k / 2, 20, 50, 25 - k / 2, 50, 25, 50, 31.667f, 50, 38.333f, 50, 45,
        50, 45 + k / 2, 45 + k / 2, 50, 45, 50, 35, 50, 25, 50, 15, 50, 15 - k / 2, 50, 10, 45 + k / 2, 10, 45,
        10, 38.333f, 10, 31.667f, 10, 25, 10, 25 - k / 2, 15 - k / 2, 20, 15, 20}},
      {"ellipse", true, 30, 30,
       {70, 40, 70, 40 + k, 50 + 2 * k, 50, 50, 50, 50 - 2 * k, 50, 30, 40 + k, 30, 40,
        30, 40 - k, 50 - 2 * k, 30, 50, 30, 50 + 2 * k, 30, 70, 40 - k, 70, 40}},
      {"line", false, 0, 0, {0, 0, 10, 20, 20, 40, 30, 60}},
      {"polyline", false, 0, 0, {0, 0, 4, 0, 8, 0, 12, 0, 12, 3, 12, 6, 12, 9}},
      {"polygon", true, 0, 0, {0, 0, 4, 0, 8, 0, 12, 0, 12, 3, 12, 6, 12, 9}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const SvgShape& shape = image->mShapes[i];
    ASSERT_EQ(shape.mSubpaths.size(), 1u);
    const SvgSubpath& subpath = shape.mSubpaths[0];
    EXPECT_EQ(subpath.mClosed, cases[i].closed);
    EXPECT_NEAR(subpath.mMinX, cases[i].minX, 1e-3);
    EXPECT_NEAR(subpath.mMinY, cases[i].minY, 1e-3);
    ExpectPoints(subpath, cases[i].points);
  }
}

TEST(SvgReaderTest, EveryPathCommandLandsOnItsReferencePoints) {
  const auto image = ParseFixture("path_commands.svg");
  ASSERT_EQ(image->mShapes.size(), 7u);
  const float k2 = 2 * kQuarter;
  struct Case {
    const char* name;
    std::vector<Points> subpaths;
    std::vector<bool> closed;
  };
  const std::vector<Case> cases = {
      {"lines",
       {{10, 10,      13.333f, 10, 16.667f, 10, 20, 10, 23.333f, 10, 26.667f, 10, 30, 10, 30, 13.333f, 30, 16.667f,
         30, 20,      26.667f, 20, 23.333f, 20, 20, 20, 16.667f, 20, 13.333f, 20, 10, 20, 10, 16.667f, 10, 13.333f,
         10, 10}},
       {true}},
      {"cubics", {{10, 10, 20, 0, 30, 0, 40, 10, 50, 20, 60, 20, 70, 10, 80, 0, 90, 0, 100, 10, 110, 20, 120, 20, 130, 10}},
       {false}},
      {"quadratics",
       {{0, 0, 6.667f, 13.333f, 13.333f, 13.333f, 20, 0, 26.667f, -13.333f, 33.333f, -13.333f, 40, 0, 46.667f,
         -13.333f, 53.333f, -13.333f, 60, 0, 66.667f, 13.333f, 73.333f, 13.333f, 80, 0}},
       {false}},
      {"arcs",
       {{10, 50, 10, 50 - k2, 30 - k2, 30, 30, 30, 30 + k2, 30, 50, 50 - k2, 50, 50, 50, 50 + k2, 30 + k2, 70, 30,
         70, 30 - k2, 70, 10, 50 + k2, 10, 50}},
       {false}},
      {"arcs without a length, a radius or room",
       {{0, 0, 1.667f, 0, 3.333f, 0, 5, 0, 6.667f, 0, 8.333f, 0, 10, 0, 10, -kQuarter, 20 - kQuarter, -10, 20, -10,
         20 + kQuarter, -10, 30, -kQuarter, 30, 0}},
       {false}},
      {"drawing on after a close",
       {{0, 0, 3.333f, 0, 6.667f, 0, 10, 0, 10, 3.333f, 10, 6.667f, 10, 10},
        {0, 0, 6.667f, 6.667f, 13.333f, 13.333f, 20, 20},
        {5, 5, 5.333f, 5.333f, 5.667f, 5.667f, 6, 6}},
       {true, false, false}},
      {"up to the first error", {{0, 0, 3.333f, 0, 6.667f, 0, 10, 0, 10, 3.333f, 10, 6.667f, 10, 10}}, {false}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const SvgShape& shape = image->mShapes[i];
    ASSERT_EQ(shape.mSubpaths.size(), cases[i].subpaths.size());
    for (size_t s = 0; s < shape.mSubpaths.size(); ++s) {
      ExpectPoints(shape.mSubpaths[s], cases[i].subpaths[s]);
      EXPECT_EQ(shape.mSubpaths[s].mClosed, cases[i].closed[s]);
    }
  }
}

TEST(SvgReaderTest, TransformsAndTheViewportMapPointsIntoTheImage) {
  // 2in x 1in at 72 dpi with a viewBox of 200 x 100: everything scaled by 0.72.
  const auto image = ParseFixture("viewbox.svg");
  EXPECT_FLOAT_EQ(image->mWidth, 144.f);
  EXPECT_FLOAT_EQ(image->mHeight, 72.f);
  ASSERT_EQ(image->mShapes.size(), 3u);
  ExpectPoints(image->mShapes[0].mSubpaths[0],
               {72, 36, 96, 36, 120, 36, 144, 36, 144, 48, 144, 60, 144, 72, 120, 72, 96, 72, 72, 72});
  EXPECT_FLOAT_EQ(image->mShapes[0].mStrokeWidth, 0.72f);
  // translate(10 20) then scale(2): (5, 5) lands at (20, 30), times 0.72.
  EXPECT_NEAR(image->mShapes[1].mSubpaths[0].mPoints[0], 14.4f, 1e-4);
  EXPECT_NEAR(image->mShapes[1].mSubpaths[0].mPoints[1], 21.6f, 1e-4);
  EXPECT_FLOAT_EQ(image->mShapes[1].mStrokeWidth, 1.44f);
  // rotate(90): (10, 0) lands at (0, 10).
  EXPECT_NEAR(image->mShapes[2].mSubpaths[0].mPoints[6], 0.f, 1e-4);
  EXPECT_NEAR(image->mShapes[2].mSubpaths[0].mPoints[7], 7.2f, 1e-4);
  EXPECT_NEAR(image->mShapes[2].mSubpaths[0].mMinX, -7.2f, 1e-4);

  struct Case {
    const char* name;
    const char* svg;
    const char* units;
    float dpi;
    float width, height;
    float x, y;  // where the shape's first point lands
  };
  const char* const rect = "<rect x='10' y='10' width='10' height='10'/></svg>";
  auto svg = [&](const char* root) { return std::string(root) + rect; };
  const std::string inches = svg("<svg xmlns='http://www.w3.org/2000/svg' width='2in' height='1in'>");
  const std::string meet = svg("<svg width='300' height='100' viewBox='0 0 100 100'>");
  const std::string slice = svg("<svg width='100' height='300' viewBox='0 0 100 100' preserveAspectRatio='xMaxYMid slice'>");
  const std::string stretch = svg("<svg width='300' height='100' viewBox='0 0 100 100' preserveAspectRatio='none'>");
  const std::string lone = svg("<svg height='50' viewBox='5 5 200 100'>");
  const std::string boxOnly = svg("<svg viewBox='0 0 40 30'>");
  const std::string none = svg("<svg>");
  const std::string percent = svg("<svg width='100%' height='50%'>");
  const std::string huge = svg("<svg width='1e300' height='1e39'>");
  const std::vector<Case> cases = {
      {"millimetres", inches.c_str(), "mm", 72, 50.8f, 25.4f, 10 * 25.4f / 72, 10 * 25.4f / 72},
      {"inches", inches.c_str(), "in", 96, 2, 1, 10.f / 96, 10.f / 96},
      {"points at 144 dpi", inches.c_str(), "pt", 144, 144, 72, 5, 5},
      {"picas and centimetres", inches.c_str(), "pc", 72, 12, 6, 10.f / 12, 10.f / 12},
      {"an unknown unit is px", inches.c_str(), "furlong", 72, 144, 72, 10, 10},
      {"centred and fitted", meet.c_str(), "px", 72, 300, 100, 110, 10},
      {"covering, pushed right", slice.c_str(), "px", 72, 100, 300, -170, 30},
      {"stretched", stretch.c_str(), "px", 72, 300, 100, 30, 10},
      {"a lone height follows the viewBox", lone.c_str(), "px", 72, 100, 50, 2.5f, 2.5f},
      {"the viewBox's size", boxOnly.c_str(), "cm", 2.54f, 40, 30, 10, 10},
      {"the shapes' size", none.c_str(), "px", 72, 20, 20, 10, 10},
      {"percentages are the shapes' size", percent.c_str(), "px", 72, 20, 20, 10, 10},
      {"so are sizes beyond a float", huge.c_str(), "px", 72, 20, 20, 10, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto parsed = ParseSvg(c.svg, c.units, c.dpi);
    ASSERT_NE(parsed, nullptr);
    EXPECT_NEAR(parsed->mWidth, c.width, 1e-3);
    EXPECT_NEAR(parsed->mHeight, c.height, 1e-3);
    ASSERT_EQ(parsed->mShapes.size(), 1u);
    EXPECT_NEAR(parsed->mShapes[0].mSubpaths[0].mPoints[0], c.x, 1e-3);
    EXPECT_NEAR(parsed->mShapes[0].mSubpaths[0].mPoints[1], c.y, 1e-3);
  }
}

TEST(SvgReaderTest, StylesAreInheritedAndTheStyleAttributeWins) {
  const auto image = ParseFixture("style.svg");
  struct Case {
    const char* name;
    bool visible;
    float opacity;
    int32_t fillType;
    uint32_t fill;
    int32_t strokeType;
    uint32_t stroke;
    float strokeWidth;
    int32_t join, cap;
    float miterLimit;
    Points dashes;
    float dashOffset;
  };
  const uint32_t red = Packed(255, 0, 0);
  const uint32_t blue = Packed(0, 0, 255);
  const uint32_t black = Packed(0, 0, 0);
  const int32_t none = SvgPaint::kNone;
  const int32_t colour = SvgPaint::kColor;
  const int32_t round = SvgShape::kJoinRound;
  const std::vector<Case> cases = {
      {"inherited from the group", true, 0.5f, colour, red, colour, blue, 2, round, 0, 4, {}, 0},
      {"its own attributes", true, 0.5f, colour, Packed(0, 255, 0), colour, blue, 2, round, 2, 4, {}, 0},
      {"its style attribute over its attributes", true, 0.5f, colour, blue, none, 0, 2, round, 0, 4, {}, 0},
      {"opacity through two groups, fill opacity kept with the colour", true, 0.25f, colour, Packed(0, 255, 0, 64),
       colour, blue, 2, round, 0, 4, {}, 0},
      {"hidden", false, 1, colour, black, none, 0, 1, 0, 0, 4, {}, 0},
      {"in a group not displayed", false, 1, colour, black, none, 0, 1, 0, 0, 4, {}, 0},
      {"visible again in a hidden group", true, 1, colour, black, none, 0, 1, 0, 0, 4, {}, 0},
      {"dashes and width under scale(2 8)", true, 1, colour, black, colour, black, 12, 0, 0, 4,
       {4, 8, 12, 4, 8, 12}, 4},
      {"at most eight dashes", true, 1, colour, black, colour, black, 1, 0, 0, 7, {1, 1, 1, 1, 1, 1, 1, 1}, 0},
      {"no paint", true, 1, none, 0, none, 0, 1, 0, 0, 4, {}, 0},
  };
  ASSERT_EQ(image->mShapes.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const SvgShape& shape = image->mShapes[i];
    EXPECT_EQ(shape.mVisible, c.visible);
    EXPECT_FLOAT_EQ(shape.mOpacity, c.opacity);
    EXPECT_EQ(shape.mFill.mType, c.fillType);
    if (c.fillType == colour) {
      EXPECT_EQ(shape.mFill.mColor, c.fill);
    }
    EXPECT_EQ(shape.mStroke.mType, c.strokeType);
    if (c.strokeType == colour) {
      EXPECT_EQ(shape.mStroke.mColor, c.stroke);
    }
    EXPECT_FLOAT_EQ(shape.mStrokeWidth, c.strokeWidth);
    EXPECT_EQ(shape.mLineJoin, c.join);
    EXPECT_EQ(shape.mLineCap, c.cap);
    EXPECT_FLOAT_EQ(shape.mMiterLimit, c.miterLimit);
    EXPECT_EQ(Points(shape.mDashArray, shape.mDashArray + shape.mDashCount), c.dashes);
    EXPECT_FLOAT_EQ(shape.mDashOffset, c.dashOffset);
  }

  // "transparent" paints nothing instead of keeping the inherited fill.
  const auto transparent = ParseSvg("<svg><g fill='red'><rect width='1' height='1' fill='transparent'/></g></svg>",
                                    "px", 72);
  ASSERT_NE(transparent, nullptr);
  EXPECT_EQ(transparent->mShapes.at(0).mFill.mType, SvgPaint::kNone);
}

TEST(SvgReaderTest, GradientsMapIntoTheirNormalisedSpace) {
  const auto image = ParseFixture("gradients.svg");
  ASSERT_EQ(image->mShapes.size(), 6u);
  struct Case {
    const char* name;
    int32_t type;
    int32_t spread;
    std::vector<SvgGradientStop> stops;
    std::vector<std::pair<float, float>> from;
    std::vector<std::pair<float, float>> to;
  };
  const std::vector<SvgGradientStop> threeStops = {
      {Packed(255, 0, 0), 0.f}, {Packed(0, 255, 0, 128), 0.5f}, {Packed(0, 0, 255), 0.5f}};
  const std::vector<SvgGradientStop> blackToWhite = {{Packed(0, 0, 0), 0.f}, {Packed(255, 255, 255), 1.f}};
  const std::vector<Case> cases = {
      {"linear in user space, its offsets kept in order", SvgPaint::kLinearGradient, SvgGradient::kSpreadReflect,
       threeStops, {{10, 0}, {10, 100}}, {{0, 0}, {0, 1}}},
      {"radial with its stops from the gradient it refers to", SvgPaint::kRadialGradient,
       SvgGradient::kSpreadRepeat, threeStops, {{50, 40}, {70, 40}, {50, 20}}, {{0, 0}, {1, 0}, {0, -1}}},
      {"across the shape's bounding box", SvgPaint::kLinearGradient, SvgGradient::kSpreadPad, blackToWhite,
       {{20, 10}, {60, 10}}, {{0, 0}, {0, 1}}},
      {"through a reference cycle", SvgPaint::kLinearGradient, SvgGradient::kSpreadPad, blackToWhite, {}, {}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const SvgPaint& fill = image->mShapes[i].mFill;
    ASSERT_EQ(fill.mType, c.type);
    EXPECT_EQ(fill.mGradient.mSpread, c.spread);
    ASSERT_EQ(fill.mGradient.mStops.size(), c.stops.size());
    for (size_t s = 0; s < c.stops.size(); ++s) {
      EXPECT_EQ(fill.mGradient.mStops[s].mColor, c.stops[s].mColor);
      EXPECT_FLOAT_EQ(fill.mGradient.mStops[s].mOffset, c.stops[s].mOffset);
    }
    for (size_t p = 0; p < c.from.size(); ++p) {
      const auto [u, v] = MapIntoGradient(fill.mGradient, c.from[p].first, c.from[p].second);
      EXPECT_NEAR(u, c.to[p].first, 1e-5);
      EXPECT_NEAR(v, c.to[p].second, 1e-5);
    }
  }
  // A reference to nothing falls back to its colour; a gradient without stops paints nothing.
  EXPECT_EQ(image->mShapes[4].mFill.mType, SvgPaint::kColor);
  EXPECT_EQ(image->mShapes[4].mFill.mColor, Packed(0x12, 0x34, 0x56));
  EXPECT_EQ(image->mShapes[5].mFill.mType, SvgPaint::kNone);
}

TEST(SvgReaderTest, GradientsInheritAlongMixedChainsAndAroundCycles) {
  // a (linear) -> b (radial) -> c (linear); p -> q -> r -> p.
  const auto image = ParseSvg(
      "<svg width='100' height='100'>"
      "<linearGradient id='a' href='#b'/>"
      "<radialGradient id='b' href='#c' cx='50' cy='50' r='10' spreadMethod='repeat'/>"
      "<linearGradient id='c' gradientUnits='userSpaceOnUse' x1='0' y1='0' x2='0' y2='10'>"
      "<stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/></linearGradient>"
      "<linearGradient id='p' href='#q' spreadMethod='reflect'>"
      "<stop offset='0' stop-color='lime'/><stop offset='1' stop-color='black'/></linearGradient>"
      "<linearGradient id='q' href='#r'><stop offset='0' stop-color='white'/><stop offset='1' stop-color='black'/>"
      "</linearGradient>"
      "<linearGradient id='r' href='#p' gradientUnits='userSpaceOnUse' x2='0' y2='20' spreadMethod='repeat'/>"
      "<rect width='100' height='100' fill='url(#a)'/><rect width='100' height='100' fill='url(#b)'/>"
      "<rect width='100' height='100' fill='url(#r)'/><rect width='100' height='100' fill='url(#q)'/>"
      "<rect width='100' height='100' fill='url(#p)'/></svg>",
      "px", 72);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->mShapes.size(), 5u);
  const struct {
    const char* name;
    int32_t type;
    int32_t spread;
    uint32_t firstStop;
    std::pair<float, float> from, to;
  } cases[] = {
      {"linear geometry past a radial gradient", SvgPaint::kLinearGradient, SvgGradient::kSpreadRepeat,
       Packed(255, 0, 0), {0, 10}, {0, 1}},
      {"radial, the rest from a linear gradient", SvgPaint::kRadialGradient, SvgGradient::kSpreadRepeat,
       Packed(255, 0, 0), {60, 50}, {1, 0}},
      {"a cycle entered at its last gradient", SvgPaint::kLinearGradient, SvgGradient::kSpreadRepeat,
       Packed(0, 255, 0), {0, 20}, {0, 1}},
      {"the same cycle at its middle", SvgPaint::kLinearGradient, SvgGradient::kSpreadRepeat,
       Packed(255, 255, 255), {0, 20}, {0, 1}},
      {"the same cycle at its first", SvgPaint::kLinearGradient, SvgGradient::kSpreadReflect, Packed(0, 255, 0),
       {0, 20}, {0, 1}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    const SvgPaint& fill = image->mShapes[i].mFill;
    ASSERT_EQ(fill.mType, c.type);
    EXPECT_EQ(fill.mGradient.mSpread, c.spread);
    ASSERT_FALSE(fill.mGradient.mStops.empty());
    EXPECT_EQ(fill.mGradient.mStops[0].mColor, c.firstStop);
    const auto [u, v] = MapIntoGradient(fill.mGradient, c.from.first, c.from.second);
    EXPECT_NEAR(u, c.to.first, 1e-5);
    EXPECT_NEAR(v, c.to.second, 1e-5);
  }
}

std::string Nested(int depth, const std::string& inner = "<rect width='1' height='1'/>") {
  std::string text = "<svg>";
  for (int i = 1; i < depth; ++i) text += "<g>";
  text += inner;
  for (int i = 1; i < depth; ++i) text += "</g>";
  return text + "</svg>";
}

TEST(SvgReaderTest, BadDocumentsGiveNullOrAPartialImage) {
  struct Case {
    const char* name;
    std::string svg;
    std::optional<size_t> shapes;  // none: no image at all
    float dpi = 72.f;
  };
  const std::string tooLarge =
      "<svg>" + std::string(kMaxSvgDocumentBytes, ' ') + "<rect width='1' height='1'/></svg>";
  const std::vector<Case> cases = {
      {"empty", "", std::nullopt},
      {"malformed XML", "<svg><rect width='1' height='1'></svg", std::nullopt},
      {"an undeclared prefix", "<svg><a:rect width='1' height='1'/></svg>", std::nullopt},
      {"a root that is not svg", "<html><svg/></html>", std::nullopt},
      {"an unterminated entity", "<svg><rect width='1&#49' height='1'/></svg>", std::nullopt},
      {"300 nested groups", Nested(300), std::nullopt},
      {"200,000 nested groups", Nested(200000), std::nullopt},
      {"200,000 nested groups after a declaration like a doctype", "<!DOCTYPEx [>" + Nested(200000) + "]>",
       std::nullopt},
      {"above the size cap", tooLarge, std::nullopt},
      {"a dpi that is not a number", "<svg/>", std::nullopt, std::nanf("")},
      {"a dpi of 0", "<svg/>", std::nullopt, 0.f},
      {"groups nested to the limit", Nested(kMaxSvgNestingDepth), 1},
      {"a tag's quoted '>' hides no nesting", "<svg><g a='>'><rect width='1' height='1'/></g></svg>", 1},
      {"non-finite numbers drop their shape",
       "<svg><rect width='1' height='1'/><path d='M0 0 L1e999 0 L5 5'/><circle r='1e308' cx='1e308'/>"
       "<rect width='1' height='1' transform='scale(1e300) scale(1e300)'/></svg>",
       1},
      {"a reference cycle", "<svg><linearGradient id='a' href='#a'/><rect width='1' height='1' fill='url(#a)'/></svg>",
       1},
      {"bytes above ASCII in values", "<svg><rect width='1' height='1' fill='\xC3\xA9' style='stroke:\xC3\xA9'/></svg>",
       1},
      {"unknown elements and attributes are skipped", "<svg><blink/><rect wobble='3' width='1' height='1'/></svg>", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto image = ParseSvg(c.svg, "px", c.dpi);
    ASSERT_EQ(image != nullptr, c.shapes.has_value());
    if (image) {
      EXPECT_EQ(image->mShapes.size(), *c.shapes);
    }
  }
}

TEST(SvgReaderTest, AReadImageIsDrawnShapeByShape) {
  const auto image = ParseSvg(
      "<svg width='20' height='10'><rect width='4' height='2' fill='#102030' stroke='#405060' "
      "stroke-width='0.5' opacity='0.5'/></svg>",
      "px", 72);
  ASSERT_NE(image, nullptr);
  IGEditorDelegate delegate(0);
  testing::RecordingGraphics g(delegate, 100, 100);
  g.DrawSVG(ISVG(image.get()), IRECT(0, 0, 40, 40));
  EXPECT_EQ(g.CallLines(),
            (std::vector<std::string>{
                "SetTransform 1 0 0 1 0 0", "SetTransform 2 0 0 2 0 0", "PathClear", "PathMoveTo 0 0",
                "PathCubicTo 1.333 0 2.667 0 4 0", "PathCubicTo 4 0.667 4 1.333 4 2",
                "PathCubicTo 2.667 2 1.333 2 0 2", "PathClose", "PathWinding 0",
                "FillPath solid(128,16,32,48) rule=2 preserve blend=none",
                "StrokePath solid(128,64,80,96) 0.5 miter=4 cap=0 join=0 blend=none", "SetTransform 1 0 0 1 0 0"}));
}

}  // namespace
}  // namespace plugkit::graphics
