#pragma once

#include "engine/amp_engine.h"

namespace orvane::testing {

// The amplifier chain written out plainly, one sample at a time through every
// stage, over an engine's own stages and settings. It is the oracle of the
// engine's block processing, which must give the same output bit for bit, and
// the baseline of the engine benchmark.
class ReferenceAmpEngine {
public:
  // Same contract as AmpEngine::Process.
  static bool Process(AmpEngine& engine, const double* input, double* output, int n);

private:
  static double ProcessSample(AmpEngine& engine, double x);
  static double ProcessAtProcessingRate(AmpEngine& engine, double x);
  static void StepGlides(AmpEngine& engine);
};

}  // namespace orvane::testing
