#pragma once

#include <array>

#include "engine/biquad.h"

namespace orvane {

// Sections in series, run over a block in place. A section's feedback makes
// each of its samples wait for the one before, so one section alone runs at
// the speed of that loop. While no section ramps, the cascade runs as a
// wavefront instead: at each step section k works on sample t - k, two
// sections to a vector register, so the sections' loops overlap. Every
// section computes exactly what Biquad::Process computes, sample by sample.
//
// Render thread; a cascade is a small value that holds no samples.
class BiquadCascade {
public:
  static constexpr int kMaxSections = 24;

  // Queues a section; its input is multiplied by `inputGain` first (x * gain,
  // as a chain that scales between two sections does).
  void Add(Biquad& section, double inputGain = 1.0) {
    mSections[static_cast<std::size_t>(mCount)] = &section;
    mInputGains[static_cast<std::size_t>(mCount)] = inputGain;
    ++mCount;
  }
  // Runs the queued sections over x[0..n) and empties the queue.
  void Run(double* x, int n);
  bool Empty() const { return mCount == 0; }

private:
  void RunSectionBySection(int first, int count, double* x, int n);
  void RunWavefront(int first, int count, double* x, int n);

  std::array<Biquad*, kMaxSections> mSections{};
  std::array<double, kMaxSections> mInputGains{};
  int mCount = 0;
};

}  // namespace orvane
