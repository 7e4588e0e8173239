#pragma once

// Editors of the macOS graphics context in a stand-in host window, on the
// manual clock. Each test starts from a fresh AppKit and must leave the live
// NS and CF object counts as it found them, with no Metal validation error.

#include <AppKit/AppKit.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/metal.h>
#include <standin/testing/ns_objects.h>
#include <standin/testing/run_loop.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "font_catalogue_fixture.h"
#include "graphics/control.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::testing {

using graphics::IColor;
using graphics::IGraphics;
using graphics::IGraphicsMac;
using graphics::IRECT;

constexpr int kEditorWidth = 1392;
constexpr int kEditorHeight = 783;
constexpr int kEditorFPS = 60;
constexpr double kFramePeriod = 1.0 / kEditorFPS;

// Fills its rectangle with one colour and counts its frames; it can mark
// itself dirty while drawing, once.
class FillControl : public graphics::IControl {
public:
  FillControl(const IRECT& bounds, const IColor& color) : IControl(bounds), mColor(color) {}
  void Draw(IGraphics& g) override {
    ++mDraws;
    g.FillRect(mColor, GetRECT());
    if (std::exchange(mDirtyWhileDrawing, false)) MarkDirty(false);
  }

  int mDraws = 0;
  bool mDirtyWhileDrawing = false;

private:
  IColor mColor;
};

// Makes the product's contexts at its size and draw scale; answers the
// host-size question from a script (the last answer repeats; none keeps the
// size) and logs "host size WxH"; notes what the editor showed as it opened.
class MacDelegate : public RecordingDelegate {
public:
  explicit MacDelegate(int nParams = 0) : RecordingDelegate(nParams) {
    SetMakeGraphicsFunc([this] { return graphics::MakeMacGraphics(*this, mWidth, mHeight, kEditorFPS, mDrawScale); });
  }

  IGraphicsMac* Mac() const { return static_cast<IGraphicsMac*>(GetUI()); }
  int EvaluateHostViewSize(int width, int height) override {
    mLog.push_back("host size " + std::to_string(width) + "x" + std::to_string(height));
    if (mHostSizeAnswers.empty()) return kKeepSize;
    const int answer = mHostSizeAnswers.front();
    if (mHostSizeAnswers.size() > 1) mHostSizeAnswers.erase(mHostSizeAnswers.begin());
    return answer;
  }
  // Also for a context the test made itself (GetUI() null).
  void OnEditorOpened() override {
    if (IGraphics* ui = GetUI()) {
      auto* view = static_cast<NS::View*>(ui->PlatformView());
      mTipsAtOpen = standin::testing::ToolTipRects(view).size();
      mInParentAtOpen = view->superview() != nullptr;
    }
    RecordingDelegate::OnEditorOpened();
  }
  long Count(const std::string& prefix) const {
    return std::count_if(mLog.begin(), mLog.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
  }

  int mWidth = kEditorWidth;
  int mHeight = kEditorHeight;
  float mDrawScale = 1.f;
  std::vector<int> mHostSizeAnswers;
  size_t mTipsAtOpen = 0;
  bool mInParentAtOpen = false;
};

class MacEditorTest : public FontCatalogueTest {
protected:
  void SetUp() override {
    FontCatalogueTest::SetUp();
    standin::testing::ResetAppKit();
    mNSObjectsAtStart = standin::testing::LiveNSObjectCount();
    mMetalErrorsAtStart = standin::testing::MetalValidationErrorCount();
  }
  void TearDown() override {
    mDelegate->CloseEditor();
    if (mWindow) mWindow->release();
    standin::testing::ResetAppKit();
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), mNSObjectsAtStart) << "NS objects leaked";
    EXPECT_EQ(standin::testing::MetalValidationErrorCount(), mMetalErrorsAtStart) << "Metal validation errors";
    FontCatalogueTest::TearDown();
  }

  // A host window of the editor's size holding a plain content view.
  NS::Window* Window(NS::CGFloat backingScale = 1.0, NS::Size size = {kEditorWidth, kEditorHeight}) {
    mWindow = standin::testing::MakeHostWindow(NS::MakeRect(0, 0, size.width, size.height), backingScale);
    return mWindow;
  }
  // The delegate's editor, its view added to parent.
  NS::View* OpenEditor(NS::View* parent) { return static_cast<NS::View*>(mDelegate->OpenEditor(parent)); }
  // A delegate that remembers no editor size; the old one closes its editor.
  void RenewDelegate() { mDelegate = std::make_unique<MacDelegate>(); }
  static void Tick(int frames = 1) {
    for (int i = 0; i < frames; ++i) standin::testing::RunFor(kFramePeriod);
  }

  std::unique_ptr<MacDelegate> mDelegate = std::make_unique<MacDelegate>();
  NS::Window* mWindow = nullptr;

private:
  standin::testing::ScopedManualClock mClock;
  long mNSObjectsAtStart = 0;
  long mMetalErrorsAtStart = 0;
};

// A small editor at draw scale 2 whose host window lies away from the
// screen's origin, so that every conversion shows.
class MacScaledEditorTest : public MacEditorTest {
protected:
  static constexpr float kDrawScale = 2.f;
  static constexpr int kGuiWidth = 200;
  static constexpr int kGuiHeight = 150;

  void SetUp() override {
    MacEditorTest::SetUp();
    mDelegate->mWidth = kGuiWidth;
    mDelegate->mHeight = kGuiHeight;
    mDelegate->mDrawScale = kDrawScale;
    mWindow = standin::testing::MakeHostWindow(NS::MakeRect(50, 100, kGuiWidth * kDrawScale, kGuiHeight * kDrawScale));
  }
  IGraphicsMac& G() const { return *mDelegate->Mac(); }
};

}  // namespace plugkit::testing
