#include "graphics/controls/bitmap_controls.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

constexpr double kSwitchWrapLimit = 1.001;
constexpr double kDecibelsPerDecade = 20.0;
constexpr int kFirstFrame = 1;

struct FrameSize {
  float w = 0.f;
  float h = 0.f;
};

// Whole units, as the strip is cut; no frames leave nothing on the divided side.
FrameSize FrameSizeOf(const IBitmap& bitmap) {
  const int frames = bitmap.N();
  const int divided = bitmap.GetFramesAreHorizontal() ? bitmap.W() : bitmap.H();
  const int frameSide = frames > 0 ? divided / frames : 0;
  if (bitmap.GetFramesAreHorizontal())
    return {static_cast<float>(frameSide), static_cast<float>(bitmap.H())};
  return {static_cast<float>(bitmap.W()), static_cast<float>(frameSide)};
}

IRECT FrameRectAt(const IBitmap& bitmap, float x, float y) {
  const FrameSize size = FrameSizeOf(bitmap);
  return IRECT(x, y, x + size.w, y + size.h);
}

IRECT FrameRectCentredIn(const IBitmap& bitmap, const IRECT& bounds) {
  const FrameSize size = FrameSizeOf(bitmap);
  return CentredIn(bounds, size.w, size.h);
}

float HandleSizeAlong(const IBitmap& handle, EDirection direction) {
  const FrameSize size = FrameSizeOf(handle);
  return direction == EDirection::Horizontal ? size.w : size.h;
}

IRECT SliderBoundsAt(float x, float y, int trackLength, const IBitmap& handle, EDirection direction) {
  const FrameSize size = FrameSizeOf(handle);
  const auto length = static_cast<float>(trackLength);
  return direction == EDirection::Horizontal ? IRECT(x, y, x + length, y + size.h)
                                             : IRECT(x, y, x + size.w, y + length);
}

}  // namespace

// Each x, y form delegates to the bounds form: one frame centred in bounds of
// one frame's size is those bounds.

// Button ---------------------------------------------------------------------------

IBButtonControl::IBButtonControl(float x, float y, const IBitmap& bitmap, ActionFunc actionFunc)
    : IBButtonControl(FrameRectAt(bitmap, x, y), bitmap, std::move(actionFunc)) {}

IBButtonControl::IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, ActionFunc actionFunc)
    : IButtonControlBase(FrameRectCentredIn(bitmap, bounds), std::move(actionFunc)), IBitmapBase(bitmap) {
  AttachIControl(this);
}

void IBButtonControl::Draw(IGraphics& g) { IBitmapControl::DrawBitmapFrame(*this, g); }

void IBButtonControl::OnRescale() { IBitmapControl::OnRescaleCommon(GetUI(), mBitmap); }

// Switch ---------------------------------------------------------------------------

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx)
    : IBSwitchControl(FrameRectAt(bitmap, x, y), bitmap, paramIdx) {}

IBSwitchControl::IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
    : ISwitchControlBase(FrameRectCentredIn(bitmap, bounds), paramIdx), IBitmapBase(bitmap) {
  AttachIControl(this);
}

void IBSwitchControl::Draw(IGraphics& g) { IBitmapControl::DrawBitmapFrame(*this, g); }

void IBSwitchControl::OnRescale() { IBitmapControl::OnRescaleCommon(GetUI(), mBitmap); }

void IBSwitchControl::OnMouseDown(float, float, const IMouseMod&) {
  const double step = mNumStates > 1 ? 1.0 / (mNumStates - 1) : 1.0;
  double value = ValueAt(0) + step;
  if (value > kSwitchWrapLimit) value = 0.0;
  SetValueAt(value, 0);
  MarkDirty(true);
}

// Slider ---------------------------------------------------------------------------

IBSliderControl::IBSliderControl(float x, float y, int trackLength, const IBitmap& handleBitmap,
                                 const IBitmap& trackBitmap, int paramIdx, EDirection direction, double gearing)
    : IBSliderControl(SliderBoundsAt(x, y, trackLength, handleBitmap, direction), handleBitmap, trackBitmap, paramIdx,
                      direction, gearing) {}

IBSliderControl::IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                                 int paramIdx, EDirection direction, double gearing)
    : ISliderControlBase(bounds, paramIdx, direction, gearing, HandleSizeAlong(handleBitmap, direction)),
      IBitmapBase(handleBitmap),
      mTrackBitmap(trackBitmap) {
  AttachIControl(this);
}

void IBSliderControl::OnResize() {
  const IRECT& r = GetRECT();
  if (mTrackBitmap.IsValid()) {
    mTrackBounds = FrameRectCentredIn(mTrackBitmap, r);
  } else {
    const FrameSize handle = FrameSizeOf(mBitmap);
    mTrackBounds = mDirection == EDirection::Vertical ? CentredIn(r, handle.w, r.H()) : CentredIn(r, r.W(), handle.h);
  }
  MarkDirty(false);
}

