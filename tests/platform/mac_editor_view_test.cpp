// The editor view in a host window: frames on the timer, the host's view
// size, window, scale and appearance changes, and tooltips.

#include <standin/testing/images.h>

#include <filesystem>
#include <optional>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/view_geometry.h"
#include "graphics/renderer/image.h"
#include "mac_editor_fixture.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using graphics::kColorRed;
using graphics::ScaledViewRect;
using standin::testing::Image;
using standin::testing::PresentedFrameCount;

constexpr IColor kPanel{255, 40, 44, 52};
constexpr IColor kBlue{255, 70, 130, 220};
constexpr int kGoldenChannelTolerance = 2;
constexpr int kSmallWidth = 120;
constexpr int kSmallHeight = 80;

IGraphicsView_vOrvane_au* EditorView(NS::View* view) { return static_cast<IGraphicsView_vOrvane_au*>(view); }

NS::Size DrawableSize(NS::View* view) { return EditorView(view)->metalLayer()->drawableSize(); }

class MacEditorDrawingTest : public MacEditorTest, public ::testing::WithParamInterface<float> {};

TEST_P(MacEditorDrawingTest, ATickDrawsTheDirtyControlsInOneFrame) {
  const float scale = GetParam();
  FillControl* red = nullptr;
  mDelegate->mWidth = kSmallWidth;
  mDelegate->mHeight = kSmallHeight;
  mDelegate->SetLayoutFunc([&](IGraphics* g) {
    g->AttachPanelBackground(graphics::IPaint(kPanel));
    g->AttachControl(new FillControl(IRECT(70.5f, 10.25f, 110.5f, 69.75f), kBlue));
    red = new FillControl(IRECT(20, 20, 50, 40), kColorRed);
    g->AttachControl(red);
  });
  NS::View* view = OpenEditor(Window(scale, {kSmallWidth, kSmallHeight})->contentView());
  CA::MetalLayer* layer = EditorView(view)->metalLayer();
  EXPECT_EQ(DrawableSize(view), (NS::Size{kSmallWidth * scale, kSmallHeight * scale}));
  EXPECT_EQ(PresentedFrameCount(layer), 0);

  Tick();
  ASSERT_EQ(PresentedFrameCount(layer), 1);
  const Image screen = standin::testing::LayerFrontImage(layer);
  const auto golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "platform" /
                      ("editor_view_scale" + std::to_string(static_cast<int>(scale)) + ".png");
  const auto result = standin::testing::CheckGolden(screen, golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
  const auto pixel = [&](int x, int y) {
    const std::uint8_t* p = screen.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale));
    return IColor(p[3], p[0], p[1], p[2]);
  };
  EXPECT_EQ(pixel(21, 21), kColorRed);
  EXPECT_EQ(pixel(49, 39), kColorRed);
  EXPECT_EQ(pixel(19, 21), kPanel);
  EXPECT_EQ(pixel(51, 39), kPanel);

  Tick();
  EXPECT_EQ(PresentedFrameCount(layer), 1) << "nothing dirty, nothing drawn";
  red->mDirtyWhileDrawing = true;
  red->MarkDirty(false);
  Tick(3);
  EXPECT_EQ(red->mDraws, 3) << "dirty again while drawing: drawn once more, then no more";
  EXPECT_EQ(PresentedFrameCount(layer), 3);
}

INSTANTIATE_TEST_SUITE_P(ScreenScales, MacEditorDrawingTest, ::testing::Values(1.f, 2.f));

TEST_F(MacEditorTest, TheHostViewSizeIsAskedForUntilTheDelegateSettlesIt) {
  const auto kAsk = MacDelegate::kAskAgain, kAdopt = MacDelegate::kAdoptHostSize, kKeep = MacDelegate::kKeepSize;
  const struct {
    const char* name;
    std::vector<int> answers;
    std::optional<NS::Rect> container;  // the parent, in the content view; none: no parent
    std::optional<NS::Size> adopted;
    long questions;  // over three frames
  } cases[] = {
      // The content view clips the container to (50, 30, 1000, 600) of its own.
      {"ask, then adopt", {kAsk, kAdopt}, NS::MakeRect(-50, -30, 1050, 630), NS::Size{1000, 600}, 2},
      {"adopt nothing", {kAdopt}, NS::MakeRect(0, 0, 0, 0), std::nullopt, 3},
      {"keep", {kKeep}, NS::MakeRect(0, 0, 500, 300), std::nullopt, 1},
      {"no parent", {kAdopt}, std::nullopt, std::nullopt, 0},
  };
  NS::View* content = Window()->contentView();
  for (const auto& c : cases) {
    RenewDelegate();
    NS::View* container = nullptr;
    if (c.container) {
      container = (new NS::View)->initWithFrame(*c.container);
      content->addSubview(container);
      container->release();
    }
    mDelegate->mHostSizeAnswers = c.answers;
    NS::View* view = OpenEditor(container);
    Tick(3);
    EXPECT_EQ(mDelegate->Count("host size"), c.questions) << c.name;
    const NS::Size gui{static_cast<double>(mDelegate->Mac()->Width()), static_cast<double>(mDelegate->Mac()->Height())};
    EXPECT_EQ(gui, c.adopted.value_or(NS::Size{kEditorWidth, kEditorHeight})) << c.name;
    if (c.adopted) {
      EXPECT_EQ(view->frame(), NS::MakeRect(50, 30, 1000, 600)) << c.name;
    }
    if (container) container->removeFromSuperview();
  }
}

