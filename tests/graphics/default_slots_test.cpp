#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::graphics {
namespace {

using testing::FakePlatformFont;
using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

class DefaultSlotsTest : public ::testing::Test {
protected:
  IGEditorDelegate delegate{0};
  RecordingGraphics g{delegate, 100, 100, 60, 1.5f};
};

TEST_F(DefaultSlotsTest, APlatformThatOverridesNothingAnswersTheDefaults) {
  IGraphics& base = g;
  EXPECT_STREQ(base.PlatformName(), "");
  EXPECT_FALSE(base.IsDarkMode());
  EXPECT_EQ(base.PlatformWindowScale(), 1.f);
  EXPECT_STREQ(base.AppGroupIdentifier(), "");
  EXPECT_EQ(base.PlatformModuleHandle(), nullptr);
  EXPECT_FALSE(base.SetClipboardFile("/tmp/a"));
  EXPECT_FALSE(base.StartFileDrag("/tmp/a", IRECT(0, 0, 1, 1)));
  EXPECT_FALSE(base.RevealInFinder("/tmp", true));
  IColor color = kColorRed;
  bool picked = false;
  EXPECT_FALSE(base.IGraphics::ChooseColor(color, "Pick", [&picked](const IColor&) { picked = true; }));
  EXPECT_FALSE(picked) << "no picker without a platform";
  StrBuf folder("/tmp");
  base.IGraphics::ChooseFolder(folder, [](const StrBuf&) { ADD_FAILURE() << "no dialog without a platform"; });
  EXPECT_STREQ(folder.Get(), "");
  EXPECT_FALSE(base.HasPlatformView());
  g.AttachEditorView(nullptr);
  EXPECT_TRUE(base.HasPlatformView());

  EXPECT_EQ(base.SetCursor(5), 0);
  EXPECT_EQ(base.SetCursor(0), 5);

  g.SetScreenScale(2.f);
  EXPECT_FLOAT_EQ(base.GetBackingPixelScale(), 3.f);
}

TEST_F(DefaultSlotsTest, FontsLoadThroughThePlatformAndTheBackEnd) {
  struct Case {
    const char* name;
    bool platformRefuses, backEndRefuses;
    std::function<bool(IGraphics&)> load;
    bool loaded;
    Lines calls;
  };
  const unsigned char bytes[4] = {};
  const std::vector<Case> cases = {
      {"a file", false, false, [](IGraphics& g) { return g.LoadFont("Mono", "mono.ttf"); }, true,
       {"LoadPlatformFontFromResource Mono mono.ttf", "LoadFontFromMemory Mono", "CachePlatformFont Mono"}},
      {"bytes", false, false, [&](IGraphics& g) { return g.LoadFontData("Mono", bytes, 4); }, true,
       {"LoadPlatformFontFromData Mono 4", "LoadFontFromMemory Mono", "CachePlatformFont Mono"}},
      {"an installed font", false, false,
       [](IGraphics& g) { return g.LoadFontByName("Sans", "DejaVu Sans", ETextStyle::Bold); }, true,
       {"LoadPlatformFontByName Sans DejaVu Sans 1", "LoadFontFromMemory Sans", "CachePlatformFont Sans"}},
      {"the platform cannot make it", true, false, [](IGraphics& g) { return g.LoadFont("Mono", "missing.ttf"); },
       false, {"LoadPlatformFontFromResource Mono missing.ttf"}},
      {"the back end rejects it", false, true, [&](IGraphics& g) { return g.LoadFontData("Mono", bytes, 4); },
       false, {"LoadPlatformFontFromData Mono 4", "LoadFontFromMemory Mono"}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    g.RefusePlatformFonts(c.platformRefuses);
    g.RefuseBackEndFonts(c.backEndRefuses);
    const size_t cachedBefore = g.CachedFonts().size();
    EXPECT_EQ(c.load(g), c.loaded) << c.name;
    EXPECT_EQ(g.CallLines(), c.calls) << c.name;
    EXPECT_EQ(g.CachedFonts().size(), cachedBefore + (c.loaded ? 1 : 0)) << c.name;
    EXPECT_EQ(FakePlatformFont::LiveCount(), 0) << c.name << ": the handle is released";
  }
}

}  // namespace
}  // namespace plugkit::graphics
