// The text controls drawn through the vector binding, against a golden image.
#include <filesystem>

#include "binding_fixture.h"
#include "framework/core/param.h"
#include "graphics/controls/text_controls.h"
#include "support/graphics/synthetic_input.h"
#include "tests/support/renderer/test_fonts.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr int kTextGalleryWidth = 320;
constexpr int kTextGalleryHeight = 260;
constexpr IColor kBackground{255, 200, 204, 210};
constexpr IColor kLinkColor{255, 30, 80, 200};
constexpr IColor kLinkHoverColor{255, 220, 90, 30};
constexpr IColor kLinkClickedColor{255, 130, 40, 160};
constexpr IColor kPanel{255, 236, 236, 232};

enum Params { kChannel, kNParams };

class ControlsGalleryTextTest : public BindingTest {};

TEST_F(ControlsGalleryTextTest, GalleryMatchesItsGolden) {
  RecordingDelegate delegate(kNParams);
  delegate.GetParam(kChannel)->InitEnum("Channel", 1, {"Clean", "Crunch", "Lead"});
  TestVectorGraphics g(delegate, kTextGalleryWidth, kTextGalleryHeight, 1.f);
  // Every text control asks for the default font by its id.
  ASSERT_TRUE(g.LoadFont(IText::kDefaultFont, orvane::testing::kDejaVuSans.c_str()));
  const auto background = [](IGraphics& gr, const IRECT& r) { gr.FillRect(kBackground, r); };
  g.AttachControl(new DrawingControl(IRECT(0, 0, kTextGalleryWidth, kTextGalleryHeight), background));

  // A label and a caption on the left, links on the right, placeholders below:
  // one unnamed, its size labels in the clear, one named.
  const IText label(16.f, kColorBlack, nullptr, EAlign::Near, EVAlign::Middle);
  g.AttachControl(new ITextControl(IRECT(10, 10, 150, 34), "Preamp voicing", label, kPanel));
  const IText caption(14.f, kColorBlack, nullptr, EAlign::Near, EVAlign::Middle);
  g.AttachControl(new ICaptionControl(IRECT(10, 44, 150, 68), kChannel, caption, kPanel));

  const IText link(14.f, kLinkColor, nullptr, EAlign::Center, EVAlign::Middle);
  g.AttachControl(new IURLControl(IRECT(170, 10, 310, 34), "User manual", "file:///manual", link, kPanel,
                                  kLinkHoverColor, kLinkClickedColor));
  g.AttachControl(new IURLControl(IRECT(170, 44, 310, 68), "Release notes", "file:///notes", link, kPanel,
                                  kLinkHoverColor, kLinkClickedColor));

  g.AttachControl(new PlaceHolder(IRECT(10, 80, 310, 160)));
  g.AttachControl(new PlaceHolder(IRECT(10, 170, 310, 250), "Cabinet"));

  // The second link clicked, then the pointer resting on the first.
  g.EnableMouseOver(true);
  SyntheticInput input(g);
  input.Click(240, 56);
  input.Hover(240, 22);

  g.DrawAll();
  const std::filesystem::path golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "controls" / "text.png";
  const auto result = standin::testing::CheckGolden(g.Screen(), golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

}  // namespace
}  // namespace plugkit::testing
