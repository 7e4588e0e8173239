// The XML property-list reader, and the Info.plist view of it: the top-level
// dictionary's key/string pairs.

#include "property_list.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>

#include <standin/testing/bundles.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "cf_string.h"

namespace {

// Deeper nesting than any real list has is treated as malformed.
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

struct Releaser {
  void operator()(CFTypeRef object) const { CFRelease(object); }
};
// One reference to a value under construction, released when reading fails.
using Value = std::unique_ptr<const void, Releaser>;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Decimal, or hexadecimal after "0x", with an optional sign.
Value MakeInteger(std::string_view text) {
  text = Trimmed(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  constexpr std::uint64_t kLargestNegative = std::uint64_t(INT64_MAX) + 1;
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      magnitude > (negative ? kLargestNegative : std::uint64_t(INT64_MAX))) {
    return nullptr;
  }
  const std::int64_t value = negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
  return Value(CFNumberCreate(nullptr, kCFNumberSInt64Type, &value));
}

Value MakeReal(std::string_view text) {
  text = Trimmed(text);
  if (text.starts_with("+")) text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return nullptr;
  return Value(CFNumberCreate(nullptr, kCFNumberFloat64Type, &value));
}

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Base64 with white space anywhere and "=" padding only at the end.
Value MakeData(std::string_view text) {
  std::vector<UInt8> bytes;
  std::uint32_t bits = 0;
  int bitCount = 0;
  int padding = 0;
  for (char c : text) {
    if (IsSpace(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const int digit = Base64Digit(c);
    if (digit < 0 || padding > 0) return nullptr;
    bits = (bits << 6) | std::uint32_t(digit);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      bytes.push_back(static_cast<UInt8>(bits >> bitCount));
    }
  }
  if (padding > 2) return nullptr;
  return Value(CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size())));
}

Value MakeText(std::string text) { return Value(standin::cf::MakeString(std::move(text))); }

class PlistReader {
public:
  explicit PlistReader(std::string_view text) : text_(text) {}

  // The one value inside <plist>, with only the prolog and comments around it.
  Value Read() {
    SkipProlog();
    Tag tag;
    if (!ReadTag(tag) || tag.name != "plist" || tag.closing || tag.selfClosing) return nullptr;
    if (!SkipSpaceAndComments() || !ReadTag(tag) || tag.closing) return nullptr;
    Value root = ReadValue(tag, 1);
    if (!root || !SkipSpaceAndComments() || !ReadTag(tag) || tag.name != "plist" || !tag.closing) return nullptr;
    SkipProlog();
    return pos_ == text_.size() ? std::move(root) : nullptr;
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

  // The value whose opening tag was read, nested `depth` deep.
  Value ReadValue(const Tag& open, std::size_t depth) {
    if (depth > kMaxNesting) return nullptr;
    if (open.name == "dict") return ReadDictionary(open, depth);
    if (open.name == "array") return ReadArray(open, depth);
    if (open.name == "true" || open.name == "false") {
      std::string ignored;
      if (!ReadTextElement(open, ignored) || !Trimmed(ignored).empty()) return nullptr;
      return Value(CFRetain(open.name == "true" ? kCFBooleanTrue : kCFBooleanFalse));
    }
    std::string text;
    if (!ReadTextElement(open, text)) return nullptr;
    if (open.name == "string" || open.name == "date") return MakeText(std::move(text));
    if (open.name == "integer") return MakeInteger(text);
    if (open.name == "real") return MakeReal(text);
    if (open.name == "data") return MakeData(text);
    return nullptr;
  }

  // The next element's opening tag, or false at the closing tag `name`
  // (`closed` then true) or on anything malformed.
  bool NextElement(const char* name, Tag& tag, bool& closed) {
    closed = false;
    if (!SkipSpaceAndComments() || !ReadTag(tag)) return false;
    if (!tag.closing) return true;
    closed = tag.name == name;
    return false;
  }

  Value ReadArray(const Tag& open, std::size_t depth) {
    Value array(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
    if (open.selfClosing) return array;
    Tag tag;
    bool closed = false;
    while (NextElement("array", tag, closed)) {
      Value element = ReadValue(tag, depth + 1);
      if (!element) return nullptr;
      CFArrayAppendValue(static_cast<CFMutableArrayRef>(const_cast<void*>(array.get())), element.get());
    }
    return closed ? std::move(array) : nullptr;
  }

  Value ReadDictionary(const Tag& open, std::size_t depth) {
    Value dictionary(
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    if (open.selfClosing) return dictionary;
    Tag tag;
    bool closed = false;
    while (NextElement("dict", tag, closed)) {
      std::string key;
      if (tag.name != "key" || !ReadTextElement(tag, key)) return nullptr;
      Tag valueTag;
      if (!SkipSpaceAndComments() || !ReadTag(valueTag) || valueTag.closing || valueTag.name == "key") return nullptr;
      Value value = ReadValue(valueTag, depth + 1);
      if (!value) return nullptr;
      const Value keyString = MakeText(std::move(key));
      CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(const_cast<void*>(dictionary.get())), keyString.get(),
                           value.get());
    }
    return closed ? std::move(dictionary) : nullptr;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

namespace standin::cf {

std::optional<std::string> PropertyListCharacterProblem(std::string_view text) {
  if (!IsValidUTF8(text.data(), text.size())) return "it is not valid UTF-8";
  const auto at = FirstForbiddenControl(text);
  if (!at) return std::nullopt;
  char code[8];
  std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(static_cast<unsigned char>(text[*at])));
  return std::string("it holds U+") + code + (text[*at] == '\0' ? " (a NUL byte)" : "") + " at byte " +
         std::to_string(*at) + ", which XML does not allow";
}

CFPropertyListRef CreatePropertyListFromXML(std::string_view text) {
  if (PropertyListCharacterProblem(text)) return nullptr;
  return PlistReader(text).Read().release();
}

}  // namespace standin::cf

namespace standin::testing {

bool ParseInfoPlist(std::string_view text, std::map<std::string, std::string>& entries, std::string* reason) {
  entries.clear();
  const auto refuse = [reason](std::string why) {
    if (reason != nullptr) *reason = std::move(why);
    return false;
  };
  if (auto problem = cf::PropertyListCharacterProblem(text)) return refuse(std::move(*problem));
  const Value list(cf::CreatePropertyListFromXML(text));
  if (!list || CFGetTypeID(list.get()) != CFDictionaryGetTypeID()) {
    return refuse("it is not a well-formed property list with a dictionary at its root");
  }
  const auto dictionary = static_cast<CFDictionaryRef>(list.get());
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(count);
  std::vector<const void*> values(count);
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  for (CFIndex at = 0; at < count; ++at) {
    if (CFGetTypeID(values[at]) != CFStringGetTypeID()) continue;
    entries[cf::StringText(static_cast<CFStringRef>(keys[at]))] = cf::StringText(static_cast<CFStringRef>(values[at]));
  }
  return true;
}

}  // namespace standin::testing
