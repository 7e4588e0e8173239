#include "host/auhost_audio_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <limits>
#include <span>

#include "host/auhost_failure.h"
#include "host/auhost_level_summary.h"
#include "scoped_test_folder.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using orvane::testing::ScopedTestFolder;
using orvane::testing::WriteFileBytes;

constexpr double kPi = 3.14159265358979323846;
AudioClip StereoRamp() {
  AudioClip clip;
  clip.sampleRate = 44100.0;
  clip.channels = 2;
  for (int frame = 0; frame < 100; ++frame) {
    clip.samples.push_back(static_cast<float>(frame) / 100.0f);
    clip.samples.push_back(-0.5f);
  }
  return clip;
}

std::string AudioErrorOf(const std::string& path) {
  try {
    ReadAudioFile(path);
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), ExitCode::kAudioFile);
    return failure.what();
  }
  ADD_FAILURE() << "the file was read";
  return {};
}

TEST(AuhostAudioFile, WavRoundTripKeepsRateChannelsAndExactSamples) {
  ScopedTestFolder folder;
  const std::string path = (folder.Path() / "ramp.wav").string();
  WriteAudioFile(path, StereoRamp());
  const AudioClip read = ReadAudioFile(path);
  EXPECT_EQ(read.sampleRate, 44100.0);
  EXPECT_EQ(read.channels, 2);
  EXPECT_EQ(read.samples, StereoRamp().samples);

  // No peak chunk: it carries the time of writing, and equal audio must make equal files.
  const std::string bytes = orvane::testing::ReadFileBytes(path);
  EXPECT_EQ(bytes.find("PEAK"), std::string::npos);

  // The extensible form: a 40-byte fmt chunk whose sub-format is float, and a fact chunk.
  const auto word = [&](std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  };
  const std::size_t fmt = bytes.find("fmt ");
  ASSERT_NE(fmt, std::string::npos);
  EXPECT_EQ(word(fmt + 4), 40);
  EXPECT_EQ(word(fmt + 8), 0xFFFE);
  EXPECT_EQ(word(fmt + 32), 3) << "float";
  EXPECT_NE(bytes.find("fact"), std::string::npos);
}

TEST(AuhostAudioFile, AWriterReplacesTheFileOnlyWhenFinished) {
  ScopedTestFolder folder;
  const std::string path = (folder.Path() / "out.wav").string();
  WriteFileBytes(path, "previous");
  const std::vector<float>& samples = StereoRamp().samples;
  const std::span<const float> firstHalf(samples.data(), samples.size() / 2);
  {
    AudioFileWriter abandoned(path, 44100.0, 2);
    abandoned.Write(firstHalf);
  }
  EXPECT_EQ(orvane::testing::ReadFileBytes(path), "previous");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "a temporary file was left";

  AudioFileWriter writer(path, 44100.0, 2);
  writer.Write(firstHalf);
  writer.Write(std::span<const float>(samples).subspan(firstHalf.size()));
  writer.Finish();
  EXPECT_EQ(ReadAudioFile(path).samples, samples);
}

TEST(AuhostAudioFile, UnreadableFilesNameTheFileAndTheReason) {
  ScopedTestFolder folder;
  WriteFileBytes(folder.Path() / "text.wav", "this is not a sound");
  std::filesystem::create_directory(folder.Path() / "folder.wav");
  const struct {
    std::string name;
    std::string reason;
  } cases[] = {
      {"missing.wav", "no such file"},
      {"folder.wav", "it is a folder"},
      {"text.wav", "it is not an audio file auhost can read ("},
  };
  for (const auto& c : cases) {
    const std::string path = (folder.Path() / c.name).string();
    EXPECT_THAT(AudioErrorOf(path), HasSubstr("cannot read audio file " + path + ": " + c.reason));
  }
}

TEST(AuhostAudioFile, MixDownAveragesTheChannels) {
  std::vector<float> mono(100);
  MixToMono(StereoRamp().samples, 2, mono);
  EXPECT_FLOAT_EQ(mono[0], -0.25f);
  EXPECT_FLOAT_EQ(mono[50], 0.0f);
  EXPECT_EQ(ChannelOf(StereoRamp(), 1), std::vector<float>(100, -0.5f));
}

