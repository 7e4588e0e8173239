#pragma once

// What a render prints at its end: levels of the audio and how fast it went.

#include <cstddef>
#include <span>
#include <string>

#include "host/auhost_audio_file.h"

namespace orvane::auhost {

// The floor of the dB figures, so silence prints a number.
inline constexpr double kSilenceDb = -120.0;

struct Levels {
  double peakDb = kSilenceDb;  // largest absolute sample over all channels, dBFS
  double rmsDb = kSilenceDb;   // root mean square over all samples, dBFS
  std::size_t samples = 0;
  std::size_t fullScaleSamples = 0;  // samples at or beyond full scale
};

// Levels over audio that comes a block at a time.
class LevelMeter {
public:
  // Partial sums of squares in independent lanes, so that long audio is not
  // summed one dependent addition at a time: sample i of each run of kLanes
  // goes to lane i (and the few left over of each Add to lane 0).
  static constexpr std::size_t kLanes = 8;

  void Add(std::span<const float> samples);
  Levels Result() const;

private:
  double mSums[kLanes] = {};
  float mPeak = 0.0f;  // largest magnitude
  std::size_t mFullScale = 0;
  std::size_t mCount = 0;
};

Levels MeasureLevels(const AudioClip& clip);

// "peak -6.0 dBFS, RMS -21.3 dBFS, 0 samples (0 %) at full scale"
std::string FormatLevels(const Levels& levels);

// "1.5 s", "0.0125 s": seconds as few digits show them.
std::string FormatSeconds(double seconds);

// "42.5x real time (6.00 s of audio in 0.141 s)"; audio seconds over wall seconds.
std::string FormatRenderSpeed(double audioSeconds, double wallSeconds);

}  // namespace orvane::auhost
