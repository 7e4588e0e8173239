#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/clock.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/graphics_context.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/logging_control.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::LoggingControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;
using Answer = RecordingGraphics::PopupAnswer;
using Lines = std::vector<std::string>;

const std::string kSmile = "\xF0\x9F\x98\x80";  // U+1F600
const std::string kFffd = "\xEF\xBF\xBD";

// The field's box: with 20-point text every character is 10 wide.
constexpr IRECT kField(100, 100, 200, 130);
constexpr float kFieldTextSize = 20.f;

// A key as the platform reports it.
IKeyPress Key(int vk, const char* text = "", bool shift = false, bool ctrl = false) {
  return IKeyPress(text, vk, shift, ctrl);
}
IKeyPress Char(const std::string& text) { return IKeyPress(text.c_str(), 0); }
IKeyPress Ctrl(char letter, bool shift = false) { return Key(letter, "", shift, true); }
const IKeyPress kLeft = Key(kKeyLeft), kShiftLeft = Key(kKeyLeft, "", true), kEnd = Key(kKeyEnd),
                kBackspace = Key(kKeyBackspace);

// Asks for text and logs what comes back when it has no parameter.
class Asker : public LoggingControl {
public:
  Asker(Lines& log, int param) : LoggingControl(IRECT(0, 0, 50, 50), log, "asker", param) {}
  void OnTextEntryCompletion(const char* str, int) override { Log("got " + std::string(str)); }
};

class TextEntryTest : public ::testing::Test {
protected:
  enum Params { kInt, kDouble, kBool, kNParams };

  TextEntryTest() {
    delegate.GetParam(kInt)->InitInt("Int", 0, -100, 100);
    delegate.GetParam(kDouble)->InitGain("Double", 0.0, -100.0, 100.0, 0.01);
    delegate.GetParam(kBool)->InitBool("Bool", false);
    g.AttachTextEntryControl();
    entry = g.GetTextEntryControl();
  }
  ~TextEntryTest() override { GraphicsClock::PinForTesting(std::nullopt); }

  // Starts an entry of text for a control of the parameter (-1: none).
  Asker* Start(const std::string& text, int param = IControl::kNoParameter, EAlign align = EAlign::Near,
               EVAlign valign = EVAlign::Top) {
    auto* asker = new Asker(delegate.mLog, param);
    g.AttachControl(asker);
    IText style(kFieldTextSize, kColorRed, nullptr, align, valign, 0.f, kColorWhite, kColorBlue);
    g.CreateTextEntry(*asker, style, kField, text.c_str(), 0);
    delegate.mLog.clear();
    return asker;
  }
  void Type(const std::vector<IKeyPress>& keys) {
    for (const IKeyPress& key : keys) input.KeyDown(key);
  }
  // The rectangles the field fills, in order: "(L,T,R,B) colour" with the
  // blend's weight when it has one.
  Lines Fills() {
    g.ClearCalls();
    entry->Draw(g);
    Lines fills;
    float l = 0, t = 0, r = 0, b = 0;
    for (const testing::RecordedCall& call : g.Calls()) {
      if (call.kind == "PathMoveTo") {
        l = r = static_cast<float>(call.args[0]);
        t = b = static_cast<float>(call.args[1]);
      } else if (call.kind == "PathLineTo") {
        l = std::min(l, static_cast<float>(call.args[0]));
        r = std::max(r, static_cast<float>(call.args[0]));
        t = std::min(t, static_cast<float>(call.args[1]));
        b = std::max(b, static_cast<float>(call.args[1]));
      } else if (call.kind == "FillPath") {
        std::string fill = testing::FormatRect(IRECT(l, t, r, b)) + " " +
                           testing::FormatColor(call.paint->GetStop(0).mColor);
        if (call.blend) fill += " x" + testing::FormatNumber(call.blend->mWeight);
        fills.push_back(fill);
      }
    }
    return fills;
  }

  RecordingDelegate delegate{kNParams};
  RecordingGraphics g{delegate, 400, 300};
  SyntheticInput input{g};
  ITextEntryControl* entry = nullptr;
};

