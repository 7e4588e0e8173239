#pragma once

// Editing sessions of a window's field editor over a text field: what the
// cell starts, what keys and clicks do, and how a session ends. Main thread
// only, as AppKit.

#include <AppKit/NSEvent.h>
#include <AppKit/NSText.h>
#include <AppKit/NSTextField.h>

#include <string>

namespace standin::appkit {

struct FieldEditing {
  // The editor takes the frame and the text; the delegate, when it is a text
  // field, becomes the field edited (another field's session ends first).
  static void Begin(NS::Text& editor, NS::Object* delegate, CFStringRef text, const NS::Rect& frame);
  // Selects a range given in UTF-16 units.
  static void Select(NS::Text& editor, NS::Range units);
  static NS::Range SelectedUnits(const NS::Text& editor);
  // The caret at the character boundary nearest the point (in the field's coordinates).
  static void PlaceCaret(NS::Text& editor, NS::Point point);
  // Replaces the whole text, the caret at its end, without asking the formatter.
  static void ReplaceText(NS::Text& editor, CFStringRef text);

  // Starts a session over the field's whole text through its cell, when the
  // field is editable and in a window.
  static void SelectAll(NS::TextField& field);
  // Ends the field's session, if it has one: the text becomes the string
  // value, the notification is posted and the delegate called.
  static void End(NS::TextField& field);
  // Forgets the field's session without a word: the field or the editor is going.
  static void Detach(NS::Text& editor);

  // A key of the field's session; false for keys the editor leaves to the responder chain.
  static bool InterpretKey(NS::Text& editor, NS::Event* event);

  static long Refusals(const NS::TextField& field) { return field.formatterRefusals_; }

private:
  static void SetText(NS::Text& editor, std::u32string text, std::size_t start, std::size_t end);
  // Offers the text an edit would leave to the field's formatter; a refused
  // edit leaves the text, or takes the formatter's replacement.
  static void Change(NS::Text& editor, std::u32string proposed, std::size_t caret);
  static void Insert(NS::Text& editor, const std::u32string& typed);
  static void Delete(NS::Text& editor, bool forward);
  static void MoveCaret(NS::Text& editor, char32_t arrow);
  // Return and Tab: the session ends, and one over the whole text starts
  // again while the field stays first responder, as on the platform.
  static void EndByKey(NS::Text& editor);
};

}  // namespace standin::appkit
