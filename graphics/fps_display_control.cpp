#include "graphics/fps_display_control.h"

#include <algorithm>
#include <cstdio>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

// Keeps a frame of no measurable length from dividing by zero.
constexpr double kMinFrameSeconds = 1e-5;
constexpr double kMaxFramesPerSecond = 80.0;
constexpr double kMaxMilliseconds = 20.0;
constexpr double kMaxPercent = 100.0;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr int kTextSize = 32;

}  // namespace

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, const char* label, const IVStyle& style)
    : IControl(bounds), IVectorBase(style) {
  AttachIControl(this, label);
}

void IFPSDisplayControl::OnMouseDown(float, float, const IMouseMod&) {
  mMode = static_cast<EMode>((mMode + 1) % kNumModes);
  MarkDirty(false);
}

// The label sits at the top and the value at the bottom of the whole display, over the plot.
void IFPSDisplayControl::OnResize() {
  mWidgetBounds = GetRECT();
  mLabelBounds = GetRECT();
  mValueBounds = GetRECT();
}

void IFPSDisplayControl::AddSample(float seconds) {
  mWriteIndex = (mWriteIndex + 1) % kNumSamples;
  mSamples[mWriteIndex] = seconds;
}

float IFPSDisplayControl::GetSample(int age) const {
  return mSamples[((mWriteIndex - age) % kNumSamples + kNumSamples) % kNumSamples];
}

// The frame load is the frame's share of the period the frame rate allows.
double IFPSDisplayControl::Plotted(float seconds) const {
  switch (mMode) {
    case kFramesPerSecond: return 1.0 / (seconds + kMinFrameSeconds);
    case kMilliseconds: return seconds * kMillisecondsPerSecond;
    case kFrameLoad:
    default: {
      const IGraphics* g = GetUI();
      return g ? seconds * g->FPS() * kMaxPercent : 0.0;
    }
  }
}

double IFPSDisplayControl::PlotCeiling() const {
  switch (mMode) {
    case kFramesPerSecond: return kMaxFramesPerSecond;
    case kMilliseconds: return kMaxMilliseconds;
    case kFrameLoad:
    default: return kMaxPercent;
  }
}

// Before any frame was measured there is no rate to report: it reads 0.
void IFPSDisplayControl::FormatMean(char* text, int size) const {
  double sum = 0.0;
  for (float sample : mSamples) sum += sample;
  const double mean = sum / kNumSamples;
  switch (mMode) {
    case kFramesPerSecond: std::snprintf(text, size, "%.2f FPS", mean > 0.0 ? 1.0 / mean : 0.0); break;
    case kMilliseconds: std::snprintf(text, size, "%.2f ms", mean * kMillisecondsPerSecond); break;
    case kFrameLoad:
    default: std::snprintf(text, size, "%.1f %%", Plotted(static_cast<float>(mean))); break;
  }
}

void IFPSDisplayControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  const double ceiling = PlotCeiling();
  for (int i = 0; i < kNumSamples; ++i) {
    const double value = Plotted(GetSample(kNumSamples - 1 - i));
    mPlot[i] = static_cast<float>(std::clamp(value, 0.0, ceiling) / ceiling);
  }
  g.DrawXYPolyline(GetColor(kFG), mWidgetBounds, mPlot, kNumSamples, nullptr, &GetBlend());
  DrawLabel(g);
  char text[kTextSize];
  FormatMean(text, kTextSize);
  SetValueStr(text);
  DrawValue(g, false);
}

}  // namespace plugkit::graphics
