// The testing API of text entry: keys as a US keyboard types them, and what
// text fields and the field editor recorded.

#include <AppKit/NSText.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>

#include <standin/testing/appkit.h>

#include <string_view>

#include "appkit/field_editing.h"
#include "cf_string.h"

namespace standin::testing {
namespace {

using namespace std::string_view_literals;

// The characters of the keys from key code 0 to 50, without and with Shift;
// "\0" where a key types no character of its own.
constexpr std::string_view kUnshifted = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.\0 `"sv;
constexpr std::string_view kShifted = "ASDFHGZXCV\0BQWERYT!@#$^%+(&_*)}OU{IP\0LJ\"K:|<?NM>\0 ~"sv;

struct EditingKeyCode {
  EditingKey key;
  unsigned short keyCode;
  char32_t character;
};
constexpr EditingKeyCode kEditingKeys[] = {
    {EditingKey::Return, 36, U'\r'},       {EditingKey::Tab, 48, U'\t'},      {EditingKey::Escape, 53, 0x1B},
    {EditingKey::Backspace, 51, 0x7F},     {EditingKey::ForwardDelete, 117, 0xF728},
    {EditingKey::Left, 123, 0xF702},       {EditingKey::Right, 124, 0xF703}, {EditingKey::Down, 125, 0xF701},
    {EditingKey::Up, 126, 0xF700},         {EditingKey::Home, 115, 0xF729},  {EditingKey::End, 119, 0xF72B},
};

std::string Utf8(char32_t c) {
  std::string text;
  cf::AppendUTF8(text, c);
  return text;
}

Key MakeKey(unsigned short keyCode, char32_t character, NS::EventModifierFlags modifiers) {
  return Key{keyCode, Utf8(character), Utf8(character), modifiers};
}

bool PressAndRelease(NS::Window* window, const Key& key) { return PressKey(window, key) && ReleaseKey(window, key); }

}  // namespace

Key KeyForCharacter(char32_t character) {
  for (const EditingKeyCode& editing : kEditingKeys) {
    if (editing.character == character) return KeyFor(editing.key);
  }
  if (character != 0 && character < 0x80) {
    const char c = static_cast<char>(character);
    if (const auto at = kUnshifted.find(c); at != std::string_view::npos) {
      return MakeKey(static_cast<unsigned short>(at), character, 0);
    }
    if (const auto at = kShifted.find(c); at != std::string_view::npos) {
      return MakeKey(static_cast<unsigned short>(at), character, NS::EventModifierFlagShift);
    }
  }
  return MakeKey(kUnlistedKeyCode, character, 0);
}

bool TypeText(NS::Window* window, const std::string& utf8) {
  if (window == nullptr) return false;
  for (const char32_t c : cf::DecodeUTF8(utf8)) {
    if (!PressAndRelease(window, KeyForCharacter(c))) return false;
  }
  return true;
}

Key KeyFor(EditingKey key) {
  for (const EditingKeyCode& editing : kEditingKeys) {
    if (editing.key == key) return MakeKey(editing.keyCode, editing.character, 0);
  }
  return Key{};
}

bool PressEditingKey(NS::Window* window, EditingKey key) { return PressAndRelease(window, KeyFor(key)); }

long FormatterRefusalCount(const NS::TextField* field) {
  return field != nullptr ? appkit::FieldEditing::Refusals(*field) : 0;
}

NS::Color* FieldEditorInsertionPointColor(NS::Window* window) {
  NS::Text* const editor = window != nullptr ? window->fieldEditorForObject(false, nullptr) : nullptr;
  return editor != nullptr ? editor->insertionPointColor() : nullptr;
}

}  // namespace standin::testing
