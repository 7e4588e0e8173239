// Recording the core's fills, strokes and triangles into the current buffer
// set: the growth of its arrays, uniform records and blend factors.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/metal/metal_context.h"
#include "graphics/renderer/transform.h"

namespace {

// Floors of the first growth of each array.
constexpr int kMinCalls = 128;
constexpr int kMinVerts = 4096;
constexpr int kMinIndexes = 4096;
constexpr int kMinUniforms = 128;

// The threshold of the first pass of stencil strokes: only pixels the stroke
// covers all but fully are drawn there.
constexpr float kStencilStrokeThreshold = 1.0f - 0.5f / 255.0f;
constexpr float kNoThreshold = -1.0f;
// Below this extent a scissor or paint side means "none".
constexpr float kNoScissorExtent = -0.5f;

// The Metal factor of one factor bit; none for anything else.
std::optional<MTLBlendFactor> BlendFactorOf(int factor) {
  switch (factor) {
    case VC_ZERO:
      return MTLBlendFactorZero;
    case VC_ONE:
      return MTLBlendFactorOne;
    case VC_SRC_COLOR:
      return MTLBlendFactorSourceColor;
    case VC_ONE_MINUS_SRC_COLOR:
      return MTLBlendFactorOneMinusSourceColor;
    case VC_DST_COLOR:
      return MTLBlendFactorDestinationColor;
    case VC_ONE_MINUS_DST_COLOR:
      return MTLBlendFactorOneMinusDestinationColor;
    case VC_SRC_ALPHA:
      return MTLBlendFactorSourceAlpha;
    case VC_ONE_MINUS_SRC_ALPHA:
      return MTLBlendFactorOneMinusSourceAlpha;
    case VC_DST_ALPHA:
      return MTLBlendFactorDestinationAlpha;
    case VC_ONE_MINUS_DST_ALPHA:
      return MTLBlendFactorOneMinusDestinationAlpha;
    case VC_SRC_ALPHA_SATURATE:
      return MTLBlendFactorSourceAlphaSaturated;
    default:
      return std::nullopt;
  }
}

void Premultiplied(const VCcolor& color, float* out) {
  out[0] = color.r * color.a;
  out[1] = color.g * color.a;
  out[2] = color.b * color.a;
  out[3] = color.a;
}

// The inverse of a 2x3 transform as three columns of four floats.
void InverseAsColumns(const float* transform, float* columns) {
  float inverse[6];
  vcTransformInverse(inverse, transform);
  const float matrix[12] = {inverse[0], inverse[1], 0.0f, 0.0f, inverse[2], inverse[3],
                            0.0f,       0.0f,       inverse[4], inverse[5], 1.0f, 0.0f};
  std::memcpy(columns, matrix, sizeof matrix);
}

// The paint transform after a vertical flip of the image about the middle of its extent.
void FlippedTransform(const VCpaint& paint, float* transform) {
  float flip[6];
  vcTransformTranslate(transform, 0.0f, -paint.extent[1] * 0.5f);
  vcTransformScale(flip, 1.0f, -1.0f);
  vcTransformMultiply(transform, flip);
  vcTransformTranslate(flip, 0.0f, paint.extent[1] * 0.5f);
  vcTransformMultiply(transform, flip);
  vcTransformMultiply(transform, paint.xform);
}

// Vertices a path adds to a joined strip: its own plus one repeated at each end.
int StripVertices(const VCpath& path) { return path.nstroke >= 1 ? path.nstroke + 2 : 0; }
int InteriorVertices(const VCpath& path) { return path.nfill >= 3 ? path.nfill : 0; }

// The paths' strips as one strip from `out` on: each path's first vertex, all
// of them and its last again, so degenerate triangles join them.
void WriteJoinedStrip(const VCpath* paths, int npaths, VCvertex* out) {
  for (int i = 0; i < npaths; ++i) {
    const VCpath& path = paths[i];
    if (path.nstroke < 1) continue;
    *out++ = path.stroke[0];
    std::memcpy(out, path.stroke, sizeof(VCvertex) * static_cast<std::size_t>(path.nstroke));
    out += path.nstroke;
    *out++ = path.stroke[path.nstroke - 1];
  }
}

// What the current set holds, to put back when a call cannot be recorded whole.
struct SetCounts {
  explicit SetCounts(const MVCbuffers_vOrvane_au& set)
      : ncalls(set.ncalls), nverts(set.nverts), nindexes(set.nindexes), nuniforms(set.nuniforms) {}
  void Restore(MVCbuffers_vOrvane_au& set) const {
    set.ncalls = ncalls;
    set.nverts = nverts;
    set.nindexes = nindexes;
    set.nuniforms = nuniforms;
  }
  int ncalls, nverts, nindexes, nuniforms;
};

}  // namespace

// ---- Allocation

