// auhost rendering through real bundles: the test plug-in (a gain of one on
// the first output channel) and the product; state carried between processes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "auhost_process.h"
#include "host/auhost_audio_file.h"
#include "design/design_file.h"
#include "host/auhost_class_info.h"
#include "host/auhost_failure.h"
#include "scoped_test_folder.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using orvane::testing::ProcessResult;
using orvane::testing::ReadFileBytes;
using orvane::testing::ScopedTestFolder;

constexpr int Code(ExitCode code) {
  return static_cast<int>(code);
}

class AuhostRendering : public ::testing::Test {
protected:
  void SetUp() override {
    const ProcessResult made = Run(PLUCK_NOTES_PROGRAM, {Path("guitar.wav")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }

  std::string Path(const std::string& name) const { return (folder.Path() / name).string(); }
  ProcessResult Run(const std::string& program, const std::vector<std::string>& arguments) const {
    return orvane::testing::RunProgram(program, arguments, folder.Path());
  }
  // Runs auhost and expects it to succeed.
  ProcessResult Auhost(const std::vector<std::string>& arguments) const {
    ProcessResult result = Run(AUHOST_PROGRAM, arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result;
  }
  ProcessResult AuhostFailing(const std::vector<std::string>& arguments) const {
    return Run(AUHOST_PROGRAM, arguments);
  }

  ScopedTestFolder folder;
};

TEST_F(AuhostRendering, TestPluginPassesTheInputToItsFirstOutput) {
  const ProcessResult result = Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), Path("out.wav"),
                                       "--block", "100", "--cc", "7=100@0.5"});
  EXPECT_THAT(result.out, HasSubstr("(2 channels, 48000 Hz, block 100)"));
  EXPECT_THAT(result.out, HasSubstr("input:  peak -6.5 dBFS"));
  EXPECT_THAT(result.out, HasSubstr("output: peak -6.5 dBFS"));
  EXPECT_THAT(result.out, HasSubstr("x real time"));

  const AudioClip input = ReadAudioFile(Path("guitar.wav"));
  const AudioClip output = ReadAudioFile(Path("out.wav"));
  EXPECT_EQ(output.sampleRate, input.sampleRate);
  ASSERT_EQ(output.channels, 2);
  EXPECT_EQ(ChannelOf(output, 0), input.samples);
}

TEST_F(AuhostRendering, LongRendersShowProgressAtTheFilesOwnRate) {
  AudioClip longClip;
  longClip.sampleRate = 22050.0;
  longClip.channels = 1;
  longClip.samples.assign(static_cast<std::size_t>(25 * 22050), 0.25f);
  WriteAudioFile(Path("long.wav"), longClip);

  const ProcessResult result = Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("long.wav"), Path("out.wav")});
  EXPECT_THAT(result.err, HasSubstr("progress: 100%"));
  EXPECT_EQ(ReadAudioFile(Path("out.wav")).sampleRate, 22050.0);
  EXPECT_EQ(ReadAudioFile(Path("out.wav")).Frames(), longClip.Frames());

  const ProcessResult shortRender = Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), Path("out.wav")});
  EXPECT_THAT(shortRender.err, Not(HasSubstr("progress")));
}

TEST_F(AuhostRendering, StereoFilesAreMixedDownForAOneInputComponent) {
  AudioClip stereo = ReadAudioFile(Path("guitar.wav"));
  const std::vector<float> mono = stereo.samples;
  stereo.channels = 2;
  stereo.samples.clear();
  for (const float sample : mono) stereo.samples.insert(stereo.samples.end(), {sample, 0.0f});
  WriteAudioFile(Path("stereo.wav"), stereo);

  const ProcessResult result =
      Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("stereo.wav"), Path("out.wav")});
  EXPECT_THAT(result.out, HasSubstr("mixing the 2 channels of " + Path("stereo.wav") +
                                    " down to one: the component takes one input channel"));
  const AudioClip output = ReadAudioFile(Path("out.wav"));
  ASSERT_EQ(output.Frames(), mono.size());
  EXPECT_NEAR(ChannelOf(output, 0)[1000], mono[1000] / 2.0f, 1e-6f);
}

TEST_F(AuhostRendering, AnOutputThatCannotBeWritten) {
  const std::string output = Path("no/such/folder/out.wav");
  const ProcessResult result = AuhostFailing({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), output});
  EXPECT_EQ(result.exitCode, Code(ExitCode::kAudioFile));
  EXPECT_THAT(result.err, HasSubstr("auhost: cannot write audio file " + output));
}

