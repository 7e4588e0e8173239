#pragma once

#include <cstdint>

#include "graphics/bitmap_control.h"
#include "graphics/controls/base_controls.h"
#include "graphics/controls/text_controls.h"

namespace plugkit::graphics {

// The stock controls drawn from pre-rendered bitmaps: each shows the frame of
// its bitmap strip for its value, and takes the graphics context's version
// of the bitmap whenever the screen scale changes. Main thread only.
//
// A control made at (x, y) takes one frame's size there; one made with
// bounds centres one frame in them. A frame is (W / N, H) when the N frames
// lie side by side, else (W, H / N), in whole units; a bitmap without frames
// has frames of no size on the divided side.

// A momentary button: the frame for 1 while pressed.
class IBButtonControl : public IButtonControlBase, public IBitmapBase {
public:
  IBButtonControl(float x, float y, const IBitmap& bitmap, ActionFunc actionFunc = DefaultClickAction);
  IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, ActionFunc actionFunc = DefaultClickAction);

  void Draw(IGraphics& g) override;
  void OnRescale() override;
};

// A switch stepping through its states, one frame each.
class IBSwitchControl : public ISwitchControlBase, public IBitmapBase {
public:
  IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter);
  IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override;
  void OnRescale() override;
  // The next state's value (1 / (states - 1) on), wrapping to 0 after the last.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
};

// A handle bitmap moving along a track: the track bitmap's first frame
// centred in the control, or without one a strip as wide (or as high) as the
// handle over the control's length. The handle's first frame is drawn at
// the track's bottom (or left) for 0 and its top (or right) for 1.
class IBSliderControl : public ISliderControlBase, public IBitmapBase {
public:
  IBSliderControl(float x, float y, int trackLength, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                  int paramIdx = kNoParameter, EDirection direction = EDirection::Vertical,
                  double gearing = kDefaultGearing);
  IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                  int paramIdx = kNoParameter, EDirection direction = EDirection::Vertical,
                  double gearing = kDefaultGearing);

  void OnResize() override;
  void Draw(IGraphics& g) override;
  void OnRescale() override;

  const IBitmap& GetTrackBitmap() const { return mTrackBitmap; }
  const IRECT& GetTrackBounds() const { return mTrackBounds; }
  // Where the handle is drawn for the current value.
  IRECT GetHandleBounds() const;

protected:
  IBitmap mTrackBitmap;  // may be empty
};

// A knob showing the frame for its value.
class IBKnobControl : public IKnobControlBase, public IBitmapBase {
public:
  IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter,
                EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing);
  IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter,
                EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing);

  void Draw(IGraphics& g) override;
  // The knob draws its whole face in Draw.
  void DrawWidget(IGraphics&) override {}
  void OnRescale() override;
};

// A knob whose one image turns about the rectangle's centre, from -130
// degrees at 0 to 130 at 1.
class IBKnobRotaterControl : public IBKnobControl {
public:
  static constexpr double kStartAngle = -130.0;
  static constexpr double kAngleRange = 260.0;

  using IBKnobControl::IBKnobControl;

  void Draw(IGraphics& g) override;
};

// A text line drawn from a bitmap font: a strip whose frames are the
// characters from the space on, each in a cell of the given size, cells the
// offset apart.
class IBTextControl : public ITextControl, public IBitmapBase {
public:
  IBTextControl(const IRECT& bounds, const IBitmap& fontBitmap, const IText& text, const char* str, int charWidth,
                int charHeight, int charOffset, bool multiLine, bool vCenter, int blendMethod = 0);

  void Draw(IGraphics& g) override;
  void OnRescale() override;

protected:
  int mCharWidth;
  int mCharHeight;
  int mCharOffset;
  bool mMultiLine;
  bool mVCentre;
};

// A level meter: one value slot per channel, fed by the delegate with level
// records, drawing the frame for the first channel's value.
//
// A level record (message tag 0) is the control tag, the channel count and
// the first channel (three 32-bit ints), then one float level per channel
// from channel 0 on; each channel from the first one on takes its level. A
// record shorter than kMinRecordSize counts as channel 0 at level 0. Only
// the channels whose level lies inside the record and whose slot the meter
// has are taken.
class IBMeterControl : public IBitmapControl {
public:
  enum EResponse : int { kLinear = 0, kLogarithmic = 1 };
  struct LevelRecordHeader {
    int32_t mControlTag;
    int32_t mNumChannels;
    int32_t mFirstChannel;
  };
  static constexpr int kLevelsMsgTag = 0;
  static constexpr int kRecordHeaderSize = static_cast<int>(sizeof(LevelRecordHeader));
  static constexpr int kMinRecordSize = 20;

  // At least one channel.
  IBMeterControl(float x, float y, const IBitmap& bitmap, int nChannels = 1, float highRangeDB = 12.f,
                 float lowRangeDB = -60.f, int responseMode = kLogarithmic);

  // Logarithmic: the level in dB over the range, from 0 at the low end to 1
  // at the high end; linear: the level itself; both clamped to [0, 1]. A
  // level or a range that gives no number shows 0. Nothing while disabled.
  void OnMessageFromDelegate(int msgTag, int dataSize, const void* data) override;

protected:
  double ValueForLevel(float level) const;

  float mHighRangeDB;
  float mLowRangeDB;
  int mResponseMode;
};

}  // namespace plugkit::graphics