TEST_F(MacEditorTest, EnteringAWindowTakesItsScaleAndFocus) {
  NS::Window* window = Window(2.0);
  NS::View* view = OpenEditor(window->contentView());
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_EQ(mDelegate->Mac()->GetScreenScale(), 2.f);
  EXPECT_EQ(DrawableSize(view), (NS::Size{2784, 1566})) << "before the first frame";
  EXPECT_EQ(PresentedFrameCount(EditorView(view)->metalLayer()), 0);

  standin::testing::SetBackingScale(window, 1.0);
  mDelegate->mLog.clear();
  standin::testing::SetBackingScale(window, 2.0);
  EXPECT_EQ(mDelegate->Count("request resize"), 1) << "the screen scale is set once";
  EXPECT_EQ(DrawableSize(view), (NS::Size{2784, 1566}));
  EditorView(view)->viewDidChangeBackingProperties();
  EXPECT_EQ(mDelegate->Count("request resize"), 1) << "the same scale again changes nothing";
}

TEST_F(MacEditorTest, AWindowResizedAtScaleTwoIsDrawnAtTwiceItsSize) {
  mDelegate->SetLayoutFunc([](IGraphics* g) { g->AttachPanelBackground(graphics::IPaint(kPanel)); });
  NS::View* view = OpenEditor(Window(2.0)->contentView());
  CA::MetalLayer* layer = EditorView(view)->metalLayer();
  for (const NS::Size& size : {NS::Size{1200, 700}, NS::Size{1501, 901}}) {
    standin::testing::ResizeWindow(mWindow, size);
    const long presented = PresentedFrameCount(layer);
    Tick();
    ASSERT_EQ(PresentedFrameCount(layer), presented + 1) << size.width;
    const NS::Size pixels{size.width * 2, size.height * 2};
    EXPECT_EQ(DrawableSize(view), pixels);
    int width = 0, height = 0;
    vcImageSize(mDelegate->Mac()->GetDrawContext(), mDelegate->Mac()->GetMainFramebuffer()->image, &width, &height);
    EXPECT_EQ((NS::Size{static_cast<double>(width), static_cast<double>(height)}), pixels) << "main framebuffer";
    const Image frame = standin::testing::LayerFrontImage(layer);
    EXPECT_EQ((NS::Size{static_cast<double>(frame.width), static_cast<double>(frame.height)}), pixels) << "presented";
  }
}

TEST_F(MacEditorTest, TheGuiFollowsTheSizeTheHostGivesTheView) {
  const struct {
    float drawScale;
    NS::Size viewSize;
    int guiWidth, guiHeight;
    long resizes;
  } cases[] = {
      {1.f, {1000, 600}, 1000, 600, 1},
      {1.5f, {2088, 1174}, 1392, 783, 0},  // the size the GUI shows
      {1.5f, {1500, 900}, 1000, 600, 1},
  };
  Window();
  for (const auto& c : cases) {
    RenewDelegate();
    mDelegate->mDrawScale = c.drawScale;
    NS::View* view = OpenEditor(mWindow->contentView());
    mDelegate->mLog.clear();
    standin::testing::ResizeView(view, c.viewSize);
    EditorView(view)->hostFrameDidChange(nullptr);
    EXPECT_EQ(mDelegate->Mac()->Width(), c.guiWidth) << c.viewSize.width;
    EXPECT_EQ(mDelegate->Mac()->Height(), c.guiHeight) << c.viewSize.width;
    EXPECT_EQ(mDelegate->Mac()->GetDrawScale(), c.drawScale);
    EXPECT_EQ(mDelegate->Count("request resize"), c.resizes) << c.viewSize.width;
  }

  RenewDelegate();
  NS::View* view = OpenEditor(mWindow->contentView());
  standin::testing::ResizeWindow(mWindow, {1200, 700});
  EXPECT_EQ(view->frame().size, (NS::Size{1200, 700})) << "the view follows the window";
  EXPECT_EQ(mDelegate->Mac()->Width(), 1200);

  mDelegate->Mac()->Resize(kEditorWidth, kEditorHeight, 1.5f, true);
  EXPECT_EQ(view->frame().size, (NS::Size{2088, 1174}));
  const auto groupings = standin::testing::EndedAnimationGroupings();
  ASSERT_FALSE(groupings.empty());
  EXPECT_EQ(groupings.back().duration, 0.0);
  EXPECT_EQ(groupings.back().framesChanged, (std::vector<const NS::View*>{view}));
}

