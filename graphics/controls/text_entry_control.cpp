// The in-editor text entry and the editing engine it is built on: this is
// the one translation unit that compiles the engine, with the control as the
// engine's string and the callbacks below.
#include "graphics/controls/text_entry_control.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "common/popup_menu.h"
#include "common/utf8_text.h"
#include "framework/core/param.h"
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

// Engine keys: a character's code, or bit 31 and a virtual key for a key
// without text; modifiers in bits 28 to 30.
constexpr uint32_t kNoText = 0x80000000u;
constexpr uint32_t kShiftBit = 0x40000000u;
constexpr uint32_t kControlBit = 0x20000000u;
constexpr uint32_t kAltBit = 0x10000000u;
constexpr uint32_t kModifierBits = kShiftBit | kControlBit | kAltBit;
constexpr char32_t kLastSingleUnit = 0xFFFF;

constexpr uint32_t kEngineUndo = kControlBit | 'z';
constexpr uint32_t kEngineRedo = kShiftBit | kControlBit | 'z';

constexpr int kCaretBlinkMs = 1000;
constexpr double kCaretHiddenFrom = 0.5;  // of the blink period
constexpr float kBaselineStep = 1.25f;
// Selection and caret leave this share of the text size free above and below.
constexpr float kCaretInset = 0.1f;
constexpr IBlend kSelectionBlend{0, 0.2f};

enum EClipboardMenuItem { kCutItem = 0, kCopyItem = 1, kPasteItem = 2 };

constexpr uint32_t KeyWithModifiers(uint32_t code, const IKeyPress& key) {
  return code | (key.mS ? kShiftBit : 0u) | (key.mC ? kControlBit : 0u) | (key.mA ? kAltBit : 0u);
}

// The character an engine key types: none for a key without text, nor with control held.
constexpr char32_t TypedCharacter(uint32_t key) {
  return (key & (kNoText | kControlBit)) ? 0 : key & ~kModifierBits;
}

// The leading units of whole characters that fit in room.
std::u16string_view FittingUnits(std::u16string_view units, int room) {
  if (static_cast<int>(units.size()) <= room) return units;
  size_t fitting = static_cast<size_t>(std::max(room, 0));
  if (fitting > 0 && IsHighSurrogate(units[fitting - 1])) --fitting;
  return units.substr(0, fitting);
}

constexpr bool IsDigitKey(const IKeyPress& key) {
  return (key.mVK >= kKeyDigit0 && key.mVK <= kKeyDigit9 && !key.mS) ||
         (key.mVK >= kKeyNumpad0 && key.mVK <= kKeyNumpad9);
}

// The first character of a key's text; 0 for none.
char32_t FirstCharacter(const char* utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  if (units.empty()) return 0;
  if (units.size() > 1 && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1]))
    return JoinSurrogates(units[0], units[1]);
  return units[0];
}

// Whether a typed character suits the parameter the text is for.
bool AcceptsCharacter(const IParam* param, const IKeyPress& key, char32_t character) {
  if (!param || param->Type() == IParam::kTypeNone) return character != 0;
  const bool sign = character == U'+' || character == U'-';
  if (param->Type() == IParam::kTypeDouble) return IsDigitKey(key) || sign || character == U'.';
  return IsDigitKey(key) || sign;
}

}  // namespace

// The engine's callbacks, on the control as the engine's string.
struct TextEntryEngine {
  static int Length(const ITextEntryControl* entry) { return static_cast<int>(entry->mEditString.size()); }

  static char16_t Char(const ITextEntryControl* entry, int i) {
    return i >= 0 && i < Length(entry) ? entry->mEditString[static_cast<size_t>(i)] : u'\0';
  }

  static float CharWidth(ITextEntryControl* entry, int lineStart, int i) {
    entry->FillCharWidths();
    const int index = lineStart + i;
    return index >= 0 && index < entry->mCharWidths.GetSize() ? entry->mCharWidths.Get()[index] : 0.f;
  }

  static void LayoutRow(StbTexteditRow* row, ITextEntryControl* entry, int /*lineStart*/) {
    *row = entry->LayoutRow();
  }

