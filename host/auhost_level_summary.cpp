#include "host/auhost_level_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// What a meter has summed so far, lane by lane.
struct LaneSums {
  double (&squares)[LevelMeter::kLanes];
  float& peak;
  std::size_t& fullScale;
};

// Whole runs of lanes, four samples at a time.
void AddRunsFourAtOnce(std::span<const float> runs, LaneSums sums) {
  constexpr std::size_t kLanes = LevelMeter::kLanes;
  static_assert(kLanes % kFloats == 0);
  Doubles squares[kLanes / 2];
  std::memcpy(squares, sums.squares, sizeof squares);
  Floats peaks = {sums.peak, sums.peak, sums.peak, sums.peak};
  for (std::size_t i = 0; i < runs.size();) {
    FloatBits fullScale = {};
    for (const std::size_t end = std::min(runs.size(), i + kCountedRun); i < end; i += kLanes) {
      for (std::size_t quarter = 0; quarter < kLanes / kFloats; ++quarter) {
        const float* four = runs.data() + i + quarter * kFloats;
        const Floats magnitude = (Floats)((FloatBits)LoadFloats(four) & kMagnitudeBits);
        peaks = peaks < magnitude ? magnitude : peaks;
        fullScale -= magnitude >= kFullScale;  // true is -1
        const Doubles low = {four[0], four[1]};
        const Doubles high = {four[2], four[3]};
        squares[2 * quarter] += low * low;
        squares[2 * quarter + 1] += high * high;
      }
    }
    for (std::size_t lane = 0; lane < kFloats; ++lane) sums.fullScale += static_cast<std::size_t>(fullScale[lane]);
  }
  std::memcpy(sums.squares, squares, sizeof squares);
  for (std::size_t lane = 0; lane < kFloats; ++lane) sums.peak = std::max(sums.peak, peaks[lane]);
}

#if defined(__x86_64__)
// The same sums eight samples at a time, where the processor has AVX2 (the
// same operations lane by lane, so the same figures).
__attribute__((target("avx2"))) void AddRunsEightAtOnce(std::span<const float> runs, LaneSums sums) {
  constexpr std::size_t kEight = LevelMeter::kLanes;
  __m256d low = _mm256_loadu_pd(sums.squares);
  __m256d high = _mm256_loadu_pd(sums.squares + kEight / 2);
  __m256 peaks = _mm256_set1_ps(sums.peak);
  const __m256 magnitudeBits = _mm256_castsi256_ps(_mm256_set1_epi32(kMagnitudeBits));
  const __m256 fullScaleLevel = _mm256_set1_ps(kFullScale);
  for (std::size_t i = 0; i < runs.size();) {
    __m256i fullScale = _mm256_setzero_si256();
    for (const std::size_t end = std::min(runs.size(), i + kCountedRun); i < end; i += kEight) {
      const float* eight = runs.data() + i;
      const __m256 magnitude = _mm256_and_ps(_mm256_loadu_ps(eight), magnitudeBits);
      peaks = _mm256_max_ps(magnitude, peaks);
      const __m256 atFullScale = _mm256_cmp_ps(magnitude, fullScaleLevel, _CMP_GE_OQ);  // true is -1
      fullScale = _mm256_sub_epi32(fullScale, _mm256_castps_si256(atFullScale));
      const __m256d lowFour = _mm256_cvtps_pd(_mm_loadu_ps(eight));
      const __m256d highFour = _mm256_cvtps_pd(_mm_loadu_ps(eight + kEight / 2));
      low = _mm256_add_pd(low, _mm256_mul_pd(lowFour, lowFour));
      high = _mm256_add_pd(high, _mm256_mul_pd(highFour, highFour));
    }
    std::int32_t counts[kEight];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(counts), fullScale);
    for (const std::int32_t count : counts) sums.fullScale += static_cast<std::size_t>(count);
  }
  _mm256_storeu_pd(sums.squares, low);
  _mm256_storeu_pd(sums.squares + kEight / 2, high);
  float lanePeaks[kEight];
  _mm256_storeu_ps(lanePeaks, peaks);
  for (const float peak : lanePeaks) sums.peak = std::max(sums.peak, peak);
}
#endif

}  // namespace

void LevelMeter::Add(std::span<const float> samples) {
  const std::size_t whole = samples.size() / kLanes * kLanes;
  const LaneSums sums{mSums, mPeak, mFullScale};
#if defined(__x86_64__)
  static const bool kEightAtOnce = __builtin_cpu_supports("avx2");
  if (kEightAtOnce)
    AddRunsEightAtOnce(samples.first(whole), sums);
  else
#endif
    AddRunsFourAtOnce(samples.first(whole), sums);
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
