// A synthetic editor-like frame drawn by the software Metal, at 1392 x 783
// points with 1 and 2 pixels per point: a clear, a full-window opaque fill,
// 60 panels filled through the stencil with anti-aliased fringes (half of them
// translucent), 400 anti-aliased strokes, 3000 glyph quads from an alpha atlas
// behind a scissor, ten 1000-point curves with round joins, 20 box shadows,
// and the texel-aligned copy of the frame onto a BGRA8 target. Also the fill
// and the copy alone. Prints the time per frame and window megapixels per second.

#include "frame_shaders.h"

#include <Metal/Metal.h>
#include <benchmark/benchmark.h>
#include <standin/testing/metal.h>

#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using frame_bench::Paint;

constexpr float kWindowWidth = 1392.0f;
constexpr float kWindowHeight = 783.0f;
constexpr std::size_t kPaintBytes = sizeof(Paint);

struct Vertex {
  float x, y, u, v;
};

enum class CallKind { kTriangles, kStrip, kPanel };

// One draw of the frame, as a vector renderer's back end records it.
struct Call {
  CallKind kind = CallKind::kTriangles;
  std::size_t paint = 0;
  NS::UInteger first = 0;  // vertices of the triangles or strip; the panel's fringe strip
  NS::UInteger count = 0;
  NS::UInteger indexFirst = 0;  // the panel's fan, as indexed triangles
  NS::UInteger indexCount = 0;
  NS::UInteger coverFirst = 0;  // the panel's cover quad, a four-vertex strip
};

struct Scene {
  std::vector<Vertex> vertices;
  std::vector<std::uint32_t> indices;
  std::vector<Paint> paints;
  std::vector<Call> calls;
  std::size_t fillCalls = 0;  // the first calls: the full-window fill
  std::size_t copyPaint = 0;
  std::vector<std::uint8_t> atlas;
  NS::UInteger atlasSide = 0;
};

Paint SolidPaint(float r, float g, float b, float a, float strokeMultiplier = 1.0f) {
  Paint paint{};
  const float color[4] = {r * a, g * a, b * a, a};
  std::copy_n(color, 4, paint.inner);
  std::copy_n(color, 4, paint.outer);
  paint.scissorExtent[0] = paint.scissorExtent[1] = 1.0f;
  paint.scissorScale[0] = paint.scissorScale[1] = 1.0f;
  paint.extent[0] = paint.extent[1] = 1.0f;
  paint.paintMatrix[0] = paint.paintMatrix[3] = 1.0f;
  paint.strokeMultiplier = strokeMultiplier;
  paint.paintKind = frame_bench::kPaintColor;
  return paint;
}

class SceneBuilder {
public:
  explicit SceneBuilder(int ratio) : ratio_(ratio), fringe_(1.0f / ratio) {}

  Scene Build() {
    Fill();
    scene_.fillCalls = scene_.calls.size();
    Panels();
    Strokes();
    Glyphs();
    Curves();
    Shadows();
    CopyPaint();
    return std::move(scene_);
  }

private:
  std::size_t AddPaint(const Paint& paint) {
    scene_.paints.push_back(paint);
    return scene_.paints.size() - 1;
  }

  NS::UInteger AddVertices(const std::vector<Vertex>& vertices) {
    const NS::UInteger first = scene_.vertices.size();
    scene_.vertices.insert(scene_.vertices.end(), vertices.begin(), vertices.end());
    return first;
  }

  static std::vector<Vertex> Rectangle(float x0, float y0, float x1, float y1, float u0 = 0.5f, float v0 = 1.0f,
                                       float u1 = 0.5f, float v1 = 1.0f) {
    return {{x0, y0, u0, v0}, {x0, y1, u0, v1}, {x1, y1, u1, v1}, {x0, y0, u0, v0}, {x1, y1, u1, v1}, {x1, y0, u1, v0}};
  }

  void Triangles(const std::vector<Vertex>& vertices, std::size_t paint) {
    scene_.calls.push_back({CallKind::kTriangles, paint, AddVertices(vertices), vertices.size()});
  }

