#pragma once

#include <cstdint>

#include "common/str_buf.h"
#include "graphics/control.h"
#include "graphics/graphics_types.h"
#include "graphics/vector_style.h"

namespace plugkit::graphics {

// A rounded speech bubble with an arrow that shows a short text (typically a
// value) beside the control that asked for it: it fades in, stays while that
// control is held, then fades out. It never takes the mouse. The graphics
// context owns its bubbles apart from the control list. Main thread only.
class IBubbleControl : public IControl {
public:
  enum EState { kHidden = 0, kFadingIn = 1, kShown = 2, kFadingOut = 3 };
  static constexpr float kDefaultRoundness = 5.f;
  static constexpr int kFadeMs = 200;
  // How long a bubble stays before it checks whether its caller is still held.
  static constexpr int kHoldMs = 1000;

  explicit IBubbleControl(const IText& text = kDefaultText, const IColor& fillColor = kColorWhite,
                          const IColor& strokeColor = kColorBlack, float roundness = kDefaultRoundness);

  // The shadow, the outline, then the content, inside the margin.
  void Draw(IGraphics& g) override;
  // The text in r.
  virtual void DrawContent(IGraphics& g, const IRECT& r);
  // The outline around r with its arrow on the arrow side, filled, then stroked.
  virtual void DrawBubble(IGraphics& g, const IRECT& r);
  // The text's rectangle in the control's text style.
  virtual void MeasureContent(const char* text, IRECT& r);

  // Shows text for caller beside the point (x, y): to its right (arrow on the
  // left) in the horizontal direction, flipping to the caller's left side
  // where the editor ends; above it (arrow at the bottom) in the vertical
  // direction, flipping below the caller at the editor's top. The content is
  // at least minimumContentBounds' size. A hidden bubble starts fading in; a
  // shown one moves. Nothing without a caller or a graphics context.
  void ShowBubble(IControl* caller, float x, float y, const char* text, EDirection direction,
                  const IRECT& minimumContentBounds, uint64_t touchId);
  // The control is going: the bubble stops waiting for its release.
  void ForgetCaller(const IControl* control);

  EState GetState() const { return mState; }
  // The current opacity, which every drawing call of the bubble carries.
  float GetOpacity() const { return mBlend.mWeight; }
  const IRECT& GetBubbleBounds() const { return mBubbleBounds; }
  ESide GetArrowSide() const { return mArrowSide; }
  uint64_t GetTouchId() const { return mTouchId; }
  IControl* GetCaller() const { return mCaller; }
  const char* GetBubbleText() const { return mStr.Get(); }

protected:

  uint64_t mTouchId = 0;
  EDirection mDirection = EDirection::Horizontal;
  IRECT mBubbleBounds;  // with the shadow's margin
  IControl* mCaller = nullptr;
  ESide mArrowSide = ESide::Left;
  StrBuf mStr;
  IBlend mBlend{0, 0.f};
  float mRoundness;
  float mMargin = 10.f;  // the shadow's room, and the space around the text
  float mArrowSize = 10.f;
  float mMaxOpacity = 0.95f;
  float mStrokeThickness = 2.f;
  float mHorizontalSpacing = 5.f;  // further space left and right of the text
  IColor mFillColor;
  IColor mStrokeColor;
  EState mState = kHidden;

private:
  static constexpr float kShadowDrop = 2.f;
  static constexpr float kShadowBlur = 10.f;

  // The fade: in, held while the caller is captured, out, hidden.
  void AnimationStep();
  void PathOutline(IGraphics& g, const IRECT& r) const;
};

}  // namespace plugkit::graphics
