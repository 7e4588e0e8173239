#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <gtest/gtest.h>
#include <standin/testing/fonts.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "leak_checked_test.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<UInt8>;

const fs::path kDejaVuFolder = "/usr/share/fonts/truetype/dejavu";
const std::string kMono = "DejaVuSansMono.ttf";
const std::string kMonoBold = "DejaVuSansMono-Bold.ttf";
constexpr std::size_t kCutSize = 1000;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ADD_FAILURE() << path << " is missing; scripts/setup.sh installs it";
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string AttributeText(CFTypeRef string) {
  if (string == nullptr || CFGetTypeID(string) != CFStringGetTypeID()) return "<none>";
  return CFStringGetCStringPtr(static_cast<CFStringRef>(string), kCFStringEncodingUTF8);
}

CFURLRef NewFileURL(const fs::path& path) {
  Owned<CFStringRef> text(CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8));
  return CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, false);
}

CGDataProviderRef NewProviderOfBytes(const Bytes& bytes) {
  return CGDataProviderCreateWithData(nullptr, bytes.data(), bytes.size(), nullptr);
}

// "family/style path" of a descriptor, the path "-" when it has no URL.
std::string Describe(CTFontDescriptorRef descriptor) {
  Owned<CFTypeRef> family(CTFontDescriptorCopyAttribute(descriptor, kCTFontFamilyNameAttribute));
  Owned<CFTypeRef> style(CTFontDescriptorCopyAttribute(descriptor, kCTFontStyleNameAttribute));
  Owned<CFTypeRef> url(CTFontDescriptorCopyAttribute(descriptor, kCTFontURLAttribute));
  std::string path = "-";
  if (url.get() != nullptr) {
    Owned<CFStringRef> text(CFURLCopyFileSystemPath(static_cast<CFURLRef>(url.get()), kCFURLPOSIXPathStyle));
    path = AttributeText(text);
  }
  return AttributeText(family) + "/" + AttributeText(style) + " " + path;
}

// The stand-in's catalogue holds only copies of two DejaVu faces in a
// temporary folder, whatever fonts the machine has.
class CoreTextFontsTest : public LeakCheckedTest {
protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    for (const std::string& name : {kMono, kMonoBold}) fs::copy_file(kDejaVuFolder / name, folder_->path() / name);
    ASSERT_TRUE(standin::testing::UseFontFolders({folder_->path().string()}));
  }
  static void TearDownTestSuite() {
    standin::testing::UseSystemFonts();
    delete folder_;
  }

  static fs::path Copied(const std::string& name) { return folder_->path() / name; }

  static TempFolder* folder_;
};

TempFolder* CoreTextFontsTest::folder_ = nullptr;

int gReleases = 0;
void CountRelease(void* info, const void* data, size_t size) {
  ++gReleases;
  EXPECT_EQ(info, &gReleases);
  EXPECT_NE(data, nullptr);
  EXPECT_GT(size, 0u);
}

TEST_F(CoreTextFontsTest, ProviderCallsItsReleaseCallbackOnceWhenTheLastHolderLetsGo) {
  const Bytes bytes = ReadFile(Copied(kMono));
  gReleases = 0;
  CGDataProviderRef provider = CGDataProviderCreateWithData(&gReleases, bytes.data(), bytes.size(), CountRelease);
  CGFontRef font = CGFontCreateWithDataProvider(provider);
  ASSERT_NE(font, nullptr);
  Owned<CFDataRef> copy(CGDataProviderCopyData(CGDataProviderRetain(provider)));
  EXPECT_EQ(Bytes(CFDataGetBytePtr(copy), CFDataGetBytePtr(copy) + CFDataGetLength(copy)), bytes);
  CGDataProviderRelease(provider);
  CGDataProviderRelease(provider);
  EXPECT_EQ(gReleases, 0) << "the graphics font still holds the provider";
  CGFontRelease(font);
  EXPECT_EQ(gReleases, 1);
  CGDataProviderRelease(nullptr);
  CGFontRelease(nullptr);
  EXPECT_EQ(gReleases, 1);
}

