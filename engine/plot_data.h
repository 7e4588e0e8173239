#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "engine/dna_table.h"
#include "engine/engine_settings.h"

namespace orvane {

inline constexpr std::size_t kTransferCurvePoints = 1025;
inline constexpr std::size_t kToneStackCurveCount = 4;
// The preamp transfer curves run over inputs from -20 V to +20 V.
inline constexpr double kPreampInputVolts = 20.0;

using TransferCurve = std::array<double, kTransferCurvePoints>;

// A frequency response: frequencies in Hz (0 to Nyquist) and linear magnitudes;
// empty when it could not be computed.
struct FrequencyCurve {
  std::vector<double> frequencies;
  std::vector<double> magnitudes;
};

// The curves the editor's plots draw, computed offline on the user-interface
// thread from a copy of the DNA, the knobs and a sample rate. Each plot has a
// validity flag that a change of one of its inputs clears and its computation
// sets; the editor recomputes at most one invalid plot at a time. Nothing here
// touches the running engines.
class PlotData {
public:
  // Returns true when any byte changed.
  bool SetDna(const DnaBytes& dna);
  void SetKnobs(const AmpKnobs& knobs);
  // Ignored unless finite, above 0 and different. No linear curve can be
  // computed before a rate is set.
  void SetSampleRate(double rateHz);

  void ComputePreampLinear();
  void ComputeToneStack();
  void ComputePowerAmpLinear();
  void ComputePreampNonLinear();
  void ComputePowerAmpNonLinear();

  const DnaBytes& Dna() const { return mDna; }
  const AmpKnobs& Knobs() const { return mKnobs; }
  double SampleRate() const { return mSampleRate; }

  bool PreampLinearValid() const { return mPreampLinearValid; }
  bool ToneStackValid() const { return mToneStackValid; }
  bool PowerLinearValid() const { return mPowerLinearValid; }
  bool PreampNonLinearValid() const { return mPreampNonLinearValid; }
  bool PowerNonLinearValid() const { return mPowerNonLinearValid; }

  const FrequencyCurve& PreampResponse(int stage) const { return mPreampResponse[static_cast<std::size_t>(stage)]; }
  // Tone knobs all 0, all 100, all 50, then the current knobs.
  const FrequencyCurve& ToneStackResponse(int setting) const { return mToneResponse[static_cast<std::size_t>(setting)]; }
  const FrequencyCurve& PowerResponse() const { return mPowerResponse; }
  const TransferCurve& PreampInput() const { return mPreampInput; }
  const TransferCurve& PreampOutput(int stage) const { return mPreampOutput[static_cast<std::size_t>(stage)]; }
  const TransferCurve& PowerInput() const { return mPowerInput; }
  const TransferCurve& PowerOutput() const { return mPowerOutput; }
  double PowerInputMin() const { return mPowerInputMin; }
  double PowerInputMax() const { return mPowerInputMax; }

private:
  void InvalidateForDnaIndex(std::size_t index);

  DnaBytes mDna = EngineDefaultDna();
  AmpKnobs mKnobs{50.0, 50.0, 50.0, 50.0, 50.0, 50.0, 50.0};
  double mSampleRate = 0.0;
  std::array<FrequencyCurve, kPreampStageCount> mPreampResponse;
  std::array<FrequencyCurve, kToneStackCurveCount> mToneResponse;
  FrequencyCurve mPowerResponse;
  TransferCurve mPreampInput{};
  std::array<TransferCurve, kPreampStageCount> mPreampOutput{};
  TransferCurve mPowerInput{};
  TransferCurve mPowerOutput{};
  double mPowerInputMin = 0.0;
  double mPowerInputMax = 0.0;
  bool mPreampLinearValid = false;
  bool mToneStackValid = false;
  bool mPowerLinearValid = false;
  bool mPreampNonLinearValid = false;
  bool mPowerNonLinearValid = false;
};

// Input range half-width of the power-amp transfer plot: one and a half
// times the larger rail seen through the power gain, within 1 V .. 1 MV.
double PowerPlotRange(const DecodedDna& dna);

}  // namespace orvane
