#pragma once

// WAV (and other libsndfile formats) in and out of memory as float frames.

#include <sndfile.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "common/replace_file.h"

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

// The same file written as the audio comes. The file at the path is replaced
// only when Finish succeeds; until then, and after any failure, the previous
// file stays as it was. Throws Failure(kAudioFile) naming the file.
class AudioFileWriter {
public:
  AudioFileWriter(const std::string& path, double sampleRate, int channels);
  ~AudioFileWriter();
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // Whole interleaved frames.
  void Write(std::span<const float> interleaved);
  void Finish();

private:
  [[noreturn]] void Fail(const std::string& reason) const;

  std::string mPath;
  int mChannels;
  plugkit::FileReplacement mFile;
  SNDFILE* mSound = nullptr;
  std::size_t mUnstoredBytes = 0;
};

// The average of the channels, one channel out.
AudioClip MixToMono(const AudioClip& clip);

// One channel of an interleaved clip.
std::vector<float> ChannelOf(const AudioClip& clip, int channel);

}  // namespace orvane::auhost