MVCcall* MVCcontext_vOrvane_au::allocCall() {
  MVCbuffers_vOrvane_au& set = *buffers_;
  if (set.ncalls >= set.ccalls) {
    const int ccalls = std::max(set.ncalls, kMinCalls - 1) + set.ccalls / 2 + 1;
    void* calls = vc__realloc(set.calls, sizeof(MVCcall) * static_cast<std::size_t>(ccalls));
    if (calls == nullptr) return nullptr;
    set.calls = static_cast<MVCcall*>(calls);
    set.ccalls = ccalls;
  }
  MVCcall* call = &set.calls[set.ncalls++];
  std::memset(call, 0, sizeof *call);
  return call;
}

bool MVCcontext_vOrvane_au::growBuffer(NS::Ref<MTL::Buffer>& buffer, int used, int needed, int floor, int& capacity,
                                       NS::UInteger recordBytes) {
  const long long records = static_cast<long long>(std::max(needed, floor)) + capacity / 2;
  if (records * static_cast<long long>(recordBytes) > static_cast<long long>(MTL::kMaxBufferLength) ||
      records > std::numeric_limits<int>::max()) {
    return false;
  }
  auto grown = NS::Ref<MTL::Buffer>::Adopt(device()->newBufferWithLengthOptions(
      static_cast<NS::UInteger>(records) * recordBytes, MTLResourceCPUCacheModeWriteCombined));
  if (!grown) return false;
  if (buffer && used > 0) std::memcpy(grown->contents(), buffer->contents(), static_cast<std::size_t>(used) * recordBytes);
  buffer = std::move(grown);
  capacity = static_cast<int>(records);
  return true;
}

int MVCcontext_vOrvane_au::allocVerts(int n) {
  MVCbuffers_vOrvane_au& set = *buffers_;
  if (n < 0 || n > std::numeric_limits<int>::max() - set.nverts) return -1;
  if (set.nverts + n > set.cverts) {
    if (!growBuffer(set.vertBuffer, set.nverts, set.nverts + n, kMinVerts, set.cverts, sizeof(VCvertex))) return -1;
    set.verts = static_cast<VCvertex*>(set.vertBuffer->contents());
  }
  const int first = set.nverts;
  set.nverts += n;
  return first;
}

int MVCcontext_vOrvane_au::allocIndexes(int n) {
  MVCbuffers_vOrvane_au& set = *buffers_;
  if (n < 0 || n > std::numeric_limits<int>::max() - set.nindexes) return -1;
  if (set.nindexes + n > set.cindexes) {
    if (!growBuffer(set.indexBuffer, set.nindexes, set.nindexes + n, kMinIndexes, set.cindexes,
                    static_cast<NS::UInteger>(indexSize_))) {
      return -1;
    }
    set.indexes = static_cast<std::uint32_t*>(set.indexBuffer->contents());
  }
  const int first = set.nindexes;
  set.nindexes += n;
  return first;
}

int MVCcontext_vOrvane_au::allocFragUniforms(int n) {
  MVCbuffers_vOrvane_au& set = *buffers_;
  if (n < 0 || n > std::numeric_limits<int>::max() / fragSize_ - set.nuniforms) return -1;
  if (set.nuniforms + n > set.cuniforms) {
    if (!growBuffer(set.uniformBuffer, set.nuniforms, set.nuniforms + n, kMinUniforms, set.cuniforms,
                    static_cast<NS::UInteger>(fragSize_))) {
      return -1;
    }
    set.uniforms = static_cast<std::byte*>(set.uniformBuffer->contents());
  }
  const int offset = set.nuniforms * fragSize_;
  set.nuniforms += n;
  return offset;
}

MVCfragUniforms* MVCcontext_vOrvane_au::fragUniformAtIndex(int offset) const {
  return reinterpret_cast<MVCfragUniforms*>(buffers_->uniforms + offset);
}

// ---- Paints and blends

MVCblend MVCcontext_vOrvane_au::blendCompositeOperation(VCcompositeOperationState op) const {
  const std::optional<MTLBlendFactor> srcRGB = BlendFactorOf(op.srcRGB);
  const std::optional<MTLBlendFactor> dstRGB = BlendFactorOf(op.dstRGB);
  const std::optional<MTLBlendFactor> srcAlpha = BlendFactorOf(op.srcAlpha);
  const std::optional<MTLBlendFactor> dstAlpha = BlendFactorOf(op.dstAlpha);
  if (!srcRGB || !dstRGB || !srcAlpha || !dstAlpha) {  // source-over
    return {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
            MTLBlendFactorOneMinusSourceAlpha};
  }
  return {*srcRGB, *dstRGB, *srcAlpha, *dstAlpha};
}

