#include "host/auhost_level_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace orvane::auhost {
namespace {

constexpr double kAmplitudeToDb = 20.0;
constexpr float kFullScale = 1.0f;
constexpr double kPercent = 100.0;

// What every x86-64 machine computes at once: four floats or two doubles.
using Floats = float __attribute__((vector_size(16)));
using FloatBits = std::int32_t __attribute__((vector_size(16)));
using Doubles = double __attribute__((vector_size(16)));
constexpr std::size_t kFloats = 4;
constexpr std::int32_t kMagnitudeBits = 0x7fffffff;  // all but the sign
// Full-scale samples are counted in 32-bit lanes over runs of this many.
constexpr std::size_t kCountedRun = std::size_t{1} << 24;

double AmplitudeToDb(double amplitude) {
  if (!(amplitude > 0.0)) return kSilenceDb;
  return std::max(kSilenceDb, kAmplitudeToDb * std::log10(amplitude));
}

Floats LoadFloats(const float* from) {
  Floats value;
  std::memcpy(&value, from, sizeof value);
  return value;
}

}  // namespace

void LevelMeter::Add(std::span<const float> samples) {
  static_assert(kLanes % kFloats == 0);
  Doubles sums[kLanes / 2];
  std::memcpy(sums, mSums, sizeof sums);
  Floats peaks = {mPeak, mPeak, mPeak, mPeak};
  const std::size_t whole = samples.size() / kLanes * kLanes;
  for (std::size_t i = 0; i < whole;) {
    FloatBits fullScale = {};
    for (const std::size_t end = std::min(whole, i + kCountedRun); i < end; i += kLanes) {
      for (std::size_t quarter = 0; quarter < kLanes / kFloats; ++quarter) {
        const float* four = samples.data() + i + quarter * kFloats;
        const Floats magnitude = (Floats)((FloatBits)LoadFloats(four) & kMagnitudeBits);
        peaks = peaks < magnitude ? magnitude : peaks;
        fullScale -= magnitude >= kFullScale;  // true is -1
        const Doubles low = {four[0], four[1]};
        const Doubles high = {four[2], four[3]};
        sums[2 * quarter] += low * low;
        sums[2 * quarter + 1] += high * high;
      }
    }
    for (std::size_t lane = 0; lane < kFloats; ++lane) mFullScale += static_cast<std::size_t>(fullScale[lane]);
  }
  std::memcpy(mSums, sums, sizeof sums);
  for (std::size_t lane = 0; lane < kFloats; ++lane) mPeak = std::max(mPeak, peaks[lane]);
  // The few left over go to the first lane.
  for (std::size_t i = whole; i < samples.size(); ++i) {
    const float magnitude = std::fabs(samples[i]);
    mPeak = std::max(mPeak, magnitude);
    mFullScale += magnitude >= kFullScale ? 1 : 0;
    mSums[0] += static_cast<double>(samples[i]) * samples[i];
  }
  mCount += samples.size();
}

Levels LevelMeter::Result() const {
  double sumOfSquares = 0.0;
  for (const double sum : mSums) sumOfSquares += sum;
  Levels levels;
  levels.peakDb = AmplitudeToDb(mPeak);
  if (mCount > 0) levels.rmsDb = AmplitudeToDb(std::sqrt(sumOfSquares / static_cast<double>(mCount)));
  levels.samples = mCount;
  levels.fullScaleSamples = mFullScale;
  return levels;
}

Levels MeasureLevels(const AudioClip& clip) {
  LevelMeter meter;
  meter.Add(clip.samples);
  return meter.Result();
}

std::string FormatLevels(const Levels& levels) {
  const double share =
      levels.samples > 0 ? kPercent * static_cast<double>(levels.fullScaleSamples) / static_cast<double>(levels.samples)
                         : 0.0;
  char text[128];
  std::snprintf(text, sizeof text, "peak %.1f dBFS, RMS %.1f dBFS, %zu samples (%.3g %%) at full scale", levels.peakDb,
                levels.rmsDb, levels.fullScaleSamples, share);
  return text;
}

std::string FormatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", seconds);
  return text;
}

std::string FormatRenderSpeed(double audioSeconds, double wallSeconds) {
  char text[96];
  if (wallSeconds > 0.0)
    std::snprintf(text, sizeof text, "%.1fx real time (%.2f s of audio in %.3f s)", audioSeconds / wallSeconds,
                  audioSeconds, wallSeconds);
  else
    std::snprintf(text, sizeof text, "too fast to time (%.2f s of audio)", audioSeconds);
  return text;
}

}  // namespace orvane::auhost
