#include "appkit/field_editing.h"

#include <AppKit/NSFormatter.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSRef.h>

#include <algorithm>

#include "appkit/font_face.h"
#include "cf_string.h"

const CFStringRef NSControlTextDidEndEditingNotification =
    CFStringMakeConstantString("NSControlTextDidEndEditingNotification");

namespace standin::appkit {
namespace {

// The characters of the keys the editor acts on, as a keyboard gives them.
constexpr char32_t kEnter = 0x03;
constexpr char32_t kBackspaceControl = 0x08;
constexpr char32_t kTab = 0x09;
constexpr char32_t kLineFeed = 0x0A;
constexpr char32_t kReturn = 0x0D;
constexpr char32_t kBackTab = 0x19;
constexpr char32_t kEscape = 0x1B;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kUpArrow = 0xF700;
constexpr char32_t kDownArrow = 0xF701;
constexpr char32_t kLeftArrow = 0xF702;
constexpr char32_t kRightArrow = 0xF703;
constexpr char32_t kForwardDelete = 0xF728;
// What is not text: control characters and the function keys' private characters.
constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kFirstC1Control = 0x80;
constexpr char32_t kFirstAfterC1Controls = 0xA0;
constexpr char32_t kFirstFunctionKey = 0xF700;
constexpr char32_t kLastFunctionKey = 0xF8FF;
constexpr char32_t kFirstSupplementary = 0x10000;

bool IsPrintable(char32_t c) {
  return c >= kFirstPrintable && c != kDelete && (c < kFirstC1Control || c >= kFirstAfterC1Controls) &&
         (c < kFirstFunctionKey || c > kLastFunctionKey);
}

std::size_t UnitsOf(char32_t c) { return c >= kFirstSupplementary ? 2 : 1; }

std::u32string Characters(CFStringRef text) { return cf::DecodeUTF8(cf::StringText(text)); }

CFStringRef MakeString(const std::u32string& text) {
  std::string utf8;
  for (const char32_t c : text) cf::AppendUTF8(utf8, c);
  return cf::MakeString(std::move(utf8));
}

// The character index that the UTF-16 offset falls in or after.
std::size_t CharacterAtUnit(const std::u32string& text, NS::UInteger unit, bool roundUp) {
  NS::UInteger units = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (units >= unit) return i;
    units += UnitsOf(text[i]);
    if (units > unit) return roundUp ? i + 1 : i;
  }
  return text.size();
}

NS::UInteger UnitsBefore(const std::u32string& text, std::size_t character) {
  NS::UInteger units = 0;
  for (std::size_t i = 0; i < character && i < text.size(); ++i) units += UnitsOf(text[i]);
  return units;
}

// Where the text starts in the editor's frame, by the field's alignment.
double TextStart(const NS::Text& editor, double textWidth, NS::TextAlignment alignment) {
  const NS::Rect frame = editor.frame();
  switch (alignment) {
    case NS::TextAlignmentCenter:
      return frame.origin.x + (frame.size.width - textWidth) / 2;
    case NS::TextAlignmentRight:
      return frame.origin.x + frame.size.width - textWidth;
    default:
      return frame.origin.x;
  }
}

}  // namespace

void FieldEditing::SetText(NS::Text& editor, std::u32string text, std::size_t start, std::size_t end) {
  editor.text_ = std::move(text);
  editor.selectionStart_ = std::min(start, editor.text_.size());
  editor.selectionEnd_ = std::clamp(end, editor.selectionStart_, editor.text_.size());
  CFRelease(editor.string_);
  editor.string_ = MakeString(editor.text_);
}

void FieldEditing::Begin(NS::Text& editor, NS::Object* delegate, CFStringRef text, const NS::Rect& frame) {
  auto* const field = dynamic_cast<NS::TextField*>(delegate);
  if (editor.client_ != nullptr && editor.client_ != field) End(*editor.client_);
  if (field != nullptr && field->editor_ != nullptr && field->editor_ != &editor) Detach(*field->editor_);
  editor.setFrame(frame);
  editor.client_ = field;
  if (field != nullptr) field->editor_ = &editor;
  std::u32string characters = Characters(text);
  const std::size_t end = characters.size();
  SetText(editor, std::move(characters), end, end);
}

void FieldEditing::Select(NS::Text& editor, NS::Range units) {
  const std::size_t start = CharacterAtUnit(editor.text_, units.location, false);
  const NS::UInteger endUnit = units.location + std::min(units.length, ~NS::UInteger{0} - units.location);
  const std::size_t end = CharacterAtUnit(editor.text_, endUnit, true);
  editor.selectionStart_ = start;
  editor.selectionEnd_ = std::max(start, end);
}

NS::Range FieldEditing::SelectedUnits(const NS::Text& editor) {
  const NS::UInteger start = UnitsBefore(editor.text_, editor.selectionStart_);
  return NS::Range{start, UnitsBefore(editor.text_, editor.selectionEnd_) - start};
}

void FieldEditing::PlaceCaret(NS::Text& editor, NS::Point point) {
  NS::TextField* const field = editor.client_;
  NS::Font* const font = field != nullptr ? field->font() : nullptr;
  std::size_t caret = editor.text_.size();
  if (font != nullptr) {
    const std::vector<double> advances = Advances(*font, editor.text_);
    double width = 0.0;
    for (const double advance : advances) width += advance;
    double x = TextStart(editor, width, field->alignment());
    for (std::size_t i = 0; i < advances.size(); ++i) {
      if (point.x < x + advances[i] / 2) {
        caret = i;
        break;
      }
      x += advances[i];
    }
  }
  editor.selectionStart_ = editor.selectionEnd_ = caret;
}