  // A count of -1 deletes to the end; positions outside the text are clamped.
  static void DeleteChars(ITextEntryControl* entry, int position, int count) {
    const int length = Length(entry);
    position = std::clamp(position, 0, length);
    if (count < 0 || count > length - position) count = length - position;
    entry->mEditString.erase(static_cast<size_t>(position), static_cast<size_t>(count));
    entry->CharWidthsErased(position, count);
  }

  static int InsertChars(ITextEntryControl* entry, int position, const char16_t* units, int count) {
    if (count <= 0) return 1;
    position = std::clamp(position, 0, Length(entry));
    entry->mEditString.insert(static_cast<size_t>(position), units, static_cast<size_t>(count));
    entry->CharWidthsInserted(position, count);
    return 1;
  }

  // Modifiers never reach the text; a code above U+FFFF never comes here.
  static int KeyToText(uint32_t key) {
    const char32_t character = TypedCharacter(key);
    return character != 0 && character <= kLastSingleUnit ? static_cast<int>(character) : -1;
  }
};

}  // namespace plugkit::graphics

#define STB_TEXTEDIT_STRING plugkit::graphics::ITextEntryControl
#define STB_TEXTEDIT_KEYTYPE uint32_t
#define STB_TEXTEDIT_STRINGLEN(obj) plugkit::graphics::TextEntryEngine::Length(obj)
#define STB_TEXTEDIT_GETCHAR(obj, i) plugkit::graphics::TextEntryEngine::Char(obj, i)
#define STB_TEXTEDIT_GETWIDTH(obj, n, i) plugkit::graphics::TextEntryEngine::CharWidth(obj, n, i)
#define STB_TEXTEDIT_LAYOUTROW(row, obj, n) plugkit::graphics::TextEntryEngine::LayoutRow(row, obj, n)
#define STB_TEXTEDIT_DELETECHARS(obj, i, n) plugkit::graphics::TextEntryEngine::DeleteChars(obj, i, n)
#define STB_TEXTEDIT_INSERTCHARS(obj, i, c, n) plugkit::graphics::TextEntryEngine::InsertChars(obj, i, c, n)
#define STB_TEXTEDIT_KEYTOTEXT(key) plugkit::graphics::TextEntryEngine::KeyToText(key)
#define STB_TEXTEDIT_NEWLINE u'\n'
#define TEXT_ENTRY_KEY(modifiers, vk) (plugkit::graphics::kNoText | (modifiers) | uint32_t{plugkit::vk})
#define STB_TEXTEDIT_K_SHIFT plugkit::graphics::kShiftBit
#define STB_TEXTEDIT_K_LEFT TEXT_ENTRY_KEY(0u, kKeyLeft)
#define STB_TEXTEDIT_K_RIGHT TEXT_ENTRY_KEY(0u, kKeyRight)
#define STB_TEXTEDIT_K_UP TEXT_ENTRY_KEY(0u, kKeyUp)
#define STB_TEXTEDIT_K_DOWN TEXT_ENTRY_KEY(0u, kKeyDown)
#define STB_TEXTEDIT_K_PGUP TEXT_ENTRY_KEY(0u, kKeyPageUp)
#define STB_TEXTEDIT_K_PGDOWN TEXT_ENTRY_KEY(0u, kKeyPageDown)
#define STB_TEXTEDIT_K_LINESTART TEXT_ENTRY_KEY(0u, kKeyHome)
#define STB_TEXTEDIT_K_LINEEND TEXT_ENTRY_KEY(0u, kKeyEnd)
#define STB_TEXTEDIT_K_TEXTSTART TEXT_ENTRY_KEY(plugkit::graphics::kControlBit, kKeyHome)
#define STB_TEXTEDIT_K_TEXTEND TEXT_ENTRY_KEY(plugkit::graphics::kControlBit, kKeyEnd)
#define STB_TEXTEDIT_K_DELETE TEXT_ENTRY_KEY(0u, kKeyDelete)
#define STB_TEXTEDIT_K_BACKSPACE TEXT_ENTRY_KEY(0u, kKeyBackspace)
#define STB_TEXTEDIT_K_UNDO plugkit::graphics::kEngineUndo
#define STB_TEXTEDIT_K_REDO plugkit::graphics::kEngineRedo
#define STB_TEXTEDIT_IMPLEMENTATION
#include <stb/stb_textedit.h>

