#include "host/auhost_level_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orvane::auhost {
namespace {

constexpr double kAmplitudeToDb = 20.0;

double AmplitudeToDb(double amplitude) {
  if (!(amplitude > 0.0)) return kSilenceDb;
  return std::max(kSilenceDb, kAmplitudeToDb * std::log10(amplitude));
}

}  // namespace

Levels MeasureLevels(const AudioClip& clip) {
  LevelMeter meter;
  meter.Add(clip.samples);
  return meter.Result();
}

void LevelMeter::Add(std::span<const float> samples) {
  const std::size_t count = samples.size();
  std::size_t i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
      const double value = samples[i + lane];
      mPeaks[lane] = std::max(mPeaks[lane], std::fabs(value));
      mSums[lane] += value * value;
    }
  }
  for (; i < count; ++i) {
    const double value = samples[i];
    mPeaks[0] = std::max(mPeaks[0], std::fabs(value));
    mSums[0] += value * value;
  }
  mCount += count;
}

Levels LevelMeter::Result() const {
  double peak = 0.0;
  double sumOfSquares = 0.0;
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    peak = std::max(peak, mPeaks[lane]);
    sumOfSquares += mSums[lane];
  }
  Levels levels;
  levels.peakDb = AmplitudeToDb(peak);
  if (mCount > 0) levels.rmsDb = AmplitudeToDb(std::sqrt(sumOfSquares / static_cast<double>(mCount)));
  return levels;
}

std::string FormatLevels(const Levels& levels) {
  char text[64];
  std::snprintf(text, sizeof text, "peak %.1f dBFS, RMS %.1f dBFS", levels.peakDb, levels.rmsDb);
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
