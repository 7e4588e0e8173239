#include "metal/fragment_stage.h"
#include "metal/pixel_format.h"
#include "metal/rasterizer.h"
#include "metal/render_pass.h"
#include "metal/render_pipeline.h"
#include "metal/validation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace standin::metal {
namespace {

constexpr NS::UInteger kFloat2Bytes = 8;
// The most vertices or indices one draw may have (its vertices are shaded into memory first).
constexpr NS::UInteger kMaxDrawElements = NS::UInteger{1} << 24;

struct ShadedVertex {
  RasterVertex window;  // its varyings pointer is set where triangles are assembled
  float varyings[kMaxVaryings] = {};
};

MTLPixelFormat FormatOf(const NS::Ref<MTL::Texture>& texture) {
  return texture ? texture->pixelFormat() : MTLPixelFormatInvalid;
}

bool FormatsMatch(const RenderPass& pass, const RenderPipelineSettings& pipeline) {
  const MTLPixelFormat color = FormatOf(pass.color.texture);
  const MTLPixelFormat stencil = FormatOf(pass.stencil.texture);
  if (pipeline.color.pixelFormat == color && pipeline.stencilPixelFormat == stencil) return true;
  ReportValidationError(
      "draw: the pipeline's pixel formats (colour %s, stencil %s) differ from the pass's (colour %s, stencil %s); "
      "the draw is skipped",
      PixelFormatName(pipeline.color.pixelFormat), PixelFormatName(pipeline.stencilPixelFormat), PixelFormatName(color),
      PixelFormatName(stencil));
  return false;
}

// The draw's elements: vertex numbers, read from the index buffer when indexed.
class Elements {
public:
  explicit Elements(const Draw& draw) : draw_(draw) {
    if (draw.indexed) {
      indexBytes_ = draw.indexType == MTLIndexTypeUInt16 ? 2 : 4;
      indices_ = draw.indexBuffer->storage() + draw.indexBufferOffset;
    }
  }

  NS::UInteger count() const { return draw_.count; }

  std::uint64_t VertexAt(NS::UInteger element) const {
    if (!draw_.indexed) return draw_.vertexStart + element;
    if (indexBytes_ == 2) {
      std::uint16_t index;
      std::memcpy(&index, indices_ + element * 2, 2);
      return index;
    }
    std::uint32_t index;
    std::memcpy(&index, indices_ + element * 4, 4);
    return index;
  }

  // Whether the index buffer holds every index the draw reads; reports why not.
  static bool IndicesInside(const Draw& draw) {
    if (!draw.indexed) return true;
    const NS::UInteger size = draw.indexType == MTLIndexTypeUInt16 ? 2 : 4;
    if (!draw.indexBuffer) {
      ReportValidationError("drawIndexedPrimitives: no index buffer; the draw is skipped");
      return false;
    }
    const unsigned __int128 end =
        static_cast<unsigned __int128>(draw.indexBufferOffset) + static_cast<unsigned __int128>(draw.count) * size;
    if (draw.indexBufferOffset % size != 0 || end > draw.indexBuffer->length()) {
      ReportValidationError(
          "drawIndexedPrimitives: %lu indices from byte %lu are misaligned or beyond the index buffer's %lu bytes; "
          "the draw is skipped",
          draw.count, draw.indexBufferOffset, draw.indexBuffer->length());
      return false;
    }
    return true;
  }

private:
  const Draw& draw_;
  const std::byte* indices_ = nullptr;
  NS::UInteger indexBytes_ = 0;
};

// Fetches attributes and runs the vertex function over the draw's vertices.
class VertexStage {
public:
  VertexStage(const RenderState& state, const RenderPipelineSettings& pipeline)
      : state_(state), pipeline_(pipeline), function_(pipeline.vertex()) {
    for (NS::UInteger slot = 0; slot < MTL::kBufferBindingCount; ++slot) {
      const BufferBinding& binding = state.vertexBuffers[slot];
      if (binding.buffer && binding.offset <= binding.buffer->length()) {
        buffers_[slot] = {binding.buffer->storage() + binding.offset, binding.buffer->length() - binding.offset};
      }
    }
  }

