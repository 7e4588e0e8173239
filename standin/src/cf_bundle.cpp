// The bundle registry: identifier -> bundle folder. Bundles are found when a
// test or the host registers them, when a URL is opened with CFBundleCreate, or
// when a loaded library lies in "<bundle>/Contents/MacOS/".

#include "cf_object.h"
#include "cf_string.h"

#include <CoreFoundation/CFBundle.h>

#include <standin/testing/bundles.h>

#include <link.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kIdentifierKey = "CFBundleIdentifier";
constexpr const char* kVersionKey = "CFBundleVersion";
constexpr const char* kExecutableKey = "CFBundleExecutable";
// Info.plist files are small; anything larger is not one.
constexpr std::uintmax_t kMaxInfoPlistBytes = 1 << 20;

std::map<std::string, std::string> ReadInfoPlist(const fs::path& bundleFolder) {
  std::map<std::string, std::string> entries;
  const fs::path file = bundleFolder / "Contents" / "Info.plist";
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  if (error || size > kMaxInfoPlistBytes) return entries;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) return entries;
  standin::testing::ParseInfoPlist(text.str(), entries);
  return entries;
}

}  // namespace

struct CFBundleObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  CFBundleObject(fs::path bundleFolder, const std::map<std::string, std::string>& entries)
      : Object(standin::cf::Lifetime::Immortal), folder(std::move(bundleFolder)) {
    CFMutableDictionaryRef dictionary = standin::cf::CreateUncountedDictionary();
    for (const auto& [key, value] : entries) {
      CFDictionarySetValue(dictionary, CFStringMakeConstantString(key.c_str()),
                           CFStringMakeConstantString(value.c_str()));
    }
    info = dictionary;
    const auto found = entries.find(kIdentifierKey);
    if (found != entries.end() && !found->second.empty()) {
      identifier = CFStringMakeConstantString(found->second.c_str());
    }
  }

  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override { return "<CFBundle " + folder.string() + ">"; }

  const fs::path folder;
  CFDictionaryRef info = nullptr;
  CFStringRef identifier = nullptr;
};

namespace {

CFURLRef FolderURL(const fs::path& folder) {
  CFStringRef path = standin::cf::MakeString(folder.string());
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
  CFRelease(path);
  return url;
}

// Bundles live as long as the process; the registry keeps every one it made,
// also those replaced under their identifier.
class BundleRegistry {
public:
  static BundleRegistry& Instance() {
    static auto* registry = new BundleRegistry;
    return *registry;
  }

  CFBundleObject* Register(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return nullptr;
    const fs::path canonical = fs::weakly_canonical(folder, error);
    std::lock_guard lock(mutex_);
    return RegisterLocked(error ? folder : canonical, ReadInfoPlist(folder));
  }

  // The bundle already made for this folder, or a new one.
  CFBundleObject* Open(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return nullptr;
    const fs::path canonical = fs::weakly_canonical(folder, error);
    std::lock_guard lock(mutex_);
    for (const auto& bundle : all_) {
      if (bundle->folder == canonical) return bundle.get();
    }
    return RegisterLocked(canonical, ReadInfoPlist(canonical));
  }

  CFBundleObject* Find(const std::string& identifier) {
    std::lock_guard lock(mutex_);
    if (CFBundleObject* bundle = FindLocked(identifier)) return bundle;
    RegisterLoadedLibraryBundlesLocked();
    return FindLocked(identifier);
  }

  void SetMain(const std::string& identifier, const std::string& version) {
    std::error_code error;
    fs::path executableFolder = fs::read_symlink("/proc/self/exe", error).parent_path();
    std::lock_guard lock(mutex_);
    all_.push_back(std::make_unique<CFBundleObject>(
        executableFolder, std::map<std::string, std::string>{{kIdentifierKey, identifier},
                                                             {kVersionKey, version}}));
    main_ = all_.back().get();
  }

  void ClearMain() {
    std::lock_guard lock(mutex_);
    main_ = nullptr;
  }

