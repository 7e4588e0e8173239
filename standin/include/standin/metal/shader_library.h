#pragma once

// Registering a library of shader functions (shader.h) under a name: the
// software Metal's form of a compiled library. A device loads it from a blob
// of the four bytes "MTLB" followed by that name
// (Device::newLibraryWithDataError). A registration lasts as long as its
// registration object, so code that may be unloaded keeps that object in a
// static of its own and the library goes with it; pipeline states made from
// the library must be released before then. Any thread.

#include <Metal/MTLLibrary.h>
#include <standin/metal/shader.h>

#include <memory>
#include <string>
#include <vector>

namespace standin::metal {

// The bytes a compiled-library blob begins with.
inline constexpr char kLibraryBlobMagic[4] = {'M', 'T', 'L', 'B'};

struct ShaderFunctionEntry {
  std::string name;
  MTLFunctionType type = MTLFunctionTypeVertex;
  int varyingCount = 0;  // vertex: written; fragment: read
  // Vertex functions.
  VertexFunction vertex = nullptr;
  int attributeCount = 0;  // attributes 0 to attributeCount - 1, fetched through the vertex descriptor
  // Fragment functions.
  PrepareFunction prepare = nullptr;
  ShadeFunction shade = nullptr;  // may be null when prepare never plans FragmentColor::kShaded
};

ShaderFunctionEntry VertexShaderEntry(std::string name, VertexFunction function, int attributeCount, int varyingCount);
ShaderFunctionEntry FragmentShaderEntry(std::string name, PrepareFunction prepare, ShadeFunction shade,
                                        int varyingCount);

struct ShaderLibraryDefinition;

class ShaderLibraryRegistration {
public:
  // Registers the functions under the library name. Nothing is registered
  // (a validation error says why) when the name is empty or taken, or a
  // function has no name, a repeated name, no code or too many varyings or attributes.
  ShaderLibraryRegistration(std::string libraryName, std::vector<ShaderFunctionEntry> functions);
  // Undoes the registration; libraries already loaded keep working.
  ~ShaderLibraryRegistration();
  ShaderLibraryRegistration(const ShaderLibraryRegistration&) = delete;
  ShaderLibraryRegistration& operator=(const ShaderLibraryRegistration&) = delete;

  bool registered() const { return definition_ != nullptr; }

private:
  std::shared_ptr<const ShaderLibraryDefinition> definition_;
};

}  // namespace standin::metal
