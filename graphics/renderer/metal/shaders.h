#pragma once

// The back end's shader library: "vertexShader" places vertices given in
// points on the target; "fragmentShaderAA" and "fragmentShader" (the same
// without the stroke mask and discard) colour them from the uniform record of
// draw_call.h with texture and sampler 0. Registered with the software Metal
// under kMVCshaderLibraryName the first time it is loaded.
//
// Threads: any.

#include <Foundation/NSError.h>
#include <Metal/MTLDevice.h>

inline constexpr const char* kMVCshaderLibraryName = "vectorShaders_vOrvane_au";
inline constexpr const char* kMVCvertexFunctionName = "vertexShader";
inline constexpr const char* kMVCfragmentFunctionAAName = "fragmentShaderAA";
inline constexpr const char* kMVCfragmentFunctionName = "fragmentShader";

// The library, owned by the caller, loaded from its compiled-library blob;
// null and an error owned by the caller when the device refuses it.
MTL::Library* mvcNewShaderLibrary(MTL::Device* device, NS::Error** error);
