#include "cf_string.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace standin::cf {
namespace {

constexpr CFIndex kMaxUTF8BytesPerUTF16Unit = 3;

// CFSTR constants by content; never freed.
struct ConstantStrings {
  std::mutex mutex;
  std::unordered_map<std::string, const CFStringObject*> byText;
};

ConstantStrings& Constants() {
  static auto* constants = new ConstantStrings;
  return *constants;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the UTF-8 sequence led by `lead`, 0 when it cannot lead one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsASCII(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsSupportedEncoding(CFStringEncoding encoding) {
  return encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingASCII;
}

// Whether the encoding can hold the text.
bool FitsEncoding(const std::string& text, CFStringEncoding encoding) {
  if (encoding == kCFStringEncodingUTF8) return true;
  if (encoding == kCFStringEncodingASCII) return IsASCII(text);
  return false;
}

int CompareCaseInsensitive(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

bool IsValidUTF8(const char* bytes, std::size_t length) {
  const auto* byte = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t i = 0;
  while (i < length) {
    const std::size_t sequence = SequenceLength(byte[i]);
    if (sequence == 0 || i + sequence > length) return false;
    for (std::size_t k = 1; k < sequence; ++k) {
      if (!IsContinuation(byte[i + k])) return false;
    }
    // Overlong three- and four-byte forms, surrogates and values above U+10FFFF.
    if (sequence == 3 && byte[i] == 0xE0 && byte[i + 1] < 0xA0) return false;
    if (sequence == 3 && byte[i] == 0xED && byte[i + 1] >= 0xA0) return false;
    if (sequence == 4 && byte[i] == 0xF0 && byte[i + 1] < 0x90) return false;
    if (sequence == 4 && byte[i] == 0xF4 && byte[i + 1] >= 0x90) return false;
    i += sequence;
  }
  return true;
}

CFStringRef MakeString(std::string utf8) {
  return new CFStringObject(std::move(utf8), Lifetime::Counted);
}

const std::string& StringText(CFStringRef string) {
  static const std::string empty;
  const auto* object = As<CFStringObject>(string);
  return object == nullptr ? empty : object->utf8;
}

}  // namespace standin::cf

using standin::cf::As;
using standin::cf::StringText;

bool CFStringObject::Equals(const Object& other) const {
  return utf8 == static_cast<const CFStringObject&>(other).utf8;
}

CFHashCode CFStringObject::Hash() const { return standin::cf::HashBytes(utf8.data(), utf8.size()); }

extern "C" {

CFTypeID CFStringGetTypeID(void) { return standin::cf::kStringTypeID; }

CFStringRef CFStringMakeConstantString(const char* utf8) {
  auto& constants = standin::cf::Constants();
  const std::string text = utf8 == nullptr ? std::string() : std::string(utf8);
  std::lock_guard lock(constants.mutex);
  auto found = constants.byText.find(text);
  if (found != constants.byText.end()) return found->second;
  const auto* string = new CFStringObject(text, standin::cf::Lifetime::Immortal);
  constants.byText.emplace(text, string);
  return string;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex byteCount,
                                    CFStringEncoding encoding, Boolean) {
  if (byteCount < 0 || (bytes == nullptr && byteCount > 0)) return nullptr;
  if (!standin::cf::IsSupportedEncoding(encoding)) return nullptr;
  std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(byteCount));
  const bool valid = encoding == kCFStringEncodingUTF8
                         ? standin::cf::IsValidUTF8(text.data(), text.size())
                         : standin::cf::IsASCII(text);
  if (!valid) return nullptr;
  return standin::cf::MakeString(std::move(text));
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding) {
  if (text == nullptr) return nullptr;
  return CFStringCreateWithBytes(allocator, reinterpret_cast<const UInt8*>(text),
                                 static_cast<CFIndex>(std::strlen(text)), encoding, false);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string) {
  // Strings never change, so a copy is the same object.
  if (As<CFStringObject>(string) == nullptr) return nullptr;
  CFRetain(string);
  return string;
}

CFIndex CFStringGetLength(CFStringRef string) {
  const std::string& text = StringText(string);
  CFIndex units = 0;
  for (unsigned char byte : text) {
    if (standin::cf::IsContinuation(byte)) continue;
    // Characters beyond the basic plane take a surrogate pair.
    units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0 || !standin::cf::IsSupportedEncoding(encoding)) return kCFNotFound;
  if (encoding == kCFStringEncodingASCII) return length;
  constexpr CFIndex kLargest = std::numeric_limits<CFIndex>::max();
  if (length > kLargest / standin::cf::kMaxUTF8BytesPerUTF16Unit) return kCFNotFound;
  return length * standin::cf::kMaxUTF8BytesPerUTF16Unit;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  if (buffer == nullptr || bufferSize <= 0) return false;
  buffer[0] = '\0';
  const auto* object = As<CFStringObject>(string);
  if (object == nullptr || !standin::cf::FitsEncoding(object->utf8, encoding)) return false;
  const std::size_t needed = object->utf8.size() + 1;
  if (needed > static_cast<std::size_t>(bufferSize)) return false;
  std::memcpy(buffer, object->utf8.c_str(), needed);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding) {
  const auto* object = As<CFStringObject>(string);
  if (object == nullptr || !standin::cf::FitsEncoding(object->utf8, encoding)) return nullptr;
  return object->utf8.c_str();
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options) {
  const std::string& first = StringText(a);
  const std::string& second = StringText(b);
  const int order = (options & kCFCompareCaseInsensitive) != 0
                        ? standin::cf::CompareCaseInsensitive(first, second)
                        : first.compare(second);
  if (order < 0) return kCFCompareLessThan;
  return order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

}  // extern "C"