  CFBundleObject* Main() {
    std::lock_guard lock(mutex_);
    return main_;
  }

private:
  CFBundleObject* RegisterLocked(const fs::path& folder,
                                 const std::map<std::string, std::string>& entries) {
    all_.push_back(std::make_unique<CFBundleObject>(folder, entries));
    CFBundleObject* bundle = all_.back().get();
    if (bundle->identifier != nullptr) byIdentifier_[standin::cf::StringText(bundle->identifier)] = bundle;
    return bundle;
  }

  CFBundleObject* FindLocked(const std::string& identifier) const {
    const auto found = byIdentifier_.find(identifier);
    return found == byIdentifier_.end() ? nullptr : found->second;
  }

  // Every loaded library at "<bundle>/Contents/MacOS/<name>" makes its bundle known.
  void RegisterLoadedLibraryBundlesLocked() {
    std::vector<fs::path> libraries;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
          if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
            static_cast<std::vector<fs::path>*>(data)->emplace_back(info->dlpi_name);
          }
          return 0;
        },
        &libraries);
    for (const fs::path& library : libraries) {
      const fs::path macos = library.parent_path();
      const fs::path contents = macos.parent_path();
      if (macos.filename() != "MacOS" || contents.filename() != "Contents") continue;
      std::error_code error;
      const fs::path folder = fs::weakly_canonical(contents.parent_path(), error);
      if (error || scannedFolders_.count(folder) != 0) continue;
      scannedFolders_.insert(folder);
      RegisterLocked(folder, ReadInfoPlist(folder));
    }
  }

  std::mutex mutex_;
  std::vector<std::unique_ptr<CFBundleObject>> all_;
  std::map<std::string, CFBundleObject*> byIdentifier_;
  std::set<fs::path> scannedFolders_;
  CFBundleObject* main_ = nullptr;
};

const CFBundleObject* BundleOf(CFBundleRef bundle) { return standin::cf::As<CFBundleObject>(bundle); }

}  // namespace

extern "C" {

CFTypeID CFBundleGetTypeID(void) { return CFBundleObject::kTypeID; }

CFBundleRef CFBundleGetMainBundle(void) { return BundleRegistry::Instance().Main(); }

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier) {
  if (standin::cf::As<CFStringObject>(identifier) == nullptr) return nullptr;
  return BundleRegistry::Instance().Find(standin::cf::StringText(identifier));
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  CFStringRef path = CFURLCopyFileSystemPath(bundleURL, kCFURLPOSIXPathStyle);
  if (path == nullptr) return nullptr;
  CFBundleObject* bundle = BundleRegistry::Instance().Open(standin::cf::StringText(path));
  CFRelease(path);
  return bundle;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  const CFBundleObject* object = BundleOf(bundle);
  return object == nullptr ? nullptr : object->identifier;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
  const CFBundleObject* object = BundleOf(bundle);
  return object == nullptr ? nullptr : object->info;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  return CFDictionaryGetValue(CFBundleGetInfoDictionary(bundle), key);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  const CFBundleObject* object = BundleOf(bundle);
  return object == nullptr ? nullptr : FolderURL(object->folder);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  const CFBundleObject* object = BundleOf(bundle);
  return object == nullptr ? nullptr : FolderURL(object->folder / "Contents" / "Resources");
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  const CFBundleObject* object = BundleOf(bundle);
  if (object == nullptr) return nullptr;
  const auto* named = standin::cf::As<CFStringObject>(
      CFDictionaryGetValue(object->info, CFStringMakeConstantString(kExecutableKey)));
  const std::string name = named != nullptr ? named->utf8 : object->folder.stem().string();
  CFStringRef path = standin::cf::MakeString((object->folder / "Contents" / "MacOS" / name).string());
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, false);
  CFRelease(path);
  return url;
}

}  // extern "C"

namespace standin::testing {

CFBundleRef RegisterBundle(const std::string& folder) {
  return BundleRegistry::Instance().Register(folder);
}

void SetMainBundle(const std::string& identifier, const std::string& version) {
  BundleRegistry::Instance().SetMain(identifier, version);
}

void ClearMainBundle() { BundleRegistry::Instance().ClearMain(); }

}  // namespace standin::testing
