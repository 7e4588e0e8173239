// The bitmap cache of each graphics context and the font cache of the process.
#include <filesystem>
#include <string>

#include "binding_fixture.h"
#include "graphics/renderer/allocation.h"
#include "support/graphics/resource_bundle.h"
#include "tests/support/renderer/test_fonts.h"
#include "tests/support/renderer/test_images.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr std::uint32_t kOpenTypeWithCff = 0x4F54544F;  // 'OTTO'

class BindingCachesTest : public BindingTest {
protected:
  void SetUp() override {
    BindingTest::SetUp();
    bundle_.WritePng("dial.png", 8, 8);
    bundle_.WritePng("dial@2x.png", 16, 16);
    bundle_.WritePng("knob.png", 10, 10);
    bundle_.WritePng("knob.gif", 10, 10);
    bundle_.WriteText("bad.png", "not an image");
  }

  // At screen scale 1.5: a bitmap for "the screen's scale" is one for 2.
  TestVectorGraphics& Graphics() {
    if (!graphics_) {
      graphics_ = std::make_unique<TestVectorGraphics>(delegate_, 64, 64, 1.5f);
      graphics_->SetBundleIdentifier(bundle_.Identifier());
    }
    return *graphics_;
  }

  void TearDown() override {
    graphics_.reset();
    BindingTest::TearDown();
  }

  ResourceBundle bundle_{"com.orvane.tests.binding-caches"};
  std::unique_ptr<TestVectorGraphics> graphics_;
};

TEST_F(BindingCachesTest, BitmapsAreCachedUnderTheScaleOfTheFileFound) {
  TestVectorGraphics& g = Graphics();
  const IBitmap dial = g.LoadBitmap("dial.png", 1, false, 2);
  EXPECT_EQ(g.LoadBitmap("dial.png", 1, false, 2).GetAPIBitmap(), dial.GetAPIBitmap()) << "decoded once";
  EXPECT_EQ(dial.GetAPIBitmap()->GetScale(), 2.f);
  EXPECT_EQ(dial.W(), 8);
  EXPECT_EQ(g.LoadBitmap("dial.png").GetAPIBitmap(), dial.GetAPIBitmap()) << "the screen scale rounded up";

  const IBitmap knob1 = g.LoadBitmap("knob.png", 1, false, 1);
  const IBitmap knob2 = g.LoadBitmap("knob.png", 1, false, 2);
  EXPECT_NE(knob1.GetAPIBitmap(), knob2.GetAPIBitmap()) << "a 1x file asked for at 2 is decoded again";
  EXPECT_EQ(knob2.GetAPIBitmap()->GetScale(), 1.f);
  EXPECT_EQ(g.LoadBitmap("knob.png", 1, false, 1).GetAPIBitmap(), knob1.GetAPIBitmap());
}

// "knob.png" at 1.5 and at 1.54 share the key text "knob.png-1.5x".
TEST(BindingCacheShape, EntriesMatchTheExactScaleWhereKeyTextsAgree) {
  StaticStorage<int> storage;
  ASSERT_TRUE(storage.Add(std::make_unique<int>(15), "knob.png", 1.5));
  ASSERT_TRUE(storage.Add(std::make_unique<int>(154), "knob.png", 1.54));
  EXPECT_EQ(*storage.Find("knob.png", 1.5), 15);
  EXPECT_EQ(*storage.Find("knob.png", 1.54), 154);
  EXPECT_EQ(storage.Find("knob.png", 1.55), nullptr);
}

