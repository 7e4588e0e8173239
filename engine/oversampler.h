#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/biquad.h"

namespace orvane {

class BiquadCascade;

inline constexpr int kMinOversamplingFactor = 2;
inline constexpr int kMaxOversamplingFactor = 8;
inline constexpr int kMinOversamplerOrder = 2;
inline constexpr int kMaxOversamplerOrder = 40;
inline constexpr int kMaxOversamplerSections = 20;
// The cut-off must sit clearly below the processing rate's Nyquist frequency.
inline constexpr double kOversamplerCutoffHeadroom = 2.1;

inline bool OversamplerAcceptsCutoff(double cutoffHz, double baseRateHz, int factor) {
  return cutoffHz > 0.0 && cutoffHz < baseRateHz * factor / kOversamplerCutoffHeadroom;
}

// A Butterworth low-pass cascade run at F times a base rate. As an upsampler
// it holds each input for F slots and lets the cascade interpolate; as a
// downsampler it filters F samples and keeps the first.
class Oversampler {
public:
  enum class SectionKind : std::int32_t { FirstOrder = 1, SecondOrder = 2 };

  // Refuses, leaving the previous configuration, unless the base rate is above
  // 0, the factor is 2..8, the order 2..40 and 0 < cut-off < rate * F / 2.1.
  // Allocates only when sections for the order are missing.
  bool Configure(int factor, int order, double baseRateHz, double cutoffHz);

  // Creates the sections an order needs so that a later Configure allocates
  // nothing.
  void Reserve(int order);

  // Writes Factor() samples. Without sections the input fills every slot.
  void Upsample(double x, double* out);
  // Filters Factor() samples and returns the first.
  double Downsample(const double* in);

  // Block processing, the same as n calls of Upsample or Downsample: the
  // sections join the cascade of the filters next to them. Upsampling holds
  // each of n inputs for Factor() slots and then runs the sections;
  // downsampling runs the sections over n * Factor() samples and keeps the
  // first of every Factor().
  void HoldInputs(const double* in, int n, double* out) const;
  void QueueSections(BiquadCascade& cascade);
  void KeepFirstOfEach(const double* filtered, int n, double* out);

  // Clears every section's memories and the kept sub-samples.
  void ClearMemories();

  int Factor() const { return mFactor; }
  int SectionCount() const { return mSectionCount; }
  double BaseRate() const { return mBaseRate; }
  double Cutoff() const { return mCutoff; }
  double SectionQ(int index) const { return mQ[static_cast<std::size_t>(index)]; }
  SectionKind Kind(int index) const { return mKind[static_cast<std::size_t>(index)]; }
  const Biquad& Section(int index) const { return mSections[static_cast<std::size_t>(index)]; }
  const std::array<double, kMaxOversamplingFactor>& LastSubSamples() const { return mSubSamples; }

private:
  static int SectionsForOrder(int order) { return order / 2 + order % 2; }
  void EnsureSections(int count);

  std::vector<Biquad> mSections;  // capacity for every order, created on demand and kept
  int mSectionCount = 0;
  int mFactor = 1;
  double mBaseRate = 48000.0;
  double mCutoff = 16000.0;
  std::array<double, kMaxOversamplerSections> mQ{};
  std::array<SectionKind, kMaxOversamplerSections> mKind{};
  std::array<double, kMaxOversamplingFactor> mSubSamples{};
};

}  // namespace orvane
