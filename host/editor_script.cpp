#include "host/editor_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "host/cf_text.h"

namespace orvane::host {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr char kCommentMark = '#';
constexpr char kQuote = '"';
constexpr char kEscape = '\\';
// Words quoted in a message are cut to this many bytes.
constexpr std::size_t kShownWordBytes = 40;
constexpr char32_t kFirstPrintableCharacter = 0x21;
constexpr char32_t kDeleteCharacter = 0x7F;
constexpr char32_t kLastControlCharacter = 0x9F;
constexpr int kMaxMenuIndex = 99999;
constexpr std::string_view kPngExtension = ".png";

struct Refusal {
  std::string reason;
};

[[noreturn]] void Refuse(std::string reason) { throw Refusal{std::move(reason)}; }

// A word as a message shows it: printable ASCII as it is, other bytes as \xNN.
std::string Shown(std::string_view word) {
  std::string shown = "\"";
  for (const char c : word.substr(0, kShownWordBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  if (word.size() > kShownWordBytes) shown += "...";
  return shown + "\"";
}

// The words and texts of one line, read from the left.
class LineReader {
public:
  LineReader(std::string_view line, std::string_view usage) : mLine(line), mUsage(usage) {}

  bool AtEnd() {
    SkipBlanks();
    return mAt == mLine.size();
  }
  // The next word; empty at the end of the line.
  std::string_view Word() {
    SkipBlanks();
    const std::size_t end = std::min(mLine.find_first_of(kBlanks, mAt), mLine.size());
    const std::string_view word = mLine.substr(mAt, end - mAt);
    mAt = end;
    return word;
  }
  // The next word, which must be there.
  std::string_view Required(std::string_view what) {
    const std::string_view word = Word();
    if (word.empty()) Refuse("missing " + std::string(what) + " (" + std::string(mUsage) + ")");
    return word;
  }
  bool NextIsQuote() { return !AtEnd() && mLine[mAt] == kQuote; }
  // A quoted text with \" and \\ escaped, as UTF-8 of at most kMaxScriptTextBytes.
  std::string QuotedText(std::string_view what) {
    if (!NextIsQuote()) Refuse(std::string(what) + " must be a quoted text (" + std::string(mUsage) + ")");
    std::string text;
    for (++mAt; mAt < mLine.size(); ++mAt) {
      const char c = mLine[mAt];
      if (c == kQuote) {
        ++mAt;
        return CheckedText(std::move(text), what);
      }
      if (c == kEscape) {
        if (++mAt == mLine.size()) break;
        const char escaped = mLine[mAt];
        if (escaped != kQuote && escaped != kEscape)
          Refuse("unknown escape " + Shown(mLine.substr(mAt - 1, 2)) + " in " + std::string(what) +
                 " (only \\\" and \\\\)");
        text += escaped;
      } else {
        text += c;
      }
    }
    Refuse(std::string(what) + " has no closing quote");
  }
  void RequireEnd() {
    if (!AtEnd()) Refuse("unexpected " + Shown(Word()) + " (" + std::string(mUsage) + ")");
  }

private:
  void SkipBlanks() {
    while (mAt < mLine.size() && kBlanks.find(mLine[mAt]) != std::string_view::npos) ++mAt;
  }
  static std::string CheckedText(std::string text, std::string_view what) {
    if (text.size() > kMaxScriptTextBytes)
      Refuse(std::string(what) + " is longer than " + std::to_string(kMaxScriptTextBytes) + " bytes");
    if (!IsUtf8Text(text)) Refuse(std::string(what) + " is not UTF-8");
    return text;
  }

  std::string_view mLine;
  std::string_view mUsage;
  std::size_t mAt = 0;
};

template <typename Number>
std::optional<Number> ParseNumber(std::string_view word) {
  Number value{};
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::string LimitText(double limit) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", limit);
  return text;
}

double ReadBoundedNumber(LineReader& reader, std::string_view what) {
  const std::string_view word = reader.Required(what);
  const auto value = ParseNumber<double>(word);
  if (!value) Refuse(std::string(what) + " must be a number, not " + Shown(word));
  if (!std::isfinite(*value)) Refuse(std::string(what) + " must be a finite number, not " + Shown(word));
  if (std::fabs(*value) > kMaxScriptCoordinate)
    Refuse(std::string(what) + " " + Shown(word) + " lies outside -" + LimitText(kMaxScriptCoordinate) + ".." +
           LimitText(kMaxScriptCoordinate));
  return *value;
}

int ReadWholeNumber(LineReader& reader, std::string_view what, int least, int most) {
  const std::string_view word = reader.Required(what);
  const auto value = ParseNumber<long>(word);
  if (!value || *value < least || *value > most)
    Refuse(std::string(what) + " must be a whole number from " + std::to_string(least) + " to " +
           std::to_string(most) + ", not " + Shown(word));
  return static_cast<int>(*value);
}

ScriptPoint ReadPoint(LineReader& reader, std::string_view x, std::string_view y) {
  const double atX = ReadBoundedNumber(reader, x);
  return {atX, ReadBoundedNumber(reader, y)};
}

// The rest of the line, each word a modifier given once.
ScriptModifiers ReadModifiers(LineReader& reader) {
  ScriptModifiers modifiers;
  const struct {
    std::string_view name;
    bool ScriptModifiers::*flag;
  } kModifiers[] = {{"shift", &ScriptModifiers::shift},
                    {"ctrl", &ScriptModifiers::control},
                    {"alt", &ScriptModifiers::alt},
                    {"cmd", &ScriptModifiers::command}};
  for (std::string_view word = reader.Word(); !word.empty(); word = reader.Word()) {
    const auto found = std::find_if(std::begin(kModifiers), std::end(kModifiers),
                                    [&](const auto& modifier) { return modifier.name == word; });
    if (found == std::end(kModifiers)) Refuse("unknown modifier " + Shown(word) + " (shift, ctrl, alt, cmd)");
    if (modifiers.*(found->flag)) Refuse(std::string(word) + " is given twice");
    modifiers.*(found->flag) = true;
  }
  return modifiers;
}

// A word, or a quoted text when it starts with a quote.
std::string ReadPath(LineReader& reader) {
  std::string path = reader.NextIsQuote() ? reader.QuotedText("the path") : std::string(reader.Required("PATH"));
  if (path.empty()) Refuse("the path is empty");
  if (path.find('\0') != std::string::npos) Refuse("the path holds a NUL byte");
  if (!IsUtf8Text(path)) Refuse("the path is not UTF-8");
  reader.RequireEnd();
  return path;
}

ScriptStep ReadMove(LineReader& reader) {
  const ScriptPoint at = ReadPoint(reader, "X", "Y");
  reader.RequireEnd();
  return MoveStep{at};
}

ClickStep ReadClickAt(LineReader& reader, ScriptButton button, bool twice) {
  const ScriptPoint at = ReadPoint(reader, "X", "Y");
  return ClickStep{at, button, twice, ReadModifiers(reader)};
}
ScriptStep ReadClick(LineReader& reader) { return ReadClickAt(reader, ScriptButton::kLeft, false); }
ScriptStep ReadRightClick(LineReader& reader) { return ReadClickAt(reader, ScriptButton::kRight, false); }
ScriptStep ReadDoubleClick(LineReader& reader) { return ReadClickAt(reader, ScriptButton::kLeft, true); }

ScriptStep ReadDrag(LineReader& reader) {
  DragStep drag;
  drag.from = ReadPoint(reader, "X1", "Y1");
  drag.to = ReadPoint(reader, "X2", "Y2");
  LineReader lookahead = reader;
  if (lookahead.Word() == "steps") {
    reader = lookahead;
    drag.steps = ReadWholeNumber(reader, "N after steps", 1, kMaxDragSteps);
  }
  drag.modifiers = ReadModifiers(reader);
  return drag;
}

ScriptStep ReadWheel(LineReader& reader) {
  WheelStep wheel;
  wheel.at = ReadPoint(reader, "X", "Y");
  wheel.delta = ReadBoundedNumber(reader, "DELTA");
  wheel.modifiers = ReadModifiers(reader);
  return wheel;
}

constexpr struct {
  std::string_view name;
  NamedKey key;
} kNamedKeys[] = {{"return", NamedKey::kReturn}, {"tab", NamedKey::kTab},     {"escape", NamedKey::kEscape},
                  {"backspace", NamedKey::kBackspace}, {"delete", NamedKey::kDelete}, {"left", NamedKey::kLeft},
                  {"right", NamedKey::kRight},   {"up", NamedKey::kUp},       {"down", NamedKey::kDown},
                  {"home", NamedKey::kHome},     {"end", NamedKey::kEnd}};

// The character a word of one UTF-8 character stands for.
std::optional<char32_t> SingleCharacter(std::string_view word) {
  if (word.empty() || !IsUtf8Text(word)) return std::nullopt;
  const auto lead = static_cast<unsigned char>(word[0]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (word.size() != length) return std::nullopt;
  constexpr unsigned char kLeadBits[] = {0x7F, 0x1F, 0x0F, 0x07};
  char32_t character = lead & kLeadBits[length - 1];
  for (std::size_t i = 1; i < length; ++i) character = (character << 6) | (static_cast<unsigned char>(word[i]) & 0x3F);
  return character;
}

bool IsPrintable(char32_t character) {
  return character >= kFirstPrintableCharacter && !(character >= kDeleteCharacter && character <= kLastControlCharacter);
}

ScriptStep ReadKey(LineReader& reader) {
  const std::string_view word = reader.Required("NAME");
  KeyStep key;
  const auto named = std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                                  [&](const auto& entry) { return entry.name == word; });
  if (named != std::end(kNamedKeys)) {
    key.key = named->key;
  } else if (const auto character = SingleCharacter(word); character && IsPrintable(*character)) {
    key.key = *character;
  } else {
    Refuse("unknown key " + Shown(word) +
           " (one printable character, or return, tab, escape, backspace, delete, left, right, up, down, home, end)");
  }
  key.modifiers = ReadModifiers(reader);
  return key;
}

ScriptStep ReadType(LineReader& reader) {
  TypeStep type{reader.QuotedText("the text")};
  reader.RequireEnd();
  return type;
}

ScriptStep ReadClipboard(LineReader& reader) {
  ClipboardStep clipboard{reader.QuotedText("the text")};
  reader.RequireEnd();
  return clipboard;
}

ScriptStep ReadMenuAnswer(LineReader& reader) {
  MenuAnswerStep answer;
  LineReader lookahead = reader;
  if (lookahead.Word() == "dismiss") {
    reader = lookahead;
    reader.RequireEnd();
    return answer;
  }
  answer.path.push_back(ReadWholeNumber(reader, "I", 0, kMaxMenuIndex));
  while (!reader.AtEnd()) answer.path.push_back(ReadWholeNumber(reader, "a sub-menu's index", 0, kMaxMenuIndex));
  return answer;
}

ScriptStep ReadAlertAnswer(LineReader& reader) {
  const std::string_view word = reader.Required("the answer");
  for (const AlertButton button :
       {AlertButton::kOk, AlertButton::kCancel, AlertButton::kYes, AlertButton::kNo, AlertButton::kRetry}) {
    if (word == AlertButtonName(button)) {
      reader.RequireEnd();
      return AlertAnswerStep{button};
    }
  }
  Refuse("unknown answer " + Shown(word) + " (ok, cancel, yes, no, retry)");
}

ScriptStep ReadFileAnswer(LineReader& reader) {
  if (!reader.NextIsQuote()) {
    LineReader lookahead = reader;
    if (lookahead.Word() == "cancel") {
      reader = lookahead;
      reader.RequireEnd();
      return FileAnswerStep{};
    }
  }
  return FileAnswerStep{ReadPath(reader)};
}

ScriptStep ReadWait(LineReader& reader) {
  const int milliseconds = ReadWholeNumber(reader, "MS", 0, kMaxWaitMilliseconds);
  reader.RequireEnd();
  return WaitStep{milliseconds};
}

ScriptStep ReadSize(LineReader& reader) {
  const std::string_view word = reader.Required("WxH");
  const auto size = ParseViewSize(word);
  if (!size)
    Refuse("the size must be WxH with whole numbers from 1 to " + std::to_string(kMaxViewSide) + ", not " +
           Shown(word));
  reader.RequireEnd();
  return *size;
}

ScriptStep ReadScreenshot(LineReader& reader) {
  std::string path = ReadPath(reader);
  if (!IsPngPath(path)) Refuse("the image's name must end in " + std::string(kPngExtension));
  return ScreenshotStep{std::move(path)};
}

struct Command {
  std::string_view word;
  std::string_view usage;
  ScriptStep (*read)(LineReader&);
};
constexpr Command kCommands[] = {
    {"move", "move X Y", ReadMove},
    {"click", "click X Y [MODS]", ReadClick},
    {"rclick", "rclick X Y [MODS]", ReadRightClick},
    {"dclick", "dclick X Y [MODS]", ReadDoubleClick},
    {"drag", "drag X1 Y1 X2 Y2 [steps N] [MODS]", ReadDrag},
    {"wheel", "wheel X Y DELTA [MODS]", ReadWheel},
    {"key", "key NAME [MODS]", ReadKey},
    {"type", "type \"TEXT\"", ReadType},
    {"menu", "menu I [J ...] or menu dismiss", ReadMenuAnswer},
    {"alert", "alert ok|cancel|yes|no|retry", ReadAlertAnswer},
    {"file", "file PATH or file cancel", ReadFileAnswer},
    {"clipboard", "clipboard \"TEXT\"", ReadClipboard},
    {"wait", "wait MS", ReadWait},
    {"size", "size WxH", ReadSize},
    {"png", "png PATH", ReadScreenshot},
};

std::optional<ScriptStep> ReadLine(std::string_view line) {
  LineReader words(line, {});
  if (words.AtEnd()) return std::nullopt;
  const std::string_view first = words.Word();
  if (first.front() == kCommentMark) return std::nullopt;
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& entry) { return entry.word == first; });
  if (command == std::end(kCommands)) Refuse("unknown step " + Shown(first));
  LineReader reader(line, command->usage);
  reader.Word();
  return command->read(reader);
}

}  // namespace