TEST_F(TextEntryTest, TypedCharactersSuitTheParameter) {
  struct Case {
    int param;
    std::vector<IKeyPress> keys;
    std::string expected;
  };
  const std::vector<IKeyPress> mixed = {SyntheticInput::Letter('a'), Key('5', "5"), Char("-"), Char("+"), Char("."),
                                        Key(kKeyNumpad0 + 5, "5"), Key('5', "%", true)};
  const std::vector<Case> cases = {
      {kInt, mixed, "5-+5"},
      {kBool, mixed, "5-+5"},
      {kDouble, mixed, "5-+.5"},
      {IControl::kNoParameter, mixed, "a5-+.5%"},
      // Modifiers never become part of the text; a character above U+FFFF is one character.
      {IControl::kNoParameter, {Key('A', "A", true), Key(0, kSmile.c_str(), false, false)}, "A" + kSmile},
      // Control types nothing but its shortcuts; shift and alt type.
      {IControl::kNoParameter,
       {Key(kKeySpace, " ", true), Key('B', "b", false, true), Key('S', "s", false, true),
        Key(kKeySpace, " ", false, true), IKeyPress("\xC3\xA5", 'A', false, false, true)},
       " \xC3\xA5"},
  };
  for (const Case& c : cases) {
    Start("", c.param);
    Type(c.keys);
    EXPECT_EQ(entry->GetEditText(), c.expected) << c.param;
    entry->DismissEdit();
  }
  // No control waits for the text: typed characters are not taken.
  Start("");
  g.ForgetTextEntryTarget();
  EXPECT_FALSE(input.KeyDown(Char("x")));
  EXPECT_EQ(entry->GetEditText(), "");
}

TEST_F(TextEntryTest, EditsEndByReturnEscapeOrAClickOutside) {
  struct Case {
    const char* what;
    std::vector<IKeyPress> keys;
    bool clickOutside;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"return", {Key('7', "7"), Key(kKeyReturn)}, false, {"set param 0 0.535000"}},
      {"click outside", {Key('7', "7")}, true, {"set param 0 0.535000"}},
      {"escape", {Key('7', "7"), Key(kKeyEscape)}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Prompted for: the display text, all selected, is typed over.
    auto* asker = new Asker(delegate.mLog, kInt);
    g.AttachControl(asker);
    asker->SetPromptDisabled(false);
    asker->PromptUserInput(0);
    asker->SetValueAt(0.5);
    delegate.mLog.clear();
    Type(c.keys);
    if (c.clickOutside) input.Click(10, 10);
    Lines log = delegate.mLog;
    log.erase(std::remove(log.begin(), log.end(), std::string("shown 0 3")), log.end());
    EXPECT_EQ(log, c.expected);
    EXPECT_FALSE(entry->EditInProgress());
    EXPECT_EQ(entry->GetRECT(), IRECT());
    EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  }
  // Tab goes on to the key handler.
  Start("1");
  bool handed = false;
  g.SetKeyHandlerFunc([&](const IKeyPress& key, bool) { return handed = key.mVK == 9; });
  EXPECT_TRUE(input.KeyDown(Key(kKeyTab, "\t")));
  EXPECT_TRUE(handed);
  EXPECT_EQ(entry->GetEditText(), "1");
}

TEST_F(TextEntryTest, UndoAndRedoFollowTheHistory) {
  struct Case {
    const char* what;
    std::string start;
    std::vector<IKeyPress> keys;
    std::string expected;
  };
  const std::vector<IKeyPress> undo(150, Ctrl('Z'));
  std::vector<IKeyPress> typed120(120, Char("x"));
  typed120.insert(typed120.end(), undo.begin(), undo.end());
  // 600 units deleted, 600 typed over, those 600 deleted: the first deletion
  // no longer fits in 999 units of history.
  const std::vector<IKeyPress> over999 = {kBackspace, Ctrl('V'), Ctrl('A'), kBackspace,
                                          Ctrl('Z'), Ctrl('Z'), Ctrl('Z'), Ctrl('Z')};
  const std::vector<Case> cases = {
      {"undo", "", {Char("1"), Char("2"), Ctrl('Z')}, "1"},
      {"redo", "", {Char("1"), Char("2"), Ctrl('Z'), Ctrl('Z', true)}, "12"},
      {"typed over the selection", "ab", {Char("c"), Ctrl('Z'), Ctrl('Z')}, "ab"},
      {"a character above U+FFFF", "", {Char(kSmile), Ctrl('Z')}, ""},
      {"99 records", "", typed120, std::string(21, 'x')},
      {"999 units", std::string(600, 'a'), over999, ""},
      {"a new entry's history is its own", "new", {Ctrl('Z')}, "new"},
  };
  g.SetClipboard(std::string(600, 'b'));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start(c.start);
    Type(c.keys);
    EXPECT_EQ(entry->GetEditText(), c.expected);
    entry->DismissEdit();
  }
}