namespace plugkit::graphics {

static_assert(kEngineUndo == 0x2000007Au && kEngineRedo == 0x6000007Au);
static_assert((STB_TEXTEDIT_K_LEFT | STB_TEXTEDIT_K_SHIFT) == 0xC0000025u);

ITextEntryControl::ITextEntryControl()
  : IControl(IRECT(), kNoParameter, [this](IControl*) {
      mCaretVisible = true;
      SetAnimation(
          [this](IControl*) {
            const double progress = AnimationProgress();
            if (progress > kCaretHiddenFrom) {
              mCaretVisible = false;
              MarkDirty(false);
            }
            if (progress > 1.0) OnEndAnimation();
          },
          kCaretBlinkMs);
    }) {
  stb_textedit_initialize_state(&mEditState, 1);
}

ITextEntryControl::~ITextEntryControl() = default;

// Editing ---------------------------------------------------------------------------

// Each entry starts with a history of its own: records of an earlier text
// would undo at positions this one does not have.
void ITextEntryControl::CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                                        const char* str) {
  SetRECT(bounds);
  SetTargetRECT(bounds);
  SetMouseIsOver(false);
  OnResize();
  IText style = text;
  style.mFGColor = text.mTextEntryFGColor;
  SetText(style);
  mParamIdx = paramIdx;
  mMaxLength = paramIdx == kNoParameter ? 0 : std::max(length, 0);
  mEditString = Utf8ToUtf16(str ? str : "");
  stb_textedit_initialize_state(&mEditState, 1);
  mEditState.select_start = 0;
  mEditState.select_end = TextEntryEngine::Length(this);
  mEditState.cursor = 0;
  mCharWidths.Resize(0, false);
  FillCharWidths();
  MarkDirty(true);
  mEditing = true;
}

void ITextEntryControl::Close() {
  SetMouseIsOver(false);
  SetRECT(IRECT());
  SetTargetRECT(IRECT());
  OnResize();
}

// Closed before the text goes out, so that the receiver may start the next
// entry here or remove this control.
void ITextEntryControl::CommitEdit() {
  if (!mEditing) return;
  mEditing = false;
  Close();
  const std::string text = GetEditText();
  IGraphics* ui = GetUI();
  if (!ui) return;
  ui->SetControlValueAfterTextEdit(text.c_str());
  ui->SetAllControlsDirty();
}

void ITextEntryControl::DismissEdit() {
  if (!mEditing) return;
  mEditing = false;
  Close();
  if (IGraphics* ui = GetUI()) {
    ui->ForgetTextEntryTarget();
    ui->SetAllControlsDirty();
  }
}

std::string ITextEntryControl::GetEditText() const { return Utf16ToUtf8(mEditString); }

template <class Edit>
bool ITextEntryControl::EditState(Edit&& edit, bool byPointer) {
  STB_TexteditState before;
  std::memcpy(&before, &mEditState, sizeof before);
  edit();
  const int step = byPointer || mEditState.cursor >= before.cursor ? 1 : -1;
  for (int* position : {&mEditState.cursor, &mEditState.select_start, &mEditState.select_end})
    if (SplitsPair(*position)) *position += step;
  if (std::memcmp(&before, &mEditState, sizeof before) == 0) return false;
  MarkDirty(false);
  return true;
}

bool ITextEntryControl::SplitsPair(int position) const {
  return position > 0 && position < TextEntryEngine::Length(this) &&
         IsHighSurrogate(mEditString[static_cast<size_t>(position - 1)]) &&
         IsLowSurrogate(mEditString[static_cast<size_t>(position)]);
}

void ITextEntryControl::SelectCharacterToDelete(uint32_t engineKey) {
  if (STB_TEXT_HAS_SELECTION(&mEditState)) return;
  const uint32_t key = engineKey & ~kShiftBit;
  const int cursor = mEditState.cursor;
  if (key == STB_TEXTEDIT_K_BACKSPACE && SplitsPair(cursor - 1)) {
    mEditState.select_start = cursor - 2;
    mEditState.select_end = cursor;
  } else if (key == STB_TEXTEDIT_K_DELETE && SplitsPair(cursor + 1)) {
    mEditState.select_start = cursor;
    mEditState.select_end = cursor + 2;
  }
}