  // A strip of (left, right) pairs, ordered so its triangles turn counter-clockwise on screen.
  void Strip(std::vector<Vertex> pairs, std::size_t paint) {
    const auto cross = [&](const Vertex& a, const Vertex& b, const Vertex& c) {
      return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    };
    if (pairs.size() >= 3 && cross(pairs[0], pairs[1], pairs[2]) > 0.0f) {
      for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) std::swap(pairs[i], pairs[i + 1]);
    }
    scene_.calls.push_back({CallKind::kStrip, paint, AddVertices(pairs), pairs.size()});
  }

  // The pair of vertices half a width either side of a point along a unit normal.
  void Pair(std::vector<Vertex>& strip, float x, float y, float nx, float ny, float halfWidth, float inner) {
    strip.push_back({x + nx * halfWidth, y + ny * halfWidth, 0.0f, 1.0f});
    strip.push_back({x - nx * halfWidth, y - ny * halfWidth, inner, 1.0f});
  }

  void Fill() {
    Triangles(Rectangle(0, 0, kWindowWidth, kWindowHeight), AddPaint(SolidPaint(0.16f, 0.17f, 0.19f, 1.0f)));
  }

  // Rounded rectangles of 20 corners on a 10 x 6 grid, about 1 Mpx at 1 pixel per point.
  void Panels() {
    constexpr int kColumns = 10, kRows = 6, kCornerPoints = 5;
    constexpr float kRadius = 8.0f;
    const float cellWidth = kWindowWidth / kColumns, cellHeight = kWindowHeight / kRows;
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        const float x0 = column * cellWidth + 4.0f, y0 = row * cellHeight + 3.0f;
        const float x1 = x0 + cellWidth - 8.0f, y1 = y0 + cellHeight - 6.0f;
        std::vector<std::array<float, 2>> outline;
        const float centres[4][2] = {{x1 - kRadius, y0 + kRadius},
                                     {x0 + kRadius, y0 + kRadius},
                                     {x0 + kRadius, y1 - kRadius},
                                     {x1 - kRadius, y1 - kRadius}};
        for (int corner = 0; corner < 4; ++corner) {
          for (int k = 0; k < kCornerPoints; ++k) {
            const double angle = -(corner * 90.0 + k * 90.0 / (kCornerPoints - 1)) * std::numbers::pi / 180.0;
            outline.push_back({centres[corner][0] + kRadius * static_cast<float>(std::cos(angle)),
                               centres[corner][1] + kRadius * static_cast<float>(std::sin(angle))});
          }
        }
        const bool translucent = (row + column) % 2 == 1;
        const std::size_t paint =
            AddPaint(SolidPaint(0.3f + 0.01f * column, 0.35f, 0.4f + 0.02f * row, translucent ? 0.6f : 1.0f));
        Call call{CallKind::kPanel, paint};
        std::vector<Vertex> fan;
        for (const auto& point : outline) fan.push_back({point[0], point[1], 0.5f, 1.0f});
        const NS::UInteger fanFirst = AddVertices(fan);
        call.indexFirst = scene_.indices.size();
        for (std::uint32_t i = 2; i < fan.size(); ++i) {
          scene_.indices.insert(scene_.indices.end(),
                                {static_cast<std::uint32_t>(fanFirst), static_cast<std::uint32_t>(fanFirst + i - 1),
                                 static_cast<std::uint32_t>(fanFirst + i)});
        }
        call.indexCount = scene_.indices.size() - call.indexFirst;
        std::vector<Vertex> fringe;
        for (std::size_t i = 0; i <= outline.size(); ++i) {
          const auto& point = outline[i % outline.size()];
          const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
          const float length = std::hypot(point[0] - cx, point[1] - cy);
          Pair(fringe, point[0], point[1], (point[0] - cx) / length, (point[1] - cy) / length, fringe_ / 2, 0.5f);
        }
        Strip(fringe, paint);
        call.first = scene_.calls.back().first;
        call.count = scene_.calls.back().count;
        scene_.calls.pop_back();
        call.coverFirst =
            AddVertices({{x1, y1, 0.5f, 1.0f}, {x1, y0, 0.5f, 1.0f}, {x0, y1, 0.5f, 1.0f}, {x0, y0, 0.5f, 1.0f}});
        scene_.calls.push_back(call);
      }
    }
  }

  // Lines 1.5 points wide and 100 to 300 long, with a fringe either side.
  void Strokes() {
    constexpr float kWidth = 1.5f;
    std::uniform_real_distribution<float> x(50.0f, kWindowWidth - 50.0f), y(50.0f, kWindowHeight - 50.0f);
    std::uniform_real_distribution<float> angle(0.0f, 2.0f * std::numbers::pi_v<float>), length(100.0f, 300.0f);
    const float halfWidth = (kWidth + fringe_) / 2;
    for (int i = 0; i < 400; ++i) {
      const float x0 = x(random_), y0 = y(random_), a = angle(random_), l = length(random_);
      const float dx = std::cos(a), dy = std::sin(a);
      std::vector<Vertex> strip;
      Pair(strip, x0, y0, -dy, dx, halfWidth, 1.0f);
      Pair(strip, x0 + dx * l, y0 + dy * l, -dy, dx, halfWidth, 1.0f);
      Strip(strip, AddPaint(SolidPaint(0.9f, 0.8f, 0.4f, i % 3 == 0 ? 0.7f : 1.0f,
                                       (kWidth * 0.5f + fringe_ * 0.5f) / fringe_)));
    }
  }

  // 100 runs of 30 glyphs of 8 x 14 points from an alpha atlas at the pixel scale, behind a scissor.
  void Glyphs() {
    constexpr int kGlyphWidth = 8, kGlyphHeight = 14, kRunLength = 30, kRuns = 100, kAtlasCells = 32;
    scene_.atlasSide = static_cast<NS::UInteger>(kAtlasCells * kGlyphHeight * ratio_);
    scene_.atlas.resize(scene_.atlasSide * scene_.atlasSide);
    for (auto& texel : scene_.atlas) texel = static_cast<std::uint8_t>(random_() % 3 == 0 ? 0 : random_() % 256);
    Paint paint = SolidPaint(0.95f, 0.95f, 0.9f, 1.0f);
    paint.paintKind = frame_bench::kPaintText;
    paint.textureKind = frame_bench::kAlphaTexture;
    paint.scissored = 1;
    const float scissor[4] = {20.0f, 20.0f, kWindowWidth - 20.0f, kWindowHeight - 20.0f};
    paint.scissorMatrix[0] = paint.scissorMatrix[3] = 1.0f;
    paint.scissorMatrix[4] = -(scissor[0] + scissor[2]) / 2;
    paint.scissorMatrix[5] = -(scissor[1] + scissor[3]) / 2;
    paint.scissorExtent[0] = (scissor[2] - scissor[0]) / 2;
    paint.scissorExtent[1] = (scissor[3] - scissor[1]) / 2;
    paint.scissorScale[0] = paint.scissorScale[1] = 1.0f / fringe_;
    const std::size_t text = AddPaint(paint);
    const float side = static_cast<float>(scene_.atlasSide);
    for (int run = 0; run < kRuns; ++run) {
      const float x0 = 10.0f + 275.0f * (run % 5), y0 = 15.0f + 38.0f * (run / 5);
      std::vector<Vertex> quads;
      for (int g = 0; g < kRunLength; ++g) {
        const int cell = static_cast<int>(random_() % (kAtlasCells * kAtlasCells));
        const float u0 = (cell % kAtlasCells) * kGlyphHeight * ratio_ / side;
        const float v0 = (cell / kAtlasCells) * kGlyphHeight * ratio_ / side;
        const float x = x0 + 9.0f * g;
        const std::vector<Vertex> quad = Rectangle(x, y0, x + kGlyphWidth, y0 + kGlyphHeight, u0, v0,
                                                   u0 + kGlyphWidth * ratio_ / side, v0 + kGlyphHeight * ratio_ / side);
        quads.insert(quads.end(), quad.begin(), quad.end());
      }
      Triangles(quads, text);
    }
  }

  // Ten curves of 1000 jittered points, 2 points wide, with a round join of four steps at each.
  void Curves() {
    constexpr int kPoints = 1000, kJoinSteps = 4;
    constexpr float kWidth = 2.0f;
    std::uniform_real_distribution<float> jitter(-3.0f, 3.0f);
    const float halfWidth = (kWidth + fringe_) / 2;
    for (int curve = 0; curve < 10; ++curve) {
      std::vector<std::array<float, 2>> points;
      for (int i = 0; i < kPoints; ++i) {
        const float x = 40.0f + (kWindowWidth - 80.0f) * i / (kPoints - 1);
        points.push_back({x, 80.0f + 65.0f * curve + 25.0f * std::sin(x * 0.05f + curve) + jitter(random_)});
      }
      const auto normal = [&](int from, int to) {
        const float dx = points[to][0] - points[from][0], dy = points[to][1] - points[from][1];
        const float length = std::hypot(dx, dy);
        return std::array<float, 2>{-dy / length, dx / length};
      };
      std::vector<Vertex> strip;
      for (int i = 0; i < kPoints; ++i) {
        const auto incoming = normal(std::max(i - 1, 0), std::max(i, 1));
        const auto outgoing = normal(std::min(i, kPoints - 2), std::min(i + 1, kPoints - 1));
        for (int step = 0; step < kJoinSteps; ++step) {
          const float t = static_cast<float>(step) / (kJoinSteps - 1);
          float nx = incoming[0] + t * (outgoing[0] - incoming[0]), ny = incoming[1] + t * (outgoing[1] - incoming[1]);
          const float length = std::hypot(nx, ny);
          nx /= length, ny /= length;
          Pair(strip, points[i][0], points[i][1], nx, ny, halfWidth, 1.0f);
        }
      }
      Strip(strip, AddPaint(SolidPaint(0.5f, 0.9f, 0.6f, 1.0f, (kWidth * 0.5f + fringe_ * 0.5f) / fringe_)));
    }
  }

  // Box shadows of 160 x 100 points, feather 12: the whole outer rectangle is shaded.
  void Shadows() {
    constexpr float kWidth = 160.0f, kHeight = 100.0f, kFeather = 12.0f;
    std::uniform_real_distribution<float> x(20.0f, kWindowWidth - kWidth - 20.0f),
        y(20.0f, kWindowHeight - kHeight - 20.0f);
    for (int i = 0; i < 20; ++i) {
      const float x0 = x(random_), y0 = y(random_);
      Paint paint = SolidPaint(0.0f, 0.0f, 0.0f, 0.5f);
      std::fill_n(paint.outer, 4, 0.0f);
      paint.paintMatrix[4] = -(x0 + kWidth / 2);
      paint.paintMatrix[5] = -(y0 + kHeight / 2);
      paint.extent[0] = kWidth / 2;
      paint.extent[1] = kHeight / 2;
      paint.radius = 6.0f;
      paint.feather = kFeather;
      Triangles(Rectangle(x0 - kFeather, y0 - kFeather, x0 + kWidth + kFeather, y0 + kHeight + kFeather),
                AddPaint(paint));
    }
  }

  // The frame as an image the size of the window, drawn at the origin.
  void CopyPaint() {
    Paint paint = SolidPaint(1.0f, 1.0f, 1.0f, 1.0f);
    paint.paintKind = frame_bench::kPaintImage;
    paint.textureKind = frame_bench::kPremultipliedTexture;
    paint.extent[0] = kWindowWidth;
    paint.extent[1] = kWindowHeight;
    scene_.copyPaint = AddPaint(paint);
    scene_.calls.push_back(
        {CallKind::kTriangles, scene_.copyPaint, AddVertices(Rectangle(0, 0, kWindowWidth, kWindowHeight)), 6});
  }

  const int ratio_;
  const float fringe_;
  std::mt19937 random_{2024};
  Scene scene_;
};