  // Whether every attribute of vertices 0 to lastVertex lies inside its buffer; reports why not.
  bool AttributesInside(std::uint64_t lastVertex) const {
    for (int i = 0; i < function_.attributeCount; ++i) {
      const MTL::VertexAttributeSettings& attribute = pipeline_.vertexDescriptor.attributes[i];
      const MTL::VertexBufferLayoutSettings& layout = pipeline_.vertexDescriptor.layouts[attribute.bufferIndex];
      const BufferBinding& binding = state_.vertexBuffers[attribute.bufferIndex];
      if (!binding.buffer) {
        ReportValidationError(
            "draw: vertex attribute %d reads buffer slot %lu, where nothing is bound; the draw is skipped", i,
            attribute.bufferIndex);
        return false;
      }
      const unsigned __int128 end = static_cast<unsigned __int128>(binding.offset) +
                                    static_cast<unsigned __int128>(lastVertex) * layout.stride + attribute.offset +
                                    kFloat2Bytes;
      if (end > binding.buffer->length()) {
        ReportValidationError(
            "draw: vertex %llu's attribute %d lies beyond its buffer's %lu bytes; the draw is skipped",
            static_cast<unsigned long long>(lastVertex), i, binding.buffer->length());
        return false;
      }
    }
    return true;
  }

