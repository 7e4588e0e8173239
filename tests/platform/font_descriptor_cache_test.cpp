#include "graphics/platform/mac/font_descriptor_cache.h"

#include <gtest/gtest.h>
#include <standin/testing/objects.h>

#include <string>

#include "font_catalogue_fixture.h"
#include "graphics/font_face_info.h"
#include "graphics/platform/mac/core_text_font.h"

namespace plugkit::graphics {
namespace {

using testing::FontBytes;

constexpr double kRatioTolerance = 1e-5;
constexpr size_t kHheaDescenderAt = 6;
constexpr size_t kHheaAscenderAt = 4;

std::unique_ptr<CoreTextFont> FontOf(const FontBytes& bytes) {
  return CoreTextFont::LoadFromMemory(bytes.data(), static_cast<int>(bytes.size()));
}

// A copy whose hhea descender equals its ascender.
FontBytes WithoutHeight(FontBytes font) {
  const uint32_t hhea = FontFaceInfo(font.data(), static_cast<int>(font.size()), 0).GetHheaLocation();
  testing::PutBigEndian(font, hhea + kHheaDescenderAt, testing::GetBigEndian(font, hhea + kHheaAscenderAt, 2), 2);
  return font;
}

// Each test is one graphics context using the cache; its release at the end
// empties the cache for the next.
class FontDescriptorCacheTest : public testing::FontCatalogueTest {
protected:
  void SetUp() override {
    FontCatalogueTest::SetUp();
    RetainFontDescriptorCache();
  }
  void TearDown() override {
    ReleaseFontDescriptorCache();
    FontCatalogueTest::TearDown();
  }
};

TEST_F(FontDescriptorCacheTest, CachedFontKeepsItsDescriptorAndHeightRatio) {
  const struct {
    const char* fontID;
    FontBytes bytes;
    double heightRatio;
  } cases[] = {
      {"Mono", Mono(), 2048.0 / 2384.0},
      {"Flat", WithoutHeight(Mono()), 1.0},
  };
  for (const auto& c : cases) {
    const auto font = FontOf(c.bytes);
    ASSERT_NE(font, nullptr) << c.fontID;
    CacheFontDescriptor(c.fontID, *font);
    const CoreTextFontDescriptor* cached = FindFontDescriptor(c.fontID);
    ASSERT_NE(cached, nullptr) << c.fontID;
    EXPECT_EQ(cached->GetDescriptor(), font->GetDescriptor()) << c.fontID;
    EXPECT_NEAR(cached->GetHeightRatio(), c.heightRatio, kRatioTolerance) << c.fontID;
  }
  EXPECT_NEAR(FindFontDescriptor("Mono")->GetHeightRatio(), 0.85906, kRatioTolerance);
}

TEST_F(FontDescriptorCacheTest, FirstFontCachedUnderAnIdStaysAndOnlyScaleOneIsKept) {
  const auto mono = FontOf(Mono());
  const auto bold = FontOf(MonoBold());
  CacheFontDescriptor("Roboto-Regular", *mono);
  CacheFontDescriptor("Roboto-Regular", *bold);
  CacheFontDescriptor("MonoFont_Bold", *bold);
  const struct {
    const char* name;
    double scale;
    const void* expected;
  } cases[] = {
      {"Roboto-Regular", 1.0, mono->GetDescriptor()},
      {"MonoFont_Bold", 1.0, bold->GetDescriptor()},
      {"Roboto-Regular", 2.0, nullptr},
      {"roboto-regular", 1.0, nullptr},
      {nullptr, 1.0, nullptr},
  };
  for (const auto& c : cases) {
    const CoreTextFontDescriptor* found = FindFontDescriptor(c.name, c.scale);
    EXPECT_EQ(found ? found->GetDescriptor() : nullptr, c.expected) << (c.name ? c.name : "(null)") << " " << c.scale;
  }
}

TEST_F(FontDescriptorCacheTest, CacheEmptiesWhenItsLastUserGoes) {
  const long objectsBefore = standin::testing::LiveObjectCount();
  RetainFontDescriptorCache();
  {
    const auto font = FontOf(Mono());
    CacheFontDescriptor("Mono", *font);
  }
  ReleaseFontDescriptorCache();
  ASSERT_NE(FindFontDescriptor("Mono"), nullptr) << "one user is left";
  ReleaseFontDescriptorCache();
  EXPECT_EQ(FindFontDescriptor("Mono"), nullptr);
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsBefore);
  RetainFontDescriptorCache();  // for the fixture's release
}

}  // namespace
}  // namespace plugkit::graphics
