#pragma once

#include <AudioUnit/AudioComponent.h>

#include <memory>
#include <string>
#include <string_view>

namespace orvane::host {

// Info.plist keys that describe the component a bundle holds.
inline constexpr const char* kComponentTypeKey = "AudioComponentType";
inline constexpr const char* kComponentSubTypeKey = "AudioComponentSubType";
inline constexpr const char* kComponentManufacturerKey = "AudioComponentManufacturer";
inline constexpr const char* kComponentNameKey = "AudioComponentName";
inline constexpr const char* kComponentFactoryKey = "AudioComponentFactoryFunction";
inline constexpr const char* kComponentVersionKey = "AudioComponentVersion";

// What a bundle's Info.plist says about itself and its component.
struct ComponentInfo {
  std::string bundleIdentifier;
  std::string bundleVersion;
  std::string executableName;
  std::string name;
  std::string factoryFunction;
  AudioComponentDescription description{};
  UInt32 version = 0;
};

// The component description in the text of an Info.plist; `source` names it
// in errors. An empty executable name means the bundle's own name.
bool ParseComponentInfo(std::string_view plistText, const std::string& source, ComponentInfo& info,
                        std::string& error);

// Reads "<folder>/Contents/Info.plist". False with a reason in `error` when the
// file is missing or malformed or lacks a key the host needs.
bool ReadComponentInfo(const std::string& folder, ComponentInfo& info, std::string& error);

// A component bundle whose library is loaded (privately, so two components
// never resolve each other's symbols) and whose factory is registered with the
// component registry.
class ComponentBundle {
public:
  // Whether Load holds the component to the description its Info.plist registers.
  enum class IdentityCheck {
    kOnLoad,        // an instance is opened once and a class info naming another component refuses the bundle
    kLeftToCaller,  // CheckComponentIdentity (component_identity.h) is the caller's, as a validator runs it
  };

  // Null with a reason in `error` when the bundle cannot be used. Main thread.
  static std::unique_ptr<ComponentBundle> Load(const std::string& folder, std::string& error,
                                               IdentityCheck identity = IdentityCheck::kOnLoad);

  // The library stays loaded: the component registry keeps its factory for
  // the life of the process, and objects of the plug-in may outlive us.
  ~ComponentBundle() = default;
  ComponentBundle(const ComponentBundle&) = delete;
  ComponentBundle& operator=(const ComponentBundle&) = delete;

  const std::string& Folder() const { return mFolder; }
  const ComponentInfo& Info() const { return mInfo; }
  AudioComponent Component() const { return mComponent; }
  AudioComponentFactoryFunction Factory() const { return mFactory; }
  // An exported symbol of the library, or null.
  void* Symbol(const char* name) const;

private:
  ComponentBundle(std::string folder, ComponentInfo info, void* library, AudioComponentFactoryFunction factory,
                  AudioComponent component);

  std::string mFolder;
  ComponentInfo mInfo;
  void* mLibrary;
  AudioComponentFactoryFunction mFactory;
  AudioComponent mComponent;
};

}  // namespace orvane::host
