#pragma once

// Audio files in and out, a block of frames at a time (libsndfile): any
// format it reads; WAV, AIFF and FLAC written by the output's extension.

#include <sndfile.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/auhost_output_file.h"

namespace orvane::auhost {

// A whole file in memory, for small files and tests.
struct AudioClip {
  double sampleRate = 0.0;
  int channels = 0;
  std::vector<float> samples;  // interleaved, channels per frame

  std::size_t Frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
};

struct SoundFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

// Reads a file front to back. A header that promises more frames than the
// file holds is not an error: the frames present are read.
class AudioFileReader {
public:
  // Throws Failure(kAudioFile) naming the file and the reason when it cannot
  // be read, holds no channels or has no usable rate.
  explicit AudioFileReader(const std::string& path);

  double SampleRate() const { return mInfo.samplerate; }
  int Channels() const { return mInfo.channels; }
  // The frames the header states, and those that the file holds as far as
  // is known before reading them.
  std::size_t StatedFrames() const { return mStatedFrames; }
  std::size_t PresentFrames() const { return static_cast<std::size_t>(mInfo.frames); }
  std::size_t FramesRead() const { return mFramesRead; }

  // Up to `frames` interleaved frames into `to`; fewer only at the end.
  std::size_t Read(float* to, std::size_t frames);

private:
  std::string mPath;
  SF_INFO mInfo{};
  SoundFile mFile;
  std::size_t mStatedFrames = 0;
  std::size_t mFramesRead = 0;
};

// The path, when its extension names a format auhost writes and its folder
// can take it; otherwise throws Failure(kAudioFile) listing the extensions
// that do, or saying what stands in the way.
const std::string& CheckWritableAudioPath(const std::string& path);

// Writes the format the extension names: WAV (in the extensible form) and
// AIFF as 32-bit float, so the samples are kept exactly, FLAC at 24 bits with overs clipped. The file
// replaces any old one only at Finish; throws Failure(kAudioFile) naming the
// file and the reason when it cannot be written.
class AudioFileWriter {
public:
  AudioFileWriter(const std::string& path, double sampleRate, int channels);

  // Whole interleaved frames.
  void Write(std::span<const float> interleaved);
  void Finish();

private:
  OutputFile mOutput;
  std::size_t mChannels;
  SoundFile mFile;
  std::size_t mUnstoredBytes = 0;
};

AudioClip ReadAudioFile(const std::string& path);
void WriteAudioFile(const std::string& path, const AudioClip& clip);

// The average of `channels` interleaved channels, one sample per frame into `mono`.
void MixToMono(std::span<const float> interleaved, int channels, std::span<float> mono);

// One channel of an interleaved clip.
std::vector<float> ChannelOf(const AudioClip& clip, int channel);

}  // namespace orvane::auhost