bool MVCcontext_vOrvane_au::convertPaintForFragPaintScissorWidthFringeStrokeThr(MVCfragUniforms* frag,
                                                                                 const VCpaint* paint,
                                                                                 const VCscissor* scissor,
                                                                                 float width, float fringe,
                                                                                 float strokeThr) const {
  std::memset(frag, 0, sizeof *frag);
  Premultiplied(paint->innerColor, frag->innerCol);
  Premultiplied(paint->outerColor, frag->outerCol);
  if (scissor->extent[0] < kNoScissorExtent || scissor->extent[1] < kNoScissorExtent) {
    frag->scissorExt[0] = frag->scissorExt[1] = 1.0f;
    frag->scissorScale[0] = frag->scissorScale[1] = 1.0f;
  } else {
    const float* t = scissor->xform;
    InverseAsColumns(t, frag->scissorMat);
    frag->scissorExt[0] = scissor->extent[0];
    frag->scissorExt[1] = scissor->extent[1];
    frag->scissorScale[0] = std::sqrt(t[0] * t[0] + t[2] * t[2]) / fringe;
    frag->scissorScale[1] = std::sqrt(t[1] * t[1] + t[3] * t[3]) / fringe;
  }
  frag->extent[0] = paint->extent[0];
  frag->extent[1] = paint->extent[1];
  frag->strokeMult = (width * 0.5f + fringe * 0.5f) / fringe;
  frag->strokeThr = strokeThr;

  if (paint->image != 0) {
    const MVCtexture_vOrvane_au* record = findTexture(paint->image);
    if (record == nullptr) return false;
    if ((record->flags & VC_IMAGE_FLIPY) != 0) {
      float flipped[6];
      FlippedTransform(*paint, flipped);
      InverseAsColumns(flipped, frag->paintMat);
    } else {
      InverseAsColumns(paint->xform, frag->paintMat);
    }
    frag->type = MVC_SHADER_FILLIMG;
    if (record->type == VC_TEXTURE_RGBA) {
      frag->texType = (record->flags & VC_IMAGE_PREMULTIPLIED) != 0 ? MVC_TEXTYPE_PREMULTIPLIED : MVC_TEXTYPE_STRAIGHT;
    } else {
      frag->texType = MVC_TEXTYPE_ALPHA;
    }
    return true;
  }
  frag->type = MVC_SHADER_FILLGRAD;
  frag->radius = paint->radius;
  frag->feather = paint->feather;
  InverseAsColumns(paint->xform, frag->paintMat);
  return true;
}

// A zero-sized scissor clips everything, but its soft edge would still let
// coverage through within half a pixel of its centre: such calls are dropped.
bool MVCcontext_vOrvane_au::scissorClipsEverything(const VCscissor* scissor) const {
  const bool exists = scissor->extent[0] >= kNoScissorExtent && scissor->extent[1] >= kNoScissorExtent;
  return exists && (scissor->extent[0] <= 0.0f || scissor->extent[1] <= 0.0f);
}

// ---- Calls

void MVCcontext_vOrvane_au::renderFillWithPaintCompositeOperationScissorFringeBoundsPathsNpaths(
    const VCpaint* paint, VCcompositeOperationState compositeOperation, const VCscissor* scissor, float fringe,
    const float* bounds, const VCpath* paths, int npaths) {
  if (!buffers_ || scissorClipsEverything(scissor)) return;
  MVCbuffers_vOrvane_au& set = *buffers_;
  const SetCounts before(set);
  MVCcall* call = allocCall();
  if (call == nullptr) return;
  call->type = MVC_FILL;
  call->triangleCount = 4;
  call->image = paint->image;
  call->blendFunc = blendCompositeOperation(compositeOperation);
  if (npaths == 1 && paths[0].convex) {
    call->type = MVC_CONVEXFILL;
    call->triangleCount = 0;  // no cover quad
  }

  int indexCount = 0;
  int interior = 0;
  int strip = 0;
  for (int i = 0; i < npaths; ++i) {
    if (paths[i].nfill >= 3) indexCount += (paths[i].nfill - 2) * 3;
    interior += InteriorVertices(paths[i]);
    strip += StripVertices(paths[i]);
  }
  const int total = interior + strip + call->triangleCount;
  const int offset = allocVerts(total);
  const int firstIndex = offset < 0 ? -1 : allocIndexes(indexCount);
  if (firstIndex < 0) {
    before.Restore(set);
    return;
  }
  call->indexOffset = firstIndex;
  call->indexCount = indexCount;
  call->strokeOffset = offset + (total - strip) + 1;
  call->strokeCount = strip - 2;

  // Each path's fan as a list of triangles.
  int vertex = offset;
  std::uint32_t* index = set.indexes + firstIndex;
  for (int i = 0; i < npaths; ++i) {
    const VCpath& path = paths[i];
    if (path.nfill < 3) continue;
    std::memcpy(set.verts + vertex, path.fill, sizeof(VCvertex) * static_cast<std::size_t>(path.nfill));
    for (int j = 2; j < path.nfill; ++j) {
      *index++ = static_cast<std::uint32_t>(vertex);
      *index++ = static_cast<std::uint32_t>(vertex + j - 1);
      *index++ = static_cast<std::uint32_t>(vertex + j);
    }
    vertex += path.nfill;
  }
  WriteJoinedStrip(paths, npaths, set.verts + offset + (total - strip));
  if (call->type == MVC_FILL) {  // the cover quad, a four-vertex strip over the bounds
    call->triangleOffset = vertex;
    VCvertex* quad = set.verts + vertex;
    quad[0] = {bounds[2], bounds[3], 0.5f, 1.0f};
    quad[1] = {bounds[2], bounds[1], 0.5f, 1.0f};
    quad[2] = {bounds[0], bounds[3], 0.5f, 1.0f};
    quad[3] = {bounds[0], bounds[1], 0.5f, 1.0f};
  }

  const int uniformOffset = allocFragUniforms(1);
  if (uniformOffset < 0) {
    before.Restore(set);
    return;
  }
  call->uniformOffset = uniformOffset;
  convertPaintForFragPaintScissorWidthFringeStrokeThr(fragUniformAtIndex(uniformOffset), paint, scissor, fringe,
                                                      fringe, kNoThreshold);
}

