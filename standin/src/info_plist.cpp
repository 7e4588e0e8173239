// A reader for the XML property lists of bundles: the top-level dictionary's
// key/string pairs. Anything that is not well formed is refused as a whole.

#include "cf_string.h"

#include <standin/testing/bundles.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Deeper nesting than any Info.plist has is treated as malformed.
constexpr std::size_t kMaxNesting = 64;

struct Tag {
  std::string name;
  bool closing = false;
  bool selfClosing = false;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The characters of XML 1.0: no control character but tab, line feed and
// carriage return, no surrogate, no U+FFFE or U+FFFF.
bool IsXmlCharacter(std::uint32_t code) {
  if (code < 0x20) return code == '\t' || code == '\n' || code == '\r';
  if (code >= 0xD800 && code <= 0xDFFF) return false;
  return code != 0xFFFE && code != 0xFFFF && code <= 0x10FFFF;
}

// The first raw byte that is a control character XML does not allow.
std::optional<std::size_t> FirstForbiddenControl(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 && !IsXmlCharacter(byte)) return i;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ParseCharacterReference(std::string_view digits) {
  int base = 10;
  if (!digits.empty() && (digits.front() == 'x' || digits.front() == 'X')) {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t code = 0;
  for (char c : digits) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (value < 0) return std::nullopt;
    code = code * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(value);
  }
  if (!IsXmlCharacter(code)) return std::nullopt;
  return code;
}

class PlistReader {
public:
  explicit PlistReader(std::string_view text) : text_(text) {}

  bool Read(std::map<std::string, std::string>& entries) {
    SkipProlog();
    Tag tag;
    if (!ReadTag(tag) || tag.name != "plist" || tag.closing) return false;
    if (tag.selfClosing) return false;
    if (!SkipSpaceAndComments() || !ReadTag(tag) || tag.name != "dict" || tag.closing) return false;
    if (!tag.selfClosing && !ReadDictionaryEntries(entries)) return false;
    if (!SkipSpaceAndComments() || !ReadTag(tag) || tag.name != "plist" || !tag.closing) return false;
    SkipProlog();
    return pos_ == text_.size();
  }

private:
  bool StartsWith(std::string_view prefix) const { return text_.substr(pos_).starts_with(prefix); }

  bool SkipPast(std::string_view terminator) {
    const std::size_t found = text_.find(terminator, pos_);
    if (found == std::string_view::npos) return false;
    pos_ = found + terminator.size();
    return true;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }

  // White space and comments; false for an unterminated comment.
  bool SkipSpaceAndComments() {
    for (;;) {
      SkipSpace();
      if (!StartsWith("<!--")) return true;
      if (!SkipPast("-->")) return false;
    }
  }

  // The XML declaration, the document type and comments around the root.
  void SkipProlog() {
    for (;;) {
      SkipSpace();
      if (StartsWith("<?")) {
        if (!SkipPast("?>")) return;
      } else if (StartsWith("<!--")) {
        if (!SkipPast("-->")) return;
      } else if (StartsWith("<!DOCTYPE")) {
        if (!SkipPast(">")) return;
      } else {
        return;
      }
    }
  }

