#pragma once

#include "graphics/control.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// Shows how long the last frames took, as a line over the last 100 frames and
// the mean as text: frames per second, milliseconds, or the share of the
// frame period. A click moves to the next of the three. The graphics context
// owns it apart from the control list and feeds it a sample every frame.
class IFPSDisplayControl : public IControl, public IVectorBase {
public:
  static constexpr int kNumSamples = 100;
  static constexpr const char* kDefaultLabel = "Frame Time";
  enum EMode { kFramesPerSecond = 0, kMilliseconds = 1, kFrameLoad = 2, kNumModes };

  explicit IFPSDisplayControl(const IRECT& bounds, const char* label = kDefaultLabel,
                              const IVStyle& style = kDefaultStyle);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Redrawn every frame.
  bool IsDirty() override { return true; }
  void OnResize() override;
  void Draw(IGraphics& g) override;

  // The duration of the frame just begun, in seconds.
  void AddSample(float seconds);
  EMode GetMode() const { return mMode; }
  // The newest sample first.
  float GetSample(int age) const;

private:
  // What a sample is plotted and reported as in the current mode, and where
  // the plot is full.
  double Plotted(float seconds) const;
  double PlotCeiling() const;
  void FormatMean(char* text, int size) const;

  float mSamples[kNumSamples] = {};
  int mWriteIndex = 0;
  EMode mMode = kFramesPerSecond;
  float mPlot[kNumSamples] = {};  // what the last Draw plotted, oldest first
};

}  // namespace plugkit::graphics
