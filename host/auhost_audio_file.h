#pragma once

// WAV (and other libsndfile formats) in and out of memory as float frames.

#include <cstddef>
#include <string>
#include <vector>

namespace orvane::auhost {

struct AudioClip {
  double sampleRate = 0.0;
  int channels = 0;
  std::vector<float> samples;  // interleaved, channels per frame

  std::size_t Frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
  double Seconds() const { return sampleRate > 0.0 ? static_cast<double>(Frames()) / sampleRate : 0.0; }
};

// Throws Failure(kAudioFile) naming the file and the reason when it cannot
// be read, holds no channels or has no usable rate.
AudioClip ReadAudioFile(const std::string& path);

// Writes a 32-bit float WAV, so the samples are kept exactly; throws Failure(kAudioFile) when that fails.
void WriteAudioFile(const std::string& path, const AudioClip& clip);

// The average of the channels, one channel out.
AudioClip MixToMono(const AudioClip& clip);

// One channel of an interleaved clip.
std::vector<float> ChannelOf(const AudioClip& clip, int channel);

}  // namespace orvane::auhost