std::string ScriptError::Message() const { return "script line " + std::to_string(line) + ": " + reason; }

ScriptReading ReadEditorScript(std::string_view text) {
  ScriptReading reading;
  int number = 0;
  for (std::size_t start = 0; start < text.size() || number == 0;) {
    ++number;
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    try {
      if (end >= kMaxScriptBytes && text.size() > kMaxScriptBytes)
        Refuse("the script is longer than " + std::to_string(kMaxScriptBytes) + " bytes");
      if (end - start > kMaxScriptLineBytes)
        Refuse("the line is longer than " + std::to_string(kMaxScriptLineBytes) + " bytes");
      if (auto step = ReadLine(text.substr(start, end - start))) reading.steps.push_back({number, std::move(*step)});
    } catch (const Refusal& refusal) {
      reading.steps.clear();
      reading.error = ScriptError{number, refusal.reason};
      return reading;
    }
    start = end + 1;
  }
  return reading;
}

bool IsPngPath(std::string_view path) {
  return path.size() >= kPngExtension.size() &&
         std::equal(kPngExtension.begin(), kPngExtension.end(), path.end() - kPngExtension.size(),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::optional<SizeStep> ParseViewSize(std::string_view text) {
  const std::size_t times = text.find('x');
  if (times == std::string_view::npos) return std::nullopt;
  const auto width = ParseNumber<int>(text.substr(0, times));
  const auto height = ParseNumber<int>(text.substr(times + 1));
  const auto fits = [](const std::optional<int>& side) { return side && *side >= 1 && *side <= kMaxViewSide; };
  if (!fits(width) || !fits(height)) return std::nullopt;
  return SizeStep{*width, *height};
}

std::string_view AlertButtonName(AlertButton button) {
  switch (button) {
    case AlertButton::kOk:
      return "ok";
    case AlertButton::kCancel:
      return "cancel";
    case AlertButton::kYes:
      return "yes";
    case AlertButton::kNo:
      return "no";
    case AlertButton::kRetry:
      return "retry";
  }
  return {};
}

}  // namespace orvane::host
