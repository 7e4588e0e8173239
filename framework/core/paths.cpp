#include "framework/core/paths.h"

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <strings.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace plugkit {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAuv3Marker = ".AUv3";
constexpr const char* kAuv3FrameworkSuffix = "Framework";
constexpr const char* kSharedResourcesFolder = "Resources";
constexpr std::string_view kXPCMarker = "XPC";

std::string Utf8(CFStringRef string) {
  if (string == nullptr) return {};
  const char* direct = CFStringGetCStringPtr(string, kCFStringEncodingUTF8);
  if (direct != nullptr) return direct;
  const CFIndex size =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8)) return {};
  text.resize(text.find('\0'));
  return text;
}

// An autoreleased string of UTF-8 text.
CFStringRef MakeString(const std::string& text) {
  return static_cast<CFStringRef>(
      CFAutorelease(CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8)));
}

std::string ResourcesFolderOf(const char* bundleId) {
  if (bundleId == nullptr) return {};
  std::string identifier = bundleId;
  if (identifier.find(kAuv3Marker) != std::string::npos) identifier += kAuv3FrameworkSuffix;
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(MakeString(identifier));
  if (bundle == nullptr) return {};
  CFURLRef url = static_cast<CFURLRef>(CFAutorelease(CFBundleCopyResourcesDirectoryURL(bundle)));
  return Utf8(static_cast<CFStringRef>(CFAutorelease(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle))));
}

std::string FirstFolder(NSSearchPathDirectory directory, NSSearchPathDomainMask domain) {
  CFArrayRef folders = NSSearchPathForDirectoriesInDomains(directory, domain, true);
  if (CFArrayGetCount(folders) == 0) return {};
  return Utf8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(folders, 0)));
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// A file of the folder whose name equals `fileName` ignoring case; empty when none.
fs::path FindIgnoringCase(const fs::path& folder, const std::string& fileName) {
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    if (strcasecmp(entry->path().filename().c_str(), fileName.c_str()) == 0 && IsFile(entry->path())) {
      return entry->path();
    }
  }
  return {};
}

// Looks for `baseName.ext` in the folder: with the asked-for extension, with the
// name's own extension, then ignoring case.
bool FindInFolder(const fs::path& folder, const fs::path& baseName, const std::string& ext,
                  const fs::path& givenName, StrBuf& out) {
  fs::path asked = folder / baseName;
  asked += "." + ext;
  const fs::path candidates[] = {asked, folder / givenName};
  for (const fs::path& candidate : candidates) {
    if (IsFile(candidate)) return out.Set(candidate.c_str());
  }
  const fs::path found = FindIgnoringCase(asked.parent_path(), asked.filename().string());
  return !found.empty() && out.Set(found.c_str());
}

}  // namespace

void BundleResourcesFolder(StrBuf& out, const char* bundleId) {
  NS::AutoreleasePool pool;
  const std::string folder = ResourcesFolderOf(bundleId);
  if (!folder.empty()) out.Set(folder.c_str());
}

void HomeFolder(StrBuf& out) {
  NS::AutoreleasePool pool;
  const std::string home = Utf8(NSHomeDirectory());
  if (!home.empty()) out.Set(home.c_str());
}

void ApplicationSupportFolder(StrBuf& out, bool system) {
  NS::AutoreleasePool pool;
  const std::string folder =
      FirstFolder(NSApplicationSupportDirectory, system ? NSLocalDomainMask : NSUserDomainMask);
  if (!folder.empty()) out.Set(folder.c_str());
}

bool FindResourcePath(const char* name, const char* ext, StrBuf& out, const char* bundleId, void*,
                      const char* sharedSubfolder) {
  if (name == nullptr || name[0] == '\0') return false;
  NS::AutoreleasePool pool;
  const std::string_view nameText = name;
  const std::size_t dot = nameText.rfind('.');
  const std::string extension = ext == nullptr ? "" : ext;
  const bool extensionMatches = dot != std::string_view::npos &&
                                strcasecmp(std::string(nameText.substr(dot + 1)).c_str(), extension.c_str()) == 0;
  if (extensionMatches) {
    const fs::path given(name);
    const std::string resources = ResourcesFolderOf(bundleId);
    if (!resources.empty()) {
      const fs::path withoutExtension(std::string(nameText.substr(0, dot)));
      if (FindInFolder(resources, withoutExtension, extension, given, out)) return true;
    }
    if (sharedSubfolder != nullptr && sharedSubfolder[0] != '\0') {
      const std::string music = FirstFolder(NSMusicDirectory, NSUserDomainMask);
      if (!music.empty()) {
        const fs::path folder = fs::path(music) / sharedSubfolder / kSharedResourcesFolder;
        if (FindInFolder(folder, given.filename().stem(), extension, given.filename(), out)) return true;
      }
    }
  }
  return IsFile(name) && out.Set(name);
}

bool RunsInXPCService() {
  NS::AutoreleasePool pool;
  const std::string name = Utf8(NS::ProcessInfo::processInfo()->processName());
  return name.find(kXPCMarker) != std::string::npos;
}

}  // namespace plugkit
