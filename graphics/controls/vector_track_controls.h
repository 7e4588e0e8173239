#pragma once

#include <vector>

#include "common/str_buf.h"
#include "graphics/control.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// A row of value tracks, one per value slot, each filled from the base value
// (or 0) to its value: vertical tracks stand side by side and fill upwards,
// horizontal ones lie one above the other and fill to the right. With steps
// the fill is the one step that holds the value. Derived controls draw the
// whole (Draw). Main thread only.
class IVTrackControlBase : public IControl, public IVectorBase {
public:
  static constexpr float kDefaultPeakSize = 1.f;

  IVTrackControlBase(const IRECT& bounds, const char* label = "", const IVStyle& style = kDefaultStyle,
                     const std::vector<int>& paramIndices = {kNoParameter}, int numSteps = 0,
                     EDirection direction = EDirection::Vertical, const std::vector<const char*>& trackNames = {});

  // The background, and a line at the base value when there is one.
  void DrawBackground(IGraphics& g, const IRECT& r) override;
  // Every track.
  void DrawWidget(IGraphics& g) override;
  // Background, name, fill, then the frame.
  virtual void DrawTrack(IGraphics& g, const IRECT& r, int trackIdx);
  // Lit for the highlighted track.
  virtual void DrawTrackBackground(IGraphics& g, const IRECT& r, int trackIdx);
  virtual void DrawTrackName(IGraphics& g, const IRECT& r, int trackIdx);
  // The filled part, lit under the mouse, with a peak band at its moving edge
  // when there are no steps.
  virtual void DrawTrackFill(IGraphics& g, const IRECT& r, int trackIdx);
  virtual void DrawTrackPeak(IGraphics& g, const IRECT& r, int trackIdx);
  // N equal tracks across the widget, N the number of value slots.
  virtual void MakeTrackRects(const IRECT& bounds);
  // Steps (one more for the value 0 when it has a step of its own) dividing
  // bounds along the direction; none for no steps.
  virtual void MakeStepRects(const IRECT& bounds, int numSteps);

  // The first track holding the point; -1 when none does.
  int GetValueIndexForPosition(float x, float y) const override;
  void OnResize() override;
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;

  void SetTrackPadding(float padding) { mTrackPadding = padding; }
  void SetHighlightedTrack(int trackIdx) { mHighlightedTrack = trackIdx; }
  void SetBaseValue(double value) { mBaseValue = value; }
  void SetDrawTrackFrame(bool draw) { mDrawTrackFrame = draw; }
  // Whether the value 0 fills a step of its own.
  void SetZeroValueStepHasBounds(bool has) { mZeroValueStepHasBounds = has; }
  int GetMouseOverTrack() const { return mMouseOverTrack; }
  const std::vector<IRECT>& GetTrackBounds() const { return mTrackBounds; }
  const std::vector<IRECT>& GetStepBounds() const { return mStepBounds; }

protected:
  // The part of track r that its value fills; empty when nothing is filled.
  IRECT FilledPart(const IRECT& r, int trackIdx) const;
  // The step holding a position along the direction (y for vertical steps,
  // x for horizontal ones): on a boundary, the one towards higher values;
  // null when none holds it.
  const IRECT* StepHolding(float position) const;

  EDirection mDirection;
  std::vector<IRECT> mTrackBounds;
  std::vector<IRECT> mStepBounds;
  std::vector<StrBuf> mTrackNames;
  int mNumSteps;
  float mTrackPadding = 0.f;
  float mPeakSize = kDefaultPeakSize;
  int mHighlightedTrack = -1;
  int mMouseOverTrack = -1;
  double mBaseValue = 0.0;
  bool mDrawTrackFrame = true;
  bool mZeroValueStepHasBounds = true;
};

// A range between a low and a high value on one track: a triangle handle for
// each, on either side of the track, and the span between them filled. A
// handle is dragged over the widget, never past its neighbour, so the values
// stay ordered.
class IVRangeSliderControl : public IVTrackControlBase {
public:
  static constexpr float kDefaultHandleSize = 8.f;

  IVRangeSliderControl(const IRECT& bounds, const std::vector<int>& paramIndices = {kNoParameter, kNoParameter},
                       const char* label = "", const IVStyle& style = kDefaultStyle,
                       EDirection direction = EDirection::Horizontal, float handleSize = kDefaultHandleSize,
                       float trackSize = kDefaultTrackSize);

  void Draw(IGraphics& g) override;
  // The spans between neighbouring values, the frame, then every handle.
  void DrawWidget(IGraphics& g) override;
  virtual void DrawHandle(IGraphics& g, int valIdx);
  // Both tracks are one strip through the middle of the widget, short of its
  // ends by the handle size.
  void MakeTrackRects(const IRECT& bounds) override;

  // The box of the handle of a value slot, beside the track.
  IRECT HandleBounds(int valIdx) const;
  // The first handle holding the point; -1 when none does.
  int HandleForPoint(float x, float y) const;

  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;

  int GetMouseOverHandle() const { return mMouseOverHandle; }

protected:
  // Where a value lies along the track: y for a vertical track, x for a horizontal one.
  float ValuePoint(const IRECT& track, double value) const;

  int mMouseOverHandle = -1;
  float mHandleSize;
  bool mMouseDown = false;
};

}  // namespace plugkit::graphics
