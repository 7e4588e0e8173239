// Reading editor scripts: every step with its modifiers, the lines skipped,
// and each bad line refused with its number before anything runs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/editor_script.h"

namespace orvane::host {
namespace {

using ::testing::HasSubstr;

constexpr ScriptModifiers kNoModifiers{};
constexpr ScriptModifiers kShiftCmd{true, false, false, true};
constexpr ScriptModifiers kAll{true, true, true, true};

ScriptStep OnlyStep(const std::string& line) {
  const ScriptReading reading = ReadEditorScript(line);
  EXPECT_FALSE(reading.error) << line << ": " << reading.error->Message();
  EXPECT_EQ(reading.steps.size(), 1u) << line;
  return reading.steps.empty() ? ScriptStep{} : reading.steps[0].step;
}

TEST(EditorScript, ReadsEachStepWithItsModifiers) {
  // The longest line: a text longer than kMaxScriptTextBytes never fits in one.
  const std::string longestText(kMaxScriptLineBytes - std::string("type \"\"").size(), 'a');
  const struct {
    std::string line;
    ScriptStep step;
  } cases[] = {
      {"move 10 -2.5", MoveStep{{10, -2.5}}},
      {"click 355 49", ClickStep{{355, 49}, ScriptButton::kLeft, false, kNoModifiers}},
      {"rclick 1 2 shift cmd", ClickStep{{1, 2}, ScriptButton::kRight, false, kShiftCmd}},
      {"dclick 1 2 cmd ctrl alt shift", ClickStep{{1, 2}, ScriptButton::kLeft, true, kAll}},
      {"drag 0 0 100000 -100000", DragStep{{0, 0}, {100000, -100000}, kDefaultDragSteps, kNoModifiers}},
      {"drag 1 2 3 4 steps 1000 shift cmd", DragStep{{1, 2}, {3, 4}, 1000, kShiftCmd}},
      {"wheel 5 6 -3 alt", WheelStep{{5, 6}, -3, {false, false, true, false}}},
      {"key a", KeyStep{U'a', kNoModifiers}},
      {"key \xC3\xA9 ctrl", KeyStep{U'\u00E9', {false, true, false, false}}},
      {"key # shift", KeyStep{U'#', {true, false, false, false}}},
      {"key home", KeyStep{NamedKey::kHome, kNoModifiers}},
      {"key delete cmd shift", KeyStep{NamedKey::kDelete, kShiftCmd}},
      {"type \"say \\\"hi\\\" \\\\ # x\"", TypeStep{"say \"hi\" \\ # x"}},
      {"type \"" + longestText + "\"", TypeStep{longestText}},
      {"menu 2", MenuAnswerStep{{2}}},
      {"menu 7 1 0", MenuAnswerStep{{7, 1, 0}}},
      {"menu dismiss", MenuAnswerStep{}},
      {"alert retry", AlertAnswerStep{AlertButton::kRetry}},
      {"alert no", AlertAnswerStep{AlertButton::kNo}},
      {"file /tmp/a.orv", FileAnswerStep{"/tmp/a.orv"}},
      {"file \"my designs/b c.orv\"", FileAnswerStep{"my designs/b c.orv"}},
      {"file \"cancel\"", FileAnswerStep{"cancel"}},
      {"file cancel", FileAnswerStep{}},
      {"clipboard \"\"", ClipboardStep{""}},
      {"wait 60000", WaitStep{60000}},
      {"size 1000x600", SizeStep{1000, 600}},
      {"png out/edit.png", ScreenshotStep{"out/edit.png"}},
      {"png EDIT.PNG", ScreenshotStep{"EDIT.PNG"}},
      {"\t click  1\t2  \r", ClickStep{{1, 2}, ScriptButton::kLeft, false, kNoModifiers}},
  };
  for (const auto& c : cases) EXPECT_EQ(OnlyStep(c.line), c.step) << c.line;
}

TEST(EditorScript, SkipsBlankLinesAndCommentsAndKeepsTheLineNumbers) {
  const ScriptReading reading = ReadEditorScript("# to the EDIT view\r\n\n   \nclick 1 2\n  #wait 5\nwait 5");
  ASSERT_FALSE(reading.error);
  ASSERT_EQ(reading.steps.size(), 2u);
  EXPECT_EQ(reading.steps[0].number, 4);
  EXPECT_EQ(reading.steps[1].number, 6);
  EXPECT_EQ(reading.steps[1].step, ScriptStep(WaitStep{5}));
  EXPECT_TRUE(ReadEditorScript("").steps.empty());
  EXPECT_FALSE(ReadEditorScript("").error);
}

TEST(EditorScript, RefusesABadLineWithItsNumberAndNoSteps) {
  const std::string lineOfComment(1023, '#');
  std::string fullScript;
  while (fullScript.size() < kMaxScriptBytes) fullScript += lineOfComment + "\n";
  ASSERT_FALSE(ReadEditorScript(fullScript).error) << "a script of exactly the limit";

  const struct {
    std::string script;
    int line;
    std::string reason;
  } cases[] = {
      {"click 1 2\nwait 1\njump 3 4", 3, "unknown step \"jump\""},
      {"click 1", 1, "missing Y (click X Y [MODS])"},
      {"click 1 2 meta", 1, "unknown modifier \"meta\""},
      {"click 1 2 shift shift", 1, "shift is given twice"},
      {"move 1 nan", 1, "Y must be a finite number, not \"nan\""},
      {"move inf 1", 1, "X must be a finite number"},
      {"move 1e999 1", 1, "X must be a number"},
      {"move 100001 0", 1, "X \"100001\" lies outside -100000..100000"},
      {"wheel 0 0 -100001", 1, "DELTA \"-100001\" lies outside"},
      {"move 1 2 3", 1, "unexpected \"3\""},
      {"drag 0 0 1 1 steps 0", 1, "N after steps must be a whole number from 1 to 1000, not \"0\""},
      {"drag 0 0 1 1 steps 1001", 1, "N after steps must be a whole number from 1 to 1000, not \"1001\""},
      {"wait 60001", 1, "MS must be a whole number from 0 to 60000"},
      {"wait 1.5", 1, "MS must be a whole number"},
      {"type \"" + std::string(kMaxScriptTextBytes + 1, 'a') + "\"", 1, "the line is longer than 4096 bytes"},
      {"\ntype \"open", 2, "the text has no closing quote"},
      {"clipboard \"a\\n\"", 1, "unknown escape \"\\n\""},
      {"type hello", 1, "the text must be a quoted text"},
      {"type \"\xFF\"", 1, "the text is not UTF-8"},
      {"key F1", 1, "unknown key \"F1\""},
      {"alert maybe", 1, "unknown answer \"maybe\""},
      {"menu", 1, "missing I"},
      {"menu 1 x", 1, "a sub-menu's index must be a whole number"},
      {"size 100", 1, "the size must be WxH"},
      {"size 0x10", 1, "the size must be WxH"},
      {"png \"\"", 1, "the path is empty"},
      {"png edit.jpg", 1, "the image's name must end in .png"},
      {"# fine\n" + std::string(kMaxScriptLineBytes + 1, '#'), 2, "the line is longer than 4096 bytes"},
      {fullScript + "w", 1025, "the script is longer than 1048576 bytes"},
  };
  for (const auto& c : cases) {
    const ScriptReading reading = ReadEditorScript(c.script);
    ASSERT_TRUE(reading.error) << c.reason;
    EXPECT_EQ(reading.error->line, c.line) << c.reason;
    EXPECT_THAT(reading.error->Message(), HasSubstr("script line " + std::to_string(c.line) + ": " + c.reason));
    EXPECT_TRUE(reading.steps.empty());
  }
}

}  // namespace
}  // namespace orvane::host
