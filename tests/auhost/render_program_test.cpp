// auhost rendering through real bundles: the test plug-in (a gain of one on
// the first output channel) and the product; state carried between processes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <numbers>
#include <sstream>

#include "auhost_process.h"
#include "exit_status.h"
#include "host/auhost_audio_file.h"
#include "design/design_file.h"
#include "host/auhost_class_info.h"
#include "host/auhost_command_line.h"
#include "host/auhost_failure.h"
#include "host/auhost_level_summary.h"
#include "host/auhost_render.h"
#include "scoped_test_folder.h"
#include "support/test_paths.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using orvane::testing::ProcessResult;
using orvane::testing::ReadFileBytes;
using orvane::testing::ScopedEnvironmentVariable;
using orvane::testing::ScopedTestFolder;

constexpr double kRate = 48000.0;

AudioClip Sine(double frequency, double levelDb, double seconds) {
  AudioClip clip;
  clip.sampleRate = kRate;
  clip.channels = 1;
  clip.samples.resize(static_cast<std::size_t>(seconds * kRate));
  const double amplitude = std::pow(10.0, levelDb / 20.0);
  for (std::size_t i = 0; i < clip.samples.size(); ++i)
    clip.samples[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / kRate));
  return clip;
}

// Power at one frequency over a Hann-windowed stretch of samples (Goertzel).
double PowerAt(const std::vector<float>& samples, double frequency) {
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / kRate);
  const double n = static_cast<double>(samples.size());
  double previous = 0.0, beforePrevious = 0.0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
    const double current = window * samples[i] + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

// Power of the harmonics of `fundamental` that fold back below half the
// rate, relative to the fundamental, in dB. Folded harmonics that land near
// a true harmonic are left out.
double AliasLevelDb(const std::vector<float>& samples, double fundamental) {
  constexpr int kHighestHarmonic = 60;
  constexpr double kGuardHz = 200.0;
  const double nyquist = kRate / 2.0;
  double aliasPower = 0.0;
  for (int k = 1; k <= kHighestHarmonic; ++k) {
    const double harmonic = k * fundamental;
    if (harmonic < nyquist) continue;
    double folded = std::fmod(harmonic, kRate);
    if (folded > nyquist) folded = kRate - folded;
    bool nearHarmonic = folded < kGuardHz;
    for (double h = fundamental; h < nyquist; h += fundamental) nearHarmonic |= std::fabs(folded - h) < kGuardHz;
    if (!nearHarmonic) aliasPower += PowerAt(samples, folded);
  }
  return 10.0 * std::log10(aliasPower / PowerAt(samples, fundamental));
}

// Full-scale samples over all samples.
double ClampedShare(const std::vector<float>& samples) {
  const auto clamped = std::count_if(samples.begin(), samples.end(), [](float x) { return std::fabs(x) >= 1.0f; });
  return static_cast<double>(clamped) / static_cast<double>(samples.size());
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
  const AudioClip input = ReadAudioFile(Path("guitar.wav"));
  for (const char* preroll : {"--preroll=1.5", "--preroll=0"}) {
    SCOPED_TRACE(preroll);
    const ProcessResult result = Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), Path("out.wav"),
                                         "--block", "100", "--cc", "7=100@0.5", preroll});
    EXPECT_THAT(result.out, HasSubstr("(2 channels, 48000 Hz, block 100)"));
    EXPECT_THAT(result.out, HasSubstr("input:  peak -6.5 dBFS"));
    EXPECT_THAT(result.out, HasSubstr("output: peak -6.5 dBFS"));
    EXPECT_THAT(result.out, HasSubstr("x real time"));

    const AudioClip output = ReadAudioFile(Path("out.wav"));
    EXPECT_EQ(output.sampleRate, input.sampleRate);
    ASSERT_EQ(output.channels, 2);
    EXPECT_EQ(ChannelOf(output, 0), input.samples);
  }
}

TEST_F(AuhostRendering, AnOutputThatIsTheInputIsRefusedAndTheInputKept) {
  std::filesystem::create_directory(folder.Path() / "sub");
  std::filesystem::create_symlink(Path("guitar.wav"), Path("link.wav"));
  const std::string recording = ReadFileBytes(Path("guitar.wav"));
  for (const std::string& output : {Path("guitar.wav"), Path("sub/../guitar.wav"), Path("link.wav")}) {
    SCOPED_TRACE(output);
    const ProcessResult refused = AuhostFailing({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), output});
    EXPECT_EQ(refused.exitCode, Code(ExitCode::kAudioFile));
    EXPECT_THAT(refused.err, HasSubstr("auhost: the output " + output + " is the input file " + Path("guitar.wav") +
                                       ": auhost does not write over the recording it plays"));
    EXPECT_TRUE(ReadFileBytes(Path("guitar.wav")) == recording);
  }
}

