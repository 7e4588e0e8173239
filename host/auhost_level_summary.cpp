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
  double peak = 0.0;
  double sumOfSquares = 0.0;
  for (const float sample : clip.samples) {
    const double value = sample;
    peak = std::max(peak, std::fabs(value));
    sumOfSquares += value * value;
  }
  Levels levels;
  levels.peakDb = AmplitudeToDb(peak);
  if (!clip.samples.empty())
    levels.rmsDb = AmplitudeToDb(std::sqrt(sumOfSquares / static_cast<double>(clip.samples.size())));
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
