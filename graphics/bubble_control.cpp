#include "graphics/bubble_control.h"

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr float kQuarter = 90.f;  // degrees

}  // namespace

IBubbleControl::IBubbleControl(const IText& text, const IColor& fillColor, const IColor& strokeColor,
                               float roundness)
    : IControl(IRECT(), kNoParameter), mRoundness(roundness), mFillColor(fillColor), mStrokeColor(strokeColor) {
  SetText(text);
  Hide(true);
  SetIgnoreMouse(true);
  SetActionFunction([this](IControl*) { SetAnimation([this](IControl*) { AnimationStep(); }, kFadeMs); });
  SetAnimationEndActionFunction([this](IControl*) {
    if (mState == kShown) SetAnimation([this](IControl*) { AnimationStep(); }, kHoldMs);
  });
}

void IBubbleControl::AnimationStep() {
  const double progress = AnimationProgress();
  if (progress <= 1.0) {
    const auto p = static_cast<float>(progress);
    if (mState == kFadingIn) mBlend.mWeight = mMaxOpacity * p;
    if (mState == kFadingOut) mBlend.mWeight = mMaxOpacity * (1.f - p);
    if (mState == kShown) mBlend.mWeight = mMaxOpacity;
    return;
  }
  switch (mState) {
    case kFadingOut:
      mBlend.mWeight = 0.f;
      Hide(true);
      mState = kHidden;
      mTouchId = 0;
      MarkDirty(false);
      OnEndAnimation();
      break;
    case kShown: {
      // Held: look again after another fade's time.
      const IGraphics* g = GetUI();
      if (!(mCaller && g && g->ControlIsCaptured(mCaller))) {
        mBlend.mWeight = mMaxOpacity;
        mState = kFadingOut;
      }
      MarkDirty(true);
      break;
    }
    case kFadingIn:
      mBlend.mWeight = mMaxOpacity;
      mState = kShown;
      OnEndAnimation();
      break;
    case kHidden: OnEndAnimation(); break;
  }
}

void IBubbleControl::ShowBubble(IControl* caller, float x, float y, const char* text, EDirection direction,
                                const IRECT& minimumContentBounds, uint64_t touchId) {
  IGraphics* g = GetUI();
  if (!caller || !g) return;
  // The editor as it is now: it may have been resized since the last show.
  const IRECT maxBounds(0.f, 0.f, static_cast<float>(g->Width()), static_cast<float>(g->Height()));
  mDirection = direction;
  mTouchId = touchId;
  mStr.Set(text ? text : "");

  IRECT content;
  MeasureContent(mStr.Get(), content);
  if (!minimumContentBounds.Empty()) {
    if (minimumContentBounds.W() > content.W()) content.R = content.L + minimumContentBounds.W();
    if (minimumContentBounds.H() > content.H()) content.B = content.T + minimumContentBounds.H();
  }
  const float w = content.W() + 2.f * (mMargin + mHorizontalSpacing);
  const float h = content.H() + 2.f * mMargin;
  const IRECT& callerBounds = caller->GetRECT();
  IRECT bounds;
  if (direction == EDirection::Horizontal) {
    bounds = IRECT(x, y - h / 2.f, x + w, y + h / 2.f);
    mArrowSide = ESide::Left;
    if (bounds.R > maxBounds.R - (mHorizontalSpacing + mMargin)) {
      bounds = IRECT(callerBounds.L - w, bounds.T, callerBounds.L, bounds.B);
      mArrowSide = ESide::Right;
    }
  } else {
    bounds = IRECT(x - w / 2.f, y - h, x + w / 2.f, y);
    mArrowSide = ESide::Bottom;
    if (bounds.T < maxBounds.T) {
      const float down = h + callerBounds.H();
      bounds = IRECT(bounds.L, bounds.T + down, bounds.R, bounds.B + down);
      mArrowSide = ESide::Top;
    }
  }

  // The control covers where the bubble was and is, so both are redrawn.
  mBubbleBounds = bounds;
  SetRECT(GetRECT().Union(bounds));
  SetTargetRECT(GetRECT());
  SetMouseIsOver(false);
  OnResize();
  if (mState == kHidden) {
    Hide(false);
    mState = kFadingIn;
    MarkDirty(true);
  }
  if (caller != mCaller) {
    SetRECT(bounds);
    SetTargetRECT(bounds);
    g->SetAllControlsDirty();
  }
  mCaller = caller;
}

void IBubbleControl::ForgetCaller(const IControl* control) {
  if (mCaller == control) mCaller = nullptr;
}

void IBubbleControl::Draw(IGraphics& g) {
  const IRECT inner = mBubbleBounds.GetGrown(-mMargin);
  g.DrawBoxShadow(inner, mBubbleBounds, kShadowDrop, mRoundness, kShadowBlur, &mBlend);
  DrawBubble(g, inner);
  DrawContent(g, inner);
}

void IBubbleControl::DrawContent(IGraphics& g, const IRECT& r) {
  if (mStr.Get()[0] != '\0') g.DrawText(GetText(), mStr.Get(), r, &mBlend);
}

void IBubbleControl::MeasureContent(const char* text, IRECT& r) {
  if (IGraphics* g = GetUI()) g->MeasureTextIfNotEmpty(GetText(), text, r);
}

// Clockwise from the top-left corner; the arrow takes its place on its side.
void IBubbleControl::PathOutline(IGraphics& g, const IRECT& r) const {
  const float rr = mRoundness;
  const float a = mArrowSize;
  const float half = a / 2.f;
  const float mx = (r.L + r.R) * 0.5f;
  const float my = (r.T + r.B) * 0.5f;
  const auto topRight = [&] { g.PathArc(r.R - rr, r.T + rr, rr, 0.f, kQuarter); };
  const auto bottomRight = [&] { g.PathArc(r.R - rr, r.B - rr, rr, kQuarter, 2 * kQuarter); };
  const auto bottomLeft = [&] { g.PathArc(r.L + rr, r.B - rr, rr, 2 * kQuarter, 3 * kQuarter); };
  g.PathMoveTo(r.L, r.T + rr);
  g.PathArc(r.L + rr, r.T + rr, rr, 3 * kQuarter, 4 * kQuarter);
  switch (mArrowSide) {
    case ESide::Top:
      g.PathLineTo(mx - half, r.T);
      g.PathLineTo(mx, r.T - a);
      g.PathLineTo(mx + half, r.T);
      topRight();
      bottomRight();
      bottomLeft();
      break;
    case ESide::Right:
      topRight();
      g.PathLineTo(r.R, my - half);
      g.PathLineTo(r.R + a, my);
      g.PathLineTo(r.R, my + half);
      bottomRight();
      bottomLeft();
      break;
    case ESide::Bottom:
      topRight();
      bottomRight();
      g.PathLineTo(mx + half, r.B);
      g.PathLineTo(mx, r.B + a);
      g.PathLineTo(mx - half, r.B);
      bottomLeft();
      break;
    case ESide::Left:
      topRight();
      bottomRight();
      bottomLeft();
      g.PathLineTo(r.L, my + half);
      g.PathLineTo(r.L - a, my);
      g.PathLineTo(r.L, my - half);
      break;
    default: break;
  }
}

void IBubbleControl::DrawBubble(IGraphics& g, const IRECT& r) {
  PathOutline(g, r);
  g.PathClose();
  g.FillPath(IPaint(mFillColor), IFillStyle{EFillRule::Solid, true}, &mBlend);
  g.StrokePath(IPaint(mStrokeColor), mStrokeThickness, IStrokeStyle(), &mBlend);
}

}  // namespace plugkit::graphics
