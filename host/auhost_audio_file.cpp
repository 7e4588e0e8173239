#include "host/auhost_audio_file.h"

#include <sndfile.h>

#include <memory>

#include "host/auhost_failure.h"

namespace orvane::auhost {
namespace {

struct SoundFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

[[noreturn]] void AudioFileError(const std::string& path, const std::string& reason) {
  throw Failure(ExitCode::kAudioFile, "cannot read audio file " + path + ": " + reason);
}

}  // namespace

AudioClip ReadAudioFile(const std::string& path) {
  SF_INFO info{};
  SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) AudioFileError(path, sf_strerror(nullptr));
  if (info.channels < 1) AudioFileError(path, "it holds no channels");
  if (info.samplerate < 1) AudioFileError(path, "it has no sample rate");

  AudioClip clip;
  clip.sampleRate = info.samplerate;
  clip.channels = info.channels;
  clip.samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
  const sf_count_t read = sf_readf_float(file.get(), clip.samples.data(), info.frames);
  if (read != info.frames) AudioFileError(path, "it ends before its stated length");
  return clip;
}

void WriteAudioFile(const std::string& path, const AudioClip& clip) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(clip.sampleRate);
  info.channels = clip.channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SoundFile file(sf_open(path.c_str(), SFM_WRITE, &info));
  if (!file) throw Failure(ExitCode::kAudioFile, "cannot write audio file " + path + ": " + sf_strerror(nullptr));
  // The peak chunk carries the time of writing; without it equal audio makes equal files.
  sf_command(file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  const auto frames = static_cast<sf_count_t>(clip.Frames());
  if (sf_writef_float(file.get(), clip.samples.data(), frames) != frames)
    throw Failure(ExitCode::kAudioFile, "cannot write audio file " + path + ": " + sf_strerror(file.get()));
}

AudioClip MixToMono(const AudioClip& clip) {
  AudioClip mono;
  mono.sampleRate = clip.sampleRate;
  mono.channels = 1;
  mono.samples.resize(clip.Frames());
  const auto channels = static_cast<std::size_t>(clip.channels);
  for (std::size_t frame = 0; frame < mono.samples.size(); ++frame) {
    double sum = 0.0;
    for (std::size_t channel = 0; channel < channels; ++channel) sum += clip.samples[frame * channels + channel];
    mono.samples[frame] = static_cast<float>(sum / static_cast<double>(channels));
  }
  return mono;
}

std::vector<float> ChannelOf(const AudioClip& clip, int channel) {
  std::vector<float> out(clip.Frames());
  const auto channels = static_cast<std::size_t>(clip.channels);
  for (std::size_t frame = 0; frame < out.size(); ++frame)
    out[frame] = clip.samples[frame * channels + static_cast<std::size_t>(channel)];
  return out;
}

}  // namespace orvane::auhost