TEST_F(AuhostRendering, ThePrerollLetsTheFirstSampleBeHeardWhateverTheBlock) {
  AudioClip five = Sine(1000.0, -6.0, 0.0);
  five.samples = {0.5f, -0.5f, 0.5f, -0.5f, 0.5f};
  WriteAudioFile(Path("five.wav"), five);
  WriteAudioFile(Path("second.wav"), Sine(440.0, -12.0, 1.0));
  constexpr std::size_t kFirstTenMs = 480;
  const auto render = [&](const std::string& input, const std::string& block, const std::string& preroll) {
    const std::string output = Path(input + "." + block + "." + preroll + ".wav");
    const ProcessResult result = Auhost({"render", ORVANE_BUNDLE, Path(input), output, "--block", block, "--preroll",
                                         preroll});
    EXPECT_THAT(result.out, HasSubstr(preroll == "0" ? "pre-roll: none"
                                                     : "pre-roll: 1.5 s of silence (72000 frames) before the input"));
    return ChannelOf(ReadAudioFile(output), 0);
  };
  const auto peakDb = [](const std::vector<float>& samples, std::size_t frames) {
    AudioClip start{kRate, 1, {samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(frames)}};
    return MeasureLevels(start).peakDb;
  };
  for (const std::string input : {"five.wav", "second.wav"}) {
    SCOPED_TRACE(input);
    const std::vector<float> at512 = render(input, "512", "1.5");
    const std::size_t start = std::min(at512.size(), kFirstTenMs);
    EXPECT_GT(peakDb(at512, start), -40.0);
    EXPECT_EQ(render(input, "64", "1.5"), at512);
    EXPECT_EQ(render(input, "4096", "1.5"), at512);
    // Without it the start stays muted while the component settles, for a
    // time that depends on the block size, as before.
    EXPECT_EQ(peakDb(render(input, "512", "0"), start), kSilenceDb);
  }
  EXPECT_NE(render("second.wav", "64", "0"), render("second.wav", "4096", "0"));
}

TEST_F(AuhostRendering, AFileCutShortRendersWhatItHoldsAndSaysSo) {
  const AudioClip whole = ReadAudioFile(Path("guitar.wav"));
  const std::string bytes = ReadFileBytes(Path("guitar.wav"));
  // 24-bit mono: cut 100000 frames off the end.
  constexpr std::size_t kCutFrames = 100000;
  orvane::testing::WriteFileBytes(Path("cut.wav"), bytes.substr(0, bytes.size() - kCutFrames * 3));
  const std::size_t present = whole.Frames() - kCutFrames;

  const ProcessResult result = Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("cut.wav"), Path("out.wav")});
  const std::string warning = Path("cut.wav") + " ends before its stated length: its header states " +
                              std::to_string(whole.Frames()) + " frames, the file holds " + std::to_string(present) +
                              "; the " + std::to_string(present) + " present are rendered";
  EXPECT_THAT(result.err, HasSubstr("auhost: warning: " + warning));
  EXPECT_THAT(result.out, HasSubstr("\nwarning: " + warning));
  const std::vector<float> output = ChannelOf(ReadAudioFile(Path("out.wav")), 0);
  EXPECT_EQ(output, std::vector<float>(whole.samples.begin(), whole.samples.begin() + static_cast<std::ptrdiff_t>(present)));
}

TEST_F(AuhostRendering, AStreamedRenderEqualsTheWholeFileRender) {
  // Three and a half stretches, in blocks that do not divide one.
  const AudioClip input = Sine(440.0, -12.0, 3.5 * static_cast<double>(kStreamFrames) / kRate);
  WriteAudioFile(Path("long.wav"), input);
  Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("long.wav"), Path("out.wav"), "--block", "100"});
  AudioClip expected{kRate, 2, {}};
  for (const float sample : input.samples) expected.samples.insert(expected.samples.end(), {sample, 0.0f});
  WriteAudioFile(Path("expected.wav"), expected);
  EXPECT_TRUE(ReadFileBytes(Path("out.wav")) == ReadFileBytes(Path("expected.wav")));
}

