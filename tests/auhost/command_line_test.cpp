#include "host/auhost_command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/auhost_failure.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;

CommandLine Parse(std::vector<std::string> arguments) {
  return ParseCommandLine(arguments);
}

// The usage message a bad command line produces.
std::string UsageErrorOf(std::vector<std::string> arguments) {
  try {
    Parse(std::move(arguments));
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), ExitCode::kUsage);
    return failure.what();
  }
  ADD_FAILURE() << "no usage error";
  return {};
}

TEST(AuhostCommandLine, RenderTakesItsFilesAndOptionsInAnyOrder) {
  const CommandLine line = Parse({"render", "--block", "64", "B.component", "in.wav", "--cc", "7=100@1.5",
                                  "out.wav", "--state", "s.json", "--cc", "1=0@0", "--design", "d.orv",
                                  "--oversampling", "4"});
  EXPECT_EQ(line.command, Command::kRender);
  EXPECT_EQ(line.bundle, "B.component");
  EXPECT_EQ(line.inputPath, "in.wav");
  EXPECT_EQ(line.outputPath, "out.wav");
  EXPECT_EQ(line.blockSize, 64u);
  EXPECT_EQ(line.statePath, "s.json");
  EXPECT_EQ(line.controllerChanges,
            (std::vector<ControllerChange>{{7, 100, 1.5}, {1, 0, 0.0}}));
  EXPECT_EQ(line.edits.designPath, "d.orv");
  EXPECT_EQ(line.edits.oversampling, 4);
}

TEST(AuhostCommandLine, DefaultsAndTheOtherCommands) {
  const CommandLine render = Parse({"render", "B", "in.wav", "out.wav"});
  EXPECT_EQ(render.blockSize, kDefaultBlockSize);
  EXPECT_FALSE(render.edits.Any());
  EXPECT_TRUE(render.statePath.empty());

  EXPECT_EQ(Parse({"info", "B"}).bundle, "B");
  const CommandLine save = Parse({"state", "save", "B", "s.json", "--oversampling", "8"});
  EXPECT_EQ(save.command, Command::kStateSave);
  EXPECT_EQ(save.statePath, "s.json");
  EXPECT_EQ(save.edits.oversampling, 8);
  EXPECT_EQ(Parse({"state", "show", "s.json"}).command, Command::kStateShow);
  EXPECT_EQ(render.prerollSeconds, kDefaultPrerollSeconds);
  EXPECT_EQ(Parse({"render", "B", "in.wav", "out.wav", "--preroll", "0"}).prerollSeconds, 0.0);

  const CommandLine editor = Parse({"editor", "--png", "e.png", "B"});
  EXPECT_EQ(editor.command, Command::kEditor);
  EXPECT_EQ(editor.bundle, "B");
  EXPECT_EQ(editor.pngPath, "e.png");
  EXPECT_EQ(editor.screenScale, 1);
  EXPECT_EQ(Parse({"editor", "B", "--png", "e.png", "--scale", "2"}).screenScale, 2);
  EXPECT_FALSE(editor.editorSize);
  const CommandLine scripted = Parse({"editor", "B", "--png", "e.png", "--size", "1000x600", "--script", "s.txt"});
  EXPECT_EQ(scripted.editorSize, (host::SizeStep{1000, 600}));
  EXPECT_EQ(scripted.scriptPath, "s.txt");
  const CommandLine designed =
      Parse({"editor", "B", "--png", "e.png", "--state", "s.json", "--design", "d.orv", "--oversampling", "2"});
  EXPECT_EQ(designed.statePath, "s.json");
  EXPECT_EQ(designed.edits, (ProductEdits{"d.orv", 2}));
}