void FieldEditing::ReplaceText(NS::Text& editor, CFStringRef text) {
  std::u32string characters = Characters(text);
  const std::size_t end = characters.size();
  SetText(editor, std::move(characters), end, end);
}

void FieldEditing::SelectAll(NS::TextField& field) {
  NS::Window* const window = field.window();
  if (window == nullptr || !field.cell_->isEditable()) return;
  NS::Text* const editor = window->fieldEditorForObject(true, &field);
  const auto cell = NS::Ref<NS::TextFieldCell>::Retain(field.cell_);
  cell->selectWithFrameInViewEditorDelegateStartLength(field.bounds(), &field, editor, &field, 0,
                                                       CFStringGetLength(cell->stringValue()));
}

void FieldEditing::End(NS::TextField& field) {
  NS::Text* const editor = field.editor_;
  if (editor == nullptr) return;
  // The delegate usually takes the field out of its window and lets it go.
  const auto self = NS::Ref<NS::TextField>::Retain(&field);
  const auto heldEditor = NS::Ref<NS::Text>::Retain(editor);
  field.cell_->setStringValue(editor->string());
  Detach(*editor);
  const NS::AutoreleasePool pool;
  NS::Notification* const notification =
      NS::Notification::notificationWithNameObject(NSControlTextDidEndEditingNotification, &field);
  NS::NotificationCenter::defaultCenter()->postNotification(notification);
  if (NS::TextFieldDelegate* const delegate = field.delegate_) delegate->controlTextDidEndEditing(notification);
}

void FieldEditing::Detach(NS::Text& editor) {
  if (editor.client_ != nullptr) editor.client_->editor_ = nullptr;
  editor.client_ = nullptr;
  SetText(editor, {}, 0, 0);
}

void FieldEditing::Change(NS::Text& editor, std::u32string proposed, std::size_t caret) {
  NS::TextField* const field = editor.client_;
  NS::Formatter* const formatter = field != nullptr ? field->formatter() : nullptr;
  if (formatter != nullptr) {
    const auto heldFormatter = NS::Ref<NS::Formatter>::Retain(formatter);
    const NS::AutoreleasePool pool;
    CFStringRef proposedString = MakeString(proposed);
    CFStringRef replacement = nullptr;
    CFStringRef error = nullptr;
    const bool valid =
        formatter->isPartialStringValidNewEditingStringErrorDescription(proposedString, &replacement, &error);
    CFRelease(proposedString);
    if (!valid) {
      ++field->formatterRefusals_;
      if (replacement != nullptr) ReplaceText(editor, replacement);
      return;
    }
  }
  SetText(editor, std::move(proposed), caret, caret);
}

void FieldEditing::Insert(NS::Text& editor, const std::u32string& typed) {
  std::u32string proposed = editor.text_;
  proposed.replace(editor.selectionStart_, editor.selectionEnd_ - editor.selectionStart_, typed);
  Change(editor, std::move(proposed), editor.selectionStart_ + typed.size());
}

void FieldEditing::Delete(NS::Text& editor, bool forward) {
  std::size_t start = editor.selectionStart_;
  std::size_t end = editor.selectionEnd_;
  if (start == end) {
    if (forward ? end == editor.text_.size() : start == 0) return;
    forward ? ++end : --start;
  }
  std::u32string proposed = editor.text_;
  proposed.erase(start, end - start);
  Change(editor, std::move(proposed), start);
}

void FieldEditing::MoveCaret(NS::Text& editor, char32_t arrow) {
  std::size_t caret = editor.selectionStart_;
  const bool collapsing = editor.selectionStart_ != editor.selectionEnd_;
  switch (arrow) {
    case kLeftArrow:
      if (!collapsing && caret > 0) --caret;
      break;
    case kRightArrow:
      caret = collapsing ? editor.selectionEnd_ : std::min(editor.selectionEnd_ + 1, editor.text_.size());
      break;
    case kUpArrow:
      caret = 0;
      break;
    default:
      caret = editor.text_.size();
  }
  editor.selectionStart_ = editor.selectionEnd_ = caret;
}

void FieldEditing::EndByKey(NS::Text& editor) {
  NS::TextField* const field = editor.client_;
  if (field == nullptr) return;
  const auto held = NS::Ref<NS::TextField>::Retain(field);
  End(*field);
  NS::Window* const window = field->window();
  if (window != nullptr && window->firstResponder() == field && field->editor_ == nullptr) SelectAll(*field);
}

bool FieldEditing::InterpretKey(NS::Text& editor, NS::Event* event) {
  if ((event->modifierFlags() & NS::EventModifierFlagCommand) != 0) return false;
  const std::u32string key = Characters(event->charactersIgnoringModifiers());
  switch (key.empty() ? 0 : key.front()) {
    case kReturn:
    case kLineFeed:
    case kEnter:
    case kTab:
    case kBackTab:
      EndByKey(editor);
      return true;
    case kEscape:
      return true;
    case kDelete:
    case kBackspaceControl:
      Delete(editor, false);
      return true;
    case kForwardDelete:
      Delete(editor, true);
      return true;
    case kLeftArrow:
    case kRightArrow:
    case kUpArrow:
    case kDownArrow:
      MoveCaret(editor, key.front());
      return true;
    default:
      break;
  }
  std::u32string typed = Characters(event->characters());
  std::erase_if(typed, [](char32_t c) { return !IsPrintable(c); });
  if (!typed.empty()) Insert(editor, typed);
  return true;
}

}  // namespace standin::appkit
