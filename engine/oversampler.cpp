#include "engine/oversampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/biquad_cascade.h"

namespace orvane {
void Oversampler::EnsureSections(int count) {
  if (mSections.capacity() < static_cast<std::size_t>(kMaxOversamplerSections)) {
    mSections.reserve(kMaxOversamplerSections);
  }
  while (static_cast<int>(mSections.size()) < count) {
    mSections.emplace_back();
  }
}

void Oversampler::Reserve(int order) {
  if (order >= kMinOversamplerOrder && order <= kMaxOversamplerOrder) {
    EnsureSections(SectionsForOrder(order));
  }
}

bool Oversampler::Configure(int factor, int order, double baseRateHz, double cutoffHz) {
  if (!(baseRateHz > 0.0) || !std::isfinite(baseRateHz) || factor < kMinOversamplingFactor ||
      factor > kMaxOversamplingFactor || order < kMinOversamplerOrder || order > kMaxOversamplerOrder ||
      !OversamplerAcceptsCutoff(cutoffHz, baseRateHz, factor)) {
    return false;
  }
  const int count = SectionsForOrder(order);
  EnsureSections(count);

  // An odd order puts its real pole in a first-order section ahead of the pairs.
  const int pairs = order / 2;
  int index = 0;
  if (order % 2 == 1) {
    mKind[0] = SectionKind::FirstOrder;
    mQ[0] = 1.0;
    index = 1;
  }
  for (int k = 0; k < pairs; ++k, ++index) {
    const double theta = order % 2 == 0 ? (2.0 * k + 1.0) * std::numbers::pi / (2.0 * order)
                                        : (k + 1.0) * std::numbers::pi / order;
    mQ[index] = 1.0 / (2.0 * std::cos(theta));
    mKind[index] = SectionKind::SecondOrder;
  }

  mSectionCount = count;
  mFactor = factor;
  mBaseRate = baseRateHz;
  mCutoff = cutoffHz;
  for (int i = 0; i < count; ++i) {
    Biquad& section = mSections[static_cast<std::size_t>(i)];
    section.SetEnabled(true);
    section.SetSampleRate(baseRateHz * factor, BiquadRamp::Ramped);
    const BiquadType type =
        mKind[i] == SectionKind::SecondOrder ? BiquadType::LowPass : BiquadType::FirstOrderLowPass;
    DesignBiquad(section, {cutoffHz, mQ[i], 0.0, 0.0, type}, BiquadRamp::Ramped);
    section.ClearMemories();
    section.SnapToTargets();
  }
  return true;
}

void Oversampler::Upsample(double x, double* out) {
  if (out == nullptr || mFactor < 1) {
    return;
  }
  for (int slot = 0; slot < mFactor; ++slot) {
    double y = x;
    for (int i = 0; i < mSectionCount; ++i) {
      y = mSections[static_cast<std::size_t>(i)].Process(y);
    }
    out[slot] = y;
  }
}

double Oversampler::Downsample(const double* in) {
  if (in == nullptr) {
    return 0.0;
  }
  for (int slot = 0; slot < mFactor; ++slot) {
    double y = in[slot];
    for (int i = 0; i < mSectionCount; ++i) {
      y = mSections[static_cast<std::size_t>(i)].Process(y);
    }
    mSubSamples[static_cast<std::size_t>(slot)] = y;
  }
  return mSubSamples[0];
}

void Oversampler::HoldInputs(const double* in, int n, double* out) const {
  for (int i = 0; i < n; ++i) {
    std::fill_n(out + i * mFactor, mFactor, in[i]);
  }
}

void Oversampler::QueueSections(BiquadCascade& cascade) {
  for (int i = 0; i < mSectionCount; ++i) {
    cascade.Add(mSections[static_cast<std::size_t>(i)]);
  }
}

void Oversampler::KeepFirstOfEach(const double* filtered, int n, double* out) {
  if (n <= 0) {
    return;
  }
  for (int i = 0; i < n; ++i) {
    out[i] = filtered[i * mFactor];
  }
  std::copy_n(filtered + (n - 1) * mFactor, mFactor, mSubSamples.begin());
}

void Oversampler::ClearMemories() {
  for (Biquad& section : mSections) {
    section.ClearMemories();
  }
  mSubSamples.fill(0.0);
}

}  // namespace orvane