TEST(AuhostCommandLine, BadCommandLinesNameWhatIsWrong) {
  EXPECT_THAT(UsageErrorOf({}), HasSubstr("no command given"));
  EXPECT_THAT(UsageErrorOf({"play", "B"}), HasSubstr("unknown command \"play\""));
  EXPECT_THAT(UsageErrorOf({"info"}), HasSubstr("missing BUNDLE"));
  EXPECT_THAT(UsageErrorOf({"info", "B", "C"}), HasSubstr("unexpected argument \"C\""));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav"}), HasSubstr("missing IN.wav or OUT.wav"));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--block"}), HasSubstr("--block needs a value"));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--block", "0"}), HasSubstr("--block must be"));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--block", "9000"}), HasSubstr("--block must be"));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--oversampling", "3"}),
              HasSubstr("--oversampling must be 1, 2, 4 or 8, not \"3\""));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--cc", "7=128@0"}), HasSubstr("--cc takes"));
  for (const char* preroll : {"-1", "61", "soon", "nan"})
    EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--preroll", preroll}),
                HasSubstr("--preroll must be a number of seconds from 0 to 60"));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--loud"}), HasSubstr("unknown option --loud"));
  // Options of other commands are refused too.
  EXPECT_THAT(UsageErrorOf({"state", "save", "B", "s.json", "--block", "64"}), HasSubstr("unknown option --block"));
  EXPECT_THAT(UsageErrorOf({"state", "show", "s.json", "--design", "d.orv"}), HasSubstr("unknown option --design"));
  EXPECT_THAT(UsageErrorOf({"state"}), HasSubstr("\"save\" or \"show\""));
  EXPECT_THAT(UsageErrorOf({"state", "load", "s.json"}), HasSubstr("unknown state action \"load\""));
  EXPECT_THAT(UsageErrorOf({"editor", "B"}), HasSubstr("editor needs --png FILE"));
  EXPECT_THAT(UsageErrorOf({"editor", "B", "--png", "e.png", "--scale", "3"}),
              HasSubstr("--scale must be 1 or 2, not \"3\""));
  EXPECT_THAT(UsageErrorOf({"editor", "B", "--png", "e.png", "--block", "64"}), HasSubstr("unknown option --block"));
  for (const char* size : {"100", "0x600", "1000x16385", "10x-5", "axb"})
    EXPECT_THAT(UsageErrorOf({"editor", "B", "--png", "e.png", "--size", size}),
                HasSubstr("--size takes WxH in points, each from 1 to 16384, not \"" + std::string(size) + "\""));
  EXPECT_THAT(UsageErrorOf({"render", "B", "in.wav", "out.wav", "--script", "s.txt"}),
              HasSubstr("unknown option --script"));
}

TEST(AuhostCommandLine, OptionsTakeTheirValueAfterAnEqualsSign) {
  const std::vector<std::string> given = {"render", "B", "in.wav", "out.wav", "--block=64", "--cc=7=1@0", "--preroll="};
  const std::vector<std::string> split = SplitOptionValues(given);
  EXPECT_EQ(split, (std::vector<std::string>{"render", "B", "in.wav", "out.wav", "--block", "64", "--cc", "7=1@0",
                                             "--preroll", ""}));
  EXPECT_EQ(ParseCommandLine(std::span<const std::string>(split).first(8)).blockSize, 64u);
}

TEST(AuhostCommandLine, HelpShowsTheUsageOfTheCommandAskedAbout) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> shown;  // empty: no help asked for
    std::vector<std::string> notShown;
  } cases[] = {
      {{"help"}, {"auhost info", "auhost render", "auhost validate", "--option=VALUE"}, {}},
      {{"-h"}, {"auhost info", "auhost state show"}, {}},
      {{"render", "B", "--help"}, {"auhost render", "--preroll SECONDS"}, {"auhost info", "auhost state show"}},
      {{"state", "-h"}, {"auhost state save", "auhost state show"}, {"auhost render"}},
      {{"state", "show", "--help"}, {"auhost state show"}, {"auhost state save"}},
      {{"editor", "--help"}, {"auhost editor BUNDLE --png FILE [--scale 1|2] [--size WxH] [--script FILE]"},
       {"auhost render"}},
      {{"validate", "--help"}, {"auhost validate BUNDLE [--only CHECK ...]", "auhost validate --list"}, {"render"}},
      {{"play", "--help"}, {"auhost info", "auhost render"}, {}},
      {{"render", "B", "in.wav", "out.wav"}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
    const auto usage = RequestedUsage(c.arguments);
    ASSERT_EQ(usage.has_value(), !c.shown.empty());
    for (const std::string& text : c.shown) EXPECT_THAT(*usage, HasSubstr(text));
    for (const std::string& text : c.notShown) EXPECT_THAT(*usage, ::testing::Not(HasSubstr(text)));
  }
}

TEST(AuhostCommandLine, ControllerChangesNeedAllThreeParts) {
  EXPECT_EQ(ParseControllerChange("0=127@0"), (ControllerChange{0, 127, 0.0}));
  EXPECT_EQ(ParseControllerChange("127=0@2.25"), (ControllerChange{127, 0, 2.25}));
  for (const char* bad : {"", "7", "7=1", "7@1", "=1@1", "7=@1", "7=1@", "7=1@-1", "7=1@nan", "7=1@inf",
                          "-1=1@0", "7=-1@0", "128=0@0", "7=1@1s", "7@1=1", "x=1@0"})
    EXPECT_FALSE(ParseControllerChange(bad)) << bad;
}

}  // namespace
}  // namespace orvane::auhost
