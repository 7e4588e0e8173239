// Rendering a stream through the test plug-in (its input on its first
// output) while the input is read ahead and the output taken on the calling
// thread and rendered on another: what arrives, and what a failure on either
// side does to the others. And the output file, handed to the disk on a
// thread of its own while it is written.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/audio_unit_instance.h"
#include "host/auhost_audio_file.h"
#include "host/auhost_render.h"
#include "host/component_bundle.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace orvane::auhost {
namespace {

constexpr double kRate = 48000.0;
constexpr std::uint32_t kBlock = 100;

float Sample(std::size_t frame) { return static_cast<float>(frame % 1000) / 1000.0f; }

struct StreamCase {
  const char* name;
  std::size_t frames;                         // of input
  std::optional<std::size_t> inputThrowsAt;  // the call of the input that throws
  bool outputThrows = false;
  std::string failure;  // what RenderStream throws; empty when it succeeds
};

TEST(AuhostRenderStream, TheOutputFollowsTheInputAndAFailureOnEitherSideStopsAll) {
  std::string error;
  const auto bundle = host::ComponentBundle::Load(AU_TEST_PLUGIN_BUNDLE, error);
  ASSERT_TRUE(bundle) << error;
  const StreamCase cases[] = {
      {"three stretches and a part", 3 * kStreamFrames + 1234, std::nullopt, false, ""},
      {"exactly two stretches", 2 * kStreamFrames, std::nullopt, false, ""},
      {"the input fails on its third stretch", 5 * kStreamFrames, 2, false, "the disk went away"},
      {"the output fails", 5 * kStreamFrames, std::nullopt, true, "the disk is full"},
  };
  for (const StreamCase& test : cases) {
    SCOPED_TRACE(test.name);
    OSStatus status = noErr;
    const auto instance = host::AudioUnitInstance::Open(*bundle, status);
    ASSERT_TRUE(instance);
    const auto layout = ChooseChannelLayout(ReadChannelConfigurations(instance->Unit()), 1);
    ASSERT_TRUE(layout);

    RenderRequest request;
    request.blockSize = kBlock;
    request.layout = *layout;
    request.prerollFrames = 777;
    request.expectedFrames = test.frames;
    std::size_t read = 0;
    std::size_t calls = 0;
    bool ended = false;
    bool calledAfterTheEnd = false;
    request.input = [&](float* to, std::size_t frames) {
      calledAfterTheEnd |= ended;
      if (test.inputThrowsAt && calls == *test.inputThrowsAt) throw std::runtime_error(test.failure);
      ++calls;
      const std::size_t given = std::min(frames, test.frames - read);
      for (std::size_t i = 0; i < given; ++i) to[i] = Sample(read + i);
      read += given;
      ended = given < frames;
      return given;
    };
    std::vector<float> first;  // the first output channel
    request.output = [&](std::span<const float> frames) {
      if (test.outputThrows) throw std::runtime_error(test.failure);
      for (std::size_t i = 0; i < frames.size(); i += static_cast<std::size_t>(layout->outputChannels))
        first.push_back(frames[i]);
    };

    if (!test.failure.empty()) {
      try {
        RenderStream(instance->Unit(), kRate, request);
        ADD_FAILURE() << "no failure";
      } catch (const std::runtime_error& failure) {
        EXPECT_EQ(failure.what(), test.failure);
      }
      continue;
    }
    const RenderResult result = RenderStream(instance->Unit(), kRate, request);
    EXPECT_EQ(result.frames, test.frames);
    EXPECT_FALSE(calledAfterTheEnd);
    ASSERT_EQ(first.size(), test.frames);
    for (std::size_t i = 0; i < first.size(); ++i)
      ASSERT_EQ(first[i], Sample(i)) << i;
  }
}

TEST(AuhostRenderStream, AnOutputHandedToTheDiskAsItIsWrittenIsWholeOrNotThere) {
  const TempFolder folder;
  const std::string path = (folder.path() / "out.wav").string();
  constexpr std::size_t kPieces = 40;  // of 8192 stereo frames: 2.5 MB, several hand-offs
  std::vector<float> piece(2 * 8192);
  for (const bool finished : {false, true}) {
    SCOPED_TRACE(finished ? "finished" : "abandoned");
    {
      AudioFileWriter writer(path, kRate, 2);
      for (std::size_t i = 0; i < kPieces; ++i) {
        std::fill(piece.begin(), piece.end(), Sample(i));
        writer.Write(piece);
      }
      if (finished) writer.Finish();
    }
    EXPECT_EQ(std::filesystem::exists(path), finished);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), finished ? 1 : 0);
  }
  const AudioClip clip = ReadAudioFile(path);
  ASSERT_EQ(clip.samples.size(), kPieces * piece.size());
  for (std::size_t i = 0; i < clip.samples.size(); ++i) ASSERT_EQ(clip.samples[i], Sample(i / piece.size())) << i;
}

}  // namespace
}  // namespace orvane::auhost
