#pragma once

// The plain structures and enumerations shared across the Metal stand-in.
// Values a caller passes as numbers (pixel formats) are fixed; the others are
// the stand-in's own and only ever used by name.

#include <Foundation/NSObjCRuntime.h>

#include <cstdint>

struct MTLOrigin {
  NS::UInteger x = 0;
  NS::UInteger y = 0;
  NS::UInteger z = 0;
};

struct MTLSize {
  NS::UInteger width = 0;
  NS::UInteger height = 0;
  NS::UInteger depth = 0;
};

struct MTLRegion {
  MTLOrigin origin;
  MTLSize size;
};

inline MTLOrigin MTLOriginMake(NS::UInteger x, NS::UInteger y, NS::UInteger z) { return MTLOrigin{x, y, z}; }
inline MTLSize MTLSizeMake(NS::UInteger width, NS::UInteger height, NS::UInteger depth) {
  return MTLSize{width, height, depth};
}
inline MTLRegion MTLRegionMake2D(NS::UInteger x, NS::UInteger y, NS::UInteger width, NS::UInteger height) {
  return MTLRegion{MTLOrigin{x, y, 0}, MTLSize{width, height, 1}};
}

typedef NS::UInteger MTLPixelFormat;
enum : MTLPixelFormat {
  MTLPixelFormatInvalid = 0,
  MTLPixelFormatR8Unorm = 10,
  MTLPixelFormatRGBA8Unorm = 70,
  MTLPixelFormatBGRA8Unorm = 80,
  MTLPixelFormatStencil8 = 253,
};

typedef NS::UInteger MTLStorageMode;
enum : MTLStorageMode {
  MTLStorageModeShared = 0,
  MTLStorageModeManaged = 1,
  MTLStorageModePrivate = 2,  // no CPU access
};

typedef NS::UInteger MTLCPUCacheMode;
enum : MTLCPUCacheMode {
  MTLCPUCacheModeDefaultCache = 0,
  MTLCPUCacheModeWriteCombined = 1,
};

// A CPU cache mode in the low four bits and a storage mode above them.
typedef NS::UInteger MTLResourceOptions;
enum : MTLResourceOptions {
  MTLResourceCPUCacheModeShift = 0,
  MTLResourceCPUCacheModeMask = 0xF,
  MTLResourceStorageModeShift = 4,
  MTLResourceStorageModeMask = 0xF0,
  MTLResourceCPUCacheModeDefaultCache = MTLCPUCacheModeDefaultCache << MTLResourceCPUCacheModeShift,
  MTLResourceCPUCacheModeWriteCombined = MTLCPUCacheModeWriteCombined << MTLResourceCPUCacheModeShift,
  MTLResourceStorageModeShared = MTLStorageModeShared << MTLResourceStorageModeShift,
  MTLResourceStorageModeManaged = MTLStorageModeManaged << MTLResourceStorageModeShift,
  MTLResourceStorageModePrivate = MTLStorageModePrivate << MTLResourceStorageModeShift,
};

typedef NS::UInteger MTLCompareFunction;
enum : MTLCompareFunction {
  MTLCompareFunctionNever = 0,
  MTLCompareFunctionLess = 1,
  MTLCompareFunctionEqual = 2,
  MTLCompareFunctionLessEqual = 3,
  MTLCompareFunctionGreater = 4,
  MTLCompareFunctionNotEqual = 5,
  MTLCompareFunctionGreaterEqual = 6,
  MTLCompareFunctionAlways = 7,
};
