#include "host/auhost_audio_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "host/auhost_failure.h"
#include "host/auhost_output_file.h"

namespace orvane::auhost {
namespace {

struct SoundFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

[[noreturn]] void AudioFileError(const std::string& path, const std::string& reason) {
  throw Failure(ExitCode::kAudioFile, "cannot read audio file " + path + ": " + reason);
}

constexpr char kWrittenWhat[] = "audio file";
// Written data is handed to the disk in stretches of about this size, so that
// finishing the file has little left to wait for.
constexpr std::size_t kStoreEveryBytes = std::size_t{1} << 20;

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
  AudioFileWriter writer(path, clip.sampleRate, clip.channels);
  writer.Write(clip.samples);
  writer.Finish();
}

AudioFileWriter::AudioFileWriter(const std::string& path, double sampleRate, int channels)
    : mPath(path), mChannels(channels), mFile(path) {
  if (!mFile.IsOpen()) {
    RequireReplaced(plugkit::EReplaceFileResult::kCouldNotCreate, mPath, ExitCode::kAudioFile, kWrittenWhat);
  }
  SF_INFO info{};
  info.samplerate = static_cast<int>(sampleRate);
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  mSound = sf_open_fd(mFile.Descriptor(), SFM_WRITE, &info, SF_FALSE);
  if (!mSound) Fail(sf_strerror(nullptr));
  // The peak chunk carries the time of writing; without it equal audio makes equal files.
  sf_command(mSound, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioFileWriter::~AudioFileWriter() {
  if (mSound) sf_close(mSound);
}

void AudioFileWriter::Write(std::span<const float> interleaved) {
  const auto frames = static_cast<sf_count_t>(interleaved.size() / static_cast<std::size_t>(mChannels));
  if (sf_writef_float(mSound, interleaved.data(), frames) != frames) Fail(sf_strerror(mSound));
  mUnstoredBytes += interleaved.size_bytes();
  if (mUnstoredBytes >= kStoreEveryBytes) {
    mFile.StartStoring();
    mUnstoredBytes = 0;
  }
}

void AudioFileWriter::Finish() {
  // Closing writes the header's final sizes.
  const int closed = sf_close(mSound);
  mSound = nullptr;
  if (closed != 0) Fail("the file could not be completed");
  RequireReplaced(mFile.Commit(), mPath, ExitCode::kAudioFile, kWrittenWhat);
}

void AudioFileWriter::Fail(const std::string& reason) const {
  throw Failure(ExitCode::kAudioFile, std::string("cannot write ") + kWrittenWhat + " " + mPath + ": " + reason);
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
