#include "cf_object.h"
#include "cf_string.h"

#include <CoreFoundation/CFURL.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kFileScheme = "file://";

bool IsUnreservedPathCharacter(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::strchr("-._~/!$&'()*+,;=:@", c) != nullptr && c != '\0';
}

std::string PercentEncodePath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : path) {
    if (IsUnreservedPathCharacter(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0x0F];
    }
  }
  return encoded;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// The length of the text's scheme ("file" of "file:/a"), or 0 when it has none.
std::size_t SchemeLength(std::string_view url) {
  if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) return 0;
  for (std::size_t at = 1; at < url.size(); ++at) {
    const auto c = static_cast<unsigned char>(url[at]);
    if (c == ':') return at;
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

// The path part of a URL: after "scheme://authority" or "scheme:", up to a
// query or fragment; the whole text of a URL without a scheme.
std::string_view PathOf(std::string_view url) {
  const std::size_t scheme = SchemeLength(url);
  std::size_t start = scheme == 0 ? 0 : scheme + 1;
  if (scheme != 0 && url.substr(start).starts_with("//")) {
    start = url.find('/', start + 2);
    if (start == std::string_view::npos) return {};
  }
  const std::size_t end = url.find_first_of("?#", start);
  return url.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

bool IsAcceptableURLText(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text) {
    if (c <= ' ' || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

struct CFURLObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kURLTypeID;

  CFURLObject(std::string text, bool directory)
      : string(standin::cf::MakeString(text)), isDirectory(directory) {}
  ~CFURLObject() override { CFRelease(string); }

  CFTypeID TypeID() const override { return kTypeID; }
  bool Equals(const Object& other) const override {
    return CFEqual(string, static_cast<const CFURLObject&>(other).string);
  }
  CFHashCode Hash() const override { return CFHash(string); }
  std::string Describe() const override { return standin::cf::StringText(string); }

  const CFStringRef string;
  const bool isDirectory;
};

namespace {

std::string FileSystemPath(const CFURLObject& url) {
  std::string path = PercentDecode(PathOf(standin::cf::StringText(url.string)));
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

using standin::cf::As;

extern "C" {

CFTypeID CFURLGetTypeID(void) { return standin::cf::kURLTypeID; }

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef text, CFURLRef) {
  if (As<CFStringObject>(text) == nullptr) return nullptr;
  const std::string& value = standin::cf::StringText(text);
  if (!IsAcceptableURLText(value)) return nullptr;
  return new CFURLObject(value, value.back() == '/');
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory) {
  if (As<CFStringObject>(path) == nullptr || style != kCFURLPOSIXPathStyle) return nullptr;
  std::string absolute = standin::cf::StringText(path);
  if (absolute.empty()) return nullptr;
  if (absolute.front() != '/') {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) return nullptr;
    absolute = (current / absolute).string();
  }
  if (isDirectory && absolute.back() != '/') absolute += '/';
  return new CFURLObject(std::string(kFileScheme) + PercentEncodePath(absolute), isDirectory);
}

CFStringRef CFURLGetString(CFURLRef url) {
  const auto* object = As<CFURLObject>(url);
  return object == nullptr ? nullptr : object->string;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style) {
  const auto* object = As<CFURLObject>(url);
  if (object == nullptr || style != kCFURLPOSIXPathStyle) return nullptr;
  return standin::cf::MakeString(FileSystemPath(*object));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer,
                                         CFIndex bufferSize) {
  const auto* object = As<CFURLObject>(url);
  if (object == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  const std::string path = FileSystemPath(*object);
  if (path.size() + 1 > static_cast<std::size_t>(bufferSize)) return false;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}

Boolean CFURLHasDirectoryPath(CFURLRef url) {
  const auto* object = As<CFURLObject>(url);
  return object != nullptr && object->isDirectory;
}

}  // extern "C"