TEST_F(CoreTextFontsTest, NoGraphicsFontFromBytesThatHoldNoReadableFace) {
  const Bytes mono = ReadFile(Copied(kMono));
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"garbage", Bytes(5000, 0x5A)},
      {"a file cut to 1000 bytes", Bytes(mono.begin(), mono.begin() + kCutSize)},
      {"nothing", Bytes()},
  };
  for (const auto& c : cases) {
    Owned<CGDataProviderRef> provider(NewProviderOfBytes(c.bytes));
    EXPECT_EQ(CGFontCreateWithDataProvider(provider), nullptr) << c.what;
  }
  Owned<CFURLRef> missing(NewFileURL(Copied("missing.ttf")));
  Owned<CFURLRef> folder(NewFileURL(folder_->path()));
  EXPECT_EQ(CGDataProviderCreateWithURL(missing), nullptr);
  EXPECT_EQ(CGDataProviderCreateWithURL(folder), nullptr);
  EXPECT_EQ(CGFontCreateWithDataProvider(nullptr), nullptr);
  EXPECT_EQ(CTFontCreateWithGraphicsFont(nullptr, 0, nullptr, nullptr), nullptr);
}

TEST_F(CoreTextFontsTest, DescriptorOfAFontNamesItsFaceAndTheFileItCameFrom) {
  const Bytes mono = ReadFile(Copied(kMono));
  Owned<CFURLRef> monoURL(NewFileURL(Copied(kMono)));
  Owned<CFURLRef> boldURL(NewFileURL(Copied(kMonoBold)));
  const struct {
    const char* what;
    CGDataProviderRef provider;
    std::string expected;
  } cases[] = {
      {"file", CGDataProviderCreateWithURL(monoURL), "DejaVu Sans Mono/Book " + Copied(kMono).string()},
      {"bold file", CGDataProviderCreateWithURL(boldURL), "DejaVu Sans Mono/Bold " + Copied(kMonoBold).string()},
      {"bytes", NewProviderOfBytes(mono), "DejaVu Sans Mono/Book -"},
  };
  for (const auto& c : cases) {
    Owned<CGDataProviderRef> provider(c.provider);
    Owned<CGFontRef> graphicsFont(CGFontCreateWithDataProvider(provider));
    Owned<CTFontRef> font(CTFontCreateWithGraphicsFont(graphicsFont, 0, nullptr, nullptr));
    Owned<CTFontDescriptorRef> descriptor(CTFontCopyFontDescriptor(font));
    EXPECT_EQ(Describe(descriptor), c.expected) << c.what;
  }
}

TEST_F(CoreTextFontsTest, MatchingListsTheCatalogueFacesWithTheMandatoryFamilyAndStyle) {
  const std::string bold = "DejaVu Sans Mono/Bold " + Copied(kMonoBold).string();
  const std::string book = "DejaVu Sans Mono/Book " + Copied(kMono).string();
  const struct {
    const char* family;
    const char* style;
    std::vector<CFStringRef> mandatory;
    std::vector<std::string> expected;
  } cases[] = {
      {"dejavu sans mono", "Bold", {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute}, {bold}},
      {"dejavu sans mono", "Regular", {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute}, {}},
      {"DejaVu Sans Mono", "Regular", {kCTFontFamilyNameAttribute}, {bold, book}},
      {"DejaVu Serif", "Book", {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute}, {}},
  };
  for (const auto& c : cases) {
    Owned<CFStringRef> family(CFStringCreateWithCString(nullptr, c.family, kCFStringEncodingUTF8));
    Owned<CFStringRef> style(CFStringCreateWithCString(nullptr, c.style, kCFStringEncodingUTF8));
    const void* keys[] = {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute};
    const void* values[] = {family.get(), style.get()};
    Owned<CFDictionaryRef> attributes(
        CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    Owned<CTFontDescriptorRef> wanted(CTFontDescriptorCreateWithAttributes(attributes));
    std::vector<const void*> mandatoryKeys(c.mandatory.begin(), c.mandatory.end());
    Owned<CFSetRef> mandatory(CFSetCreate(nullptr, mandatoryKeys.data(), static_cast<CFIndex>(mandatoryKeys.size()),
                                          &kCFTypeSetCallBacks));
    Owned<CFArrayRef> matches(CTFontDescriptorCreateMatchingFontDescriptors(wanted, mandatory));
    std::vector<std::string> found;
    for (CFIndex i = 0; i < CFArrayGetCount(matches); ++i) {
      found.push_back(Describe(static_cast<CTFontDescriptorRef>(CFArrayGetValueAtIndex(matches, i))));
    }
    EXPECT_EQ(found, c.expected) << c.family << " " << c.style;
    EXPECT_EQ(matches.get() == nullptr, c.expected.empty()) << "no match gives null";
  }
}

}  // namespace