TEST_F(MacEditorTest, TheAppearanceReachesTheGraphics) {
  std::vector<int> appearances;
  mDelegate->SetLayoutFunc([&](IGraphics* g) { g->SetAppearanceChangedFunc([&](int a) { appearances.push_back(a); }); });
  OpenEditor(Window()->contentView());
  EXPECT_FALSE(mDelegate->Mac()->IsDarkMode());
  standin::testing::SetAppearance(mWindow, NSAppearanceNameDarkAqua);
  EXPECT_TRUE(mDelegate->Mac()->IsDarkMode());
  standin::testing::SetAppearance(mWindow, NSAppearanceNameAqua);
  EXPECT_EQ(appearances, (std::vector<int>{1, 0}));
  mDelegate->CloseEditor();
  EXPECT_FALSE(IGraphicsMac(*mDelegate, 10, 10).IsDarkMode()) << "no view";
}

TEST_F(MacEditorTest, TooltipsCoverTheVisibleControlsAndNameTheOneUnderThePointer) {
  constexpr float kScale = 1.5f;
  const IRECT knob(10.2f, 20.7f, 30.1f, 40.9f);
  graphics::IControl* knobControl = nullptr;
  mDelegate->mDrawScale = kScale;
  mDelegate->SetLayoutFunc([&](IGraphics* g) {
    g->EnableTooltips(true);
    g->AttachPopupMenuControl();
    g->AttachPanelBackground(graphics::IPaint(kPanel));
    knobControl = g->AttachControl(new FillControl(knob, kColorRed));
    knobControl->SetTooltip("Gain");
    g->AttachControl(new FillControl(IRECT(100, 100, 140, 140), kBlue))->Hide(true);
    auto* untargeted = g->AttachControl(new FillControl(IRECT(200, 100, 240, 140), kBlue));
    untargeted->SetTargetRECT(IRECT());
    g->AttachControl(new FillControl(IRECT(300, 100, 340, 140), kBlue));  // no tooltip text
  });
  NS::View* view = OpenEditor(Window(1.0, {2088, 1174})->contentView());
  IGraphicsMac* g = mDelegate->Mac();
  EXPECT_EQ(standin::testing::ToolTipRects(view),
            (std::vector<NS::Rect>{ScaledViewRect(IRECT(0, 0, kEditorWidth, kEditorHeight), kScale),
                                   NS::MakeRect(15, 31, 31, 31), ScaledViewRect(IRECT(300, 100, 340, 140), kScale)}));

  const struct {
    float x, y;
    std::optional<std::string> tip;
  } points[] = {{20, 30, "Gain"}, {320, 120, ""}};
  for (const auto& p : points) {
    g->OnMouseOver(p.x, p.y, {});
    EXPECT_EQ(standin::testing::ToolTipAt(view, {p.x * kScale, p.y * kScale}), p.tip) << p.x;
  }

  IPopupMenu menu;
  menu.AddItem("One");
  g->CreatePopupMenuFor(*knobControl, menu, knob);
  g->UpdateTooltips();
  EXPECT_TRUE(standin::testing::ToolTipRects(view).empty()) << "the menu is open";
}

TEST_F(MacEditorTest, ATooltipShowsStrayBytesAsReplacementsAndValidTextUnchanged) {
  const std::string valid = "Gr\u00fc\u00dfe \U0001F600 \uFFFD";
  const struct {
    std::string tip, shown;
  } cases[] = {{"Drive \xFF\xFE", "Drive \uFFFD\uFFFD"}, {valid, valid}};
  graphics::IControl* control = nullptr;
  mDelegate->SetLayoutFunc([&](IGraphics* g) {
    g->EnableTooltips(true);
    g->AttachPanelBackground(graphics::IPaint(kPanel));
    control = g->AttachControl(new FillControl(IRECT(10, 10, 50, 50), kColorRed));
  });
  NS::View* view = OpenEditor(Window()->contentView());
  for (const auto& c : cases) {
    control->SetTooltip(c.tip.c_str());
    mDelegate->Mac()->OnMouseOver(20, 20, {});
    EXPECT_EQ(standin::testing::ToolTipAt(view, {20, 20}), c.shown);
  }
}

}  // namespace
}  // namespace plugkit::testing
