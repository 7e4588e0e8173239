#include "host/auhost_level_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orvane::auhost {
namespace {

constexpr double kAmplitudeToDb = 20.0;
constexpr double kFullScale = 1.0;
constexpr double kPercent = 100.0;

double AmplitudeToDb(double amplitude) {
  if (!(amplitude > 0.0)) return kSilenceDb;
  return std::max(kSilenceDb, kAmplitudeToDb * std::log10(amplitude));
}

}  // namespace

void LevelMeter::Add(std::span<const float> samples) {
  const std::size_t count = samples.size();
  const auto take = [&](std::size_t lane, double value) {
    const double magnitude = std::fabs(value);
    mPeaks[lane] = std::max(mPeaks[lane], magnitude);
    mSums[lane] += value * value;
    mFullScale[lane] += magnitude >= kFullScale ? 1 : 0;
  };
  std::size_t i = 0;
  for (; i + kLanes <= count; i += kLanes)
    for (std::size_t lane = 0; lane < kLanes; ++lane) take(lane, samples[i + lane]);
  for (; i < count; ++i) take(0, samples[i]);
  mCount += count;
}

Levels LevelMeter::Result() const {
  double peak = 0.0;
  double sumOfSquares = 0.0;
  Levels levels;
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    peak = std::max(peak, mPeaks[lane]);
    sumOfSquares += mSums[lane];
    levels.fullScaleSamples += mFullScale[lane];
  }
  levels.peakDb = AmplitudeToDb(peak);
  if (mCount > 0) levels.rmsDb = AmplitudeToDb(std::sqrt(sumOfSquares / static_cast<double>(mCount)));
  levels.samples = mCount;
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