template <typename T>
NS::Ref<T> Own(T* object) {
  return NS::Ref<T>::Adopt(object);
}

// Everything a frame draws with, made once.
class Renderer {
public:
  explicit Renderer(int ratio) : scene_(SceneBuilder(ratio).Build()) {
    width_ = static_cast<NS::UInteger>(kWindowWidth * ratio);
    height_ = static_cast<NS::UInteger>(kWindowHeight * ratio);
    const std::string blob = std::string("MTLB") + frame_bench::LibraryName();
    dispatch_data_t data = dispatch_data_create(blob.data(), blob.size(), nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
    auto library = Own(device_->newLibraryWithDataError(data, nullptr));
    dispatch_release(data);
    main_ = Target(MTLPixelFormatRGBA8Unorm, width_, height_);
    screen_ = Target(MTLPixelFormatBGRA8Unorm, width_, height_);
    stencil_ = Target(MTLPixelFormatStencil8, width_, height_);
    paint_ = Pipeline(library.get(), MTLPixelFormatRGBA8Unorm, true);
    stencilOnly_ = Pipeline(library.get(), MTLPixelFormatRGBA8Unorm, false);
    screenPaint_ = Pipeline(library.get(), MTLPixelFormatBGRA8Unorm, true);
    fillShape_ = Stencil({MTLCompareFunctionAlways, 0, 0, MTLStencilOperationIncrementWrap},
                         Face{MTLCompareFunctionAlways, 0, 0, MTLStencilOperationDecrementWrap});
    fillFringe_ = Stencil({MTLCompareFunctionEqual, 0, 0, MTLStencilOperationZero}, std::nullopt);
    fillCover_ =
        Stencil({MTLCompareFunctionNotEqual, MTLStencilOperationZero, MTLStencilOperationZero, MTLStencilOperationZero},
                std::nullopt);
    const float view[2] = {kWindowWidth, kWindowHeight};
    vertices_ = Buffer(scene_.vertices.data(), scene_.vertices.size() * sizeof(Vertex));
    indices_ = Buffer(scene_.indices.data(), scene_.indices.size() * sizeof(std::uint32_t));
    paints_ = Buffer(scene_.paints.data(), scene_.paints.size() * kPaintBytes);
    view_ = Buffer(view, sizeof view);
    atlas_ = Own(device_->newTextureWithDescriptor(
        Own(MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(
                MTLPixelFormatR8Unorm, scene_.atlasSide, scene_.atlasSide, false))
            .get()));
    atlas_->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, scene_.atlasSide, scene_.atlasSide), 0,
                                                         scene_.atlas.data(), scene_.atlasSide);
    auto sampler = Own(MTL::SamplerDescriptor::alloc()->init());
    sampler->setMinFilter(MTLSamplerMinMagFilterLinear);
    sampler->setMagFilter(MTLSamplerMinMagFilterLinear);
    sampler_ = Own(device_->newSamplerStateWithDescriptor(sampler.get()));
  }

  NS::UInteger pixels() const { return width_ * height_; }

  enum class Part { kFrame, kFill, kCopy, kMainPass };

  void Draw(Part part) {
    auto buffer = Own(queue_->commandBuffer());
    if (part != Part::kCopy) EncodeMain(buffer.get(), part == Part::kFill ? scene_.fillCalls : scene_.calls.size() - 1);
    if (part == Part::kFrame || part == Part::kCopy) EncodeCopy(buffer.get());
    buffer->commit();
    buffer->waitUntilCompleted();
  }

