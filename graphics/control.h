#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/str_buf.h"
#include "graphics/graphics_types.h"

namespace plugkit {
class IParam;
class IPopupMenu;
}  // namespace plugkit

namespace plugkit::graphics {

class IGEditorDelegate;
class IGraphics;

// The base of every element of the editor's control tree: its rectangles,
// text style, flags, value slots (each optionally linked to a parameter),
// callbacks and animation state, with a default for every input and drawing
// hook. The graphics context owns the controls, wires them to itself and the
// delegate, dispatches events to them and draws them. Main thread only.
class IControl {
public:
  using ActionFunc = std::function<void(IControl*)>;
  using AnimationFunc = std::function<void(IControl*)>;
  using EventHandlerFunc = std::function<void(IControl*, const IEventInfo&)>;

  static constexpr int kNoParameter = -1;
  static constexpr int kAllValues = -1;
  static constexpr int kNoEventKind = -1;
  static constexpr float kDisabledBlendWeight = 0.25f;
  static constexpr int kDefaultTextEntryLength = 7;
  // Corner-mark colours by index; other indexes keep the colour.
  enum ECornerMarkColor { kCornerMarkRed = 0, kCornerMarkBlue = 1, kCornerMarkGreen = 2, kCornerMarkYellow = 3 };

  explicit IControl(const IRECT& bounds, int paramIdx = kNoParameter, ActionFunc actionFunc = nullptr);
  IControl(const IRECT& bounds, std::initializer_list<int> paramIndices, ActionFunc actionFunc = nullptr);
  // One slot per index, at least one.
  IControl(const IRECT& bounds, const std::vector<int>& paramIndices, ActionFunc actionFunc = nullptr);
  IControl(const IRECT& bounds, ActionFunc actionFunc);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Input. A right-click prompts for the value under the point; a double
  // click resets it to its parameter's default.
  virtual void OnMouseDown(float x, float y, const IMouseMod& mod);
  virtual void OnMouseUp(float, float, const IMouseMod&) {}
  virtual void OnMouseDrag(float, float, float /*dX*/, float /*dY*/, const IMouseMod&) {}
  virtual void OnMouseDoubleClick(float x, float y, const IMouseMod& mod);
  virtual void OnMouseWheel(float, float, const IMouseMod&, float /*d*/) {}
  virtual bool OnKeyDown(float, float, const IKeyPress&) { return false; }
  virtual bool OnKeyUp(float, float, const IKeyPress&) { return false; }
  // The pointer moves over the control, or leaves it; each redraws on a change.
  virtual void OnMouseHover(float x, float y, const IMouseMod& mod);
  virtual void OnMouseLeave();
  virtual void OnTouchCancelled(float, float, const IMouseMod&) {}
  virtual void OnDrop(const char* /*path*/) {}
  // Hands the first path to OnDrop.
  virtual void OnDropMultiple(const std::vector<const char*>& paths);

  // Lifecycle, in the order the graphics context calls them on attaching:
  // OnInit, OnResize, OnRescale, then OnAttached.
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnMessageFromDelegate(int /*msgTag*/, int /*dataSize*/, const void* /*data*/) {}
  virtual void OnMidi(const IMidiMsg&) {}
  // Calls the handler registered for the event's kind; false when there is none.
  virtual bool OnRegisteredEvent(const IEventInfo& info);
  virtual void CreateContextMenu(IPopupMenu&) {}
  // A menu this control asked for was closed: null when nothing was chosen.
  // A chosen index becomes the linked parameter's value at valIdx (unless
  // prompts are disabled).
  virtual void OnPopupMenuSelection(IPopupMenu* menu, int valIdx);
  // The platform reports an item of the menu this control asked for.
  virtual void OnPopupMenuItemNotified(IPopupMenu* /*menu*/, int /*itemIndex*/) {}
  virtual void OnTextEntryCompletion(const char* /*str*/, int /*valIdx*/) {}
  virtual void OnContextSelection(int /*itemIdx*/) {}

  // Drawing.
  virtual void Draw(IGraphics& g) = 0;
  // A small dot near the top-right corner while the mark is shown.
  virtual void DrawCornerMark(IGraphics& g);

