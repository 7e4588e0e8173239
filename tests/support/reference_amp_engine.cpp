#include "support/reference_amp_engine.h"

#include <cmath>
#include <cstddef>

#include "engine/flush_denormals.h"

namespace orvane::testing {

void ReferenceAmpEngine::StepGlides(AmpEngine& e) {
  for (std::size_t s = 0; s < kPreampStageCount; ++s) {
    e.mDrive[s].StepIfGliding();
    e.mBias[s].StepIfGliding();
  }
  for (ParamGlide& trim : e.mTrim) {
    trim.StepIfGliding();
  }
}

double ReferenceAmpEngine::ProcessAtProcessingRate(AmpEngine& e, double x) {
  StepGlides(e);
  for (std::size_t s = 0; s < kPreampStageCount; ++s) {
    if (e.mSectionOn[s]) {
      AmpEngine::PreampStage& stage = e.mPreamp[s];
      x = stage.acCoupling.Process(x);
      x = stage.color.Process(x);
      const double u = e.mBias[s].Current() + e.mDrive[s].Current() * x;
      x = stage.tube.Evaluate(u);
      x = stage.bandwidth.Process(x);
    } else {
      x *= e.mTrim[s].Current();
    }
    if (e.mToneStackPosition == static_cast<int>(s) + 1) {
      x = e.mSectionOn[kSectionToneStack] ? e.mToneStage.Process(x) : x * e.mTrim[kSectionToneStack].Current();
    }
  }
  if (e.mSectionOn[kSectionPowerAmp]) {
    x *= e.mMasterGain;
    x = e.mPowerStage.ProcessInputFilter(x);
    x = e.mPowerStage.ProcessNonLinearity(x);
    x = e.mPowerStage.ProcessOutputFilter(x);
    x = e.mEqStage.Process(x);
  } else {
    x *= e.mTrim[kSectionPowerAmp].Current();
  }
  return x;
}

double ReferenceAmpEngine::ProcessSample(AmpEngine& e, double x) {
  if (!std::isfinite(x)) {
    x = 0.0;
  }
  double y;
  if (e.mOversamplingActive && e.mOversamplingFactor >= 2) {
    double* buffer = e.mOversamplingBuffer.data();
    e.mUpsampler.Upsample(x, buffer);
    for (int i = 0; i < e.mOversamplingFactor; ++i) {
      buffer[i] = ProcessAtProcessingRate(e, buffer[i]);
    }
    y = e.mDownsampler.Downsample(buffer);
  } else {
    y = ProcessAtProcessingRate(e, x);
  }
  const double out = static_cast<double>(static_cast<float>(e.mOutputDcBlocker.Process(y)));
  if (!std::isfinite(out)) {
    e.RecoverFromNonFiniteOutput();
    return 0.0;
  }
  return out;
}

bool ReferenceAmpEngine::Process(AmpEngine& engine, const double* input, double* output, int n) {
  if (input == nullptr || output == nullptr) {
    return false;
  }
  const ScopedFlushDenormals flushDenormals;
  for (int i = 0; i < n; ++i) {
    output[i] = ProcessSample(engine, input[i]);
  }
  return true;
}

}  // namespace orvane::testing