private:
  NS::Ref<MTL::Texture> Target(MTLPixelFormat format, NS::UInteger width, NS::UInteger height) {
    auto descriptor = Own(
        MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(format, width, height, false));
    descriptor->setUsage(MTLTextureUsageRenderTarget | MTLTextureUsageShaderRead);
    descriptor->setStorageMode(MTLStorageModePrivate);
    return Own(device_->newTextureWithDescriptor(descriptor.get()));
  }

  NS::Ref<MTL::Buffer> Buffer(const void* bytes, std::size_t length) {
    return Own(device_->newBufferWithBytesLengthOptions(
        bytes, length, MTLResourceStorageModeShared | MTLResourceCPUCacheModeWriteCombined));
  }

  NS::Ref<MTL::RenderPipelineState> Pipeline(MTL::Library* library, MTLPixelFormat format, bool paints) {
    auto layout = Own(MTL::VertexDescriptor::vertexDescriptor());
    for (NS::UInteger i = 0; i < 2; ++i) {
      layout->attributes()->objectAtIndexedSubscript(i)->setFormat(MTLVertexFormatFloat2);
      layout->attributes()->objectAtIndexedSubscript(i)->setOffset(8 * i);
    }
    layout->layouts()->objectAtIndexedSubscript(0)->setStride(sizeof(Vertex));
    auto descriptor = Own(MTL::RenderPipelineDescriptor::alloc()->init());
    descriptor->setVertexFunction(Own(library->newFunctionWithName(CFSTR("pointsVertex"))).get());
    if (paints) descriptor->setFragmentFunction(Own(library->newFunctionWithName(CFSTR("paintFragment"))).get());
    descriptor->setVertexDescriptor(layout.get());
    MTL::RenderPipelineColorAttachmentDescriptor* color = descriptor->colorAttachments()->objectAtIndexedSubscript(0);
    color->setPixelFormat(format);
    color->setBlendingEnabled(true);
    color->setSourceRGBBlendFactor(MTLBlendFactorOne);
    color->setSourceAlphaBlendFactor(MTLBlendFactorOne);
    color->setDestinationRGBBlendFactor(MTLBlendFactorOneMinusSourceAlpha);
    color->setDestinationAlphaBlendFactor(MTLBlendFactorOneMinusSourceAlpha);
    if (!paints) color->setWriteMask(MTLColorWriteMaskNone);
    descriptor->setStencilAttachmentPixelFormat(format == MTLPixelFormatRGBA8Unorm ? MTLPixelFormatStencil8
                                                                                   : MTLPixelFormatInvalid);
    return Own(device_->newRenderPipelineStateWithDescriptorError(descriptor.get(), nullptr));
  }

  struct Face {
    MTLCompareFunction compare;
    MTLStencilOperation fail, depthFail, pass;
  };

  NS::Ref<MTL::DepthStencilState> Stencil(Face front, std::optional<Face> back) {
    const auto face = [](const Face& settings) {
      auto stencil = Own(MTL::StencilDescriptor::alloc()->init());
      stencil->setStencilCompareFunction(settings.compare);
      stencil->setStencilFailureOperation(settings.fail);
      stencil->setDepthFailureOperation(settings.depthFail);
      stencil->setDepthStencilPassOperation(settings.pass);
      return stencil;
    };
    auto descriptor = Own(MTL::DepthStencilDescriptor::alloc()->init());
    descriptor->setFrontFaceStencil(face(front).get());
    if (back) descriptor->setBackFaceStencil(face(*back).get());
    return Own(device_->newDepthStencilStateWithDescriptor(descriptor.get()));
  }

  MTL::RenderCommandEncoder* Encoder(MTL::CommandBuffer* buffer, MTL::Texture* color, MTL::Texture* stencil) {
    auto pass = Own(MTL::RenderPassDescriptor::renderPassDescriptor());
    MTL::RenderPassColorAttachmentDescriptor* attachment = pass->colorAttachments()->objectAtIndexedSubscript(0);
    attachment->setTexture(color);
    attachment->setLoadAction(MTLLoadActionClear);
    attachment->setClearColor(MTLClearColorMake(0, 0, 0, 0));
    pass->stencilAttachment()->setTexture(stencil);
    pass->stencilAttachment()->setLoadAction(MTLLoadActionClear);
    MTL::RenderCommandEncoder* encoder = buffer->renderCommandEncoderWithDescriptor(pass.get());
    encoder->setCullMode(MTLCullModeBack);
    encoder->setFrontFacingWinding(MTLWindingCounterClockwise);
    encoder->setVertexBufferOffsetAtIndex(vertices_.get(), 0, 0);
    encoder->setVertexBufferOffsetAtIndex(view_.get(), 0, 1);
    encoder->setFragmentBufferOffsetAtIndex(paints_.get(), 0, 0);
    encoder->setFragmentSamplerStateAtIndex(sampler_.get(), 0);
    return encoder;
  }

  void EncodeMain(MTL::CommandBuffer* buffer, std::size_t calls) {
    auto encoder = Own(Encoder(buffer, main_.get(), stencil_.get()));
    encoder->setRenderPipelineState(paint_.get());
    for (std::size_t i = 0; i < calls; ++i) {
      const Call& call = scene_.calls[i];
      encoder->setFragmentBufferOffsetAtIndex(call.paint * kPaintBytes, 0);
      encoder->setFragmentTextureAtIndex(
          scene_.paints[call.paint].paintKind == frame_bench::kPaintText ? atlas_.get() : nullptr, 0);
      if (call.kind == CallKind::kPanel) {
        encoder->setCullMode(MTLCullModeNone);
        encoder->setDepthStencilState(fillShape_.get());
        encoder->setRenderPipelineState(stencilOnly_.get());
        encoder->drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
            MTLPrimitiveTypeTriangle, call.indexCount, MTLIndexTypeUInt32, indices_.get(), call.indexFirst * 4);
        encoder->setCullMode(MTLCullModeBack);
        encoder->setRenderPipelineState(paint_.get());
        encoder->setDepthStencilState(fillFringe_.get());
        encoder->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangleStrip, call.first, call.count);
        encoder->setDepthStencilState(fillCover_.get());
        encoder->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangleStrip, call.coverFirst, 4);
        encoder->setDepthStencilState(nullptr);
        continue;
      }
      encoder->drawPrimitivesVertexStartVertexCount(
          call.kind == CallKind::kStrip ? MTLPrimitiveTypeTriangleStrip : MTLPrimitiveTypeTriangle, call.first,
          call.count);
    }
    encoder->endEncoding();
  }

  void EncodeCopy(MTL::CommandBuffer* buffer) {
    const Call& copy = scene_.calls.back();
    auto encoder = Own(Encoder(buffer, screen_.get(), nullptr));
    encoder->setRenderPipelineState(screenPaint_.get());
    encoder->setFragmentBufferOffsetAtIndex(copy.paint * kPaintBytes, 0);
    encoder->setFragmentTextureAtIndex(main_.get(), 0);
    encoder->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangle, copy.first, copy.count);
    encoder->endEncoding();
  }

  const Scene scene_;
  NS::UInteger width_ = 0, height_ = 0;
  const NS::Ref<MTL::Device> device_ = Own(MTLCreateSystemDefaultDevice());
  const NS::Ref<MTL::CommandQueue> queue_ = Own(device_->newCommandQueue());
  NS::Ref<MTL::Texture> main_, screen_, stencil_, atlas_;
  NS::Ref<MTL::RenderPipelineState> paint_, stencilOnly_, screenPaint_;
  NS::Ref<MTL::DepthStencilState> fillShape_, fillFringe_, fillCover_;
  NS::Ref<MTL::Buffer> vertices_, indices_, paints_, view_;
  NS::Ref<MTL::SamplerState> sampler_;
};