  // Values. Each slot holds a normalised value and the parameter it is
  // linked to. An index outside the slots is ignored.
  virtual void LinkValueToParam(int paramIdx, int valIdx);
  // 0 for a one-slot control, else -1 (all slots).
  virtual int GetValueIndexForPosition(float x, float y) const;
  // Ignored while this control is captured by the pointer (a drag is running).
  virtual void SetValueFromHost(double value, int valIdx = 0);
  // A changed finite value is stored and pushed with MarkDirty(true, valIdx).
  virtual void SetValueFromUser(double value, int valIdx = 0);
  // The linked parameter's default (all slots for valIdx < 0), then MarkDirty(true, valIdx).
  virtual void ResetValueToDefault(int valIdx = kAllValues);
  virtual void SetValueAt(double value, int valIdx = 0);
  virtual void SetText(const IText& text) { mText = text; }
  // Moves the control so that its top-left corner is (x, y), negative
  // coordinates becoming 0; the target rectangle keeps its offset and size.
  virtual void SetPosition(float x, float y);
  // Negative sizes become 0; the target rectangle becomes the new rectangle.
  virtual void SetSize(float w, float h);
  virtual void Hide(bool hide);
  virtual void SetDisabled(bool disable);
  virtual void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  virtual bool HitTest(float x, float y) const { return mTargetRECT.Contains(x, y); }
  // Clamps the values to 0..1 and marks the control dirty; with triggerAction
  // also sends linked values to the delegate and to peer controls, then runs
  // the action function. A one-slot control always means slot 0.
  virtual void MarkDirty(bool triggerAction = true, int valIdx = kAllValues);
  virtual void ClearDirty() { mDirty = false; }
  // Always dirty while an animation runs.
  virtual bool IsDirty() { return mAnimationFunc ? true : mDirty; }
  virtual bool WantsRegisteredEvents() const { return !mEventHandlers.empty() && !mAnimationFunc; }
  // Maps a point in bounds to a value (1 at the top of a vertical span, 0 at
  // the left of a horizontal one), in steps of 0.001, clamped to
  // [minClip, maxClip]; stores it in valIdx (all slots when negative) and
  // pushes it with MarkDirty(true, valIdx).
  virtual void SetValueFromPoint(float x, float y, EDirection direction, const IRECT& bounds, int valIdx,
                                 double minClip = 0.0, double maxClip = 1.0);
  // Clears the animation, redraws, then runs the animation-end function.
  virtual void OnEndAnimation();

  int NVals() const { return static_cast<int>(mValues.size()); }
  double ValueAt(int valIdx = 0) const;
  int ParamIndexOfValue(int valIdx = 0) const;
  // The first slot linked to the parameter; -1 when none (or paramIdx < 0).
  int ValueIndexOfParam(int paramIdx) const;
  // The delegate's parameter for a linked slot; null when there is none.
  IParam* ParamOfValue(int valIdx = 0) const;
  // The parameter's display text, then a blank and its label when it has one;
  // empty for an unlinked slot.
  void ParamDisplayTextWithLabel(int valIdx, StrBuf& str) const;
  // Prompts for a value with a menu or a text entry; nothing for a negative
  // index, an unlinked slot or while prompts are disabled. A parameter with
  // display texts is offered as a menu over the control, any other in a small
  // text entry centred on it.
  void PromptUserInput(int valIdx);
  // The same over bounds.
  void PromptUserInput(const IRECT& bounds, int valIdx);

  // Registered events: the handler for a kind, which the graphics context
  // then recognises.
  void AttachEventHandler(int32_t kind, EventHandlerFunc handler);
  int32_t GetLastEventKind() const { return mLastEventKind; }
  void ForEventKinds(const std::function<void(int32_t)>& func) const;

  // The corner mark: shown or not, in one of the ECornerMarkColor colours.
  void SetCornerMark(bool show, int colorIndex);

  // Animation: the function runs on every frame while set; the click action
  // and step below make a plain timed animation.
  void SetAnimation(AnimationFunc func) { mAnimationFunc = std::move(func); }
  void SetAnimation(AnimationFunc func, int durationMs);
  void SetAnimationEndActionFunction(ActionFunc func) { mAnimationEndActionFunc = std::move(func); }
  const AnimationFunc& GetAnimationFunction() const { return mAnimationFunc; }
  // Records the start (now) and the duration of an animation.
  void StartAnimation(int durationMs);
  // Runs the animation function, if any.
  void Animate();
  // Elapsed time over duration; 0 while no animation runs.
  double AnimationProgress() const;

