// Keyboard entry: the numeric trim fields, the design name and description
// fields, and the script editor's keys.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/c_locale.h"
#include "common/utf8_text.h"
#include "editor/orvane_gui_control.h"

namespace orvane {

namespace {

using enum plugkit::EVirtualKey;

// Keypad Enter, whose code is also the letter U+800D's.
constexpr char16_t kKeypadEnter = 0x800D;
// Letter shortcuts match either case: the code with its lower-case bit cleared.
constexpr int kLowerCaseBit = 0x20;
// Key texts whose first byte lies below this are control characters. The
// script editor, whose rows and columns count bytes, reads the byte as signed
// and so also refuses every character beyond ASCII.
constexpr int kFirstPrintable = 32;
constexpr unsigned char kDeleteCharacter = 127;
// The C1 controls, and the characters the platform gives keys that type
// nothing (arrows, Home, F1 and the like).
constexpr char16_t kFirstC1Control = 0x80;
constexpr char16_t kLastC1Control = 0x9F;
constexpr char16_t kFirstFunctionKeyCharacter = 0xF700;
constexpr char16_t kLastFunctionKeyCharacter = 0xF8FF;

// A letter's code is the letter, whatever its alphabet, so the whole code
// counts; keypad Enter is Return unless the key types the letter itself.
int KeyCode(const IKeyPress& key) {
  const bool keypadEnter =
      key.mVK == kKeypadEnter && plugkit::Utf8ToUtf16(key.mUtf8) != std::u16string(1, kKeypadEnter);
  return keypadEnter ? kKeyReturn : key.mVK;
}

bool IsPrintableScriptText(const IKeyPress& key) {
  return !key.mC && !key.mA && static_cast<signed char>(key.mUtf8[0]) >= kFirstPrintable;
}

// True when the key's text is a single C1 control or function-key character.
bool IsC1OrFunctionKeyCharacter(const IKeyPress& key) {
  const std::u16string units = plugkit::Utf8ToUtf16(key.mUtf8);
  if (units.size() != 1) return false;
  const char16_t c = units.front();
  return (c >= kFirstC1Control && c <= kLastC1Control) ||
         (c >= kFirstFunctionKeyCharacter && c <= kLastFunctionKeyCharacter);
}

// Any character but a control character or a key's that types nothing,
// whatever its alphabet.
bool IsPrintableFieldText(const IKeyPress& key) {
  const auto first = static_cast<unsigned char>(key.mUtf8[0]);
  return !key.mC && !key.mA && first >= kFirstPrintable && first != kDeleteCharacter &&
         !IsC1OrFunctionKeyCharacter(key);
}

// What a key can change besides a text: a key that changes any of it redraws.
struct EntryState {
  std::int32_t editField;
  std::string editBuffer;
  std::int32_t editCaret;
  std::uint64_t nameCaret, descriptionCaret, scriptCaret;
  bool nameFocused, descriptionFocused, scriptFocused, scriptSelectAll;
  std::int32_t scriptFirstLine;