// An undo leaves the selection as it was, possibly past the end of the
// shorter text; only what the selection covers of the text makes room.
int ITextEntryControl::InsertRoom() const {
  if (mMaxLength == 0) return std::numeric_limits<int>::max();
  const int length = TextEntryEngine::Length(this);
  const int selected =
      std::abs(std::clamp(mEditState.select_end, 0, length) - std::clamp(mEditState.select_start, 0, length));
  return std::max(mMaxLength - (length - selected), 0);
}

// A character above U+FFFF goes in as its surrogate pair, one undo record;
// one that does not fit whole is not typed.
bool ITextEntryControl::SendKey(uint32_t engineKey) {
  const char32_t character = TypedCharacter(engineKey);
  const int units = character == 0 ? 0 : (character <= kLastSingleUnit ? 1 : 2);
  if (units > InsertRoom()) return false;
  if (units < 2) {
    return EditState([&] {
      SelectCharacterToDelete(engineKey);
      stb_textedit_key(this, &mEditState, engineKey);
    });
  }
  const char16_t pair[] = {HighSurrogateOf(character), LowSurrogateOf(character)};
  return EditState([&] { stb_textedit_paste(this, &mEditState, pair, 2); });
}

void ITextEntryControl::SelectAll() {
  EditState([&] {
    mEditState.select_start = 0;
    mEditState.select_end = TextEntryEngine::Length(this);
  });
}

bool ITextEntryControl::Copy() {
  const int length = TextEntryEngine::Length(this);
  const int from = std::clamp(std::min(mEditState.select_start, mEditState.select_end), 0, length);
  const int to = std::clamp(std::max(mEditState.select_start, mEditState.select_end), 0, length);
  IGraphics* ui = GetUI();
  if (from == to || !ui) return false;
  return ui->SetClipboardText(Utf16ToUtf8(std::u16string_view(mEditString).substr(from, to - from)).c_str());
}

void ITextEntryControl::Paste() {
  IGraphics* ui = GetUI();
  StrBuf text;
  if (!ui || !ui->ClipboardText(text) || text.GetLength() == 0) return;
  const std::u16string text16 = Utf8ToUtf16(text.Get());
  const std::u16string_view units = FittingUnits(text16, InsertRoom());
  if (units.empty()) return;
  EditState([&] { stb_textedit_paste(this, &mEditState, units.data(), static_cast<int>(units.size())); });
}

// What the clipboard refused stays in the text.
void ITextEntryControl::Cut() {
  if (Copy()) EditState([&] { stb_textedit_cut(this, &mEditState); });
}

// Keys ------------------------------------------------------------------------------

bool ITextEntryControl::OnKeyDown(float, float, const IKeyPress& key) {
  if (!mEditing) return false;
  if (key.mC) {
    switch (key.mVK) {
      case kKeyA: SelectAll(); return true;
      case kKeyC: Copy(); return true;
      case kKeyV: Paste(); return true;
      case kKeyX: Cut(); return true;
      case kKeyZ: SendKey(key.mS ? kEngineRedo : kEngineUndo); return true;
      default: break;
    }
  }
  const char32_t character = FirstCharacter(key.mUtf8);
  switch (key.mVK) {
    case kKeyBackspace: return SendKey(KeyWithModifiers(kNoText | kKeyBackspace, key));
    case kKeyTab: return false;
    case kKeyReturn: CommitEdit(); return true;
    case kKeyEscape: DismissEdit(); return true;
    case kKeySpace: return SendKey(KeyWithModifiers(U' ', key));
    case kKeyPageUp:
    case kKeyPageDown:
    case kKeyEnd:
    case kKeyHome:
    case kKeyLeft:
    case kKeyUp:
    case kKeyRight:
    case kKeyDown:
    case kKeyDelete: return SendKey(KeyWithModifiers(kNoText | static_cast<uint32_t>(key.mVK), key));
    default: break;
  }
  IGraphics* ui = GetUI();
  const IControl* edited = ui ? ui->GetControlInTextEntry() : nullptr;
  if (!edited) return false;
  const IParam* param = edited->ParamOfValue(edited->ValueIndexOfParam(mParamIdx));
  const uint32_t code = AcceptsCharacter(param, key, character) ? static_cast<uint32_t>(character)
                                                                  : kNoText | static_cast<uint32_t>(key.mVK);
  return SendKey(KeyWithModifiers(code, key));
}