IRECT IBSliderControl::GetHandleBounds() const {
  const FrameSize handle = FrameSizeOf(mBitmap);
  const IRECT& t = mTrackBounds;
  const double value = ValueAt(0);
  float left = t.L;
  float top = t.T;
  if (mDirection == EDirection::Vertical) {
    top += static_cast<float>((1.0 - value) * (t.H() - handle.h));
  } else {
    left += static_cast<float>(value * (t.W() - handle.w));
  }
  return IRECT(left, top, left + handle.w, top + handle.h);
}

void IBSliderControl::Draw(IGraphics& g) {
  if (mTrackBitmap.IsValid())
    g.DrawBitmapFrame(mTrackBitmap, FrameRectCentredIn(mTrackBitmap, GetRECT()), kFirstFrame, &GetBlend());
  g.DrawBitmapFrame(mBitmap, GetHandleBounds(), kFirstFrame, &GetBlend());
}

void IBSliderControl::OnRescale() {
  IBitmapControl::OnRescaleCommon(GetUI(), mBitmap);
  IBitmapControl::OnRescaleCommon(GetUI(), mTrackBitmap);
}

// Knobs ----------------------------------------------------------------------------

IBKnobControl::IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx, EDirection direction,
                             double gearing)
    : IBKnobControl(FrameRectAt(bitmap, x, y), bitmap, paramIdx, direction, gearing) {}

IBKnobControl::IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx, EDirection direction,
                             double gearing)
    : IKnobControlBase(FrameRectCentredIn(bitmap, bounds), paramIdx, direction, gearing), IBitmapBase(bitmap) {
  AttachIControl(this);
}

void IBKnobControl::Draw(IGraphics& g) { IBitmapControl::DrawBitmapFrame(*this, g); }

void IBKnobControl::OnRescale() { IBitmapControl::OnRescaleCommon(GetUI(), mBitmap); }

void IBKnobRotaterControl::Draw(IGraphics& g) {
  const IRECT& r = GetRECT();
  const double angle = ValueAt(0) * kAngleRange + kStartAngle;
  g.DrawRotatedBitmap(mBitmap, (r.L + r.R) / 2.f, (r.T + r.B) / 2.f, angle, &GetBlend());
}

// Text -----------------------------------------------------------------------------

IBTextControl::IBTextControl(const IRECT& bounds, const IBitmap& fontBitmap, const IText& text, const char* str,
                             int charWidth, int charHeight, int charOffset, bool multiLine, bool vCenter,
                             int blendMethod)
    : ITextControl(bounds, str, text, kDefaultBGColor),
      IBitmapBase(fontBitmap),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mCharOffset(charOffset),
      mMultiLine(multiLine),
      mVCentre(vCenter) {
  AttachIControl(this);
  SetBlend(IBlend(blendMethod, 1.f));
}

void IBTextControl::Draw(IGraphics& g) {
  g.DrawBitmapedText(mBitmap, GetRECT(), GetText(), &GetBlend(), GetStr(), mVCentre, mMultiLine, mCharWidth,
                     mCharHeight, mCharOffset);
}

void IBTextControl::OnRescale() { IBitmapControl::OnRescaleCommon(GetUI(), mBitmap); }

// Meter ----------------------------------------------------------------------------

IBMeterControl::IBMeterControl(float x, float y, const IBitmap& bitmap, int nChannels, float highRangeDB,
                               float lowRangeDB, int responseMode)
    : IBitmapControl(x, y, bitmap, std::vector<int>(static_cast<size_t>(std::max(nChannels, 1)), kNoParameter)),
      mHighRangeDB(highRangeDB),
      mLowRangeDB(lowRangeDB),
      mResponseMode(responseMode) {}

double IBMeterControl::ValueForLevel(float level) const {
  if (!std::isfinite(level)) return 0.0;
  double value = level;
  if (mResponseMode == kLogarithmic) {
    const double decibels = kDecibelsPerDecade * std::log10(std::fabs(static_cast<double>(level)));
    value = (decibels + std::fabs(mLowRangeDB)) / std::fabs(static_cast<double>(mHighRangeDB) - mLowRangeDB);
  }
  return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

void IBMeterControl::OnMessageFromDelegate(int msgTag, int dataSize, const void* data) {
  if (msgTag != kLevelsMsgTag || IsDisabled()) return;
  if (!data || dataSize < kMinRecordSize) {
    SetValueAt(ValueForLevel(0.f), 0);
  } else {
    const auto* bytes = static_cast<const unsigned char*>(data);
    LevelRecordHeader header;
    std::memcpy(&header, bytes, sizeof(header));
    const int64_t count = header.mNumChannels;
    const int64_t first = header.mFirstChannel;
    const int64_t levels = (dataSize - kRecordHeaderSize) / static_cast<int64_t>(sizeof(float));
    if (count >= 0 && first >= 0) {
      const int64_t end = std::min({first + count, levels, static_cast<int64_t>(NVals())});
      for (int64_t c = first; c < end; ++c) {
        float level;
        std::memcpy(&level, bytes + kRecordHeaderSize + c * static_cast<int64_t>(sizeof(float)), sizeof(level));
        SetValueAt(ValueForLevel(level), static_cast<int>(c));
      }
    }
  }
  MarkDirty(false);
}

}  // namespace plugkit::graphics
