// The graphics context's built-in controls beside the popup menu and text
// entry: the frame-time display and its samples, the corner resizer, the
// value bubbles; and styling every vector control at once.
#include "graphics/bubble_control.h"
#include "graphics/clock.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/fps_display_control.h"
#include "graphics/graphics_context.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

namespace {

constexpr IRECT kFPSDisplayBounds(10.f, 10.f, 210.f, 60.f);
constexpr double kMillisecondsPerSecond = 1000.0;

// Frame times are measured from one process-wide base, taken once.
double SecondsSinceTimeBase() {
  static const double baseMs = GraphicsClock::NowMs();
  return (GraphicsClock::NowMs() - baseMs) / kMillisecondsPerSecond;
}

// Which bubble serves next when touches share the bubbles; shared by every
// context of the process (all on the main thread).
unsigned sNextBubble = 0;

}  // namespace

void IGraphics::BeginFrame() {
  if (!mFPSDisplay) return;
  const double now = SecondsSinceTimeBase();
  mFPSDisplay->AddSample(static_cast<float>(now - mPrevTimestamp));
  mPrevTimestamp = now;
}

void IGraphics::StyleAllVectorControls(const IVStyle& style) {
  ForStandardControls([&style](IControl* control) {
    if (auto* vectorBase = dynamic_cast<IVectorBase*>(control)) vectorBase->SetStyle(style);
  });
}

// Frame-time display --------------------------------------------------------------

void IGraphics::ShowFPSDisplay(bool enable) {
  if (enable) {
    if (!mFPSDisplay) {
      mFPSDisplay = std::make_unique<IFPSDisplayControl>(kFPSDisplayBounds, IFPSDisplayControl::kDefaultLabel);
      WireControl(mFPSDisplay.get());
    }
  } else {
    RemoveFPSDisplay();
    SetMouseOverControl(nullptr, -1);
  }
  SetAllControlsDirty();
}

void IGraphics::RemoveFPSDisplay() {
  std::unique_ptr<IFPSDisplayControl> doomed = std::move(mFPSDisplay);
  if (doomed) ForgetControl(doomed.get());
}

// Corner resizer ------------------------------------------------------------------

void IGraphics::AttachCornerResizer(EUIResizerMode sizeMode, bool layoutOnResize, const IColor& color,
                                    const IColor& mouseOverColor, const IColor& dragColor, float size) {
  const IRECT editorBounds(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight));
  AttachCornerResizer(new ICornerResizerControl(editorBounds, size, color, mouseOverColor, dragColor), sizeMode,
                      layoutOnResize);
}

void IGraphics::AttachCornerResizer(ICornerResizerControl* control, EUIResizerMode sizeMode, bool layoutOnResize) {
  if (!control) return;
  if (mCornerResizer) {
    delete control;
    return;
  }
  mCornerResizer.reset(control);
  SetGUISizeMode(sizeMode);
  mLayoutOnResize = layoutOnResize;
  WireControl(control);
  control->OnRescale();
}

void IGraphics::RemoveCornerResizer() {
  std::unique_ptr<ICornerResizerControl> doomed = std::move(mCornerResizer);
  if (doomed) ForgetControl(doomed.get());
}

// Bubbles -------------------------------------------------------------------------

void IGraphics::AttachBubbleControl(const IText& text) { AttachBubbleControl(new IBubbleControl(text)); }

void IGraphics::AttachBubbleControl(IBubbleControl* control) {
  if (!control) return;
  WireControl(control);
  if (!mBubbleControls.Add(control)) delete control;
}

void IGraphics::RemoveBubbleControls() {
  for (int i = NBubbleControls() - 1; i >= 0; --i) {
    IBubbleControl* bubble = GetBubbleControl(i);
    mBubbleControls.Delete(i);
    ForgetControl(bubble);
    delete bubble;
  }
}

void IGraphics::ShowBubbleControl(IControl* caller, float x, float y, const char* text, EDirection direction,
                                  const IRECT& minimumContentBounds, uint64_t touchId) {
  const int count = NBubbleControls();
  if (count == 0) return;
  IBubbleControl* bubble = GetBubbleControl(0);
  if (mEnableMultiTouch) {
    int holders = 0;
    for (const auto& [id, captured] : mCapturedMap) {
      if (captured != caller) continue;
      ++holders;
      touchId = id;
    }
    if (holders != 1) return;
    bubble = nullptr;
    for (int i = 0; i < count && !bubble; ++i)
      if (GetBubbleControl(i)->GetTouchId() == touchId) bubble = GetBubbleControl(i);
    if (!bubble) bubble = GetBubbleControl(static_cast<int>(sNextBubble++ % static_cast<unsigned>(count)));
  }
  bubble->ShowBubble(caller, x, y, text, direction, minimumContentBounds, touchId);
}

}  // namespace plugkit::graphics