// Pointer ---------------------------------------------------------------------------

void ITextEntryControl::OnMouseDown(float x, float y, const IMouseMod& mod) {
  if (!mEditing) return;
  if (!GetRECT().Contains(x, y)) {
    CommitEdit();
    return;
  }
  if (mod.L) {
    EditState([&] { stb_textedit_click(this, &mEditState, x, y); }, true);
  } else if (mod.R) {
    ShowClipboardMenu(x, y);
  }
}

void ITextEntryControl::OnMouseDrag(float x, float y, float, float, const IMouseMod& mod) {
  if (!mEditing || !mod.L) return;
  EditState([&] { stb_textedit_drag(this, &mEditState, x, y); }, true);
}

void ITextEntryControl::OnMouseUp(float x, float y, const IMouseMod& mod) {
  if (!mEditing || !mod.L) return;
  EditState([&] { stb_textedit_drag(this, &mEditState, x, y); }, true);
  MarkDirty(true);
}

void ITextEntryControl::OnMouseDoubleClick(float, float, const IMouseMod&) {
  if (mEditing) SelectAll();
}

void ITextEntryControl::ShowClipboardMenu(float x, float y) {
  IGraphics* ui = GetUI();
  if (!ui) return;
  if (!mClipboardMenu) {
    mClipboardMenu = std::make_unique<IPopupMenu>("", std::initializer_list<const char*>{"Cut", "Copy", "Paste"},
                                                  [this](IPopupMenu* menu) {
                                                    if (!mEditing || !menu) return;
                                                    switch (menu->GetChosenItemIdx()) {
                                                      case kCutItem: Cut(); break;
                                                      case kCopyItem: Copy(); break;
                                                      case kPasteItem: Paste(); break;
                                                      default: break;
                                                    }
                                                  });
  }
  ui->CreatePopupMenuFor(*this, *mClipboardMenu, IRECT(x, y, x, y));
}

// Drawing ---------------------------------------------------------------------------

void ITextEntryControl::OnEndAnimation() {
  IControl::OnEndAnimation();
  if (mEditing) MarkDirty(true);
}

void ITextEntryControl::FillCharWidths() {
  const int count = TextEntryEngine::Length(this);
  if (mCharWidths.GetSize() > 0 || count == 0) return;
  mCharWidths.Resize(count, false);
  if (mCharWidths.GetSize() != count) {
    mCharWidths.Resize(0, false);
    return;
  }
  std::fill(mCharWidths.Get(), mCharWidths.Get() + count, 0.f);
  MeasureCharacters(0, count);
}

// A pair's first half carries its character's width, measured whole.
void ITextEntryControl::MeasureCharacters(int from, int to) {
  const int count = TextEntryEngine::Length(this);
  IGraphics* ui = GetUI();
  if (!ui || mCharWidths.GetSize() != count) return;
  float* widths = mCharWidths.Get();
  IRECT bounds = GetRECT();
  const auto measure = [&](const std::string& text) {
    return ui->MeasureTextIfNotEmpty(GetText(), text.c_str(), bounds);
  };
  const std::u16string_view units(mEditString);
  const auto characterAt = [&](int start) { return Utf16ToUtf8(units.substr(start, SplitsPair(start + 1) ? 2 : 1)); };
  if (SplitsPair(from)) --from;
  std::string previous;
  float previousWidth = 0.f;
  if (from > 0) {
    previous = characterAt(SplitsPair(from - 1) ? from - 2 : from - 1);
    previousWidth = measure(previous);
  }
  for (int i = from; i < std::min(to, count);) {
    const std::string character = characterAt(i);
    const float alone = measure(character);
    // Measured after its neighbour, so that kerning between the two counts.
    widths[i] = previous.empty() ? alone : measure(previous + character) - previousWidth;
    const int size = SplitsPair(i + 1) ? 2 : 1;
    if (size == 2) widths[i + 1] = 0.f;
    previous = character;
    previousWidth = alone;
    i += size;
  }
}