  // False when the function's position has a w other than 1.
  bool Shade(std::uint64_t vertex, const MTLViewport& viewport, ShadedVertex& out) const {
    VertexInput input;
    input.vertexId = static_cast<std::uint32_t>(vertex);
    input.buffers = buffers_;
    for (int i = 0; i < function_.attributeCount; ++i) {
      const MTL::VertexAttributeSettings& attribute = pipeline_.vertexDescriptor.attributes[i];
      const NS::UInteger stride = pipeline_.vertexDescriptor.layouts[attribute.bufferIndex].stride;
      const BufferView& buffer = buffers_[attribute.bufferIndex];
      std::memcpy(input.attributes[i], buffer.bytes + vertex * stride + attribute.offset, kFloat2Bytes);
    }
    VertexOutput output;
    function_.vertex(input, output);
    if (output.position[3] != 1.0f) {
      ReportValidationError("draw: vertex function \"%s\" gave vertex %llu w = %g, not 1; the draw is skipped",
                            function_.name.c_str(), static_cast<unsigned long long>(vertex), output.position[3]);
      return false;
    }
    out.window = MakeRasterVertex(
        viewport.originX + (static_cast<double>(output.position[0]) + 1.0) * 0.5 * viewport.width,
        viewport.originY + (1.0 - static_cast<double>(output.position[1])) * 0.5 * viewport.height, nullptr);
    for (int i = 0; i < kMaxVaryings; ++i) out.varyings[i] = output.varyings[i];
    return true;
  }

private:
  const RenderState& state_;
  const RenderPipelineSettings& pipeline_;
  const ShaderFunctionEntry& function_;
  BufferView buffers_[MTL::kBufferBindingCount];
};

// Shades the vertices the elements name; `local` maps each element to its shaded vertex.
bool ShadeVertices(const Elements& elements, const VertexStage& stage, const MTLViewport& viewport,
                   std::vector<ShadedVertex>& shaded, std::vector<std::uint32_t>& local) {
  const NS::UInteger count = elements.count();
  std::uint64_t lowest = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t highest = 0;
  for (NS::UInteger k = 0; k < count; ++k) {
    const std::uint64_t vertex = elements.VertexAt(k);
    lowest = std::min(lowest, vertex);
    highest = std::max(highest, vertex);
  }
  if (!stage.AttributesInside(highest)) return false;
  local.resize(count);
  // Shared vertices are shaded once when the elements use a compact range.
  const bool byRange = highest - lowest < 2 * static_cast<std::uint64_t>(count) + kMaxSpanPixels;
  shaded.resize(byRange ? highest - lowest + 1 : count);
  for (std::size_t i = 0; i < shaded.size(); ++i) {
    if (!stage.Shade(byRange ? lowest + i : elements.VertexAt(i), viewport, shaded[i])) return false;
  }
  for (NS::UInteger k = 0; k < count; ++k) {
    local[k] = static_cast<std::uint32_t>(byRange ? elements.VertexAt(k) - lowest : k);
  }
  return true;
}

// What the draw binds for its fragment function; a framebuffer-only texture reads as nil.
FragmentResources BindFragmentResources(const RenderState& state) {
  FragmentResources resources;
  for (NS::UInteger slot = 0; slot < MTL::kBufferBindingCount; ++slot) {
    const BufferBinding& binding = state.fragmentBuffers[slot];
    if (binding.buffer && binding.offset <= binding.buffer->length()) {
      resources.buffers[slot] = {binding.buffer->storage() + binding.offset, binding.buffer->length() - binding.offset};
    }
  }
  for (NS::UInteger slot = 0; slot < MTL::kTextureBindingCount; ++slot) {
    const MTL::Texture* texture = state.fragmentTextures[slot].get();
    if (texture != nullptr && texture->framebufferOnly()) {
      ReportValidationError(
          "draw: the framebuffer-only texture at fragment slot %lu cannot be sampled; it reads as nil", slot);
      texture = nullptr;
    }
    resources.textures[slot] = texture;
  }
  for (NS::UInteger slot = 0; slot < MTL::kSamplerBindingCount; ++slot) {
    if (state.fragmentSamplers[slot]) resources.samplers[slot] = state.fragmentSamplers[slot]->settings();
  }
  return resources;
}

// Whether the plan the preparation made can be drawn; reports why not.
bool PlanUsable(const ShaderFunctionEntry& function, const FragmentPlan& plan) {
  const char* problem = nullptr;
  if (plan.color == FragmentColor::kShaded && function.shade == nullptr) {
    problem = "plans shaded spans but has no shade function";
  } else if (plan.mayDiscard && plan.color != FragmentColor::kShaded) {
    problem = "may discard but does not shade its spans";
  } else if (plan.color == FragmentColor::kTexture) {
    const TextureLookup& lookup = plan.lookup;
    const bool slots = lookup.texture >= 0 && lookup.texture < static_cast<int>(MTL::kTextureBindingCount) &&
                       lookup.sampler >= 0 && lookup.sampler < static_cast<int>(MTL::kSamplerBindingCount);
    const bool varyings = lookup.uVarying >= 0 && lookup.uVarying < function.varyingCount && lookup.vVarying >= 0 &&
                          lookup.vVarying < function.varyingCount;
    if (!slots || !varyings) problem = "looks a texture up through a slot or varying it does not have";
  }
  if (problem == nullptr) return true;
  ReportValidationError("draw: fragment function \"%s\" %s; the draw is skipped", function.name.c_str(), problem);
  return false;
}

int PixelBound(double value) {
  constexpr double kLimit = 1 << 30;
  return static_cast<int>(std::isnan(value) ? 0.0 : std::clamp(value, -kLimit, kLimit));
}

// Pixels whose centres lie inside the viewport and every attachment.
RenderArea AreaOf(const RenderPass& pass, const MTLViewport& viewport) {
  RenderArea area{PixelBound(std::ceil(viewport.originX - 0.5)), PixelBound(std::ceil(viewport.originY - 0.5)),
                  PixelBound(std::ceil(viewport.originX + viewport.width - 0.5)),
                  PixelBound(std::ceil(viewport.originY + viewport.height - 0.5))};
  area.x0 = std::max(area.x0, 0);
  area.y0 = std::max(area.y0, 0);
  for (const MTL::Texture* texture : {pass.color.texture.get(), pass.stencil.texture.get()}) {
    if (texture == nullptr) continue;
    area.x1 = std::min(area.x1, static_cast<int>(texture->width()));
    area.y1 = std::min(area.y1, static_cast<int>(texture->height()));
  }
  return area;
}

FragmentStageSetup StageSetup(const RenderPass& pass, const RenderState& state,
                              const RenderPipelineSettings& pipeline) {
  FragmentStageSetup setup;
  if (pass.color.texture) {
    setup.color = &pass.color.texture->storage().levels.front();
    setup.blend = Blender(pass.color.texture->pixelFormat(), pipeline.color);
  }
  if (pass.stencil.texture) setup.stencil = &pass.stencil.texture->storage().levels.front();
  if (state.depthStencil) {
    const MTL::DepthStencilSettings& settings = state.depthStencil->settings();
    if (settings.frontFaceStencil)
      setup.frontStencil = MakeStencilTable(*settings.frontFaceStencil, state.stencilReference);
    if (settings.backFaceStencil)
      setup.backStencil = MakeStencilTable(*settings.backFaceStencil, state.stencilReference);
  }
  return setup;
}

// The element numbers of triangle t.
struct Corners {
  NS::UInteger a, b, c;
};

Corners TriangleCorners(MTLPrimitiveType type, NS::UInteger t) {
  if (type == MTLPrimitiveTypeTriangle) return {3 * t, 3 * t + 1, 3 * t + 2};
  // Odd triangles of a strip swap their first two corners, keeping the strip's winding.
  return t % 2 == 0 ? Corners{t, t + 1, t + 2} : Corners{t + 1, t, t + 2};
}

NS::UInteger TriangleCount(MTLPrimitiveType type, NS::UInteger elements) {
  if (type == MTLPrimitiveTypeTriangle) return elements / 3;
  return elements >= 3 ? elements - 2 : 0;
}

}  // namespace

