// The editor control under a stream of steps decoded from the input: keys,
// pastes of arbitrary bytes, focus and caret changes as the mouse and the
// plug-in core make them, script-area metrics, and whole-script pushes. After
// every step the texts must be UTF-8 that the design writer takes, edits must
// keep the script within its limit, carets must stand on character
// boundaries inside their texts, and the row table must cover the script.
//
// Steps, each an operation byte (taken modulo the count) and its operands;
// the input ends at the first step whose operands run short:
//   0 key       code, modifiers (1 shift, 2 command, 4 alt, 8 code + 0x8000),
//               text length (at most 4), text bytes
//   1 paste     a text (below) on the clipboard, then command+V
//   2 focus     0 name, 1 description, 2 script, 3 to 10 numeric field 0 to 7,
//               11 flip the PLAY view, else every focus off
//   3 caret     which (0 name, 1 description, else script), position (2 bytes)
//   4 metrics   width, height, character width, line height (1 byte each)
//   5 push      a text made UTF-8, through SetScriptText
//   6 menu      0 new blank script, 1 copy all, 2 paste
//   7 commit    the numeric entry, as a click elsewhere does
//   8 clipboard refuse writes when the byte is odd
// A text is a length (2 bytes, big-endian), a pattern length and the pattern,
// repeated and cut to the length.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "common/utf8_text.h"
#include "design/design_json.h"
#include "editor_harness.h"

namespace {

using orvane::IKeyPress;
using orvane::OrvaneGUIControl;
using orvane::kScriptMaxBytes;

enum Operation { kKey, kPaste, kFocus, kCaret, kMetrics, kPush, kMenu, kCommit, kClipboard, kOperationCount };

constexpr int kShiftBit = 1, kCommandBit = 2, kAltBit = 4, kHighCodeBit = 8;
constexpr int kHighCode = 0x8000;
constexpr int kCommandV = 'V';
constexpr int kNumericFieldCount = 8;

class Reader {
public:
  Reader(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}

