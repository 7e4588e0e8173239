// Standard folders, file existence and the process name.

#include "cf_string.h"
#include "system_paths.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSProcessInfo.h>

#include <standin/testing/environment.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kProcessNameFile = "/proc/self/comm";

struct Environment {
  std::mutex mutex;
  std::string machineRoot = "/";
  std::string processName;  // empty: the real one
};

Environment& TheEnvironment() {
  static auto* environment = new Environment;
  return *environment;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  if (const passwd* account = getpwuid(getuid()); account != nullptr && account->pw_dir != nullptr) {
    return account->pw_dir;
  }
  return {};
}

std::string MachineRoot() {
  auto& environment = TheEnvironment();
  std::lock_guard lock(environment.mutex);
  return environment.machineRoot;
}

// The folder's place below the user's home or the machine root; empty when the
// domain has no such folder.
std::string RelativeFolder(NSSearchPathDirectory directory, bool userDomain) {
  switch (directory) {
    case NSLibraryDirectory: return "Library";
    case NSApplicationSupportDirectory: return "Library/Application Support";
    case NSDocumentDirectory: return userDomain ? "Documents" : "";
    case NSDesktopDirectory: return userDomain ? "Desktop" : "";
    case NSMusicDirectory: return userDomain ? "Music" : "";
  }
  return {};
}

CFStringRef AutoreleasedString(std::string text) {
  return static_cast<CFStringRef>(CFAutorelease(standin::cf::MakeString(std::move(text))));
}

std::string ReadProcessName() {
  std::ifstream in(kProcessNameFile);
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace

namespace standin::foundation {

std::string SystemFilePath(const std::string& path) {
  constexpr std::string_view kSystemLibrary = "/System/Library/";
  if (!path.starts_with(kSystemLibrary)) return path;
  return (fs::path(MachineRoot()) / path.substr(1)).string();
}

}  // namespace standin::foundation

CFArrayRef NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                               NSSearchPathDomainMask domains,
                                               Boolean expandTilde) {
  CFMutableArrayRef folders = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  const std::string user = RelativeFolder(directory, true);
  if ((domains & NSUserDomainMask) != 0 && !user.empty()) {
    const std::string home = expandTilde ? HomeFolder() : "~";
    if (!home.empty()) {
      CFStringRef path = standin::cf::MakeString(home + "/" + user);
      CFArrayAppendValue(folders, path);
      CFRelease(path);
    }
  }
  const std::string machine = RelativeFolder(directory, false);
  if ((domains & NSLocalDomainMask) != 0 && !machine.empty()) {
    CFStringRef path = standin::cf::MakeString((fs::path(MachineRoot()) / machine).string());
    CFArrayAppendValue(folders, path);
    CFRelease(path);
  }
  return static_cast<CFArrayRef>(CFAutorelease(folders));
}

CFStringRef NSHomeDirectory(void) { return AutoreleasedString(HomeFolder()); }

namespace NS {

FileManager* FileManager::defaultManager() {
  static FileManager manager;
  return &manager;
}

bool FileManager::fileExistsAtPath(CFStringRef path) const {
  return fileExistsAtPathIsDirectory(path, nullptr);
}

bool FileManager::fileExistsAtPathIsDirectory(CFStringRef path, bool* isDirectory) const {
  const std::string& text = standin::cf::StringText(path);
  std::error_code error;
  const fs::file_status status = text.empty() ? fs::file_status{} : fs::status(text, error);
  const bool exists = !error && fs::exists(status);
  if (isDirectory != nullptr) *isDirectory = exists && fs::is_directory(status);
  return exists;
}

CFURLRef FileManager::containerURLForSecurityApplicationGroupIdentifier(CFStringRef identifier) const {
  const std::string& group = standin::cf::StringText(identifier);
  const std::string home = HomeFolder();
  if (group.empty() || home.empty()) return nullptr;
  CFStringRef path = standin::cf::MakeString(home + "/Library/Group Containers/" + group);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
  CFRelease(path);
  return static_cast<CFURLRef>(CFAutorelease(url));
}

ProcessInfo* ProcessInfo::processInfo() {
  static ProcessInfo info;
  return &info;
}

CFStringRef ProcessInfo::processName() const {
  auto& environment = TheEnvironment();
  std::string name;
  {
    std::lock_guard lock(environment.mutex);
    name = environment.processName;
  }
  return AutoreleasedString(name.empty() ? ReadProcessName() : name);
}

}  // namespace NS

namespace standin::testing {

void SetMachineDomainRoot(const std::string& root) {
  auto& environment = TheEnvironment();
  std::lock_guard lock(environment.mutex);
  environment.machineRoot = root;
}

void SetProcessName(const std::string& name) {
  auto& environment = TheEnvironment();
  std::lock_guard lock(environment.mutex);
  environment.processName = name;
}

}  // namespace standin::testing
