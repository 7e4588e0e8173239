#include "host/component_bundle.h"

#include <dlfcn.h>
#include <standin/testing/bundles.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/component_identity.h"

namespace orvane::host {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFourCharCodeLength = 4;

bool ReadTextFile(const fs::path& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream contents;
  contents << file.rdbuf();
  text = contents.str();
  return true;
}

bool ParseFourCharCode(const std::string& text, OSType& code) {
  if (text.size() != kFourCharCodeLength) return false;
  code = 0;
  for (const char c : text) code = (code << 8) | static_cast<unsigned char>(c);
  return true;
}

bool ParseVersion(const std::string& text, UInt32& version) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, version);
  return ec == std::errc() && ptr == end;
}

class PlistEntries {
public:
  explicit PlistEntries(std::map<std::string, std::string> entries) : mEntries(std::move(entries)) {}

  // The value, or empty (and the key noted as missing) when absent.
  std::string Required(const char* key) {
    const auto found = mEntries.find(key);
    if (found != mEntries.end() && !found->second.empty()) return found->second;
    if (mMissing.empty()) mMissing = key;
    return {};
  }
  std::string Optional(const char* key) const {
    const auto found = mEntries.find(key);
    return found == mEntries.end() ? std::string() : found->second;
  }
  const std::string& FirstMissing() const { return mMissing; }

private:
  std::map<std::string, std::string> mEntries;
  std::string mMissing;
};

// A bundle without CFBundleExecutable runs the library named after its folder.
std::string DefaultExecutableName(const std::string& folder) {
  fs::path path = fs::path(folder).lexically_normal();
  if (path.filename().empty()) path = path.parent_path();
  return path.stem().string();
}

}  // namespace

bool ReadComponentInfo(const std::string& folder, ComponentInfo& info, std::string& error) {
  const fs::path plist = fs::path(folder) / "Contents" / "Info.plist";
  std::string text;
  if (!ReadTextFile(plist, text)) {
    error = "cannot read " + plist.string();
    return false;
  }
  if (!ParseComponentInfo(text, plist.string(), info, error)) return false;
  if (info.executableName.empty()) info.executableName = DefaultExecutableName(folder);
  return true;
}

bool ParseComponentInfo(std::string_view plistText, const std::string& source, ComponentInfo& info,
                        std::string& error) {
  std::map<std::string, std::string> parsed;
  std::string reason;
  if (!standin::testing::ParseInfoPlist(plistText, parsed, &reason)) {
    error = "malformed property list " + source + ": " + reason;
    return false;
  }
  PlistEntries entries(std::move(parsed));
  ComponentInfo result;
  result.bundleIdentifier = entries.Required("CFBundleIdentifier");
  result.bundleVersion = entries.Optional("CFBundleVersion");
  result.executableName = entries.Optional("CFBundleExecutable");
  result.name = entries.Optional(kComponentNameKey);
  result.factoryFunction = entries.Required(kComponentFactoryKey);
  const std::string type = entries.Required(kComponentTypeKey);
  const std::string subType = entries.Required(kComponentSubTypeKey);
  const std::string manufacturer = entries.Required(kComponentManufacturerKey);
  const std::string version = entries.Optional(kComponentVersionKey);
  if (!entries.FirstMissing().empty()) {
    error = source + " lacks " + entries.FirstMissing();
    return false;
  }
  if (!ParseFourCharCode(type, result.description.componentType) ||
      !ParseFourCharCode(subType, result.description.componentSubType) ||
      !ParseFourCharCode(manufacturer, result.description.componentManufacturer)) {
    error = source + ": type, subtype and manufacturer must be four characters each";
    return false;
  }
  if (!version.empty() && !ParseVersion(version, result.version)) {
    error = source + ": " + kComponentVersionKey + " is not a decimal number";
    return false;
  }
  if (result.executableName.find('/') != std::string::npos || result.executableName == "..") {
    error = source + ": CFBundleExecutable must name a file inside Contents/MacOS";
    return false;
  }
  info = std::move(result);
  return true;
}

std::unique_ptr<ComponentBundle> ComponentBundle::Load(const std::string& folder, std::string& error,
                                                       IdentityCheck identity) {
  ComponentInfo info;
  if (!ReadComponentInfo(folder, info, error)) return nullptr;
  const fs::path library = fs::path(folder) / "Contents" / "MacOS" / info.executableName;
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    error = "cannot load " + library.string() + (reason ? std::string(": ") + reason : std::string());
    return nullptr;
  }
  auto* factory = reinterpret_cast<AudioComponentFactoryFunction>(dlsym(handle, info.factoryFunction.c_str()));
  if (!factory) {
    error = library.string() + " exports no " + info.factoryFunction;
    return nullptr;
  }
  AudioComponent component = AudioComponentRegister(&info.description, nullptr, info.version, factory);
  if (!component) {
    error = "cannot register the component of " + folder;
    return nullptr;
  }
  if (identity == IdentityCheck::kOnLoad) {
    AudioComponentDescription reported{};
    std::string unknown;
    // A component that does not open or answer is reported by the calls that need it.
    if (ReadReportedDescription(component, reported, unknown)) {
      error = IdentityMismatch(info, reported);
      if (!error.empty()) return nullptr;
    }
  }
  return std::unique_ptr<ComponentBundle>(new ComponentBundle(folder, std::move(info), handle, factory, component));
}

ComponentBundle::ComponentBundle(std::string folder, ComponentInfo info, void* library,
                                 AudioComponentFactoryFunction factory, AudioComponent component)
    : mFolder(std::move(folder)), mInfo(std::move(info)), mLibrary(library), mFactory(factory), mComponent(component) {}

void* ComponentBundle::Symbol(const char* name) const { return dlsym(mLibrary, name); }

}  // namespace orvane::host
