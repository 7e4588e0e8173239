// The design name and description fields typed into through the host window,
// each key as a keyboard event that the platform view turns into a key press.

#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/run_loop.h>

#include <iterator>
#include <string>
#include <vector>

#include "common/utf8_text.h"
#include "editor/orvane_gui_control.h"
#include "product_test_support.h"

namespace orvane::testing {
namespace {

using standin::testing::EditingKey;
using standin::testing::Key;
using standin::testing::KeyFor;
using standin::testing::KeyForCharacter;
using standin::testing::kUnlistedKeyCode;

struct DesignFieldKeyCase {
  std::string what;
  Key key;
  std::string typed;  // what the key adds to the field
  bool endsField = false;
};

Key DesignFieldKey(unsigned short keyCode, const std::string& text) { return {keyCode, text, text, 0}; }

// Keys that type nothing, characters that go in whole (beyond the basic
// plane too), and keypad Enter.
std::vector<DesignFieldKeyCase> DesignFieldKeyCases() {
  std::vector<DesignFieldKeyCase> cases = {
      {"Home", KeyFor(EditingKey::Home), ""},
      {"End", KeyFor(EditingKey::End), ""},
      {"Up", KeyFor(EditingKey::Up), ""},
      {"Down", KeyFor(EditingKey::Down), ""},
      {"Page Up", DesignFieldKey(116, "\uF72C"), ""},
      {"Page Down", DesignFieldKey(121, "\uF72D"), ""},
      {"Help", DesignFieldKey(114, "\uF746"), ""},
      {"keypad Clear", DesignFieldKey(71, "\uF739"), ""},
      {"C1 control", DesignFieldKey(kUnlistedKeyCode, "\u0085"), ""},
      {"u umlaut", KeyForCharacter(U'ü'), "ü"},
      {"zhe", KeyForCharacter(U'ж'), "ж"},
      {"ideograph", KeyForCharacter(U'中'), "中"},
      {"compatibility ideograph", KeyForCharacter(U'\uF900'), "\uF900"},
      {"full-width A", KeyForCharacter(U'\uFF21'), "\uFF21"},
      {"emoji", KeyForCharacter(U'😀'), "😀"},
      {"clef", KeyForCharacter(U'𝄞'), "𝄞"},
      {"keypad Enter", DesignFieldKey(76, "\x03"), "", true},
  };
  // F1 to F20 from their keys; F21 to F24, which no keyboard has, by their
  // characters alone.
  constexpr unsigned short kFunctionKeyCodes[] = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109,
                                                  103, 111, 105, 107, 113, 106, 64,  79,  80,  90};
  constexpr int kFunctionKeys = 24;
  constexpr char16_t kF1Character = 0xF704;
  for (int i = 0; i < kFunctionKeys; ++i) {
    const unsigned short keyCode = i < static_cast<int>(std::size(kFunctionKeyCodes)) ? kFunctionKeyCodes[i]
                                                                                        : kUnlistedKeyCode;
    const std::u16string character(1, static_cast<char16_t>(kF1Character + i));
    cases.push_back({"F" + std::to_string(i + 1), DesignFieldKey(keyCode, plugkit::Utf16ToUtf8(character)), ""});
  }
  // Letters whose codes read as Backspace, Return, Escape, End, Home, the
  // arrows and Delete in their low 15 bits.
  for (const char16_t letter : {u'耈', u'耍', u'耛', u'耣', u'耤', u'耥', u'耦', u'耧', u'耨', u'耮'}) {
    const std::string text = plugkit::Utf16ToUtf8(std::u16string(1, letter));
    cases.push_back({"letter " + text, KeyForCharacter(letter), text});
  }
  return cases;
}

// One editor for every key: a click on the field, "A", the key, "B" (lost
// after a key that ends the field). What the design holds afterwards is what
// a save would write.
TEST(DesignFieldKeys, EachKeyTypesItsCharacterWholeOrNothingIntoTheNameAndTheDescription) {
  standin::testing::ScopedManualClock clock;
  standin::testing::ResetAppKit();
  ProductSandbox sandbox;
  auto plugin = sandbox.MakeInstance();
  plugin->Edit([](PluginStateDocument& document) { document.state.playerView = false; });
  NS::Window* window =
      standin::testing::MakeHostWindow(NS::MakeRect(0, 0, kOrvaneEditorWidth, kOrvaneEditorHeight));
  auto* view = static_cast<NS::View*>(plugin->OpenEditor(window->contentView()));
  standin::testing::RunFor(1.0 / 60.0);
  const OrvaneGUIControl& editor = *plugin->mEditorControl;

  for (const bool description : {false, true}) {
    const IRECT field = description ? editor.mDescriptionRect : editor.mNameRect;
    const NS::Point inField{(field.L + field.R) / 2.f, (field.T + field.B) / 2.f};
    auto held = [&] {
      const Design design = plugin->CopyDocument().design;
      return description ? design.description : design.name;
    };
    for (const DesignFieldKeyCase& c : DesignFieldKeyCases()) {
      SCOPED_TRACE((description ? "description, " : "name, ") + c.what);
      standin::testing::PressButton(view, inField);
      standin::testing::ReleaseButton(view, inField);
      const std::string before = held();
      standin::testing::TypeText(window, "A");
      standin::testing::PressKey(window, c.key);
      standin::testing::ReleaseKey(window, c.key);
      standin::testing::TypeText(window, "B");
      const std::string after = held();
      EXPECT_TRUE(after.starts_with(before)) << after;
      EXPECT_EQ(after.substr(before.size()), "A" + c.typed + (c.endsField ? "" : "B"));
    }
  }

  plugin->CloseEditor();
  window->release();
  standin::testing::ResetAppKit();
}

}  // namespace
}  // namespace orvane::testing