void Run(benchmark::State& state, Renderer::Part part) {
  Renderer renderer(static_cast<int>(state.range(0)));
  renderer.Draw(Renderer::Part::kFrame);  // warm up, and a frame for the copy to copy
  // What the frame's main pass does, from its statistics.
  renderer.Draw(Renderer::Part::kMainPass);
  const standin::testing::RenderPassStatistics pass = standin::testing::LastRenderPassStatistics();
  for (auto _ : state) renderer.Draw(part);
  state.counters["Mpx/s"] =
      benchmark::Counter(static_cast<double>(renderer.pixels()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  if (part == Renderer::Part::kFrame) {
    state.counters["triangles"] = static_cast<double>(pass.triangles);
    state.counters["fragments"] = static_cast<double>(pass.fragmentsShaded);
  }
}

void BM_Frame(benchmark::State& state) { Run(state, Renderer::Part::kFrame); }
void BM_OpaqueFill(benchmark::State& state) { Run(state, Renderer::Part::kFill); }
void BM_ScreenCopy(benchmark::State& state) { Run(state, Renderer::Part::kCopy); }

#define FRAME_BENCHMARK(function)     \
  BENCHMARK(function)                 \
      ->ArgName("ratio")              \
      ->Arg(1)                        \
      ->Arg(2)                        \
      ->Unit(benchmark::kMillisecond) \
      ->Repetitions(5)                \
      ->ReportAggregatesOnly(true)

FRAME_BENCHMARK(BM_Frame);
FRAME_BENCHMARK(BM_OpaqueFill);
FRAME_BENCHMARK(BM_ScreenCopy);

}  // namespace
