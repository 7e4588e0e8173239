#include "cf_string.h"
#include "dispatch_data.h"
#include "metal/errors.h"
#include "metal/render_pipeline.h"
#include "metal/validation.h"

#include <CoreFoundation/CFDictionary.h>
#include <Metal/MTLDevice.h>
#include <standin/testing/metal.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <span>

namespace standin::metal {
namespace {

constexpr const char* kLibraryErrorDomain = "MTLLibraryErrorDomain";
constexpr NS::Integer kLibraryBlobInvalid = 1;
constexpr NS::Integer kLibraryNotFound = 2;
constexpr NS::Integer kLibraryRefused = 3;

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const ShaderLibraryDefinition>> libraries;
  std::set<std::string> refused;
};

Registry& TheRegistry() {
  static Registry* const registry = new Registry;  // outlives registrations in unloading libraries
  return *registry;
}

// Why the function cannot be registered, or null.
const char* EntryRefusal(const ShaderFunctionEntry& entry) {
  if (entry.name.empty()) return "a function has no name";
  if (entry.varyingCount < 0 || entry.varyingCount > kMaxVaryings) return "too many varyings";
  if (entry.type == MTLFunctionTypeVertex) {
    if (entry.vertex == nullptr) return "a vertex function has no code";
    if (entry.attributeCount < 0 || entry.attributeCount > kMaxVertexAttributes) return "too many attributes";
    return nullptr;
  }
  if (entry.type == MTLFunctionTypeFragment)
    return entry.prepare == nullptr ? "a fragment function has no code" : nullptr;
  return "a function is neither a vertex nor a fragment function";
}

const char* LibraryRefusal(const std::string& name, const std::vector<ShaderFunctionEntry>& functions) {
  if (name.empty()) return "the library has no name";
  std::set<std::string> names;
  for (const ShaderFunctionEntry& entry : functions) {
    if (const char* refusal = EntryRefusal(entry)) return refusal;
    if (!names.insert(entry.name).second) return "two functions share a name";
  }
  return nullptr;
}

// The library name a blob carries: what follows the magic, without trailing NULs.
std::optional<std::string> BlobLibraryName(std::span<const std::byte> blob) {
  if (blob.size() <= sizeof kLibraryBlobMagic ||
      std::memcmp(blob.data(), kLibraryBlobMagic, sizeof kLibraryBlobMagic) != 0) {
    return std::nullopt;
  }
  std::string name(reinterpret_cast<const char*>(blob.data()) + sizeof kLibraryBlobMagic,
                   blob.size() - sizeof kLibraryBlobMagic);
  while (!name.empty() && name.back() == '\0') name.pop_back();
  if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
  return name;
}

}  // namespace

ShaderFunctionEntry VertexShaderEntry(std::string name, VertexFunction function, int attributeCount, int varyingCount) {
  ShaderFunctionEntry entry;
  entry.name = std::move(name);
  entry.type = MTLFunctionTypeVertex;
  entry.varyingCount = varyingCount;
  entry.vertex = function;
  entry.attributeCount = attributeCount;
  return entry;
}

ShaderFunctionEntry FragmentShaderEntry(std::string name, PrepareFunction prepare, ShadeFunction shade,
                                        int varyingCount) {
  ShaderFunctionEntry entry;
  entry.name = std::move(name);
  entry.type = MTLFunctionTypeFragment;
  entry.varyingCount = varyingCount;
  entry.prepare = prepare;
  entry.shade = shade;
  return entry;
}

ShaderLibraryRegistration::ShaderLibraryRegistration(std::string libraryName,
                                                     std::vector<ShaderFunctionEntry> functions) {
  if (const char* refusal = LibraryRefusal(libraryName, functions)) {
    ReportValidationError("shader library \"%s\" not registered: %s", libraryName.c_str(), refusal);
    return;
  }
  auto definition =
      std::make_shared<const ShaderLibraryDefinition>(ShaderLibraryDefinition{libraryName, std::move(functions)});
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (!registry.libraries.emplace(libraryName, definition).second) {
    ReportValidationError("shader library \"%s\" not registered: the name is taken", libraryName.c_str());
    return;
  }
  definition_ = std::move(definition);
}

ShaderLibraryRegistration::~ShaderLibraryRegistration() {
  if (!definition_) return;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.libraries.find(definition_->name);
  if (found != registry.libraries.end() && found->second == definition_) registry.libraries.erase(found);
}

void SetError(NS::Error** error, const char* domain, NS::Integer code, const std::string& description) {
  if (error == nullptr) return;
  CFStringRef domainText = cf::MakeString(domain);
  CFStringRef descriptionText = cf::MakeString(description);
  const void* keys[] = {NSLocalizedDescriptionKey};
  const void* values[] = {descriptionText};
  CFDictionaryRef userInfo =
      CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  *error = NS::Error::alloc()->initWithDomainCodeUserInfo(domainText, code, userInfo);
  CFRelease(userInfo);
  CFRelease(descriptionText);
  CFRelease(domainText);
}

}  // namespace standin::metal

namespace standin::testing {

void SetMetalLibraryRefused(const char* libraryName, bool refused) {
  metal::Registry& registry = metal::TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (refused) {
    registry.refused.insert(libraryName);
  } else {
    registry.refused.erase(libraryName);
  }
}

}  // namespace standin::testing

namespace MTL {

using standin::metal::ShaderLibraryDefinition;

Function::Function(std::shared_ptr<const ShaderLibraryDefinition> library,
                   const standin::metal::ShaderFunctionEntry& entry)
    : library_(std::move(library)), entry_(entry), name_(standin::cf::MakeString(entry.name)) {}

Function::~Function() { CFRelease(name_); }

MTLFunctionType Function::functionType() const { return entry_.type; }

Library::Library(std::shared_ptr<const ShaderLibraryDefinition> definition) : definition_(std::move(definition)) {}

Function* Library::newFunctionWithName(CFStringRef name) {
  const std::string& wanted = standin::cf::StringText(name);
  for (const standin::metal::ShaderFunctionEntry& entry : definition_->functions) {
    if (entry.name == wanted) return new Function(definition_, entry);
  }
  return nullptr;
}

Library* Device::newLibraryWithDataError(dispatch_data_t data, NS::Error** error) {
  using standin::metal::SetError;
  const std::optional<std::string> name =
      data != nullptr ? standin::metal::BlobLibraryName(standin::dispatch::DataBytes(data)) : std::nullopt;
  if (!name) {
    SetError(error, standin::metal::kLibraryErrorDomain, standin::metal::kLibraryBlobInvalid,
             "The data is not a compiled library: it must be \"MTLB\" followed by a library name.");
    return nullptr;
  }
  standin::metal::Registry& registry = standin::metal::TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (registry.refused.contains(*name)) {
    SetError(error, standin::metal::kLibraryErrorDomain, standin::metal::kLibraryRefused,
             "The device refused to load the library \"" + *name + "\".");
    return nullptr;
  }
  const auto found = registry.libraries.find(*name);
  if (found == registry.libraries.end()) {
    SetError(error, standin::metal::kLibraryErrorDomain, standin::metal::kLibraryNotFound,
             "No shader library named \"" + *name + "\" is registered.");
    return nullptr;
  }
  return new Library(found->second);
}

}  // namespace MTL