  const IRECT& GetRECT() const { return mRECT; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetRECT(const IRECT& bounds) { mRECT = bounds; }
  void SetTargetRECT(const IRECT& bounds) { mTargetRECT = bounds; }
  // The tag the graphics context knows this control by; -1 when none.
  int GetTag() const;
  const char* GetGroup() const { return mGroup.Get(); }
  void SetGroup(const char* group) { mGroup.Set(group ? group : ""); }
  const IText& GetText() const { return mText; }
  const IBlend& GetBlend() const { return mBlend; }
  void SetBlend(const IBlend& blend) { mBlend = blend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip ? tooltip : ""); }

  bool IsHidden() const { return mHide; }
  bool IsDisabled() const { return mDisabled; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  bool IsPromptDisabled() const { return mPromptDisabled; }
  void SetPromptDisabled(bool disabled) { mPromptDisabled = disabled; }
  bool GetPromptShowsParamLabel() const { return mPromptShowsParamLabel; }
  void SetPromptShowsParamLabel(bool shows) { mPromptShowsParamLabel = shows; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool allow) { mMouseEventsWhenDisabled = allow; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool allow) { mMouseOverWhenDisabled = allow; }
  // A double click arrives as a single click.
  bool GetMouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  // A second touch may capture the control while another holds it.
  bool GetWantsMultiTouch() const { return mWantsMultiTouch; }
  void SetWantsMultiTouch(bool wants) { mWantsMultiTouch = wants; }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool wants) { mWantsMidi = wants; }
  bool GetMouseIsOver() const { return mMouseIsOver; }
  void SetMouseIsOver(bool over) { mMouseIsOver = over; }

  void SetActionFunction(ActionFunc actionFunc) { mActionFunc = std::move(actionFunc); }
  const ActionFunc& GetActionFunction() const { return mActionFunc; }

  // The container this control belongs to; null for a top-level control.
  IControl* GetParent() const { return mParent; }
  void SetParent(IControl* parent) { mParent = parent; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  IGraphics* GetUI() const { return mGraphics; }
  // Called by the graphics context when it takes the control.
  void SetDelegate(IGEditorDelegate& delegate) { mDelegate = &delegate; }
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }

private:
  struct ValueSlot {
    int mParamIdx = kNoParameter;
    double mValue = 0.0;
  };

  bool ValidValueIndex(int valIdx) const { return valIdx >= 0 && valIdx < NVals(); }
  // The parameter to prompt for at valIdx; null when there is none to prompt for.
  IParam* PromptableParam(int valIdx) const;
  // Runs a copy, so a function that replaces itself or removes this control
  // does not destroy what is running.
  static void Run(const std::function<void(IControl*)>& func, IControl* control);

  IRECT mRECT;
  IRECT mTargetRECT;
  StrBuf mGroup;
  IText mText = kDefaultText;
  IBlend mBlend;
  int mTextEntryLength = kDefaultTextEntryLength;
  bool mDirty = true;  // every control draws once
  bool mHide = false;
  bool mDisabled = false;
  bool mPromptDisabled = true;
  bool mIgnoreMouse = false;
  bool mMouseEventsWhenDisabled = false;
  bool mMouseOverWhenDisabled = false;
  bool mPromptShowsParamLabel = false;
  bool mMouseIsOver = false;
  bool mDblAsSingleClick = false;
  bool mWantsMultiTouch = false;
  bool mWantsMidi = false;
  StrBuf mTooltip;
  IColor mCornerMarkColor = kColorRed;
  bool mCornerMarkShown = false;
  IControl* mParent = nullptr;
  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;
  ActionFunc mActionFunc;
  ActionFunc mAnimationEndActionFunc;
  AnimationFunc mAnimationFunc;
  double mAnimationStartTime = 0.0;  // ms
  double mAnimationDuration = 0.0;   // ms
  std::vector<ValueSlot> mValues;
  std::unordered_map<int32_t, EventHandlerFunc> mEventHandlers;
  int32_t mLastEventKind = kNoEventKind;
};

// Animation and action functions for controls.
inline constexpr int kClickAnimationMs = 100;
// Ends the animation once its progress exceeds 1.
void DefaultAnimationStep(IControl* control);
// A 100 ms animation of DefaultAnimationStep.
void DefaultClickAction(IControl* control);
// The first value's parameter, as display text and label, in the graphics
// context's bubble: above the middle of the control's top edge (vertical),
// or beside the middle of its right edge (horizontal). Nothing for a value
// without a parameter.
void ShowBubbleVerticalAction(IControl* control);
void ShowBubbleHorizontalAction(IControl* control);

}  // namespace plugkit::graphics