TEST_F(BindingCachesTest, UnsupportedOrMissingBitmapsGiveEmptyHandlesAndCacheNothing) {
  TestVectorGraphics& g = Graphics();
  for (const char* name : {"knob.gif", "missing.png", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(g.LoadBitmap(name, 1, false, 1).IsValid()) << (name ? name : "null");
  bundle_.WritePng("missing.png", 4, 4);
  EXPECT_TRUE(g.LoadBitmap("missing.png", 1, false, 1).IsValid());
}

TEST_F(BindingCachesTest, UndecodableFilesAreCachedWithoutAnImage) {
  TestVectorGraphics& g = Graphics();
  const IBitmap bad = g.LoadBitmap("bad.png", 1, false, 1);
  ASSERT_TRUE(bad.IsValid());
  EXPECT_EQ(bad.GetAPIBitmap()->GetImageHandle(), 0);
  EXPECT_EQ(bad.W(), 0);
  EXPECT_EQ(g.LoadBitmap("bad.png", 1, false, 1).GetAPIBitmap(), bad.GetAPIBitmap());
}

TEST_F(BindingCachesTest, MemoryLoadsAreCachedByNameAndScale) {
  TestVectorGraphics& g = Graphics();
  const orvane::testing::Bytes png = orvane::testing::EncodePng(orvane::testing::TestPattern(6, 4));
  const int size = static_cast<int>(png.size());
  APIBitmap* one = g.LoadBitmapFromMemory("mem", png.data(), size, 1);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->GetWidth(), 6);
  EXPECT_EQ(g.LoadBitmapFromMemory("mem", png.data(), size, 1), one);
  EXPECT_NE(g.LoadBitmapFromMemory("mem", png.data(), size, 2), one);
  EXPECT_EQ(g.LoadBitmapFromData("mem", png.data(), size, 1, false, 1).GetAPIBitmap(), one);
}

std::unique_ptr<TestPlatformFont> DejaVu() { return TestPlatformFont::FromFile(orvane::testing::kDejaVuSansMono); }

TEST_F(BindingTest, FontsAreReadFromThePlatformOnceWhileAGraphicsContextLives) {
  const int before = TestPlatformFont::FontDataRequests();
  {
    TestVectorGraphics first(delegate_, 32, 32);
    ASSERT_TRUE(first.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
    TestVectorGraphics second(delegate_, 32, 32);
    EXPECT_TRUE(second.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
    EXPECT_EQ(TestPlatformFont::FontDataRequests(), before + 1) << "the second context found the font cached";
  }
  TestVectorGraphics next(delegate_, 32, 32);
  EXPECT_TRUE(next.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
  EXPECT_EQ(TestPlatformFont::FontDataRequests(), before + 2) << "the last context emptied the cache";
}

// Nothing is cached for a font that is refused: the next load under the id
// asks the platform again.
TEST_F(BindingTest, UnusableOrRefusedFontsAreNotCached) {
  orvane::testing::SmallFont cff;
  cff.tables.push_back({"CFF ", orvane::testing::Bytes(16, 0)});
  cff.tables.push_back({"name", orvane::testing::Bytes(6, 0)});
  struct {
    const char* name;
    TestPlatformFont font;
  } cases[] = {
      {"CFF outlines", TestPlatformFont(orvane::testing::BuildFont(cff.tables, kOpenTypeWithCff))},
      {"no face", TestPlatformFont(orvane::testing::ReadFileBytes(orvane::testing::kDejaVuSansMono), -1)},
      {"not a font", TestPlatformFont(orvane::testing::Bytes(64, 'x'))},
      {"no bytes", TestPlatformFont({})},
  };
  TestVectorGraphics g(delegate_, 32, 32);
  for (auto& c : cases) {
    const std::string id = std::string("refused ") + c.name;
    EXPECT_FALSE(g.LoadFontFromMemory(id.c_str(), c.font)) << c.name;
    const int before = TestPlatformFont::FontDataRequests();
    EXPECT_TRUE(g.LoadFontFromMemory(id.c_str(), *DejaVu())) << c.name;
    EXPECT_EQ(TestPlatformFont::FontDataRequests(), before + 1) << c.name;
  }
}

// The core can refuse bytes from the cache too (here: no memory for the
// font), and that is no success.
TEST_F(BindingTest, ACachedFontTheCoreRefusesIsNotLoaded) {
  TestVectorGraphics first(delegate_, 32, 32);
  ASSERT_TRUE(first.LoadFontFromMemory(kFont, *DejaVu()));
  TestVectorGraphics second(delegate_, 32, 32);
  vcSetAllocationsBeforeFailure(0);
  const bool loaded = second.LoadFontFromMemory(kFont, *DejaVu());
  vcSetAllocationsBeforeFailure(-1);
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(second.LoadFontFromMemory(kFont, *DejaVu()));
}

TEST_F(BindingTest, TheEditorFontsLoadAndMeasureText) {
  TestVectorGraphics g(delegate_, 32, 32);
  const std::filesystem::path folder = ORVANE_FONT_CACHE_DIR;
  for (const char* file : {"iosevka-latin-400-normal.ttf", "iosevka-latin-700-normal.ttf"}) {
    ASSERT_TRUE(g.LoadFont(file, (folder / file).c_str())) << file;
    IRECT bounds(0, 0, 200, 20);
    EXPECT_GT(g.MeasureText(IText(14, kColorBlack, file), "Preamp gain", bounds), 50.f) << file;
  }
}

}  // namespace
}  // namespace plugkit::testing