  bool operator==(const EntryState&) const = default;
};

EntryState EntryStateOf(const OrvaneGUIControl& e) {
  return {.editField = e.mEditField,
          .editBuffer = e.mEditBuffer,
          .editCaret = e.mEditCaret,
          .nameCaret = e.mNameCaret,
          .descriptionCaret = e.mDescriptionCaret,
          .scriptCaret = e.mScriptCaret,
          .nameFocused = e.mNameFocused,
          .descriptionFocused = e.mDescriptionFocused,
          .scriptFocused = e.mScriptFocused,
          .scriptSelectAll = e.mScriptSelectAll,
          .scriptFirstLine = e.mScriptFirstLine};
}

// Carets written from outside (a refresh clamping them to a shorter text)
// may stand inside a character; a key never works from there.
void SnapCarets(OrvaneGUIControl& e) {
  e.mNameCaret = plugkit::Utf8CharacterStart(e.mDesignName, e.mNameCaret);
  e.mDescriptionCaret = plugkit::Utf8CharacterStart(e.mDesignDescription, e.mDescriptionCaret);
  e.mScriptCaret = plugkit::Utf8CharacterStart(e.mScriptText, e.mScriptCaret);
}

void BeginNumericEntry(OrvaneGUIControl& e, std::int32_t field) {
  e.mEditField = field;
  e.mEditBuffer.clear();
  e.mEditCaret = 0;
  e.mNameFocused = false;
  e.mDescriptionFocused = false;
  e.mScriptFocused = false;
  e.MarkDirty(false);
}

bool NumericEntryKey(OrvaneGUIControl& e, const IKeyPress& key) {
  std::string& text = e.mEditBuffer;
  switch (KeyCode(key)) {
    case kKeyBackspace:
      if (!text.empty()) text.pop_back();
      break;
    case kKeyEscape:
      e.mEditField = OrvaneGUIControl::kEditFieldNone;
      text.clear();
      break;
    case kKeyReturn:
      e.CommitNumericEntry();
      return true;
    default: {
      if (key.mC || key.mA) return true;
      const char c = key.mUtf8[0];
      const bool sign = (c == '+' || c == '-') && text.empty();
      const bool point = c == '.' && text.find('.') == std::string::npos;
      if ((c >= '0' && c <= '9') || sign || point) text.push_back(c);
    }
  }
  e.mEditCaret = static_cast<std::int32_t>(text.size());
  return true;
}

// One of the two single-line fields of the header.
struct TextField {
  std::string& text;
  std::uint64_t& caret;
  bool& focused;
  void (OrvaneGUIControl::*commit)();
};

void ReportFieldText(OrvaneGUIControl& e, const TextField& field) {
  (e.*field.commit)();
  e.MarkDirty(false);
}

bool TextFieldKey(OrvaneGUIControl& e, const TextField& field, const IKeyPress& key) {
  std::string& text = field.text;
  const auto caret = static_cast<std::size_t>(field.caret);
  switch (KeyCode(key)) {
    case kKeyLeft:
      field.caret = plugkit::Utf8PreviousBoundary(text, caret);
      return true;
    case kKeyRight:
      field.caret = plugkit::Utf8NextBoundary(text, caret);
      return true;
    case kKeyDelete:
      if (caret < text.size()) {
        text.erase(caret, plugkit::Utf8NextBoundary(text, caret) - caret);
        ReportFieldText(e, field);
      }
      return true;
    case kKeyBackspace:
      if (caret > 0) {
        const std::size_t start = plugkit::Utf8PreviousBoundary(text, caret);
        text.erase(start, caret - start);
        field.caret = start;
        ReportFieldText(e, field);
      }
      return true;
    case kKeyReturn:
    case kKeyEscape:
      field.focused = false;
      return true;
    default:
      if (!IsPrintableFieldText(key)) return true;
      const std::string typed = plugkit::Utf8ReplaceInvalid(key.mUtf8);
      text.insert(caret, typed);
      field.caret = caret + typed.size();
      ReportFieldText(e, field);
      return true;
  }
}

// The caret one logical line up or down, at the same byte column or at the
// end of a shorter line; nothing on the first or the last line.
void MoveScriptCaretVertically(OrvaneGUIControl& e, bool down) {
  const std::string_view text = e.mScriptText;
  const auto caret = static_cast<std::size_t>(e.mScriptCaret);
  const std::size_t lineStart = caret == 0 ? 0 : text.rfind('\n', caret - 1) + 1;  // npos + 1 is 0
  const std::size_t column = caret - lineStart;
  std::size_t targetStart = 0;
  if (down) {
    const std::size_t newline = text.find('\n', caret);
    if (newline == std::string_view::npos) return;
    targetStart = newline + 1;
  } else {
    if (lineStart == 0) return;
    const std::size_t previousEnd = lineStart - 1;
    targetStart = previousEnd == 0 ? 0 : text.rfind('\n', previousEnd - 1) + 1;
  }
  std::size_t targetEnd = text.find('\n', targetStart);
  if (targetEnd == std::string_view::npos) targetEnd = text.size();
  e.mScriptCaret = plugkit::Utf8CharacterStart(text, std::min(targetEnd, targetStart + column));
}

bool ScriptShortcut(OrvaneGUIControl& e, int letter) {
  switch (letter) {
    case kKeyA:
      e.mScriptSelectAll = true;
      e.mScriptCaret = e.mScriptText.size();
      e.ScrollScriptToCaret();
      return true;
    case kKeyC:
      if (e.mScriptSelectAll) e.CopyScriptToClipboard();
      return true;
    case kKeyX:
      // The script goes only once the clipboard holds it.
      if (e.mScriptSelectAll && e.CopyScriptToClipboard()) e.InsertScriptText("");
      return true;
    case kKeyV:
      e.PasteScriptFromClipboard();
      return true;
    default:
      return false;
  }
}

// Removes the character before or at the caret; with select-all, the script.
void RemoveScriptCharacter(OrvaneGUIControl& e, bool beforeCaret) {
  if (e.mScriptSelectAll) {
    e.InsertScriptText("");
    return;
  }
  std::string& text = e.mScriptText;
  const auto caret = static_cast<std::size_t>(e.mScriptCaret);
  const std::size_t start = beforeCaret ? plugkit::Utf8PreviousBoundary(text, caret) : caret;
  const std::size_t end = beforeCaret ? caret : plugkit::Utf8NextBoundary(text, caret);
  if (start == end) return;
  text.erase(start, end - start);
  e.mScriptCaret = start;
  e.CommitScript();
}

bool ScriptKey(OrvaneGUIControl& e, const IKeyPress& key) {
  if (!e.mScriptFocused) return false;
  const int code = KeyCode(key);
  if (key.mC && ScriptShortcut(e, code & ~kLowerCaseBit)) return true;
  const std::string_view text = e.mScriptText;
  const auto caret = static_cast<std::size_t>(e.mScriptCaret);
  switch (code) {
    case kKeyBackspace:
    case kKeyDelete:
      RemoveScriptCharacter(e, code == kKeyBackspace);
      break;
    case kKeyReturn:
      e.InsertScriptText("\n");
      return true;
    case kKeyLeft:
    case kKeyRight:
      e.mScriptSelectAll = false;
      e.mScriptCaret =
          code == kKeyLeft ? plugkit::Utf8PreviousBoundary(text, caret) : plugkit::Utf8NextBoundary(text, caret);
      break;
    case kKeyUp:
    case kKeyDown:
      e.mScriptSelectAll = false;
      MoveScriptCaretVertically(e, code == kKeyDown);
      break;
    case kKeyHome:
      e.mScriptSelectAll = false;
      e.mScriptCaret = caret == 0 ? 0 : text.rfind('\n', caret - 1) + 1;
      break;
    case kKeyEnd: {
      e.mScriptSelectAll = false;
      const std::size_t newline = text.find('\n', caret);
      e.mScriptCaret = newline == std::string_view::npos ? text.size() : newline;
      break;
    }
    default:
      if (!IsPrintableScriptText(key)) return false;
      e.InsertScriptText(key.mUtf8);
      return true;
  }
  e.ScrollScriptToCaret();
  return true;
}

}  // namespace

bool OrvaneGUIControl::OnKeyDown(float, float, const IKeyPress& key) {
  SnapCarets(*this);
  const EntryState before = EntryStateOf(*this);
  bool taken = false;
  if (mEditField >= 0) {
    taken = NumericEntryKey(*this, key);
  } else if (mNameFocused) {
    taken = TextFieldKey(*this, {mDesignName, mNameCaret, mNameFocused, &OrvaneGUIControl::CommitDesignName}, key);
  } else if (mDescriptionFocused) {
    taken = TextFieldKey(
        *this, {mDesignDescription, mDescriptionCaret, mDescriptionFocused, &OrvaneGUIControl::CommitDesignDescription},
        key);
  } else if (!mPlayerView) {
    taken = ScriptKey(*this, key);
  }
  if (EntryStateOf(*this) != before) MarkDirty(false);
  return taken;
}

void OrvaneGUIControl::BeginGainFieldEdit(bool input) {
  BeginNumericEntry(*this, input ? kEditFieldInputTrim : kEditFieldOutputTrim);
}

void OrvaneGUIControl::BeginTrimFieldEdit(int section) {
  BeginNumericEntry(*this, kEditFieldFirstBypassTrim + section);
}

void OrvaneGUIControl::CommitNumericEntry() {
  if (mEditField < 0) return;
  if (!mEditBuffer.empty()) {
    const char* end = nullptr;
    const double value = plugkit::ParseDoubleCLocale(mEditBuffer.c_str(), &end);
    const bool whole = end == mEditBuffer.c_str() + mEditBuffer.size() && end != mEditBuffer.c_str();
    if (whole && std::isfinite(value)) {
      if (mEditField == kEditFieldInputTrim || mEditField == kEditFieldOutputTrim) {
        SetGainFromEditor(mEditField == kEditFieldInputTrim, value);
      } else {
        SetTrimFromEditor(mEditField - kEditFieldFirstBypassTrim, value);
      }
    }
  }
  mEditField = kEditFieldNone;
  mEditBuffer.clear();
  mEditCaret = 0;
  MarkDirty(false);
}

void OrvaneGUIControl::CommitDesignName() {
  if (onDesignNameChanged) onDesignNameChanged(mDesignName);
}

void OrvaneGUIControl::CommitDesignDescription() {
  if (onDesignDescriptionChanged) onDesignDescriptionChanged(mDesignDescription);
}

}  // namespace orvane