TEST(AuhostAudioFile, TheExtensionChoosesTheFormat) {
  ScopedTestFolder folder;
  AudioClip clip = StereoRamp();
  clip.samples[1] = 1.5f;  // beyond full scale
  const struct {
    std::string name;
    float tolerance;   // 0: exact
    float overSample;  // what 1.5 reads back as
  } cases[] = {
      {"out.wav", 0.0f, 1.5f},
      {"out.aif", 0.0f, 1.5f},
      {"OUT.AIFF", 0.0f, 1.5f},
      {"out.flac", 1.0f / 8388608.0f, 1.0f},  // 24 bits, clipped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (folder.Path() / c.name).string();
    WriteAudioFile(path, clip);
    const AudioClip read = ReadAudioFile(path);
    EXPECT_EQ(read.sampleRate, clip.sampleRate);
    ASSERT_EQ(read.samples.size(), clip.samples.size());
    EXPECT_NEAR(read.samples[1], c.overSample, c.tolerance);
    for (std::size_t i = 2; i < clip.samples.size(); ++i) ASSERT_NEAR(read.samples[i], clip.samples[i], c.tolerance);
  }
  for (const char* refused : {"out.mp3", "out"}) {
    const std::string path = (folder.Path() / refused).string();
    try {
      WriteAudioFile(path, clip);
      ADD_FAILURE() << refused << " was written";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Code(), ExitCode::kAudioFile);
      EXPECT_EQ(std::string(failure.what()),
                "cannot write audio file " + path + ": auhost writes only files named .wav, .aif, .aiff or .flac");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST(AuhostAudioFile, AHeaderPromisingMoreThanTheFileHoldsReadsWhatIsThere) {
  ScopedTestFolder folder;
  for (const char* name : {"cut.wav", "cut.aiff"}) {
    SCOPED_TRACE(name);
    const std::string path = (folder.Path() / name).string();
    WriteAudioFile(path, StereoRamp());
    const std::string whole = orvane::testing::ReadFileBytes(path);
    // Forty of the hundred stereo float frames are cut off the end.
    WriteFileBytes(path, whole.substr(0, whole.size() - 40 * 8));
    AudioFileReader reader(path);
    EXPECT_EQ(reader.StatedFrames(), 100u);
    EXPECT_EQ(reader.PresentFrames(), 60u);
    std::vector<float> frames(200);
    EXPECT_EQ(reader.Read(frames.data(), 100), 60u);
    for (std::size_t i = 0; i < 120; ++i) ASSERT_EQ(frames[i], StereoRamp().samples[i]) << i;
  }
}

TEST(AuhostLevelSummary, SineAndSilence) {
  AudioClip sine;
  sine.sampleRate = 48000.0;
  sine.channels = 1;
  for (int i = 0; i < 48000; ++i)
    sine.samples.push_back(static_cast<float>(0.5 * std::sin(2.0 * kPi * 1000.0 * i / 48000.0)));
  const Levels levels = MeasureLevels(sine);
  EXPECT_NEAR(levels.peakDb, -6.02, 0.01);
  EXPECT_NEAR(levels.rmsDb, -9.03, 0.01);
  EXPECT_EQ(FormatLevels(levels), "peak -6.0 dBFS, RMS -9.0 dBFS, 0 samples (0 %) at full scale");

  AudioClip silence = sine;
  std::fill(silence.samples.begin(), silence.samples.end(), 0.0f);
  EXPECT_EQ(MeasureLevels(silence).peakDb, kSilenceDb);
  EXPECT_EQ(MeasureLevels(silence).rmsDb, kSilenceDb);
  EXPECT_EQ(MeasureLevels(AudioClip{}).rmsDb, kSilenceDb);
}

TEST(AuhostLevelSummary, SamplesAtFullScaleAreCountedAcrossBlocks) {
  LevelMeter meter;
  meter.Add(std::vector<float>{0.5f, 1.0f, -1.0f});
  meter.Add(std::vector<float>{-2.0f, 0.999f, 0.0f, 0.25f, 0.0f});
  Levels levels = meter.Result();
  EXPECT_EQ(levels.fullScaleSamples, 3u);
  EXPECT_EQ(FormatLevels(levels), "peak 6.0 dBFS, RMS -0.4 dBFS, 3 samples (37.5 %) at full scale");

  // A longer block, its loudest sample negative; a sample that is no number is left out of peak and count.
  std::vector<float> longer;
  for (int i = 0; i < 7; ++i) longer.insert(longer.end(), {0.0f, -1.0f});
  longer.insert(longer.end(), {-3.0f, std::numeric_limits<float>::quiet_NaN()});
  meter.Add(longer);
  levels = meter.Result();
  EXPECT_EQ(levels.fullScaleSamples, 11u);
  EXPECT_NEAR(levels.peakDb, 9.54, 0.01);
}

TEST(AuhostLevelSummary, SquaresAreSummedLaneByLaneWhateverTheMachineComputesAtOnce) {
  // Two blocks, each with a few samples beyond whole runs of lanes.
  std::vector<float> first(1003);
  std::vector<float> second(517);
  for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<float>(std::sin(0.37 * i) / (1.0 + i % 13));
  for (std::size_t i = 0; i < second.size(); ++i) second[i] = static_cast<float>(std::cos(0.11 * i) * 1.5);
  LevelMeter meter;
  meter.Add(first);
  meter.Add(second);

  double lanes[LevelMeter::kLanes] = {};
  for (const std::vector<float>* block : {&first, &second}) {
    const std::size_t whole = block->size() / LevelMeter::kLanes * LevelMeter::kLanes;
    for (std::size_t i = 0; i < block->size(); ++i) {
      const double sample = (*block)[i];
      lanes[i < whole ? i % LevelMeter::kLanes : 0] += sample * sample;
    }
  }
  double sum = 0.0;
  for (const double lane : lanes) sum += lane;
  const Levels levels = meter.Result();
  EXPECT_EQ(levels.rmsDb, 20.0 * std::log10(std::sqrt(sum / static_cast<double>(first.size() + second.size()))));
  EXPECT_EQ(levels.fullScaleSamples, static_cast<std::size_t>(std::count_if(
                                         second.begin(), second.end(), [](float x) { return std::fabs(x) >= 1.0f; })));
}

TEST(AuhostLevelSummary, SpeedIsAudioOverWallTime) {
  EXPECT_EQ(FormatRenderSpeed(6.0, 0.5), "12.0x real time (6.00 s of audio in 0.500 s)");
  EXPECT_EQ(FormatRenderSpeed(6.0, 0.0), "too fast to time (6.00 s of audio)");
}

}  // namespace
}  // namespace orvane::auhost
