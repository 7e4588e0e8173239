#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "font_catalogue_fixture.h"
#include "graphics/platform/mac/core_text_font.h"
#include "graphics/platform/mac/font_descriptor_cache.h"

namespace plugkit::graphics {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 8;

using FontDescriptorCacheThreadsTest = testing::FontCatalogueTest;

// Editors on several threads load fonts and share the cache: every font
// cached under the shared id or a thread's own id is found by all.
TEST_F(FontDescriptorCacheThreadsTest, ContextsOnFourThreadsCacheLookUpRetainAndRelease) {
  const testing::FontBytes mono = Mono();
  RetainFontDescriptorCache();
  std::vector<std::thread> threads;
  std::vector<int> misses(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string ownID = "Thread" + std::to_string(t);
      for (int round = 0; round < kRounds; ++round) {
        RetainFontDescriptorCache();
        const auto font = round % 2 ? CoreTextFont::LoadByName("DejaVu Sans Mono", ETextStyle::Bold)
                                    : CoreTextFont::LoadFromMemory(mono.data(), static_cast<int>(mono.size()));
        if (font) {
          CacheFontDescriptor("Shared", *font);
          CacheFontDescriptor(ownID.c_str(), *font);
        }
        if (!FindFontDescriptor("Shared") || !FindFontDescriptor(ownID.c_str())) ++misses[t];
        ReleaseFontDescriptorCache();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(misses, std::vector<int>(kThreads, 0));
  ReleaseFontDescriptorCache();
  EXPECT_EQ(FindFontDescriptor("Shared"), nullptr);
}

}  // namespace
}  // namespace plugkit::graphics