TEST_F(AuhostRendering, StateOfAnotherComponentIsRefused) {
  Auhost({"state", "save", ORVANE_BUNDLE, Path("product.json")});
  const ProcessResult refused =
      AuhostFailing({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), Path("out.wav"), "--state",
                     Path("product.json")});
  EXPECT_EQ(refused.exitCode, Code(ExitCode::kStateFile));
  EXPECT_THAT(refused.err, HasSubstr("auhost: the component refused the state (status -10851)"));
}

TEST_F(AuhostRendering, ProductInfoShowsItsChannelsAndCodes) {
  const ProcessResult info = Auhost({"info", ORVANE_BUNDLE});
  EXPECT_THAT(info.out, HasSubstr("type aumf, subtype Orvn, manufacturer Vltn"));
  EXPECT_THAT(info.out, HasSubstr("channel configurations: 1-2 1-1"));
  EXPECT_THAT(info.out, HasSubstr("0 ClassInfo, 8 bytes"));
}

TEST_F(AuhostRendering, ProductStateSavedByOneProcessRendersIdenticallyInAnother) {
  const std::string design = std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv";
  Auhost({"state", "save", ORVANE_BUNDLE, Path("state.json"), "--design", design, "--oversampling", "2"});
  const auto saved = nlohmann::json::parse(ReadFileBytes(Path("state.json")));
  EXPECT_EQ(saved["subtype"], 0x4F72766E);

  Auhost({"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("direct.wav"), "--design", design, "--oversampling", "2"});
  Auhost({"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("restored.wav"), "--state", Path("state.json")});
  Auhost({"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("default.wav")});

  const std::string restored = ReadFileBytes(Path("restored.wav"));
  EXPECT_TRUE(restored == ReadFileBytes(Path("direct.wav")));
  EXPECT_FALSE(restored == ReadFileBytes(Path("default.wav")));
  const AudioClip output = ReadAudioFile(Path("restored.wav"));
  ASSERT_EQ(output.channels, 2);
  // One input feeds both outputs.
  EXPECT_EQ(ChannelOf(output, 0), ChannelOf(output, 1));
}

TEST_F(AuhostRendering, ProductTakesTheEditedDesignAndOversampling) {
  const std::string design = std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv";
  Auhost({"state", "save", ORVANE_BUNDLE, Path("state.json"), "--design", design, "--oversampling", "8"});
  // What the product wrote back after taking the edited state.
  const ClassInfo saved = ReadStateFile(Path("state.json"));
  ASSERT_TRUE(saved.data);
  ASSERT_GT(saved.data->size(), 12u);
  const auto document = nlohmann::json::parse(saved.data->begin() + 12, saved.data->end());
  EXPECT_EQ(document["oversampling"], 8);
  EXPECT_EQ(document["design"]["name"], "Demo High Gain");
  EXPECT_EQ(document["playerControlValues"], nlohmann::json::array({70.0}));
}

TEST_F(AuhostRendering, ControllerChangesReachTheProductAtTheirTime) {
  Design design = MakeDefaultDesign();
  design.script = "slider: \"Drive\"\n[cc7]\ngain = x\n";
  design.playerControlValues = {50.0};
  std::string error;
  ASSERT_TRUE(WriteDesignFile(Path("drive.orv"), design, error)) << error;

  const auto render = [&](const std::string& name, const std::vector<std::string>& changes) {
    std::vector<std::string> arguments = {"render", ORVANE_BUNDLE, Path("guitar.wav"), Path(name), "--design",
                                          Path("drive.orv")};
    for (const std::string& change : changes) arguments.insert(arguments.end(), {"--cc", change});
    Auhost(arguments);
    return ChannelOf(ReadAudioFile(Path(name)), 0);
  };
  const std::vector<float> untouched = render("untouched.wav", {});
  const std::vector<float> late = render("late.wav", {"7=0@3"});
  // The product takes controller moves at the start of a block.
  const auto changeFrame = static_cast<std::ptrdiff_t>(3 * 48000);
  const std::ptrdiff_t blockBeforeChange = changeFrame - 512;
  ASSERT_EQ(late.size(), untouched.size());
  EXPECT_TRUE(std::equal(late.begin(), late.begin() + blockBeforeChange, untouched.begin()));
  EXPECT_FALSE(std::equal(late.begin() + changeFrame, late.end(), untouched.begin() + changeFrame));
}

}  // namespace
}  // namespace orvane::auhost
