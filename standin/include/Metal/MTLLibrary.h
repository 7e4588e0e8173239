#pragma once

// Shader libraries and the functions in them. The software Metal's libraries
// hold C++ shader functions registered under a name
// (standin/metal/shader_library.h). Immutable, any thread.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#include <memory>

namespace standin::metal {
struct ShaderFunctionEntry;
struct ShaderLibraryDefinition;
}  // namespace standin::metal

typedef NS::UInteger MTLFunctionType;
enum : MTLFunctionType {
  MTLFunctionTypeVertex = 1,
  MTLFunctionTypeFragment = 2,
};

namespace MTL {

class NS_CLASS_EXPORT Function : public NS::Object {
public:
  // Not owned by the caller.
  CFStringRef name() const { return name_; }
  MTLFunctionType functionType() const;

  // The stand-in's own: the registered function.
  const standin::metal::ShaderFunctionEntry& entry() const { return entry_; }

protected:
  ~Function() override;

private:
  friend class Library;
  Function(std::shared_ptr<const standin::metal::ShaderLibraryDefinition> library,
           const standin::metal::ShaderFunctionEntry& entry);

  const std::shared_ptr<const standin::metal::ShaderLibraryDefinition> library_;
  const standin::metal::ShaderFunctionEntry& entry_;
  const CFStringRef name_;
};

// Made by Device::newLibraryWithDataError.
class NS_CLASS_EXPORT Library : public NS::Object {
public:
  // A new function owned by the caller, or null when the library has none of that name.
  Function* newFunctionWithName(CFStringRef name);

private:
  friend class Device;
  explicit Library(std::shared_ptr<const standin::metal::ShaderLibraryDefinition> definition);

  const std::shared_ptr<const standin::metal::ShaderLibraryDefinition> definition_;
};

}  // namespace MTL