void MVCcontext_vOrvane_au::renderStrokeWithPaintCompositeOperationScissorFringeStrokeWidthPathsNpaths(
    const VCpaint* paint, VCcompositeOperationState compositeOperation, const VCscissor* scissor, float fringe,
    float strokeWidth, const VCpath* paths, int npaths) {
  if (!buffers_ || scissorClipsEverything(scissor)) return;
  MVCbuffers_vOrvane_au& set = *buffers_;
  const SetCounts before(set);
  MVCcall* call = allocCall();
  if (call == nullptr) return;
  call->type = MVC_STROKE;
  call->image = paint->image;
  call->blendFunc = blendCompositeOperation(compositeOperation);

  int space = 0;
  int strip = 0;
  for (int i = 0; i < npaths; ++i) {
    space += InteriorVertices(paths[i]) + StripVertices(paths[i]);
    strip += StripVertices(paths[i]);
  }
  const int offset = allocVerts(space);
  if (offset < 0) {
    before.Restore(set);
    return;
  }
  call->strokeOffset = offset + 1;
  call->strokeCount = strip - 2;
  WriteJoinedStrip(paths, npaths, set.verts + offset);

  const bool stencilStrokes = (flags_ & VC_STENCIL_STROKES) != 0;
  const int uniformOffset = allocFragUniforms(stencilStrokes ? 2 : 1);
  if (uniformOffset < 0) {
    before.Restore(set);
    return;
  }
  call->uniformOffset = uniformOffset;
  convertPaintForFragPaintScissorWidthFringeStrokeThr(fragUniformAtIndex(uniformOffset), paint, scissor,
                                                      strokeWidth, fringe, kNoThreshold);
  if (stencilStrokes) {
    convertPaintForFragPaintScissorWidthFringeStrokeThr(fragUniformAtIndex(uniformOffset + fragSize_), paint,
                                                        scissor, strokeWidth, fringe, kStencilStrokeThreshold);
  }
}

void MVCcontext_vOrvane_au::renderTrianglesWithPaintCompositeOperationScissorVertsNvertsFringe(
    const VCpaint* paint, VCcompositeOperationState compositeOperation, const VCscissor* scissor,
    const VCvertex* verts, int nverts, float fringe) {
  if (!buffers_ || scissorClipsEverything(scissor)) return;
  MVCbuffers_vOrvane_au& set = *buffers_;
  const SetCounts before(set);
  MVCcall* call = allocCall();
  if (call == nullptr) return;
  call->type = MVC_TRIANGLES;
  call->image = paint->image;
  call->blendFunc = blendCompositeOperation(compositeOperation);
  const int offset = allocVerts(nverts);
  const int uniformOffset = offset < 0 ? -1 : allocFragUniforms(1);
  if (uniformOffset < 0) {
    before.Restore(set);
    return;
  }
  call->triangleOffset = offset;
  call->triangleCount = nverts;
  if (nverts > 0) std::memcpy(set.verts + offset, verts, sizeof(VCvertex) * static_cast<std::size_t>(nverts));
  call->uniformOffset = uniformOffset;
  MVCfragUniforms* frag = fragUniformAtIndex(uniformOffset);
  convertPaintForFragPaintScissorWidthFringeStrokeThr(frag, paint, scissor, 1.0f, fringe, kNoThreshold);
  frag->type = MVC_SHADER_TRIANGLES;
}