TEST_F(AuhostRendering, MemoryStaysBoundedWhateverTheLength) {
  constexpr double kTenMinutes = 600.0;
  // Far below the whole file in memory (above 600 MB for these ten minutes).
  constexpr long kPeakResidentBoundKilobytes = 128 * 1024;
  const auto frames = static_cast<std::size_t>(kTenMinutes * kRate);
  {
    // Silence compresses to little on disk and still takes ten minutes to play.
    AudioFileWriter writer(Path("long.flac"), kRate, 1);
    const std::vector<float> silence(kStreamFrames, 0.0f);
    for (std::size_t done = 0; done < frames; done += kStreamFrames)
      writer.Write(std::span<const float>(silence).first(std::min(kStreamFrames, frames - done)));
    writer.Finish();
  }
  const ProcessResult result = Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("long.flac"), Path("out.flac")});
  EXPECT_LT(result.peakResidentKilobytes, kPeakResidentBoundKilobytes);
  EXPECT_EQ(AudioFileReader(Path("out.flac")).PresentFrames(), frames);
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

TEST_F(AuhostRendering, AnOutputThatCannotBeWrittenSaysWhy) {
  std::filesystem::create_directory(Path("taken.wav"));
  const struct {
    std::string output;
    std::string reason;
  } cases[] = {
      {Path("no/such/folder/out.wav"), "its folder " + Path("no/such/folder") + " does not exist"},
      {Path("taken.wav"), "it is a folder"},
      {Path("guitar.wav/out.wav"), Path("guitar.wav") + " is not a folder"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = AuhostFailing({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), c.output});
    EXPECT_EQ(result.exitCode, Code(ExitCode::kAudioFile));
    EXPECT_THAT(result.err, HasSubstr("auhost: cannot write audio file " + c.output + ": " + c.reason + "\n"));
  }
}