  bool ReadTag(Tag& tag) {
    tag = Tag{};
    if (pos_ >= text_.size() || text_[pos_] != '<') return false;
    ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '/') {
      tag.closing = true;
      ++pos_;
    }
    const std::size_t nameStart = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '>' && text_[pos_] != '/') {
      ++pos_;
    }
    tag.name = std::string(text_.substr(nameStart, pos_ - nameStart));
    if (tag.name.empty() || tag.name.front() == '!' || tag.name.front() == '?') return false;
    return SkipAttributes(tag);
  }

  // Attributes are allowed (plist version="1.0") and ignored.
  bool SkipAttributes(Tag& tag) {
    char quote = '\0';
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (quote != '\0') {
        if (c == quote) quote = '\0';
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '<') {
        return false;
      } else if (c == '>') {
        tag.selfClosing = pos_ >= 2 && text_[pos_ - 2] == '/';
        return !(tag.selfClosing && tag.closing);
      }
    }
    return false;
  }

  // Character data up to the next tag, with entity and character references decoded.
  bool ReadText(std::string& out) {
    out.clear();
    while (pos_ < text_.size() && text_[pos_] != '<') {
      if (text_[pos_] != '&') {
        out += text_[pos_++];
        continue;
      }
      const std::size_t end = text_.find(';', pos_);
      if (end == std::string_view::npos) return false;
      const std::string_view entity = text_.substr(pos_ + 1, end - pos_ - 1);
      if (!AppendEntity(out, entity)) return false;
      pos_ = end + 1;
    }
    return pos_ < text_.size();
  }

  static bool AppendEntity(std::string& out, std::string_view entity) {
    if (entity == "lt") out += '<';
    else if (entity == "gt") out += '>';
    else if (entity == "amp") out += '&';
    else if (entity == "quot") out += '"';
    else if (entity == "apos") out += '\'';
    else if (!entity.empty() && entity.front() == '#') {
      const auto code = ParseCharacterReference(entity.substr(1));
      if (!code) return false;
      standin::cf::AppendUTF8(out, *code);
    } else {
      return false;
    }
    return true;
  }

  // `<name>text</name>` after its opening tag was read.
  bool ReadTextElement(const Tag& open, std::string& value) {
    value.clear();
    if (open.selfClosing) return true;
    Tag close;
    return ReadText(value) && ReadTag(close) && close.closing && close.name == open.name;
  }

  // Skips a value of any other kind, checking that its tags nest.
  bool SkipElement(const Tag& open) {
    if (open.selfClosing) return true;
    std::vector<std::string> openNames{open.name};
    std::string ignored;
    while (!openNames.empty()) {
      if (!ReadText(ignored)) return false;
      if (StartsWith("<!--")) {
        if (!SkipPast("-->")) return false;
        continue;
      }
      Tag tag;
      if (!ReadTag(tag)) return false;
      if (tag.closing) {
        if (tag.name != openNames.back()) return false;
        openNames.pop_back();
      } else if (!tag.selfClosing) {
        if (openNames.size() >= kMaxNesting) return false;
        openNames.push_back(tag.name);
      }
    }
    return true;
  }

  bool ReadDictionaryEntries(std::map<std::string, std::string>& entries) {
    for (;;) {
      Tag tag;
      if (!SkipSpaceAndComments() || !ReadTag(tag)) return false;
      if (tag.closing) return tag.name == "dict";
      if (tag.name != "key") return false;
      std::string key;
      if (!ReadTextElement(tag, key)) return false;
      Tag value;
      if (!SkipSpaceAndComments() || !ReadTag(value) || value.closing) return false;
      if (value.name == "string") {
        std::string text;
        if (!ReadTextElement(value, text)) return false;
        entries[key] = std::move(text);
      } else if (value.name == "key" || !SkipElement(value)) {
        return false;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

namespace standin::testing {

bool ParseInfoPlist(std::string_view text, std::map<std::string, std::string>& entries, std::string* reason) {
  entries.clear();
  const auto refuse = [reason](std::string why) {
    if (reason != nullptr) *reason = std::move(why);
    return false;
  };
  if (!cf::IsValidUTF8(text.data(), text.size())) return refuse("it is not valid UTF-8");
  if (const auto at = FirstForbiddenControl(text)) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(static_cast<unsigned char>(text[*at])));
    return refuse(std::string("it holds U+") + code + (text[*at] == '\0' ? " (a NUL byte)" : "") + " at byte " +
                  std::to_string(*at) + ", which XML does not allow");
  }
  std::map<std::string, std::string> read;
  if (!PlistReader(text).Read(read)) return refuse("it is not a well-formed property list with a dictionary at its root");
  entries = std::move(read);
  return true;
}

}  // namespace standin::testing
