#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphics_context.h"
#include "graphics/svg_control.h"
#include "graphics/svg_reader.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/resource_bundle.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::ResourceBundle;

constexpr const char* kBundleId = "com.test.resources.Orvane";

std::string Svg(const std::string& width) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width +
         "\" height=\"10\"><rect width=\"5\" height=\"5\"/></svg>";
}

// One linear gradient of the given stops, each of its own colour, filling every one of the rectangles.
std::string LongGradientSvg(size_t stops, size_t rectangles) {
  std::string text = "<svg width='10' height='10'><linearGradient id='long'>";
  char stop[64];
  for (size_t i = 0; i < stops; ++i) {
    std::snprintf(stop, sizeof stop, "<stop offset='%zu%%' stop-color='#%06zx'/>", i * 100 / stops, i);
    text += stop;
  }
  text += "</linearGradient>";
  for (size_t i = 0; i < rectangles; ++i) text += "<rect width='10' height='10' fill='url(#long)'/>";
  return text + "</svg>";
}

std::string FileName(const std::string& base, int scale) {
  return scale == 1 ? base + ".png" : base + "@" + std::to_string(scale) + "x.png";
}

// Contexts on a test bundle; every cached image is gone once they are.
class ResourcesTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(FakeBitmap::LiveCount(), 0); }
  void TearDown() override {
    g.reset();
    EXPECT_EQ(FakeBitmap::LiveCount(), 0);
  }

  std::unique_ptr<RecordingGraphics> MakeGraphics() {
    auto graphics = std::make_unique<RecordingGraphics>(delegate, 200, 100);
    graphics->SetBundleIdentifier(kBundleId);
    return graphics;
  }
  static int ScaleOf(const IBitmap& bitmap) {
    return bitmap.IsValid() ? static_cast<int>(bitmap.GetAPIBitmap()->GetScale()) : 0;
  }
  static IColor ColorOf(const IBitmap& bitmap) {
    return static_cast<const FakeBitmap*>(bitmap.GetAPIBitmap())->PixelAt(0, 0);
  }

  std::unique_ptr<ResourceBundle> bundle = std::make_unique<ResourceBundle>(kBundleId);
  RecordingDelegate delegate{0};
  std::unique_ptr<RecordingGraphics> g = MakeGraphics();
};

TEST_F(ResourcesTest, TheFileForATargetScaleIsSearchedFromItThenThreeThenDownwards) {
  const struct {
    int target;
    std::vector<int> onDisk;
    int found;  // 0: none
  } cases[] = {
      {1, {1, 2, 3}, 1}, {1, {2, 3}, 3}, {1, {2}, 2},       {2, {1, 2, 3}, 2}, {2, {1, 3}, 3},
      {2, {1}, 1},       {3, {1, 2, 3}, 3}, {3, {1, 2}, 2}, {3, {1}, 1},       {4, {1, 2, 3, 4}, 4},
      {4, {1, 2, 3}, 3}, {4, {1, 2}, 2}, {4, {1}, 1},       {2, {}, 0},
  };
  for (const auto& c : cases) {
    bundle = std::make_unique<ResourceBundle>(kBundleId);
    for (const int scale : c.onDisk) bundle->WriteText(FileName("dial", scale), "");
    StrBuf path;
    int found = 0;
    EXPECT_EQ(g->SearchScaledBitmap("dial.png", "png", path, c.target, found), c.found ? 1 : 0) << c.target;
    if (c.found) {
      EXPECT_EQ(found, c.found) << c.target;
      EXPECT_EQ(std::filesystem::path(path.Get()), bundle->Resources() / FileName("dial", c.found));
    }
  }
}

TEST_F(ResourcesTest, BitmapsAreDecodedOnceAndCachedAtTheScaleTheyWereMadeFor) {
  bundle->WritePng("dial@2x.png", 40, 20, kColorRed);
  // Only the 2x file: at screen scale 1 it is drawn down to 1x; the copy is
  // cached under 1 and the source under 2, so neither is decoded again.
  const IBitmap at1 = g->LoadBitmap("dial.png", 2, true);
  EXPECT_EQ(ScaleOf(at1), 1);
  EXPECT_EQ(at1.W(), 40 / 2);
  EXPECT_EQ(at1.N(), 2);
  EXPECT_EQ(ColorOf(at1), kColorRed);
  EXPECT_EQ(g->LoadBitmap("dial.png").GetAPIBitmap(), at1.GetAPIBitmap());
  const IBitmap at2 = g->LoadBitmap("dial.png", 1, false, 2);
  EXPECT_EQ(ScaleOf(at2), 2);
  EXPECT_EQ(at2.W(), 20);
  EXPECT_EQ(g->Decodes(), 1);

  // A fractional screen scale loads the next whole one and stays as it was.
  bundle->WritePng("knob.png", 8, 8);
  g->SetScreenScale(1.5f);
  const IBitmap knob = g->GetScaledBitmap(IBitmap(nullptr, 1, false, "knob.png"));
  EXPECT_EQ(ScaleOf(knob), 2);
  EXPECT_EQ(knob.GetAPIBitmap()->GetWidth(), 16);
  EXPECT_EQ(g->GetScreenScale(), 1.5f);
  EXPECT_EQ(g->LoadBitmap("knob.png", 1, false, 1).W(), 8);
  EXPECT_EQ(g->Decodes(), 2);
}