  std::optional<std::uint8_t> Byte() {
    if (mPosition >= mSize) return std::nullopt;
    return mData[mPosition++];
  }
  std::optional<unsigned> Word() {
    const auto high = Byte();
    const auto low = Byte();
    if (!high || !low) return std::nullopt;
    return (*high << 8) | *low;
  }
  std::optional<std::string> Bytes(std::size_t count) {
    if (mSize - mPosition < count) return std::nullopt;
    std::string bytes(reinterpret_cast<const char*>(mData + mPosition), count);
    mPosition += count;
    return bytes;
  }
  std::optional<std::string> Text() {
    const auto length = Word();
    const auto patternLength = Byte();
    if (!length || !patternLength) return std::nullopt;
    const auto pattern = Bytes(*patternLength);
    if (!pattern) return std::nullopt;
    std::string text;
    while (!pattern->empty() && text.size() < *length) text += *pattern;
    text.resize(std::min<std::size_t>(text.size(), *length));
    return text;
  }

private:
  const std::uint8_t* mData;
  std::size_t mSize;
  std::size_t mPosition = 0;
};

// A metric from a byte: 0, the odd ones out (NaN, infinity, negative), or a
// spread of plain values.
float Metric(std::uint8_t byte, float unit) {
  switch (byte) {
    case 255: return std::numeric_limits<float>::quiet_NaN();
    case 254: return std::numeric_limits<float>::infinity();
    case 253: return -unit;
    default: return static_cast<float>(byte) * unit;
  }
}

bool OnBoundary(const std::string& text, std::uint64_t caret) {
  return caret <= text.size() && plugkit::Utf8CharacterStart(text, caret) == caret;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckRows(const OrvaneGUIControl& editor) {
  const auto& rows = editor.mScriptRows;
  if (rows.empty()) return;  // a pushed script is wrapped by whoever needs rows next
  const std::string& text = editor.mScriptText;
  std::size_t expected = 0;
  std::size_t line = 1;
  for (const orvane::ScriptRow& row : rows) {
    if (row.start != expected) {
      // Only a newline lies between two rows, and it starts the next line.
      Require(row.start == expected + 1 && text[expected] == '\n' && row.lineNumber == ++line);
    } else {
      Require(row.lineNumber == line);
    }
    Require(row.start + row.length <= text.size() && OnBoundary(text, row.start));
    expected = row.start + row.length;
  }
  Require(rows.front().start == 0 && expected == text.size());
  Require(editor.mScriptFirstLine >= 0 && static_cast<std::size_t>(editor.mScriptFirstLine) < rows.size());
}

void CheckInvariants(const OrvaneGUIControl& editor, bool caretsFromOutside) {
  Require(plugkit::Utf8IsValid(editor.mScriptText));
  Require(OnBoundary(editor.mScriptText, editor.mScriptCaret));
  Require(editor.mEditCaret >= 0 && static_cast<std::size_t>(editor.mEditCaret) <= editor.mEditBuffer.size());
  if (!caretsFromOutside) {
    Require(OnBoundary(editor.mDesignName, editor.mNameCaret));
    Require(OnBoundary(editor.mDesignDescription, editor.mDescriptionCaret));
  }
  CheckRows(editor);
  orvane::Design design;
  design.name = editor.mDesignName;
  design.description = editor.mDesignDescription;
  design.script = editor.mScriptText;
  try {
    (void)orvane::BuildDesignJson(design).dump();
  } catch (...) {
    std::abort();
  }
}

void PressKey(OrvaneGUIControl& editor, int code, int modifiers, const std::string& text) {
  IKeyPress key;
  key.mVK = code | ((modifiers & kHighCodeBit) ? kHighCode : 0);
  key.mS = (modifiers & kShiftBit) != 0;
  key.mC = (modifiers & kCommandBit) != 0;
  key.mA = (modifiers & kAltBit) != 0;
  text.copy(key.mUtf8, IKeyPress::kMaxUtf8Size - 1);
  editor.OnKeyDown(0.f, 0.f, key);
}

void Focus(OrvaneGUIControl& editor, int which) {
  if (which >= 3 && which < 3 + kNumericFieldCount) {
    const int field = which - 3;
    if (field < 2) {
      editor.BeginGainFieldEdit(field == 0);
    } else {
      editor.BeginTrimFieldEdit(field - 2);
    }
    return;
  }
  if (which == 3 + kNumericFieldCount) {
    editor.mPlayerView = !editor.mPlayerView;
    return;
  }
  editor.mNameFocused = which == 0;
  editor.mDescriptionFocused = which == 1;
  editor.mScriptFocused = which == 2;
}

// One step; false when its operands ran short.
bool Step(Reader& in, orvane::testing::EditorHarness& harness, bool& caretsFromOutside) {
  OrvaneGUIControl& editor = harness.Editor();
  const auto operation = in.Byte();
  if (!operation) return false;
  const std::size_t scriptBefore = editor.mScriptText.size();
  bool edit = true;
  switch (*operation % kOperationCount) {
    case kKey: {
      const auto code = in.Byte();
      const auto modifiers = in.Byte();
      const auto length = in.Byte();
      if (!code || !modifiers || !length) return false;
      const auto text = in.Bytes(std::min<std::size_t>(*length, IKeyPress::kMaxUtf8Size - 1));
      if (!text) return false;
      PressKey(editor, *code, *modifiers, *text);
      caretsFromOutside = false;
      break;
    }
    case kPaste: {
      const auto text = in.Text();
      if (!text) return false;
      harness.graphics->SetClipboard(*text);
      PressKey(editor, kCommandV, kCommandBit, "v");
      caretsFromOutside = false;
      break;
    }
    case kFocus: {
      const auto which = in.Byte();
      if (!which) return false;
      Focus(editor, *which);
      break;
    }
    case kCaret: {
      const auto which = in.Byte();
      const auto position = in.Word();
      if (!which || !position) return false;
      if (*which == 0) {
        editor.mNameCaret = std::min<std::uint64_t>(*position, editor.mDesignName.size());
        caretsFromOutside = true;
      } else if (*which == 1) {
        editor.mDescriptionCaret = std::min<std::uint64_t>(*position, editor.mDesignDescription.size());
        caretsFromOutside = true;
      } else {
        // As a click places it.
        editor.mScriptCaret = plugkit::Utf8CharacterStart(editor.mScriptText, *position);
        editor.mScriptSelectAll = false;
        editor.ScrollScriptToCaret();
      }
      break;
    }
    case kMetrics: {
      const auto width = in.Byte();
      const auto height = in.Byte();
      const auto charWidth = in.Byte();
      const auto lineHeight = in.Byte();
      if (!width || !height || !charWidth || !lineHeight) return false;
      editor.mScriptRect = orvane::IRECT(0.f, 0.f, Metric(*width, 4.f), Metric(*height, 4.f));
      editor.mScriptTextLeft = Metric(*width, 0.5f);
      editor.mScriptCharWidth = Metric(*charWidth, 0.25f);
      editor.mScriptLineHeight = Metric(*lineHeight, 0.25f);
      // As the drawing of the script area does.
      editor.WrapScriptLines();
      editor.ScrollScriptToCaret();
      break;
    }
    case kPush: {
      const auto text = in.Text();
      if (!text) return false;
      editor.SetScriptText(plugkit::Utf8ReplaceInvalid(*text), editor.mPlayerValues);
      edit = false;
      break;
    }
    case kMenu: {
      const auto which = in.Byte();
      if (!which) return false;
      if (*which % 3 == 0) editor.NewBlankScript();
      if (*which % 3 == 1) editor.CopyScriptToClipboard();
      if (*which % 3 == 2) editor.PasteScriptFromClipboard();
      break;
    }
    case kCommit:
      editor.CommitNumericEntry();
      break;
    case kClipboard: {
      const auto refuse = in.Byte();
      if (!refuse) return false;
      harness.graphics->RefuseClipboardWrites((*refuse & 1) != 0);
      break;
    }
  }
  if (edit) Require(editor.mScriptText.size() <= std::max(kScriptMaxBytes, scriptBefore));
  CheckInvariants(editor, caretsFromOutside);
  harness.TakeCalls();
  harness.graphics->Log().clear();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane::testing::EditorSetup setup;
  setup.name = "Design \xC3\xA9";
  setup.description = "A \xE2\x82\xAC description";
  setup.script = "slider: \"Drive\"\ngain = x\n";
  orvane::testing::EditorHarness harness(setup);
  harness.graphics->SetClipboard(std::nullopt);
  Reader in(data, size);
  bool caretsFromOutside = false;
  while (Step(in, harness, caretsFromOutside)) {
  }
  return 0;
}
