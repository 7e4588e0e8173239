#include "host/auhost_audio_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>

#include "host/auhost_failure.h"
#include "host/auhost_path_problems.h"

namespace orvane::auhost {
namespace {

constexpr char kWhat[] = "audio file";
// Written data is handed to the disk in stretches of about this size, so that
// finishing the file has little left to wait for.
constexpr std::size_t kStoreEveryBytes = std::size_t{1} << 20;

[[noreturn]] void ReadError(const std::string& path, const std::string& reason) {
  throw Failure(ExitCode::kAudioFile, "cannot read audio file " + path + ": " + reason);
}

// The chunk that holds the samples, by container; AIFF's starts with an
// offset and a block size of 4 bytes each.
struct SampleChunk {
  int container;
  const char* id;
  std::uint32_t leadingBytes;
};
constexpr SampleChunk kSampleChunks[] = {
    {SF_FORMAT_WAV, "data", 0},
    {SF_FORMAT_WAVEX, "data", 0},
    {SF_FORMAT_AIFF, "SSND", 8},
};
// A length a writer puts in the header when it does not know the length yet.
constexpr std::uint32_t kUnknownChunkLength = std::numeric_limits<std::uint32_t>::max();

struct SampleWidth {
  int encoding;
  std::uint32_t bytes;
};
constexpr SampleWidth kSampleWidths[] = {
    {SF_FORMAT_PCM_S8, 1}, {SF_FORMAT_PCM_U8, 1}, {SF_FORMAT_ULAW, 1},  {SF_FORMAT_ALAW, 1},
    {SF_FORMAT_PCM_16, 2}, {SF_FORMAT_PCM_24, 3}, {SF_FORMAT_PCM_32, 4}, {SF_FORMAT_FLOAT, 4},
    {SF_FORMAT_DOUBLE, 8},
};

// The frames the header's sample chunk states, for uncompressed WAV and AIFF;
// for anything else libsndfile's own count stands.
std::size_t StatedFrameCount(SNDFILE* file, const SF_INFO& info) {
  const int container = info.format & SF_FORMAT_TYPEMASK;
  const int encoding = info.format & SF_FORMAT_SUBMASK;
  const auto chunk = std::find_if(std::begin(kSampleChunks), std::end(kSampleChunks),
                                  [&](const SampleChunk& c) { return c.container == container; });
  const auto width = std::find_if(std::begin(kSampleWidths), std::end(kSampleWidths),
                                  [&](const SampleWidth& w) { return w.encoding == encoding; });
  const auto present = static_cast<std::size_t>(info.frames);
  if (chunk == std::end(kSampleChunks) || width == std::end(kSampleWidths)) return present;
  SF_CHUNK_INFO wanted{};
  std::strncpy(wanted.id, chunk->id, sizeof wanted.id - 1);
  wanted.id_size = static_cast<unsigned>(std::strlen(chunk->id));
  SF_CHUNK_ITERATOR* found = sf_get_chunk_iterator(file, &wanted);
  SF_CHUNK_INFO stated{};
  if (!found || sf_get_chunk_size(found, &stated) != SF_ERR_NO_ERROR) return present;
  if (stated.datalen == kUnknownChunkLength || stated.datalen < chunk->leadingBytes) return present;
  const std::size_t frameBytes = width->bytes * static_cast<std::size_t>(info.channels);
  return std::max(present, (stated.datalen - chunk->leadingBytes) / frameBytes);
}

struct WrittenFormat {
  const char* extension;
  int format;
};
constexpr WrittenFormat kWrittenFormats[] = {
    // The extensible form: float samples in a plain fmt chunk make common tools warn.
    {".wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT},
    {".aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
    {".aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
    {".flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
};

const WrittenFormat* FormatFor(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const WrittenFormat& format : kWrittenFormats)
    if (extension == format.extension) return &format;
  return nullptr;
}

std::string WritableExtensions() {
  std::string text;
  const std::size_t count = std::size(kWrittenFormats);
  for (std::size_t i = 0; i < count; ++i)
    text += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + kWrittenFormats[i].extension;
  return text;
}

}  // namespace

AudioFileReader::AudioFileReader(const std::string& path) : mPath(path) {
  mFile.reset(sf_open(path.c_str(), SFM_READ, &mInfo));
  if (!mFile) {
    const std::string problem = ReadingProblem(path);
    if (!problem.empty()) ReadError(path, problem);
    ReadError(path, std::string("it is not an audio file auhost can read (") + sf_strerror(nullptr) + ")");
  }
  if (mInfo.channels < 1) ReadError(path, "it holds no channels");
  if (mInfo.samplerate < 1) ReadError(path, "it has no sample rate");
  mStatedFrames = StatedFrameCount(mFile.get(), mInfo);
}

std::size_t AudioFileReader::Read(float* to, std::size_t frames) {
  const sf_count_t read = sf_readf_float(mFile.get(), to, static_cast<sf_count_t>(frames));
  if (read < 0) ReadError(mPath, sf_strerror(mFile.get()));
  mFramesRead += static_cast<std::size_t>(read);
  return static_cast<std::size_t>(read);
}

const std::string& CheckWritableAudioPath(const std::string& path) {
  if (!FormatFor(path))
    throw Failure(ExitCode::kAudioFile,
                  "cannot write audio file " + path + ": auhost writes only files named " + WritableExtensions());
  return CheckOutputPath(path, ExitCode::kAudioFile, kWhat);
}

AudioFileWriter::AudioFileWriter(const std::string& path, double sampleRate, int channels)
    : mOutput(CheckWritableAudioPath(path), ExitCode::kAudioFile, kWhat), mChannels(static_cast<std::size_t>(channels)) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(sampleRate);
  info.channels = channels;
  info.format = FormatFor(path)->format;
  mFile.reset(sf_open_fd(mOutput.Descriptor(), SFM_WRITE, &info, SF_FALSE));
  if (!mFile) mOutput.Fail(sf_strerror(nullptr));
  // The peak chunk carries the time of writing; without it equal audio makes equal files.
  sf_command(mFile.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  // Integer samples beyond full scale are clipped rather than wrapped around.
  sf_command(mFile.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

void AudioFileWriter::Write(std::span<const float> interleaved) {
  const auto frames = static_cast<sf_count_t>(interleaved.size() / mChannels);
  if (sf_writef_float(mFile.get(), interleaved.data(), frames) != frames) mOutput.Fail(sf_strerror(mFile.get()));
  mUnstoredBytes += interleaved.size_bytes();
  if (mUnstoredBytes >= kStoreEveryBytes) {
    mOutput.StartStoring();
    mUnstoredBytes = 0;
  }
}

void AudioFileWriter::Finish() {
  // Closing writes the header's final sizes.
  if (sf_close(mFile.release()) != 0) mOutput.Fail("the file could not be completed");
  mOutput.Commit();
}

AudioClip ReadAudioFile(const std::string& path) {
  AudioFileReader reader(path);
  AudioClip clip;
  clip.sampleRate = reader.SampleRate();
  clip.channels = reader.Channels();
  clip.samples.resize(reader.PresentFrames() * static_cast<std::size_t>(clip.channels));
  clip.samples.resize(reader.Read(clip.samples.data(), reader.PresentFrames()) *
                      static_cast<std::size_t>(clip.channels));
  return clip;
}

void WriteAudioFile(const std::string& path, const AudioClip& clip) {
  AudioFileWriter writer(path, clip.sampleRate, clip.channels);
  writer.Write(clip.samples);
  writer.Finish();
}

void MixToMono(std::span<const float> interleaved, int channels, std::span<float> mono) {
  const auto count = static_cast<std::size_t>(channels);
  for (std::size_t frame = 0; frame < mono.size(); ++frame) {
    double sum = 0.0;
    for (std::size_t channel = 0; channel < count; ++channel) sum += interleaved[frame * count + channel];
    mono[frame] = static_cast<float>(sum / static_cast<double>(channels));
  }
}

std::vector<float> ChannelOf(const AudioClip& clip, int channel) {
  std::vector<float> out(clip.Frames());
  const auto channels = static_cast<std::size_t>(clip.channels);
  for (std::size_t frame = 0; frame < out.size(); ++frame)
    out[frame] = clip.samples[frame * channels + static_cast<std::size_t>(channel)];
  return out;
}

}  // namespace orvane::auhost
