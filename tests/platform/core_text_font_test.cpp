#include "graphics/platform/mac/core_text_font.h"

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>

#include <filesystem>
#include <functional>
#include <string>

#include "font_catalogue_fixture.h"

namespace plugkit::graphics {
namespace {

namespace fs = std::filesystem;
using testing::FontBytes;

constexpr const char* kBundleId = "com.test.fonts.Orvane";
constexpr const char* kSharedSubPath = "Orvane";
constexpr size_t kCutSize = 1000;

std::string U16(const std::u16string& text) { return testing::Utf16BigEndian(text); }

// A single-face copy of the bold font whose name 2 says "Heavy" and whose
// typographic subfamily (name 17) says "Bold".
FontBytes BoldCalledHeavy(const FontBytes& bold) {
  const std::u16string family = u"DejaVu Sans Mono";
  return testing::WithTable(bold, "name",
                            testing::NameTable({{3, 1, 0x409, 1, U16(family)},
                                                {3, 1, 0x409, 2, U16(u"Heavy")},
                                                {3, 1, 0x409, 16, U16(family)},
                                                {3, 1, 0x409, 17, U16(u"Bold")}}));
}

// The catalogue's fonts, and a bundle whose resources hold the regular font
// and a file of garbage named as a font.
class CoreTextFontTest : public testing::FontCatalogueTest {
protected:
  static void SetUpTestSuite() {
    FontCatalogueTest::SetUpTestSuite();
    const fs::path bundle = sFolder->path() / "bundle" / "Fonts.component";
    sFolder->Write(bundle / "Contents/Info.plist",
                   std::string("<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>") + kBundleId +
                       "</string></dict></plist>");
    WriteFile(bundle / "Contents/Resources" / testing::kDejaVuMonoFile, Mono());
    sFolder->Write(bundle / "Contents/Resources/garbage.ttf", std::string(5000, 'Z'));
    ASSERT_NE(standin::testing::RegisterBundle(bundle.string()), nullptr);
  }

  void SetUp() override {
    mHome = std::make_unique<ScopedHome>(sFolder->path());
    FontCatalogueTest::SetUp();
  }
  void TearDown() override {
    FontCatalogueTest::TearDown();
    mHome.reset();
  }

  static FontBytes BytesOf(FontData& data) { return FontBytes(data.GetBytes(), data.GetBytes() + data.GetSize()); }

private:
  std::unique_ptr<ScopedHome> mHome;
};

TEST_F(CoreTextFontTest, LoadersGiveTheFontTheFaceAndStyleTheyFound) {
  TempFolder others;
  const FontBytes collection = testing::FontCollection({Mono(), MonoBold()}, 2);
  const FontBytes heavy = BoldCalledHeavy(MonoBold());
  WriteFile(others.path() / "collection" / "mono.ttc", collection);
  WriteFile(others.path() / "heavy" / "heavy.ttf", heavy);
  const FontBytes mono = Mono();
  const struct {
    const char* what;
    fs::path catalogue;  // empty: the suite's
    std::function<std::unique_ptr<CoreTextFont>()> load;
    bool system;
    std::string style;
    int faceIdx;
    FontBytes bytes;
  } cases[] = {
      {"bundle resource", {}, [] { return CoreTextFont::LoadFromResource("DejaVuSansMono.ttf", kBundleId, kSharedSubPath); },
       false, "", 0, mono},
      {"memory", {}, [&] { return CoreTextFont::LoadFromMemory(mono.data(), static_cast<int>(mono.size())); }, false, "",
       0, mono},
      {"installed bold", {}, [] { return CoreTextFont::LoadByName("DejaVu Sans Mono", ETextStyle::Bold); }, true,
       "Bold", 0, MonoBold()},
      {"collection's bold face", others.path() / "collection",
       [] { return CoreTextFont::LoadByName("DejaVu Sans Mono", ETextStyle::Bold); }, true, "Bold", 1, collection},
      {"single face whose name 2 differs", others.path() / "heavy",
       [] { return CoreTextFont::LoadByName("DejaVu Sans Mono", ETextStyle::Bold); }, true, "Bold", 0, heavy},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.catalogue.empty()) UseOtherCatalogue(c.catalogue);
    const std::unique_ptr<CoreTextFont> font = c.load();
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->GetDescriptor(), nullptr);
    EXPECT_EQ(font->IsSystem(), c.system);
    EXPECT_EQ(font->GetStyleName(), c.style);
    const std::unique_ptr<FontData> data = font->GetFontData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetFaceIdx(), c.faceIdx);
    EXPECT_TRUE(data->IsValid());
    EXPECT_TRUE(BytesOf(*data) == c.bytes);
  }
}

TEST_F(CoreTextFontTest, FontFromMemoryKeepsItsBytesWhenTheCallersBufferChanges) {
  const FontBytes mono = Mono();
  FontBytes buffer = mono;
  const auto font = CoreTextFont::LoadFromMemory(buffer.data(), static_cast<int>(buffer.size()));
  ASSERT_NE(font, nullptr);
  buffer.assign(buffer.size(), 0);
  const std::unique_ptr<FontData> data = font->GetFontData();
  EXPECT_TRUE(data->IsValid());
  EXPECT_TRUE(BytesOf(*data) == mono);
}

TEST_F(CoreTextFontTest, WhatCannotBeFoundOrReadGivesNoFontAndLeavesNothingBehind) {
  TempFolder gone;
  WriteFile(gone.path() / testing::kDejaVuMonoBoldFile, MonoBold());
  const FontBytes garbage(5000, 0x5A);
  const FontBytes mono = Mono();
  const FontBytes cut(mono.begin(), mono.begin() + kCutSize);
  const struct {
    const char* what;
    std::function<std::unique_ptr<CoreTextFont>()> load;
  } cases[] = {
      {"missing resource", [] { return CoreTextFont::LoadFromResource("missing.ttf", kBundleId, kSharedSubPath); }},
      {"resource of garbage", [] { return CoreTextFont::LoadFromResource("garbage.ttf", kBundleId, kSharedSubPath); }},
      {"garbage bytes", [&] { return CoreTextFont::LoadFromMemory(garbage.data(), static_cast<int>(garbage.size())); }},
      {"file cut short", [&] { return CoreTextFont::LoadFromMemory(cut.data(), static_cast<int>(cut.size())); }},
      {"no bytes", [] { return CoreTextFont::LoadFromMemory(nullptr, 100); }},
      {"size 0", [&] { return CoreTextFont::LoadFromMemory(garbage.data(), 0); }},
      {"regular, which DejaVu calls Book", [] { return CoreTextFont::LoadByName("DejaVu Sans Mono", ETextStyle::Normal); }},
      {"unknown family", [] { return CoreTextFont::LoadByName("No Such Family", ETextStyle::Bold); }},
      {"no family", [] { return CoreTextFont::LoadByName(nullptr, ETextStyle::Bold); }},
      {"installed file removed since", [&] {
         UseOtherCatalogue(gone.path());
         fs::remove(gone.path() / testing::kDejaVuMonoBoldFile);
         return CoreTextFont::LoadByName("DejaVu Sans Mono", ETextStyle::Bold);
       }},
  };
  for (const auto& c : cases) EXPECT_EQ(c.load(), nullptr) << c.what;
}

}  // namespace
}  // namespace plugkit::graphics
