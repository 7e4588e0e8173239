// Fonts of a face at a point size: metrics from the descriptor's face however
// the descriptor was made, and the system font with and without fonts installed.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <functional>

#include "appkit_font_fixture.h"

namespace {

constexpr double kMetricTolerance = 0.01;
constexpr NS::CGFloat kSize = 20.0;
// DejaVu Sans Mono: 1901 and -483 of 2048 units, no line gap.
constexpr double kMonoAscender = 1901.0 * kSize / 2048.0;
constexpr double kMonoDescender = -483.0 * kSize / 2048.0;

class AppKitFontsTest : public AppKitFontTest {
protected:
  // The catalogue's own descriptor of the face, with its file's URL.
  static CTFontDescriptorRef MatchedDescriptor() {
    CTFontDescriptorRef wanted = NewFamilyDescriptor("DejaVu Sans Mono");
    CFArrayRef matches = CTFontDescriptorCreateMatchingFontDescriptors(wanted, nullptr);
    CFRelease(wanted);
    if (matches == nullptr) return nullptr;
    auto descriptor = static_cast<CTFontDescriptorRef>(CFRetain(CFArrayGetValueAtIndex(matches, 0)));
    CFRelease(matches);
    return descriptor;
  }

  // The descriptor of a font made from the file's bytes.
  static CTFontDescriptorRef ProviderDescriptor() {
    CFStringRef path = NewString(Copied(plugkit::testing::kDejaVuMonoFile).c_str());
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, false);
    CGDataProviderRef provider = CGDataProviderCreateWithURL(url);
    CGFontRef graphicsFont = CGFontCreateWithDataProvider(provider);
    CTFontRef font = CTFontCreateWithGraphicsFont(graphicsFont, kSize, nullptr, nullptr);
    CTFontDescriptorRef descriptor = CTFontCopyFontDescriptor(font);
    for (CFTypeRef made : {CFTypeRef(font), CFTypeRef(graphicsFont), CFTypeRef(provider), CFTypeRef(url),
                           CFTypeRef(path)}) {
      CFRelease(made);
    }
    return descriptor;
  }
};

TEST_F(AppKitFontsTest, FontsScaleTheirFacesMetricsToThePointSize) {
  struct Case {
    const char* source;
    std::function<CTFontDescriptorRef()> descriptor;
  };
  const Case cases[] = {
      {"a family the catalogue resolves", [] { return NewFamilyDescriptor("DejaVu Sans Mono"); }},
      {"a catalogue match with its file", [] { return MatchedDescriptor(); }},
      {"a font made from bytes", [] { return ProviderDescriptor(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    NS::AutoreleasePool pool;
    CTFontDescriptorRef descriptor = c.descriptor();
    ASSERT_NE(descriptor, nullptr);
    NS::Font* font = NS::Font::fontWithDescriptorSize(descriptor, kSize);
    CFRelease(descriptor);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->fontDescriptor(), descriptor) << "the font holds the descriptor";
    EXPECT_EQ(font->pointSize(), kSize);
    EXPECT_NEAR(font->ascender(), kMonoAscender, kMetricTolerance);
    EXPECT_NEAR(font->descender(), kMonoDescender, kMetricTolerance);
    EXPECT_NEAR(font->leading(), 0.0, kMetricTolerance);
  }
  EXPECT_EQ(NS::Font::fontWithDescriptorSize(nullptr, kSize), nullptr);
}

TEST_F(AppKitFontsTest, TheSystemFontIsTheCataloguesSansSerifOrFallbackMetrics) {
  {
    NS::AutoreleasePool pool;
    NS::Font* font = NS::Font::systemFontOfSize(kSize);
    EXPECT_EQ(font->pointSize(), kSize);
    EXPECT_NEAR(font->ascender(), kMonoAscender, kMetricTolerance) << "the only face installed";
    EXPECT_NE(font->fontDescriptor(), nullptr);
  }
  TempFolder empty;
  UseOtherCatalogue(empty.path());
  NS::AutoreleasePool pool;
  NS::Font* font = NS::Font::systemFontOfSize(kSize);
  EXPECT_EQ(font->pointSize(), kSize);
  EXPECT_GT(font->ascender(), kSize / 2);
  EXPECT_LT(font->descender(), 0.0);
  EXPECT_GT(font->ascender() - font->descender(), kSize * 0.9) << "a usable line height";
}

}  // namespace