// A cache out of step with the text is emptied, to be filled when next needed.
void ITextEntryControl::CharWidthsInserted(int position, int count) {
  const int before = mCharWidths.GetSize();
  if (before == TextEntryEngine::Length(this) - count) mCharWidths.Resize(before + count, false);
  if (mCharWidths.GetSize() != before + count) {
    mCharWidths.Resize(0, false);
    return;
  }
  float* widths = mCharWidths.Get();
  std::memmove(widths + position + count, widths + position, sizeof(float) * static_cast<size_t>(before - position));
  MeasureCharacters(position, position + count + 1);
}

void ITextEntryControl::CharWidthsErased(int position, int count) {
  const int before = mCharWidths.GetSize();
  if (before != TextEntryEngine::Length(this) + count) {
    mCharWidths.Resize(0, false);
    return;
  }
  float* widths = mCharWidths.Get();
  std::memmove(widths + position, widths + position + count,
               sizeof(float) * static_cast<size_t>(before - position - count));
  mCharWidths.Resize(before - count, false);
  // The character after the cut has a new neighbour.
  MeasureCharacters(position, position + 1);
}

float ITextEntryControl::WidthBefore(int units) const {
  const int count = std::clamp(units, 0, mCharWidths.GetSize());
  const float* widths = mCharWidths.Get();
  float sum = 0.f;
  for (int i = 0; i < count; ++i) sum += widths[i];
  return sum;
}

StbTexteditRow ITextEntryControl::LayoutRow() {
  FillCharWidths();
  const float width = WidthBefore(mCharWidths.GetSize());
  const IRECT& r = GetRECT();
  const float size = GetText().mSize;
  StbTexteditRow row{};
  switch (GetText().mAlign) {
    case EAlign::Near: row.x0 = r.L; break;
    case EAlign::Center: row.x0 = (r.L + r.R) / 2.f - width / 2.f; break;
    case EAlign::Far: row.x0 = r.R - width; break;
  }
  row.x1 = row.x0 + width;
  switch (GetText().mVAlign) {
    case EVAlign::Top: row.ymin = 0.f; break;
    case EVAlign::Middle: row.ymin = r.H() / 2.f - size / 2.f; break;
    case EVAlign::Bottom: row.ymin = r.H() - size; break;
  }
  row.ymax = row.ymin + size;
  row.baseline_y_delta = kBaselineStep;
  row.num_chars = TextEntryEngine::Length(this);
  return row;
}

void ITextEntryControl::Draw(IGraphics& g) {
  const IRECT& r = GetRECT();
  const IText& style = GetText();
  g.FillRect(style.mTextEntryBGColor, r);
  const StbTexteditRow row = LayoutRow();
  const float top = r.T + row.ymin + kCaretInset * style.mSize;
  const float bottom = r.T + row.ymax - kCaretInset * style.mSize;
  const int selectStart = mEditState.select_start;
  const int selectEnd = mEditState.select_end;
  if (selectStart != selectEnd) {
    const float left = row.x0 + WidthBefore(std::min(selectStart, selectEnd));
    const float right = row.x0 + WidthBefore(std::max(selectStart, selectEnd));
    g.FillRect(style.mTextEntryFGColor, IRECT(left, top, right, bottom), &kSelectionBlend);
  }
  g.DrawTextIfNotEmpty(style, GetEditText().c_str(), r);
  if (selectStart == selectEnd && mCaretVisible) {
    const float x = row.x0 + WidthBefore(mEditState.cursor);
    // Whole units, one wide, so the caret stays sharp.
    const IRECT caret(static_cast<float>(static_cast<int>(x - 1.f)), top, static_cast<float>(static_cast<int>(x)),
                      bottom);
    g.FillRect(style.mTextEntryFGColor, caret);
  }
}

}  // namespace plugkit::graphics
