#pragma once

#include <array>

#include "engine/biquad.h"
#include "engine/dna_table.h"

namespace orvane {

// The tone-stack voicing: each MIN/MAX pair is interpolated by its tone knob.
// The defaults are the stage's own; the engine loads DNA rows 44..59 in this
// field order.
struct ToneStackRanges {
  double hpfMinHz = 45.0;
  double hpfMaxHz = 16.0;
  double bassGainMinDb = -15.0;
  double bassGainMaxDb = -2.5;
  double bassMinHz = 180.0;
  double bassMaxHz = 180.0;
  double midGainMinDb = -20.8;
  double midGainMaxDb = -9.5;
  double midQMin = 0.5;
  double midQMax = 0.35;
  double midMinHz = 700.0;
  double midMaxHz = 560.0;
  double trebleGainMinDb = -15.0;
  double trebleGainMaxDb = -1.5;
  double trebleMinHz = 1100.0;
  double trebleMaxHz = 2800.0;
};

inline constexpr int kToneStackRangeCount = 16;

// The sixteen tone-stack rows of a decoded DNA.
ToneStackRanges ToneStackRangesFromDna(const DecodedDna& dna);

// Tone knobs 0..100 in one record.
struct ToneKnobs {
  double bass = 50.0;
  double mid = 50.0;
  double treble = 50.0;
};

// The filter records of the tone stack at the given knobs; shared with the
// plot code so that the plot shows exactly what the stage runs.
struct ToneStackDesigns {
  BiquadParams hpf, bass, mid, treble;
};
ToneStackDesigns DesignToneStack(const ToneStackRanges& ranges, const ToneKnobs& knobs, double outputGainDb);

// High-pass, bass shelf, mid peak and treble shelf in series.
class ToneStage {
public:
  explicit ToneStage(double rateHz);

  // Knobs are clamped to 0..100; they take effect with the next Update.
  void SetKnobs(double bass, double mid, double treble);
  void Update(const ToneStackRanges& ranges, double outputGainDb);
  // Redesigns with the stored ranges and knobs.
  void Update() { Update(mRanges, mOutputGainDb); }

  double Process(double x) {
    const double y = mTreble.Process(mMid.Process(mBass.Process(mHpf.Process(x))));
    return mEnabled ? y : x;
  }

  // Primes the high-pass with the input `u` at rest, the shelves and peak with 0.
  void Reset(double u);
  void SetSampleRate(double rateHz);

  void SetEnabled(bool enabled) { mEnabled = enabled; }
  bool Enabled() const { return mEnabled; }
  // The sections in processing order, for block processing.
  std::array<Biquad*, 4> Sections() { return {&mHpf, &mBass, &mMid, &mTreble}; }
  const ToneStackRanges& Ranges() const { return mRanges; }
  const ToneKnobs& Knobs() const { return mKnobs; }
  double SampleRate() const { return mSampleRate; }
  const Biquad& Hpf() const { return mHpf; }
  const Biquad& Bass() const { return mBass; }
  const Biquad& Mid() const { return mMid; }
  const Biquad& Treble() const { return mTreble; }

private:
  Biquad mHpf, mBass, mMid, mTreble;
  ToneStackRanges mRanges;
  double mOutputGainDb = 0.0;
  double mSampleRate;
  ToneKnobs mKnobs;
  bool mEnabled = true;
};

}  // namespace orvane
