// Fonts reach the editor as bytes from memory: whatever they hold, making a
// font of them, reading its font data and caching its descriptor must stay
// inside them and leave no CF object behind.
#include <standin/testing/objects.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "graphics/platform/mac/core_text_font.h"
#include "graphics/platform/mac/font_descriptor_cache.h"

namespace {

constexpr const char* kFontID = "Fuzzed";

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(std::numeric_limits<int>::max())) return 0;
  using namespace plugkit::graphics;
  const long objectsBefore = standin::testing::LiveObjectCount();
  RetainFontDescriptorCache();
  if (auto font = CoreTextFont::LoadFromMemory(data, static_cast<int>(size))) {
    const auto fontData = font->GetFontData();
    Check(fontData && fontData->GetSize() == static_cast<int>(size) &&
          std::memcmp(fontData->GetBytes(), data, size) == 0 && fontData->GetFaceIdx() == 0);
    CacheFontDescriptor(kFontID, *font);
    const CoreTextFontDescriptor* cached = FindFontDescriptor(kFontID);
    Check(cached && cached->GetDescriptor() == font->GetDescriptor() && cached->GetHeightRatio() >= 0.0);
  }
  ReleaseFontDescriptorCache();
  Check(standin::testing::LiveObjectCount() == objectsBefore);
  return 0;
}