TEST_F(TextEntryTest, CutCopyAndPasteThroughKeysAndTheMenu) {
  struct Case {
    const char* what;
    std::string start;
    std::vector<IKeyPress> keys;
    int menuItem;  // chosen from the right button's menu after the keys; -1 none
    std::string expectedText;
    std::string expectedClipboard;
  };
  const std::vector<Case> cases = {
      {"copy", "abc", {Ctrl('C')}, -1, "abc", "abc"},
      {"copy without a selection", "abc", {kEnd, Ctrl('C')}, -1, "abc", "before"},
      {"cut", "abc", {kEnd, kShiftLeft, Ctrl('X')}, -1, "ab", "c"},
      {"paste", "abc", {kEnd, Ctrl('V')}, -1, "abcbefore", "before"},
      {"menu cut", "abc", {kEnd, kShiftLeft}, 0, "ab", "c"},
      {"menu copy", "abc", {}, 1, "abc", "abc"},
      {"menu paste over the selection", "abc", {}, 2, "before", "before"},
      {"a character above U+FFFF is selected whole", "x" + kSmile, {kEnd, kShiftLeft, Ctrl('C')}, -1, "x" + kSmile,
       kSmile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g.SetClipboard(std::string("before"));
    Start(c.start);
    Type(c.keys);
    if (c.menuItem >= 0) {
      g.QueuePopupAnswer(Answer::Choose(c.menuItem));
      input.RightClick(150, 110);
      EXPECT_NE(std::find(g.Log().begin(), g.Log().end(), "popup menu:  (3 items) at (150,110,150,110)"),
                g.Log().end());
    }
    EXPECT_EQ(entry->GetEditText(), c.expectedText);
    EXPECT_EQ(g.Clipboard(), c.expectedClipboard);
    entry->DismissEdit();
  }
  // Pasted bytes that are not UTF-8 arrive as U+FFFD; a cut the clipboard
  // refuses keeps the text.
  g.SetClipboard(std::string("a\xFF" "b\xE2\x82"));
  Start("");
  Type({Ctrl('V')});
  EXPECT_EQ(entry->GetEditText(), "a" + kFffd + "b" + kFffd);
  g.RefuseClipboardWrites(true);
  Type({Ctrl('A'), Ctrl('X')});
  EXPECT_EQ(entry->GetEditText(), "a" + kFffd + "b" + kFffd);
}

// Its two units are one character 10 wide, at 110 to 120.
TEST_F(TextEntryTest, ACharacterAboveUFFFFIsTwoUnitsEditedWhole) {
  struct Case {
    const char* what;
    float clickX;  // a click there first; 0 for none
    std::vector<IKeyPress> keys;
    std::string expected;
  };
  const IKeyPress home = Key(kKeyHome), right = Key(kKeyRight), a = Char("a");
  const std::vector<Case> cases = {
      {"left steps over it", 0, {kEnd, kLeft, kLeft, a}, "xa" + kSmile + "y"},
      {"right steps over it", 0, {home, right, right, a}, "x" + kSmile + "ay"},
      {"shift and left select it", 0, {kEnd, kLeft, kShiftLeft, a}, "xay"},
      {"backspace deletes it", 0, {kEnd, kLeft, kBackspace}, "xy"},
      {"delete deletes it", 0, {home, right, Key(kKeyDelete)}, "xy"},
      {"a click on its right half puts the caret after it", 117, {a}, "x" + kSmile + "ay"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start("x" + kSmile + "y");
    if (c.clickX > 0) input.Click(c.clickX, 110);
    Type(c.keys);
    EXPECT_EQ(entry->GetEditText(), c.expected);
    entry->DismissEdit();
  }
  Start("x" + kSmile);
  Type({kEnd, kLeft});
  EXPECT_EQ(Fills().back(), "(109,102,110,118) (255,0,0,255)");
}

// The length bounds only an entry for a parameter.
TEST_F(TextEntryTest, TypingAndPastingInsertWhatFitsTheLengthOfAParameterEntry) {
  struct Case {
    const char* what;
    int param;
    int length;
    std::string start;
    std::vector<IKeyPress> keys;
    std::string expected;
  };
  const IKeyPress one = Key('1', "1"), paste = Ctrl('V');
  const std::vector<Case> cases = {
      {"typed", kInt, 3, "", {one, one, one, one}, "111"},
      {"typed over the selection", kInt, 3, "123", {one}, "1"},
      {"pasted", kDouble, 4, "", {paste}, "12" + kSmile},
      {"pasted on whole characters", kDouble, 3, "", {paste}, "12"},
      {"no limit", kInt, 0, "", std::vector<IKeyPress>(9, one), "111111111"},
      {"no parameter", IControl::kNoParameter, 3, "", {one, one, one, one}, "1111"},
      {"a longer initial text stays, deleting goes on", kInt, 3, "12345", {kEnd, one, kBackspace, kBackspace}, "123"},
      {"pasted after an undo left the selection past the text", kDouble, 4, "", {paste, Ctrl('A'), Ctrl('Z'), paste},
       "12" + kSmile},
  };
  g.SetClipboard("12" + kSmile + "34");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* asker = new Asker(delegate.mLog, c.param);
    g.AttachControl(asker);
    asker->SetTextEntryLength(c.length);
    g.CreateTextEntry(*asker, IText(kFieldTextSize), kField, c.start.c_str(), 0);
    Type(c.keys);
    EXPECT_EQ(entry->GetEditText(), c.expected);
    entry->DismissEdit();
  }
}

// Each character is measured after its neighbour; a keystroke measures again
// only what it changed and the character after it.
TEST_F(TextEntryTest, AKeystrokeMeasuresOnlyTheCharactersBesideIt) {
  struct Case {
    const char* what;
    std::vector<IKeyPress> keys;
    int measured;
    int characters;  // afterwards
  };
  const std::vector<Case> cases = {
      {"typed at the end", {Char("b")}, 3, 10001},
      {"typed in the middle", {kLeft, Char("b")}, 5, 10001},
      {"a pair typed in the middle", {kLeft, Char(kSmile)}, 5, 10001},
      {"deleted in the middle", {kLeft, kBackspace}, 3, 9999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start(std::string(10000, 'a'));
    Type({kEnd});
    g.ClearCalls();
    Type(c.keys);
    EXPECT_EQ(g.CountCalls("MeasureText"), c.measured);
    // The widths stay those of a text measured afresh.
    Type({kEnd});
    const float width = 10.f * static_cast<float>(c.characters);
    EXPECT_EQ(Fills().back(), testing::FormatRect(IRECT(99 + width, 102, 100 + width, 118)) + " (255,0,0,255)");
    entry->DismissEdit();
  }
}

TEST_F(TextEntryTest, SelectionAndCaretSpanTheUnitsWidths) {
  struct Case {
    const char* what;
    EAlign align;
    EVAlign valign;
    std::vector<IKeyPress> keys;
    Lines expected;  // after the background
  };
  const std::vector<Case> cases = {
      {"all selected", EAlign::Near, EVAlign::Top, {}, {"(100,102,140,118) (255,0,0,255) x0.2"}},
      // Shift with left from the end selects the last unit.
      {"shift left", EAlign::Near, EVAlign::Top, {kEnd, kShiftLeft}, {"(130,102,140,118) (255,0,0,255) x0.2"}},
      {"caret at the end", EAlign::Near, EVAlign::Top, {kEnd}, {"(139,102,140,118) (255,0,0,255)"}},
      {"centred", EAlign::Center, EVAlign::Middle, {kEnd, kLeft}, {"(159,107,160,123) (255,0,0,255)"}},
      {"far, bottom", EAlign::Far, EVAlign::Bottom, {Key(kKeyHome)}, {"(159,112,160,128) (255,0,0,255)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start("abcd", IControl::kNoParameter, c.align, c.valign);
    Type(c.keys);
    Lines expected = {"(100,100,200,130) (255,255,255,255)"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(Fills(), expected);
    entry->DismissEdit();
  }
  // A caret between whole units is drawn from the whole unit before it.
  Start("abcd");
  g.CreateTextEntry(*g.GetControl(g.NControls() - 1), entry->GetText(), IRECT(100.5f, 100, 200, 130), "abcd");
  Type({kEnd});
  EXPECT_EQ(Fills().back(), "(139,102,140,118) (255,0,0,255)");
}

TEST_F(TextEntryTest, PointerPlacesTheCaretAndDragsTheSelection) {
  Start("abcd");
  input.Down(121, 110);  // nearer the boundary after "ab"
  input.DragTo(139, 110);
  input.Up(139, 110);
  EXPECT_EQ(Fills().back(), "(120,102,140,118) (255,0,0,255) x0.2");
  input.Click(104, 110);
  EXPECT_EQ(Fills().back(), "(99,102,100,118) (255,0,0,255)");
  EXPECT_TRUE(input.DoubleClick(104, 110));
  EXPECT_EQ(Fills().back(), "(100,102,140,118) (255,0,0,255) x0.2");
}

TEST_F(TextEntryTest, TheCaretBlinksHalfASecondOnAndOff) {
  GraphicsClock::PinForTesting(1000.0);
  Start("");
  const auto caretShown = [&](double ms) {
    GraphicsClock::PinForTesting(ms);
    g.ClearCalls();
    testing::RunFrame(g);
    return g.CountCalls("FillPath") == 2;  // the background and the caret
  };
  const std::vector<std::pair<double, bool>> frames = {
      {1100.0, true}, {1499.0, true}, {1501.0, false}, {1999.0, false}, {2001.0, true}, {2400.0, true},
      {2600.0, false}};
  for (const auto& [ms, shown] : frames) EXPECT_EQ(caretShown(ms), shown) << ms;
}

}  // namespace
}  // namespace plugkit::graphics