TEST_F(AuhostRendering, AFailedWriteLeavesThePreviousFileIntact) {
  Auhost({"state", "save", ORVANE_BUNDLE, Path("state.json")});
  Auhost({"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("out.wav")});
  const struct {
    std::vector<std::string> arguments;
    std::string output;
    ExitCode code;
  } cases[] = {
      {{"state", "save", ORVANE_BUNDLE, Path("state.json"), "--oversampling", "2"}, "state.json", ExitCode::kStateFile},
      {{"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("out.wav"), "--oversampling", "2"}, "out.wav",
       ExitCode::kAudioFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    const std::string previous = ReadFileBytes(Path(c.output));
    // A file-size limit makes the write fail part way, as a full disk would.
    std::vector<std::string> arguments = {"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"", AUHOST_PROGRAM};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProcessResult failed = Run("/bin/sh", arguments);
    EXPECT_EQ(failed.exitCode, Code(c.code));
    EXPECT_THAT(failed.err, HasSubstr("cannot write"));
    EXPECT_THAT(failed.err, HasSubstr(Path(c.output)));
    EXPECT_TRUE(ReadFileBytes(Path(c.output)) == previous);
  }
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    entries += entry.path().extension() == ".tmp" ? 1 : 0;
  EXPECT_EQ(entries, 0u);
}

TEST_F(AuhostRendering, ABundleUnderAnotherIdentifierPlaysWithoutItsFactoryPresets) {
  const std::filesystem::path bundle = folder.Path() / "Renamed.component";
  std::filesystem::copy(ORVANE_BUNDLE, bundle, std::filesystem::copy_options::recursive);
  const std::filesystem::path plist = bundle / "Contents" / "Info.plist";
  std::string text = ReadFileBytes(plist.string());
  const std::string identifier = "com.Vellumtone.audiounit.Orvane";
  text.replace(text.find(identifier), identifier.size(), "com.vellumtone.audiounit.orvane");
  orvane::testing::WriteFileBytes(plist, text);

  const std::string message = "Orvane: the factory presets are unavailable: no loaded bundle has the identifier " +
                              identifier + ", which this plug-in was built with\n";
  const ProcessResult rendered = Auhost({"render", bundle.string(), Path("guitar.wav"), Path("out.wav")});
  EXPECT_THAT(rendered.err, HasSubstr(message));
  EXPECT_EQ(rendered.err.find(message), rendered.err.rfind(message)) << "said once";
  EXPECT_LT(MeasureLevels(ReadAudioFile(Path("out.wav"))).peakDb, 0.0);
  // Saved, restored and saved again, the state keeps its bytes.
  Auhost({"validate", bundle.string(), "--only", "state-round-trip"});
}

TEST_F(AuhostRendering, ARefusedStateSaysWhatWasRefused) {
  Auhost({"state", "save", ORVANE_BUNDLE, Path("product.json")});
  Auhost({"state", "save", AU_TEST_PLUGIN_BUNDLE, Path("test.json")});
  ClassInfo spoilt = ReadStateFile(Path("product.json"));
  std::string text(spoilt.data->begin(), spoilt.data->end());
  const std::string oversampling = "\"oversampling\":1";
  text.replace(text.find(oversampling), oversampling.size(), "\"oversampling\":3");
  spoilt.data->assign(text.begin(), text.end());
  WriteStateFile(Path("spoilt.json"), spoilt);
  const struct {
    std::string bundle;
    std::string state;
    std::string message;
  } cases[] = {
      {AU_TEST_PLUGIN_BUNDLE, "product.json",
       "auhost: the component refused the state (status -10851): the state was saved by another component (type "
       "aumf, subtype Orvn, manufacturer Vltn), not by this one (type aumf, subtype Atst, manufacturer Plkt)\n"},
      {ORVANE_BUNDLE, "test.json",
       "auhost: the component refused the state (status -10851): the state was saved by another component (type "
       "aumf, subtype Atst, manufacturer Plkt), not by this one (type aumf, subtype Orvn, manufacturer Vltn)\n"},
      {ORVANE_BUNDLE, "spoilt.json",
       "auhost: the component refused the state (status -10851): the state is not an Orvane state: oversampling "
       "must be 1, 2, 4, or 8\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    const ProcessResult refused =
        AuhostFailing({"render", c.bundle, Path("guitar.wav"), Path("out.wav"), "--state", Path(c.state)});
    EXPECT_EQ(refused.exitCode, Code(ExitCode::kStateFile));
    EXPECT_THAT(refused.err, HasSubstr(c.message));
  }
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

TEST_F(AuhostRendering, ADesignIsTakenAsOpeningItsFileLeavesTheState) {
  const ScopedEnvironmentVariable home{"HOME", Path("home")};
  const std::filesystem::path userFolder = folder.Path() / "home" / "Documents" / "Orvane" / "Presets";
  std::filesystem::create_directories(userFolder);
  const std::string highGain = std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv";
  std::filesystem::copy_file(highGain, userFolder / "Mine.orv");
  std::filesystem::copy_file(highGain, Path("Loose.orv"));
  const std::string factoryDefault = std::string(ORVANE_BUNDLE) + "/Contents/Resources/Presets/Default.orv";
  // Given relative to where auhost runs.
  const std::filesystem::path loose = std::filesystem::canonical(Path("Loose.orv"));
  const struct {
    std::string design;
    std::string currentPath;
    std::string activePreset;
    bool factory;
  } cases[] = {
      {factoryDefault, std::filesystem::absolute(factoryDefault).lexically_normal().string(), "Default.orv", true},
      {(userFolder / "Mine.orv").string(), (userFolder / "Mine.orv").string(), "Mine.orv", false},
      {std::filesystem::relative(loose).string(), loose.string(), "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.design);
    Auhost({"state", "save", ORVANE_BUNDLE, Path("state.json"), "--design", c.design});
    const auto shown = nlohmann::json::parse(Auhost({"state", "show", Path("state.json")}).out)["stateDocument"];
    EXPECT_EQ(shown["currentDesignPath"], c.currentPath);
    EXPECT_EQ(shown["activePresetFilename"], c.activePreset);
    EXPECT_EQ(shown["activePresetFactory"], c.factory);
    EXPECT_EQ(shown["factoryCollection"], c.factory);
    EXPECT_EQ(shown["presetModified"], false);
    EXPECT_EQ(shown["hasPresetBaseline"], true);
    EXPECT_EQ(shown["presetBaseline"], shown["design"]);
  }
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

// The README's example as written: its script in a copy of HighGain.orv, its
// command on the demo's phrase, and the measures it gives for the two parts.
TEST_F(AuhostRendering, TheReadmesControllerExampleDoesWhatItSays) {
  const std::string readme = ReadFileBytes(std::string(ORVANE_SOURCE_DIR) + "/README.md");
  const auto lineStartingWith = [&](const std::string& start) {
    const std::size_t at = readme.find("\n" + start);
    EXPECT_NE(at, std::string::npos) << start;
    return readme.substr(at + 1, readme.find('\n', at + 1) - at - 1);
  };
  std::string scriptLine = lineStartingWith("\"script\": ");
  scriptLine.pop_back();  // its comma
  Design design;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv", design, error));
  design.script = nlohmann::json::parse("{" + scriptLine + "}")["script"];
  ASSERT_TRUE(WriteDesignFile(Path("drive.orv"), design, error)) << error;

  const std::map<std::string, std::string> files = {{"build/Orvane.component", ORVANE_BUNDLE},
                                                    {"build/demo/guitar.wav", Path("guitar.wav")},
                                                    {"out.wav", Path("out.wav")},
                                                    {"drive.orv", Path("drive.orv")}};
  std::istringstream command(lineStartingWith("build/host/auhost render "));
  std::vector<std::string> arguments;
  for (std::string word; command >> word;) arguments.push_back(files.contains(word) ? files.at(word) : word);
  const ProcessResult result = Auhost({arguments.begin() + 1, arguments.end()});
  EXPECT_THAT(result.err, Not(HasSubstr("warning")));

  const auto change = ParseControllerChange(arguments.back());
  ASSERT_TRUE(change);
  const auto split = static_cast<std::size_t>(change->seconds * kRate);
  // The RMS level, and the crest: the peak's height above it.
  const auto part = [](const std::vector<float>& samples, std::size_t from, std::size_t to) {
    const Levels levels = MeasureLevels(AudioClip{kRate, 1, {samples.begin() + from, samples.begin() + to}});
    return std::pair{levels.rmsDb, levels.peakDb - levels.rmsDb};
  };
  const std::vector<float> dry = ReadAudioFile(Path("guitar.wav")).samples;
  const std::vector<float> played = ChannelOf(ReadAudioFile(Path("out.wav")), 0);
  const auto [cleanRmsDb, cleanCrestDb] = part(played, 0, split);
  const auto [drivenRmsDb, drivenCrestDb] = part(played, split, played.size());
  EXPECT_NEAR(cleanCrestDb, part(dry, 0, split).second, 1.0);
  EXPECT_NEAR(cleanCrestDb, 18.0, 1.5);
  EXPECT_NEAR(drivenRmsDb - cleanRmsDb, 15.0, 1.5);
  EXPECT_NEAR(drivenCrestDb, 6.0, 1.5);
}

TEST_F(AuhostRendering, ControllerChangesThatReachNothingAreWarnedOfAndTheRenderGoesOn) {
  Design drive = MakeDefaultDesign();
  drive.script = "slider: \"Drive\"\n[cc7]\ngain = x\n";
  std::string error;
  ASSERT_TRUE(WriteDesignFile(Path("drive.orv"), drive, error)) << error;
  Auhost({"state", "save", ORVANE_BUNDLE, Path("drive.json"), "--design", Path("drive.orv")});
  const std::string factoryDefault = std::string(ORVANE_BUNDLE) + "/Contents/Resources/Presets/Default.orv";
  const std::string noScript = "--cc reaches nothing: the design in effect has no controls script to bind a controller";
  const std::string ends =
      Path("guitar.wav") + " ends at " + FormatSeconds(ReadAudioFile(Path("guitar.wav")).Frames() / kRate);
  const struct {
    std::string bundle;
    std::vector<std::string> options;
    std::vector<std::string> warnings;
  } cases[] = {
      {ORVANE_BUNDLE, {"--cc", "7=0@0"}, {noScript}},
      {ORVANE_BUNDLE,
       {"--design", Path("drive.orv"), "--cc", "9=1@1", "--cc", "7=0@1", "--cc", "9=2@2"},
       {"--cc 9=1@1 reaches nothing: the design's controls script binds no control to controller 9"}},
      {ORVANE_BUNDLE, {"--state", Path("drive.json"), "--cc", "7=0@1"}, {}},
      {ORVANE_BUNDLE, {"--state", Path("drive.json"), "--design", factoryDefault, "--cc", "7=0@1"}, {noScript}},
      {ORVANE_BUNDLE, {"--state", Path("drive.json"), "--cc", "7=0@60"}, {"--cc 7=0@60 reaches nothing: " + ends}},
      {AU_TEST_PLUGIN_BUNDLE, {"--cc", "9=0@60"}, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"render", c.bundle, Path("guitar.wav"), Path("out.wav")};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    SCOPED_TRACE(::testing::PrintToString(arguments));
    std::filesystem::remove(Path("out.wav"));
    const ProcessResult result = Auhost(arguments);
    EXPECT_TRUE(std::filesystem::exists(Path("out.wav")));
    std::string expected;
    for (const std::string& warning : c.warnings) expected += "auhost: warning: " + warning + "\n";
    EXPECT_EQ(result.err, expected);
  }
}

TEST_F(AuhostRendering, ADesignWhoseScriptHasAnErrorSaysSoWithItsLine) {
  Design design = MakeDefaultDesign();
  design.script = "slider: \"Drive\"\n[cc7]\ngain = x +\n";
  std::string error;
  ASSERT_TRUE(WriteDesignFile(Path("broken.orv"), design, error)) << error;
  const ProcessResult result = Auhost(
      {"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("out.wav"), "--design", Path("broken.orv"), "--cc", "7=0@1"});
  EXPECT_THAT(result.err, HasSubstr("auhost: warning: the design's controls script has an error on line 3: "));
  EXPECT_THAT(result.err, HasSubstr("; its player controls are inactive\n"));
  EXPECT_THAT(Auhost({"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("out.wav")}).err, Not(HasSubstr("warning")));
}

TEST_F(AuhostRendering, DefaultDesignPlaysBelowTheOutputClamp) {
  WriteAudioFile(Path("sine.wav"), Sine(440.0, -12.0, 2.0));
  const std::string highGain = std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv";
  struct Case {
    std::string input;
    std::string oversampling;
    std::vector<std::string> design;
    double lowestRmsDb, highestRmsDb;
  };
  for (const Case& c : std::vector<Case>{{"guitar.wav", "1", {}, -30.0, -10.0},
                                         {"guitar.wav", "8", {}, -30.0, -10.0},
                                         {"sine.wav", "1", {}, -30.0, -10.0},
                                         {"sine.wav", "8", {}, -30.0, -10.0},
                                         {"guitar.wav", "1", {"--design", highGain}, -30.0, -6.0}}) {
    std::vector<std::string> arguments = {"render", ORVANE_BUNDLE, Path(c.input), Path("out.wav"), "--oversampling",
                                          c.oversampling};
    arguments.insert(arguments.end(), c.design.begin(), c.design.end());
    Auhost(arguments);
    const AudioClip output = ReadAudioFile(Path("out.wav"));
    const Levels levels = MeasureLevels(output);
    const std::string label = c.input + " at " + c.oversampling + "x " + (c.design.empty() ? "" : "high gain");
    EXPECT_LT(levels.peakDb, 0.0) << label;
    EXPECT_EQ(ClampedShare(output.samples), 0.0) << label;
    EXPECT_GT(levels.rmsDb, c.lowestRmsDb) << label;
    EXPECT_LT(levels.rmsDb, c.highestRmsDb) << label;
  }
}

TEST_F(AuhostRendering, OversamplingLowersTheAliasesOfAHighSine) {
  constexpr double kHighSineHz = 4987.0;
  WriteAudioFile(Path("high.wav"), Sine(kHighSineHz, -12.0, 1.0));
  const auto aliasLevel = [&](const std::string& oversampling) {
    Auhost({"render", ORVANE_BUNDLE, Path("high.wav"), Path("out.wav"), "--oversampling", oversampling});
    const std::vector<float> output = ChannelOf(ReadAudioFile(Path("out.wav")), 0);
    // The second half: past the start-up settle and the output filter's rise.
    return AliasLevelDb({output.begin() + static_cast<std::ptrdiff_t>(output.size() / 2), output.end()}, kHighSineHz);
  };
  const double at1x = aliasLevel("1");
  const double at8x = aliasLevel("8");
  EXPECT_LT(at8x, at1x - 30.0) << "aliases at 1x " << at1x << " dB";
}

TEST_F(AuhostRendering, OldDesignWithoutOutputTrimStillPlaysAsItDid) {
  Design old = MakeDefaultDesign();
  old.trims.outputGainDb = 0.0;
  std::string error;
  ASSERT_TRUE(WriteDesignFile(Path("old.orv"), old, error)) << error;
  Auhost({"render", ORVANE_BUNDLE, Path("guitar.wav"), Path("out.wav"), "--design", Path("old.orv")});
  // Unscaled volts: most of the phrase sits at the clamp.
  EXPECT_GT(ClampedShare(ChannelOf(ReadAudioFile(Path("out.wav")), 0)), 0.5);
}

}  // namespace
}  // namespace orvane::auhost
