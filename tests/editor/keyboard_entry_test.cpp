#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "accented_letter.h"
#include "editor_harness.h"
#include "support/comma_locale.h"

namespace orvane::testing {
namespace {

using Calls = std::vector<std::string>;
using Keys = std::vector<IKeyPress>;

const std::string kFffd = "\xEF\xBF\xBD";

constexpr int kBackspace = 8, kReturn = 13, kEscape = 27, kEnd = 35, kHome = 36;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;

IKeyPress Code(int code) { return IKeyPress("", code); }
IKeyPress Command(int code) { return IKeyPress("", code, false, true); }

// Each character typed: a letter's code is its upper case, as the platform maps it.
Keys Typed(const std::string& text) {
  Keys keys;
  for (const char c : text) {
    IKeyPress key;
    key.mVK = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    key.mUtf8[0] = c;
    keys.push_back(key);
  }
  return keys;
}

Keys operator+(Keys a, const Keys& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Presses the keys in turn; true when every one was taken.
bool Press(OrvaneGUIControl& editor, const Keys& keys) {
  bool allTaken = true;
  for (const IKeyPress& key : keys) allTaken = editor.OnKeyDown(0.f, 0.f, key) && allTaken;
  return allTaken;
}

// A code area of ten columns and three rows of 10 points.
void SetTenColumnsThreeRows(OrvaneGUIControl& editor) {
  editor.mScriptRect = IRECT(0.f, 0.f, 100.f, 30.f);
  editor.mScriptTextLeft = 0.f;
  editor.mScriptCharWidth = 10.f;
  editor.mScriptLineHeight = 10.f;
}

TEST(EditorNumericEntry, KeysBuildTheTextAndReturnCommitsAWholeNumber) {
  struct Case {
    int field;  // 0 input, 1 output, 2.. a section's trim
    Keys keys;
    Calls calls;
  };
  const std::vector<Case> cases = {
      {0, Typed("-30") + Keys{Code(kReturn)}, {"onGainChanged(true, -24)"}},
      {5, Typed("+75") + Keys{Code(kReturn)}, {"onSectionTrimChanged(3, 60)"}},
      {0, Typed("1+2.5.1") + Keys{Code(kReturn)}, {"onGainChanged(true, 12.51)"}},
      {1, Typed("x-3") + Keys{IKeyPress("4", '4', false, true), Code(kReturn)}, {"onGainChanged(false, -3)"}},
      {0, Typed("58") + Keys{Code(kBackspace), Code(kReturn)}, {"onGainChanged(true, 5)"}},
      {0, Typed("-") + Keys{Code(kReturn)}, {}},
      {0, Keys{Code(kReturn)}, {}},
      {0, Typed("12") + Keys{Code(kEscape)}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EditorHarness harness;
    OrvaneGUIControl& editor = harness.Editor();
    editor.mNameFocused = true;
    if (c.field < 2) {
      editor.BeginGainFieldEdit(c.field == 0);
    } else {
      editor.BeginTrimFieldEdit(c.field - 2);
    }
    EXPECT_EQ(editor.mEditField, c.field);
    EXPECT_FALSE(editor.mNameFocused || editor.mScriptFocused);
    EXPECT_TRUE(Press(editor, c.keys));
    EXPECT_EQ(harness.TakeCalls(), c.calls);
    EXPECT_EQ(editor.mEditField, OrvaneGUIControl::kEditFieldNone);
    EXPECT_EQ(editor.mEditBuffer, "");
  }
}

TEST(EditorNumericEntry, ReadsADecimalPointUnderACommaLocale) {
  ScopedCommaDecimalLocale commaLocale;
  if (!commaLocale.Active()) GTEST_SKIP() << "no locale with a decimal comma can be built here";
  EditorHarness harness;
  harness.Editor().BeginGainFieldEdit(true);
  Press(harness.Editor(), Typed("12.5") + Keys{Code(kReturn)});
  EXPECT_EQ(harness.TakeCalls(), (Calls{"onGainChanged(true, 12.5)"}));
}

TEST(EditorTextFields, EditWholeCharactersAndReportTheWholeText) {
  struct Case {
    const char* what;
    bool description;
    std::uint64_t caret;  // in "aéb"
    Keys keys;
    std::string text;
    std::uint64_t caretAfter;
    Calls calls;
    bool focusedAfter = true;
  };
  const std::string name = "a" + kE + "b";
  const std::vector<Case> cases = {
      {"left over é", false, 3, {Code(kLeft)}, name, 1, {}},
      {"right over é", false, 1, {Code(kRight)}, name, 3, {}},
      {"backspace", false, 3, {Code(kBackspace)}, "ab", 1, {"onDesignNameChanged(\"ab\")"}},
      {"delete", false, 1, {Code(kDelete)}, "ab", 1, {"onDesignNameChanged(\"ab\")"}},
      {"backspace at 0", false, 0, {Code(kBackspace)}, name, 0, {}},
      {"letter", false, 3, Typed("x"), "a" + kE + "xb", 4, {"onDesignNameChanged(\"a" + kE + "xb\")"}},
      {"beyond ASCII", false, 3, {IKeyPress(kE.c_str(), 0)}, "a" + kE + kE + "b", 5,
       {"onDesignNameChanged(\"a" + kE + kE + "b\")"}},
      {"control character", false, 3, {IKeyPress("\x7F", 0)}, name, 3, {}},
      {"command", false, 3, {IKeyPress("x", 'X', false, true)}, name, 3, {}},
      {"return", false, 3, {Code(kReturn)}, name, 3, {}, false},
      {"escape", true, 3, {Code(kEscape)}, name, 3, {}, false},
      {"description", true, 3, {Code(kBackspace)}, "ab", 1, {"onDesignDescriptionChanged(\"ab\")"}},
      // A refresh left the caret inside é.
      {"caret inside é", false, 2, Typed("x"), "ax" + kE + "b", 2, {"onDesignNameChanged(\"ax" + kE + "b\")"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorHarness harness;
    OrvaneGUIControl& editor = harness.Editor();
    std::string& text = c.description ? editor.mDesignDescription : editor.mDesignName;
    std::uint64_t& caret = c.description ? editor.mDescriptionCaret : editor.mNameCaret;
    bool& focused = c.description ? editor.mDescriptionFocused : editor.mNameFocused;
    text = name;
    caret = c.caret;
    focused = true;
    editor.ClearDirty();
    EXPECT_TRUE(Press(editor, c.keys));
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(caret, c.caretAfter);
    EXPECT_EQ(focused, c.focusedAfter);
    EXPECT_EQ(harness.TakeCalls(), c.calls);
    EXPECT_EQ(editor.IsDirty(), c.text != name || c.caretAfter != c.caret || !c.focusedAfter);
    EXPECT_EQ(editor.mScriptText, "");
  }
}

TEST(EditorScriptKeys, MoveTheCaretAndEditTheScript) {
  struct Case {
    const char* what;
    std::string script;
    std::uint64_t caret;
    Keys keys;
    std::string scriptAfter;
    std::uint64_t caretAfter;
    bool taken = true;
    bool selectAll = false;
  };
  const std::string twoLines = "abcdefg\nhi";
  const std::vector<Case> cases = {
      {"command A", "abc", 1, {Command('A')}, "abc", 3, true, true},
      {"command a", "abc", 1, {Command('a')}, "abc", 3, true, true},
      {"select all, backspace", "abc", 1, {Command('A'), Code(kBackspace)}, "", 0},
      {"select all, delete", "abc", 1, {Command('A'), Code(kDelete)}, "", 0},
      {"select all, type", "abc", 1, Keys{Command('A')} + Typed("x"), "x", 1},
      {"select all, left", "abc", 1, {Command('A'), Code(kLeft)}, "abc", 2},
      {"backspace over é", "a" + kE, 3, {Code(kBackspace)}, "a", 1},
      {"delete é", kE + "b", 0, {Code(kDelete)}, "b", 0},
      {"delete at the end", "ab", 2, {Code(kDelete)}, "ab", 2},
      {"left and right over é", "a" + kE, 3, {Code(kLeft), Code(kLeft), Code(kRight)}, "a" + kE, 1},
      {"return", "ab", 1, {Code(kReturn)}, "a\nb", 2},
      {"typed text", "ab", 1, Typed("x ") + Keys{IKeyPress("yz", 'Y')}, "ax yzb", 5},
      {"up on the first line", twoLines, 5, {Code(kUp)}, twoLines, 5},
      {"down onto a shorter line", twoLines, 5, {Code(kDown)}, twoLines, 10},
      {"up to the same column", twoLines, 9, {Code(kUp)}, twoLines, 1},
      {"down on the last line", twoLines, 9, {Code(kDown)}, twoLines, 9},
      {"over an empty line", "abc\n\nxyz", 6, {Code(kUp), Code(kUp), Code(kDown)}, "abc\n\nxyz", 4},
      {"down into é", "abc\n" + kE + "x", 1, {Code(kDown)}, "abc\n" + kE + "x", 4},
      {"home and end", "ab\ncd\nef", 4, {Code(kHome)}, "ab\ncd\nef", 3},
      {"end", "ab\ncd\nef", 4, {Code(kEnd)}, "ab\ncd\nef", 5},
      {"escape", "ab", 1, {IKeyPress("\x1b", kEscape)}, "ab", 1, false},
      {"command B", "ab", 1, {Command('B')}, "ab", 1, false},
      {"not ASCII", "ab", 1, {IKeyPress(kE.c_str(), 0)}, "ab", 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorSetup setup;
    setup.script = c.script;
    EditorHarness harness(setup);
    OrvaneGUIControl& editor = harness.Editor();
    editor.mScriptCaret = c.caret;
    EXPECT_EQ(Press(editor, c.keys), c.taken);
    EXPECT_EQ(editor.mScriptText, c.scriptAfter);
    EXPECT_EQ(editor.mScriptCaret, c.caretAfter);
    EXPECT_EQ(editor.mScriptSelectAll, c.selectAll);
  }
}

TEST(EditorScriptKeys, TakeNothingInThePlayView) {
  EditorSetup setup;
  setup.playerView = true;
  EditorHarness harness(setup);
  EXPECT_FALSE(Press(harness.Editor(), Typed("x")));
  EXPECT_EQ(harness.Editor().mScriptText, "");
}

TEST(EditorScriptText, InsertionStaysWithinTheLimitOnCharacterBoundaries) {
  struct Case {
    const char* what;
    std::size_t scriptBytes;
    bool selectAll;
    std::string inserted;
    std::string scriptAfter;  // of the script's first bytes, the ones that matter
  };
  const std::vector<Case> cases = {
      {"full script", kScriptMaxBytes, false, "x", std::string(kScriptMaxBytes, 's')},
      {"100 into 16300", 16300, false, std::string(100, 'i'), std::string(16300, 's') + std::string(84, 'i')},
      {"20000 over everything", 10, true, std::string(20000, 'i'), std::string(kScriptMaxBytes, 'i')},
      {"é into 16383", 16383, false, kE, std::string(16383, 's')},
      {"ill-formed bytes", 0, false, "a\xFF" "b", "a" + kFffd + "b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorSetup setup;
    setup.script = std::string(c.scriptBytes, 's');
    EditorHarness harness(setup);
    OrvaneGUIControl& editor = harness.Editor();
    editor.mScriptCaret = c.scriptBytes;
    editor.mScriptSelectAll = c.selectAll;
    harness.graphics->SetClipboard(c.inserted);
    EXPECT_TRUE(Press(editor, {Command('V')}));
    EXPECT_EQ(editor.mScriptText, c.scriptAfter);
    EXPECT_EQ(editor.mScriptCaret, c.scriptAfter.size());
    EXPECT_EQ(harness.TakeCalls(), Calls{"onScriptChanged(\"" + c.scriptAfter + "\")"});
  }
}

TEST(EditorScriptText, ClipboardKeysAndMenuActions) {
  using Editor = OrvaneGUIControl;
  struct Case {
    const char* what;
    std::function<void(Editor&)> act;
    bool refuseWrites;
    std::string scriptAfter;
    std::optional<std::string> clipboardAfter;
  };
  const auto press = [](Keys keys) { return [keys](Editor& e) { Press(e, keys); }; };
  const std::vector<Case> cases = {
      {"copy without select-all", press({Command('C')}), false, "abc", "old"},
      {"copy with select-all", press({Command('A'), Command('c')}), false, "abc", "abc"},
      {"cut", press({Command('A'), Command('X')}), false, "", "abc"},
      {"cut refused", press({Command('A'), Command('X')}), true, "abc", "old"},
      {"cut without select-all", press({Command('X')}), false, "abc", "old"},
      {"paste", press({Command('V')}), false, "aoldbc", "old"},
      {"menu: new blank script", [](Editor& e) { e.NewBlankScript(); }, false, "", "old"},
      {"menu: copy all", [](Editor& e) { e.CopyScriptToClipboard(); }, false, "abc", "abc"},
      {"menu: paste", [](Editor& e) { e.PasteScriptFromClipboard(); }, false, "aoldbc", "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorSetup setup;
    setup.script = "abc";
    EditorHarness harness(setup);
    Editor& editor = harness.Editor();
    editor.mScriptCaret = 1;
    harness.graphics->SetClipboard("old");
    harness.graphics->RefuseClipboardWrites(c.refuseWrites);
    c.act(editor);
    EXPECT_EQ(editor.mScriptText, c.scriptAfter);
    EXPECT_EQ(harness.graphics->Clipboard(), c.clipboardAfter);
  }
}

TEST(EditorScriptText, NewBlankScriptFocusesAnEmptyScript) {
  EditorSetup setup;
  setup.script = "abc";
  EditorHarness harness(setup);
  OrvaneGUIControl& editor = harness.Editor();
  editor.mScriptFocused = false;
  editor.mScriptSelectAll = true;
  editor.mScriptFirstLine = 4;
  editor.mScriptCaret = 2;
  editor.NewBlankScript();
  EXPECT_TRUE(editor.mScriptFocused);
  EXPECT_FALSE(editor.mScriptSelectAll);
  EXPECT_EQ(editor.mScriptFirstLine, 0);
  EXPECT_EQ(editor.mScriptCaret, 0u);
  EXPECT_EQ(harness.TakeCalls(), Calls{"onScriptChanged(\"\")"});
  EXPECT_EQ(editor.mScriptRows.size(), 1u);
}

TEST(EditorScriptText, AFailedParseKeepsTheValuesUntouched) {
  EditorHarness harness;
  harness.Editor().SetScriptText("slider \"broken\"", {150.0, -3.0, 0.4});
  EXPECT_EQ(harness.Editor().mPlayerValues, (std::vector<double>{150.0, -3.0, 0.4}));
}

std::string RowsText(const std::vector<ScriptRow>& rows) {
  std::string text;
  for (const ScriptRow& row : rows) {
    text += "(" + std::to_string(row.start) + "," + std::to_string(row.length) + "," +
            std::to_string(row.lineNumber) + ")";
  }
  return text;
}

TEST(EditorScriptWrap, RowsBreakAfterBlanksOrHardButNeverInsideACharacter) {
  struct Case {
    std::string text;
    std::string rows;
  };
  const std::vector<Case> cases = {
      {"", "(0,0,1)"},
      {"ab\n", "(0,2,1)(3,0,2)"},
      {"\n\nab", "(0,0,1)(1,0,2)(2,2,3)"},
      {std::string(30, 'a'), "(0,10,1)(10,10,1)(20,10,1)"},
      {"aaaa bbbb cccc", "(0,10,1)(10,4,1)"},
      {"aaaa bbbbb cc", "(0,11,1)(11,2,1)"},  // the blank after the tenth byte stays above
      {std::string(9, 'a') + kE + "b", "(0,9,1)(9,3,1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EditorHarness harness;
    OrvaneGUIControl& editor = harness.Editor();
    SetTenColumnsThreeRows(editor);
    editor.mScriptText = c.text;
    editor.WrapScriptLines();
    EXPECT_EQ(RowsText(editor.mScriptRows), c.rows);
  }
}

TEST(EditorScriptScroll, TheFirstVisibleRowFollowsTheCaret) {
  EditorSetup setup;
  setup.script = "0\n1\n2\n3\n4\n5\n6\n7\n8\n9";  // ten rows, three visible
  EditorHarness harness(setup);
  OrvaneGUIControl& editor = harness.Editor();
  SetTenColumnsThreeRows(editor);
  struct Step {
    const char* what;
    std::function<void()> act;
    std::int32_t firstRow;
  };
  const std::vector<Step> steps = {
      {"caret to the last row", [&] { Press(editor, {Command('A')}); }, 7},
      {"caret three rows up", [&] { Press(editor, {Code(kUp), Code(kUp), Code(kUp)}); }, 6},
      {"caret within the rows", [&] { Press(editor, {Code(kDown)}); }, 6},
      {"caret to the first row", [&] { editor.mScriptCaret = 0; editor.ScrollScriptToCaret(); }, 0},
      {"text shrinks", [&] {
         editor.mScriptFirstLine = 7;
         editor.mScriptCaret = 100;  // at the end of the new text, row 3
         editor.SetScriptText("0\n1\n2\n3", editor.mPlayerValues);
         editor.ScrollScriptToCaret();
       }, 1},
      {"caret at a wrapped row's start", [&] {
         editor.SetScriptText(std::string(50, 'a'), editor.mPlayerValues);
         editor.mScriptCaret = 40;
         editor.ScrollScriptToCaret();
       }, 2},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    editor.ClearDirty();
    step.act();
    EXPECT_EQ(editor.mScriptFirstLine, step.firstRow);
  }
  EXPECT_EQ(editor.ScriptCaretRow(), 4u);
}

}  // namespace
}  // namespace orvane::testing
