#pragma once

// The plain records of the Metal back end's recording: a draw call, its blend
// factors and the uniform record the fragment shaders read. The uniform
// record's layout is shared with the shaders, so its offsets are fixed.

#include <Metal/MTLRenderPipeline.h>

#include <cstddef>
#include <cstdint>

// The four blend factors of a pipeline's colour attachment.
struct MVCblend {
  MTLBlendFactor srcRGB;
  MTLBlendFactor dstRGB;
  MTLBlendFactor srcAlpha;
  MTLBlendFactor dstAlpha;

  bool operator==(const MVCblend&) const = default;
};

// MVCcall::type.
enum MVCcallType : int {
  MVC_FILL = 1,         // stencil, then cover
  MVC_CONVEXFILL = 2,   // drawn directly
  MVC_STROKE = 3,
  MVC_TRIANGLES = 4,
};

// One recorded draw call; offsets and counts in vertices and indices of the
// buffer set's arrays.
struct MVCcall {
  int type;  // MVCcallType
  int image;
  int triangleOffset;  // the cover quad of a fill, or the triangle list
  int triangleCount;
  int indexOffset;  // the interior triangles of a fill
  int indexCount;
  int strokeOffset;  // the fringe strip of a fill, or the stroke's strip
  int strokeCount;
  int uniformOffset;  // bytes
  MVCblend blendFunc;
};

// MVCfragUniforms::type.
enum MVCshaderType : int {
  MVC_SHADER_FILLGRAD = 0,  // gradients and solid colours
  MVC_SHADER_FILLIMG = 1,
  MVC_SHADER_TRIANGLES = 2,  // text
};

// MVCfragUniforms::texType.
enum MVCtexType : int {
  MVC_TEXTYPE_PREMULTIPLIED = 0,
  MVC_TEXTYPE_STRAIGHT = 1,
  MVC_TEXTYPE_ALPHA = 2,
};

// What the fragment shaders read for one call. Matrices are three columns of
// four floats, (a, b, 0, 0), (c, d, 0, 0), (e, f, 1, 0), of an inverse
// transform; colours are premultiplied.
struct MVCfragUniforms {
  float scissorMat[12];
  float paintMat[12];
  float innerCol[4];
  float outerCol[4];
  float scissorExt[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;  // pixels whose stroke mask is below it are discarded
  int texType;      // MVCtexType
  int type;         // MVCshaderType
};
static_assert(offsetof(MVCfragUniforms, scissorMat) == 0);
static_assert(offsetof(MVCfragUniforms, paintMat) == 48);
static_assert(offsetof(MVCfragUniforms, innerCol) == 96);
static_assert(offsetof(MVCfragUniforms, outerCol) == 112);
static_assert(offsetof(MVCfragUniforms, scissorExt) == 128);
static_assert(offsetof(MVCfragUniforms, scissorScale) == 136);
static_assert(offsetof(MVCfragUniforms, extent) == 144);
static_assert(offsetof(MVCfragUniforms, radius) == 152);
static_assert(offsetof(MVCfragUniforms, feather) == 156);
static_assert(offsetof(MVCfragUniforms, strokeMult) == 160);
static_assert(offsetof(MVCfragUniforms, strokeThr) == 164);
static_assert(offsetof(MVCfragUniforms, texType) == 168);
static_assert(offsetof(MVCfragUniforms, type) == 172);
static_assert(sizeof(MVCfragUniforms) == 176);

// Bytes between uniform records: each record starts a slot of its own, the
// bytes after the record left unwritten.
inline constexpr int kMVCfragSize = 256;
static_assert(sizeof(MVCfragUniforms) <= kMVCfragSize);
