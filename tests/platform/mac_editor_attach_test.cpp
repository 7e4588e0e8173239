// Attaching and detaching the editor view of the macOS graphics context, the
// host removing it, the context's end, and its platform fonts.

#include <filesystem>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/font_descriptor_cache.h"
#include "mac_editor_fixture.h"
#include "support/graphics/resource_bundle.h"

namespace plugkit::testing {
namespace {

using graphics::FindFontDescriptor;
using graphics::IControl;
using graphics::MakeMacGraphics;

constexpr const char* kProductBundle = "com.Vellumtone.audiounit.Orvane";

NS::Size SizeOf(NS::View* view) { return view->frame().size; }

TEST_F(MacEditorTest, AttachingSizesTheViewAndOpensTheEditorBeforeTheViewJoinsItsParent) {
  const struct {
    float drawScale;
    NS::Size viewSize;
    bool tooltips;
  } cases[] = {{1.f, {1392, 783}, true}, {1.5f, {2088, 1174}, false}};
  standin::testing::SetMainScreen({1920, 1080}, 2.0);
  NS::View* parent = Window()->contentView();
  for (const auto& c : cases) {
    RenewDelegate();
    float scaleAtLayout = 0.f;
    mDelegate->SetLayoutFunc([&](IGraphics* g) {
      scaleAtLayout = g->GetScreenScale();
      g->EnableTooltips(c.tooltips);
      g->AttachControl(new FillControl(IRECT(10, 10, 50, 50), graphics::kColorRed));
    });
    mDelegate->mDrawScale = c.drawScale;
    auto* view = static_cast<IGraphicsView_vOrvane_au*>(OpenEditor(parent));
    EXPECT_EQ(SizeOf(view), c.viewSize);
    EXPECT_EQ(view->metalLayer()->pixelFormat(), 80);
    EXPECT_TRUE(view->metalLayer()->framebufferOnly());
    EXPECT_EQ(scaleAtLayout, 2.f) << "the main screen's scale comes before the layout";
    EXPECT_EQ(mDelegate->mTipsAtOpen, c.tooltips ? 1u : 0u);
    EXPECT_FALSE(mDelegate->mInParentAtOpen);
    EXPECT_EQ(view->superview(), parent);
    EXPECT_LT(std::find(mDelegate->mLog.begin(), mDelegate->mLog.end(), "layout"),
              std::find(mDelegate->mLog.begin(), mDelegate->mLog.end(), "opened"));
    EXPECT_EQ(view->getCGContextRef(), nullptr);
  }
}

TEST_F(MacEditorTest, TheFrameTimerRunsAtTheFrameRateUntilTheViewIsDetached) {
  mDelegate->mHostSizeAnswers = {MacDelegate::kAskAgain};
  mDelegate->SetLayoutFunc([](IGraphics* g) { g->AttachControl(new FillControl(IRECT(0, 0, 10, 10), {})); });
  NS::View* parent = Window()->contentView();
  const auto first = NS::Ref<NS::View>::Retain(OpenEditor(parent));
  IGraphicsMac* context = mDelegate->Mac();
  Tick(5);
  EXPECT_EQ(mDelegate->Count("host size"), 5) << "one question per frame";

  // Attaching again: the first view goes for good, the context stays.
  EXPECT_NE(context->AttachEditorView(parent), first.get());
  EXPECT_EQ(first->superview(), nullptr);
  EXPECT_EQ(first->retainCount(), 1u) << "neither a timer nor a superview holds the first view";
  EXPECT_EQ(mDelegate->Mac(), context);
  EXPECT_EQ(mDelegate->Count("closed"), 0);
  EXPECT_EQ(context->NControls(), 1);
  Tick(5);

  context->DetachEditorView();
  Tick(5);
  EXPECT_EQ(mDelegate->Count("host size"), 10) << "the second view asked until it was detached";
  EXPECT_EQ(context->PlatformView(), nullptr);
  EXPECT_FALSE(context->HasPlatformView());
  EXPECT_EQ(context->NControls(), 0);
  EXPECT_EQ(context->GetDrawContext(), nullptr);
}

// The host's removal closes the editor, which detaches the view and deletes
// the context while the removal still runs.
TEST_F(MacEditorTest, TheHostRemovingTheViewClosesTheEditorOnce) {
  NS::View* view = OpenEditor(Window()->contentView());
  standin::testing::RemoveViewAsHost(view);
  EXPECT_EQ(mDelegate->Count("closed"), 1);
  EXPECT_EQ(mDelegate->GetUI(), nullptr);
  Tick(2);
}

// Control destructors reached while the context ends may use the font cache.
class CacheReadingControl : public FillControl {
public:
  CacheReadingControl(bool& found) : FillControl(IRECT(0, 0, 10, 10), {}), mFound(found) {}
  ~CacheReadingControl() override { mFound = FindFontDescriptor("Mono") != nullptr; }

private:
  bool& mFound;
};

TEST_F(MacEditorTest, AContextEndingWithItsViewAttachedDetachesItBeforeLeavingTheFontCache) {
  ResourceBundle bundle(kProductBundle);
  std::filesystem::copy_file(Copied(kDejaVuMonoFile), bundle.Resources() / kDejaVuMonoFile);
  bool foundWhileDetaching = false;
  mDelegate->SetLayoutFunc([&](IGraphics* g) {
    ASSERT_TRUE(g->LoadFont("Mono", kDejaVuMonoFile.c_str()));
    g->AttachControl(new CacheReadingControl(foundWhileDetaching));
  });
  NS::View* parent = Window()->contentView();
  IGraphicsMac* context = MakeMacGraphics(*mDelegate, 200, 100, kEditorFPS, 1.f);
  context->AttachEditorView(parent);
  delete context;
  EXPECT_TRUE(foundWhileDetaching);
  EXPECT_TRUE(parent->subviews().empty());
  EXPECT_EQ(FindFontDescriptor("Mono"), nullptr) << "the last context empties the cache";
}

TEST_F(MacEditorTest, FontsLoadThroughTheContextAndStayCachedWhileAContextLives) {
  ResourceBundle bundle(kProductBundle);
  std::filesystem::copy_file(Copied(kDejaVuMonoFile), bundle.Resources() / kDejaVuMonoFile);
  auto first = std::unique_ptr<IGraphicsMac>(MakeMacGraphics(*mDelegate, 200, 100, kEditorFPS, 1.f));
  EXPECT_STREQ(first->BundleIdentifier(), kProductBundle);
  EXPECT_STREQ(first->AppGroupIdentifier(), "group.com.Vellumtone.Orvane");
  EXPECT_STREQ(first->GetSharedResourcesSubPath(), "Orvane");
  EXPECT_STREQ(IGraphicsMac(*mDelegate, 200, 100).BundleIdentifier(), "");

  const FontBytes bytes = Mono();
  const struct {
    const char* slot;
    graphics::PlatformFontPtr font;
    bool made;
  } cases[] = {
      {"resource", first->LoadPlatformFontFromResource("a", kDejaVuMonoFile.c_str()), true},
      {"missing resource", first->LoadPlatformFontFromResource("b", "Missing.ttf"), false},
      {"data", first->LoadPlatformFontFromData("c", bytes.data(), static_cast<int>(bytes.size())), true},
      {"name", first->LoadPlatformFontByName("d", "DejaVu Sans Mono", graphics::ETextStyle::Bold), true},
      {"unknown name", first->LoadPlatformFontByName("e", "No Such Family", graphics::ETextStyle::Normal), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.font != nullptr, c.made) << c.slot;

  first->AttachEditorView(nullptr);
  ASSERT_TRUE(first->LoadFont("Mono", kDejaVuMonoFile.c_str()));
  EXPECT_NE(FindFontDescriptor("Mono"), nullptr);
  auto second = std::unique_ptr<IGraphicsMac>(MakeMacGraphics(*mDelegate, 200, 100, kEditorFPS, 1.f));
  first.reset();
  EXPECT_NE(FindFontDescriptor("Mono"), nullptr) << "the second context keeps the cache";
  second.reset();
  EXPECT_EQ(FindFontDescriptor("Mono"), nullptr);
}

}  // namespace
}  // namespace plugkit::testing
