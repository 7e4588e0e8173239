#include "host/auhost_audio_file.h"

#include <sndfile.h>

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

// A file in memory for libsndfile to write into, so that the file on disk is
// replaced only with a complete one.
class MemoryFile {
public:
  static SF_VIRTUAL_IO Io() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* self) { return static_cast<sf_count_t>(Of(self).mBytes.size()); };
    io.seek = [](sf_count_t offset, int whence, void* self) { return Of(self).Seek(offset, whence); };
    io.read = [](void* to, sf_count_t count, void* self) { return Of(self).Read(to, count); };
    io.write = [](const void* from, sf_count_t count, void* self) { return Of(self).Write(from, count); };
    io.tell = [](void* self) { return Of(self).mPosition; };
    return io;
  }
  const std::string& Bytes() const { return mBytes; }

private:
  static MemoryFile& Of(void* self) { return *static_cast<MemoryFile*>(self); }

  sf_count_t Seek(sf_count_t offset, int whence) {
    const sf_count_t base = whence == SEEK_CUR ? mPosition
                            : whence == SEEK_END ? static_cast<sf_count_t>(mBytes.size())
                                                 : 0;
    if (base + offset < 0) return -1;
    mPosition = base + offset;
    return mPosition;
  }
  sf_count_t Read(void* to, sf_count_t count) {
    const sf_count_t available = std::max<sf_count_t>(static_cast<sf_count_t>(mBytes.size()) - mPosition, 0);
    const sf_count_t n = std::min(count, available);
    if (n > 0) std::memcpy(to, mBytes.data() + mPosition, static_cast<std::size_t>(n));
    mPosition += n;
    return n;
  }
  sf_count_t Write(const void* from, sf_count_t count) {
    const auto end = static_cast<std::size_t>(mPosition + count);
    if (end > mBytes.size()) mBytes.resize(end);
    std::memcpy(mBytes.data() + mPosition, from, static_cast<std::size_t>(count));
    mPosition += count;
    return count;
  }

  std::string mBytes;
  sf_count_t mPosition = 0;
};

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
  constexpr char kWhat[] = "audio file";
  SF_INFO info{};
  info.samplerate = static_cast<int>(clip.sampleRate);
  info.channels = clip.channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  MemoryFile memory;
  SF_VIRTUAL_IO io = MemoryFile::Io();
  SoundFile file(sf_open_virtual(&io, SFM_WRITE, &info, &memory));
  const auto fail = [&](const char* reason) {
    throw Failure(ExitCode::kAudioFile, std::string("cannot write ") + kWhat + " " + path + ": " + reason);
  };
  if (!file) fail(sf_strerror(nullptr));
  // The peak chunk carries the time of writing; without it equal audio makes equal files.
  sf_command(file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  const auto frames = static_cast<sf_count_t>(clip.Frames());
  if (sf_writef_float(file.get(), clip.samples.data(), frames) != frames) fail(sf_strerror(file.get()));
  // Closing writes the header's final sizes.
  if (sf_close(file.release()) != 0) fail("the file could not be completed");
  ReplaceOutputFile(path, memory.Bytes(), ExitCode::kAudioFile, kWhat);
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