void RunDraw(const RenderPass& pass, const Draw& draw) {
  if (draw.count == 0) return;
  const RenderState& state = *draw.state;
  if (!state.pipeline) {
    ReportValidationError("draw: no render pipeline state is set; the draw is skipped");
    return;
  }
  const RenderPipelineSettings& pipeline = state.pipeline->settings();
  if (!FormatsMatch(pass, pipeline) || !Elements::IndicesInside(draw)) return;
  if (draw.count > kMaxDrawElements ||
      (!draw.indexed && draw.vertexStart > std::numeric_limits<std::uint32_t>::max() - draw.count)) {
    ReportValidationError("draw: %lu elements from vertex %lu are more than a draw may have; the draw is skipped",
                          draw.count, draw.vertexStart);
    return;
  }

  thread_local std::vector<ShadedVertex> shaded;
  thread_local std::vector<std::uint32_t> local;
  const VertexStage vertexStage(state, pipeline);
  if (!ShadeVertices(Elements(draw), vertexStage, state.viewport, shaded, local)) return;

  FragmentStageSetup setup = StageSetup(pass, state, pipeline);
  const FragmentResources resources = pipeline.fragment() ? BindFragmentResources(state) : FragmentResources{};
  FragmentPlan plan;
  plan.resources = &resources;
  if (const ShaderFunctionEntry* fragment = pipeline.fragment()) {
    if (!fragment->prepare(plan)) {
      ReportValidationError("draw: fragment function \"%s\" cannot read what the draw binds; the draw is skipped",
                            fragment->name.c_str());
      return;
    }
    if (!PlanUsable(*fragment, plan)) return;
    setup.plan = &plan;
    setup.shade = fragment->shade;
    setup.varyingCount = fragment->varyingCount;
  }

  standin::testing::RenderPassStatistics& statistics = CurrentPassStatistics();
  ++statistics.draws;
  const RenderArea area = AreaOf(pass, state.viewport);
  if (area.empty()) return;
  FragmentStage stage(setup);
  Rasterizer rasterizer(area, state.cullMode, state.frontFacingWinding, setup.varyingCount, stage);
  const NS::UInteger triangles = TriangleCount(draw.primitiveType, draw.count);
  const auto corner = [&](NS::UInteger element) {
    const ShadedVertex& vertex = shaded[local[element]];
    RasterVertex corner = vertex.window;
    corner.varyings = vertex.varyings;
    return corner;
  };
  for (NS::UInteger t = 0; t < triangles; ++t) {
    const Corners corners = TriangleCorners(draw.primitiveType, t);
    if (rasterizer.DrawTriangle(corner(corners.a), corner(corners.b), corner(corners.c))) ++statistics.triangles;
  }
}

}  // namespace standin::metal