TEST_F(ResourcesTest, WhatCannotBeLoadedGivesAnEmptyBitmapAndStaysUncached) {
  bundle->WriteText("dial.gif", "GIF89a");
  bundle->WriteText("broken.png", "not an image");
  const struct {
    const char* name;
    int decodes;  // after two loads
  } cases[] = {{"dial.gif", 0}, {"missing.png", 0}, {"dial", 0}, {"broken.png", 2}};
  for (const auto& c : cases) {
    auto graphics = MakeGraphics();
    for (int load = 0; load < 2; ++load) {
      const IBitmap bitmap = graphics->LoadBitmap(c.name);
      EXPECT_FALSE(bitmap.IsValid()) << c.name;
      EXPECT_EQ(bitmap.W(), 0) << c.name;
    }
    EXPECT_EQ(graphics->Decodes(), c.decodes) << c.name;
  }
  // An entry's scale is compared exactly.
  auto* odd = new FakeBitmap(3, 3, 1.5f);
  g->RetainBitmap(IBitmap(odd, 1, false), "odd.png");
  EXPECT_FALSE(g->LoadBitmap("odd.png", 1, false, 1).IsValid());
}

TEST_F(ResourcesTest, DataIsDecodedAtScaleOneKeptByNameAndReleasedOnRequest) {
  bundle->WritePng("mem.png", 6, 6, kColorBlue);
  std::ifstream file(bundle->Resources() / "mem.png", std::ios::binary);
  const std::vector<char> png{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const int size = static_cast<int>(png.size());

  const IBitmap at2 = g->LoadBitmapFromData("mem.png", png.data(), size, 1, false, 2);
  EXPECT_EQ(ScaleOf(at2), 2);
  EXPECT_EQ(ColorOf(at2), kColorBlue);
  const IBitmap at1 = g->LoadBitmapFromData("mem.png", png.data(), size, 1, false, 1);
  EXPECT_EQ(ScaleOf(at1), 1);
  EXPECT_EQ(g->LoadBitmapFromData("mem.png", nullptr, 0, 1, false, 2).GetAPIBitmap(), at2.GetAPIBitmap());
  EXPECT_EQ(g->Decodes(), 1);
  EXPECT_FALSE(g->LoadBitmapFromData("junk.png", "junk", 4).IsValid());

  const int live = FakeBitmap::LiveCount();
  g->RetainBitmap(at1, "again.png");  // held already: not a second owner
  g->ReleaseBitmap(at1);
  EXPECT_EQ(FakeBitmap::LiveCount(), live - 1);
  g->ReleaseBitmap(at1);
  EXPECT_EQ(FakeBitmap::LiveCount(), live - 1);
}

TEST_F(ResourcesTest, SvgImagesAreParsedOnceByNameWhateverTheirUnits) {
  bundle->WriteText("icon.svg", Svg("1in"));
  bundle->WriteText("bad.svg", "<svg");
  const ISVG first = g->LoadSVG("icon.svg", "px", 72.f);
  ASSERT_TRUE(first.IsValid());
  EXPECT_EQ(first.W(), 72.f);
  EXPECT_EQ(g->LoadSVG("icon.svg", "mm", 96.f).mImage, first.mImage);
  EXPECT_FALSE(g->LoadSVG("bad.svg").IsValid());
  EXPECT_FALSE(g->LoadSVG("missing.svg").IsValid());
  // A file above the reader's cap is refused by its size, unread: its text
  // would end at the first NUL of the padding.
  const struct {
    const char* name;
    size_t size;
    bool valid;
  } padded[] = {{"at-cap.svg", kMaxSvgDocumentBytes, true}, {"above-cap.svg", kMaxSvgDocumentBytes + 1, false}};
  for (const auto& c : padded) {
    bundle->WriteText(c.name, Svg("10"));
    std::filesystem::resize_file(bundle->Resources() / c.name, c.size);
    EXPECT_EQ(g->LoadSVG(c.name).IsValid(), c.valid) << c.name;
  }

  // Text is cut at its size or its first NUL; a refused text caches nothing.
  const std::string text = Svg("20");
  const std::string withNul = text + std::string(1, '\0') + "<junk";
  const struct {
    const char* name;
    std::string data;
    int size;
    bool valid;
  } cases[] = {
      {"cut.svg", text, static_cast<int>(text.size()) - 7, false},
      {"cut.svg", text, static_cast<int>(text.size()), true},
      {"nul.svg", withNul, static_cast<int>(withNul.size()), true},
      {"nosize.svg", text, 0, true},
  };
  for (const auto& c : cases) {
    const ISVG svg = g->LoadSVGFromData(c.name, c.data.c_str(), c.size);
    EXPECT_EQ(svg.IsValid(), c.valid) << c.name;
  }
}

// Each shape holds its own copy of its gradient's stops until the copies
// reach the limit, then only the ones drawn, so every shape draws the same.
TEST_F(ResourcesTest, ShapesOfOneLongGradientHoldNoMoreStopsThanTheLimit) {
  constexpr size_t kLongGradientStops = 2000;
  constexpr size_t kShapesAtStopLimit = kMaxSvgShapeStops / kLongGradientStops;
  const struct {
    const char* name;
    size_t shapes;
    size_t heldStops;
  } cases[] = {
      {"at-stop-limit.svg", kShapesAtStopLimit, kMaxSvgShapeStops},
      {"past-stop-limit.svg", 2 * kShapesAtStopLimit, kMaxSvgShapeStops + kShapesAtStopLimit * IPaint::kMaxStops},
  };
  const auto sameStop = [](const SvgGradientStop& a, const SvgGradientStop& b) {
    return a.mColor == b.mColor && a.mOffset == b.mOffset;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bundle->WriteText(c.name, LongGradientSvg(kLongGradientStops, c.shapes));
    const ISVG svg = g->LoadSVG(c.name);
    ASSERT_TRUE(svg.IsValid());
    const std::vector<SvgShape>& shapes = svg.mImage->mShapes;
    ASSERT_EQ(shapes.size(), c.shapes);
    const std::vector<SvgGradientStop>& first = shapes.front().mFill.mGradient.mStops;
    ASSERT_EQ(first.size(), kLongGradientStops);
    size_t held = 0;
    for (const SvgShape& shape : shapes) {
      const std::vector<SvgGradientStop>& stops = shape.mFill.mGradient.mStops;
      held += stops.size();
      ASSERT_TRUE(std::equal(stops.begin(), stops.end(), first.begin(), sameStop));
    }
    EXPECT_EQ(held, c.heldStops);
  }
}

TEST_F(ResourcesTest, BackgroundsGoFirstWithoutATag) {
  bundle->WritePng("bg.png", 30, 20);
  bundle->WriteText("bg.svg", Svg("1in"));
  g->AttachControl(new testing::ProbeControl(IRECT(0, 0, 5, 5), "front"), 3);
  IControl* bitmap = g->AttachBitmapBackground("bg.png");
  EXPECT_EQ(g->GetControl(0), bitmap);
  EXPECT_EQ(bitmap->GetRECT(), IRECT(0, 0, 30, 20));
  auto* svg = static_cast<ISVGControl*>(g->AttachSVGBackground("bg.svg"));
  EXPECT_EQ(g->GetControl(0), svg);
  EXPECT_EQ(svg->GetRECT(), IRECT(0, 0, 200, 100));
  EXPECT_EQ(svg->GetSVG().W(), 72.f);  // "px" at 72 dpi
  EXPECT_EQ(g->NControls(), 3);
  EXPECT_EQ(svg->GetTag(), -1);
  EXPECT_EQ(bitmap->GetTag(), -1);
}

TEST_F(ResourcesTest, TheCachesOutliveEveryContextButTheLast) {
  bundle->WritePng("dial.png", 4, 4);
  bundle->WriteText("icon.svg", Svg("10"));
  auto second = MakeGraphics();
  const ISVG svg = g->LoadSVG("icon.svg");
  g->LoadBitmap("dial.png");
  g.reset();
  EXPECT_EQ(second->LoadSVG("icon.svg").mImage, svg.mImage);
  EXPECT_TRUE(second->LoadBitmap("dial.png").IsValid());
  EXPECT_EQ(second->Decodes(), 0);
  EXPECT_EQ(FakeBitmap::LiveCount(), 1);

  second.reset();
  EXPECT_EQ(FakeBitmap::LiveCount(), 0);
  bundle->WriteText("icon.svg", Svg("30"));
  g = MakeGraphics();
  EXPECT_EQ(g->LoadSVG("icon.svg").W(), 30.f);
}

}  // namespace
}  // namespace plugkit::graphics
