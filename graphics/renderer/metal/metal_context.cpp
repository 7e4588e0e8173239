#include "graphics/renderer/metal/metal_context.h"

#include <CoreFoundation/CFString.h>

#include <cstdio>
#include <string>

#include "graphics/renderer/metal/metal_backend.h"
#include "graphics/renderer/metal/shaders.h"

namespace {

constexpr int kTripleBufferSets = 3;
constexpr int kDoubleBufferSets = 2;
constexpr int kSingleBufferSet = 1;
constexpr NS::UInteger kViewSizeBytes = 2 * sizeof(float);

// Vertex attributes: the position, then (u, v), two floats each from buffer 0.
constexpr NS::UInteger kAttributeBytes = 2 * sizeof(float);
constexpr NS::UInteger kVertexAttributes = 2;

NS::Ref<MTL::StencilDescriptor> MakeStencil(MTLCompareFunction compare, MTLStencilOperation fail,
                                            MTLStencilOperation depthFail, MTLStencilOperation pass) {
  auto stencil = NS::Ref<MTL::StencilDescriptor>::Adopt(MTL::StencilDescriptor::alloc()->init());
  stencil->setStencilCompareFunction(compare);
  stencil->setStencilFailureOperation(fail);
  stencil->setDepthFailureOperation(depthFail);
  stencil->setDepthStencilPassOperation(pass);
  return stencil;
}

// A state testing front faces only (back faces too when `back` is given).
NS::Ref<MTL::DepthStencilState> MakeStencilState(MTL::Device* device, const MTL::StencilDescriptor* front,
                                                 const MTL::StencilDescriptor* back = nullptr) {
  auto descriptor = NS::Ref<MTL::DepthStencilDescriptor>::Adopt(MTL::DepthStencilDescriptor::alloc()->init());
  descriptor->setDepthCompareFunction(MTLCompareFunctionAlways);
  descriptor->setFrontFaceStencil(front);
  descriptor->setBackFaceStencil(back);
  return NS::Ref<MTL::DepthStencilState>::Adopt(device->newDepthStencilStateWithDescriptor(descriptor.get()));
}

NS::Ref<MTL::Function> NewFunction(MTL::Library* library, const char* name) {
  CFStringRef text = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  auto function = NS::Ref<MTL::Function>::Adopt(library->newFunctionWithName(text));
  CFRelease(text);
  return function;
}

std::string Utf8(CFStringRef text) {
  if (text == nullptr) return {};
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!CFStringGetCString(text, bytes.data(), size, kCFStringEncodingUTF8)) return {};
  bytes.resize(std::char_traits<char>::length(bytes.c_str()));
  return bytes;
}

}  // namespace

// Where a flush renders: an image of this context or the layer's drawable.
struct MVCcontext_vOrvane_au::FrameTarget {
  MTL::Texture* texture = nullptr;  // not owned
  NS::Ref<CA::MetalDrawable> drawable;
  int image = 0;  // 0 for the screen
};

MVCcontext_vOrvane_au::MVCcontext_vOrvane_au(CA::MetalLayer* metalLayer, int flags)
    : flags_(flags), metalLayer_(NS::Ref<CA::MetalLayer>::Retain(metalLayer)) {}

MVCcontext_vOrvane_au::~MVCcontext_vOrvane_au() {
  // Only renderDelete gives up the layer; what renderCreate made and renderDelete never saw goes here.
  renderCancel();
  waitForFramesInFlight();
  if (semaphore_ != nullptr) dispatch_release(semaphore_);
}

MTL::Device* MVCcontext_vOrvane_au::device() const { return metalLayer_ ? metalLayer_->device() : nullptr; }

// ---- Creation and deletion

int MVCcontext_vOrvane_au::renderCreate() {
  if (!metalLayer_) return 0;
  if (metalLayer_->device() == nullptr) {
    auto systemDevice = NS::Ref<MTL::Device>::Adopt(MTLCreateSystemDefaultDevice());
    metalLayer_->setDevice(systemDevice.get());
  }
  metalLayer_->setOpaque(false);
  MTL::Device* device = this->device();

  NS::Error* error = nullptr;
  auto library = NS::Ref<MTL::Library>::Adopt(mvcNewShaderLibrary(device, &error));
  checkErrorWithMessage(error, "init library");
  if (!library) return 0;
  vertexFunction_ = NewFunction(library.get(), kMVCvertexFunctionName);
  fragmentFunction_ =
      NewFunction(library.get(), (flags_ & VC_ANTIALIAS) != 0 ? kMVCfragmentFunctionAAName : kMVCfragmentFunctionName);
  commandQueue_ = NS::Ref<MTL::CommandQueue>::Adopt(device->newCommandQueue());
  if (!vertexFunction_ || !fragmentFunction_ || !commandQueue_ || !createBufferSets()) return 0;

  clearBufferOnFlush_ = false;
  createVertexDescriptor();
  textureId_ = 0;
  textures_.clear();
  auto samplerDescriptor = NS::Ref<MTL::SamplerDescriptor>::Adopt(MTL::SamplerDescriptor::alloc()->init());
  pseudoSampler_ = NS::Ref<MTL::SamplerState>::Adopt(device->newSamplerStateWithDescriptor(samplerDescriptor.get()));
  blendFunc_ = {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
                MTLBlendFactorOneMinusSourceAlpha};
  return createStencilStates() ? 1 : 0;
}

bool MVCcontext_vOrvane_au::createBufferSets() {
  maxBuffers_ = (flags_ & VC_TRIPLE_BUFFER) != 0   ? kTripleBufferSets
                : (flags_ & VC_DOUBLE_BUFFER) != 0 ? kDoubleBufferSets
                                                   : kSingleBufferSet;
  cbuffers_.clear();
  for (int i = 0; i < maxBuffers_; ++i) {
    cbuffers_.push_back(NS::Ref<MVCbuffers_vOrvane_au>::Adopt(new MVCbuffers_vOrvane_au));
  }
  semaphore_ = dispatch_semaphore_create(maxBuffers_);
  return semaphore_ != nullptr;
}

void MVCcontext_vOrvane_au::createVertexDescriptor() {
  vertexDescriptor_ = NS::Ref<MTL::VertexDescriptor>::Adopt(MTL::VertexDescriptor::vertexDescriptor());
  for (NS::UInteger i = 0; i < kVertexAttributes; ++i) {
    MTL::VertexAttributeDescriptor* attribute = vertexDescriptor_->attributes()->objectAtIndexedSubscript(i);
    attribute->setFormat(MTLVertexFormatFloat2);
    attribute->setOffset(i * kAttributeBytes);
    attribute->setBufferIndex(0);
  }
  MTL::VertexBufferLayoutDescriptor* layout = vertexDescriptor_->layouts()->objectAtIndexedSubscript(0);
  layout->setStride(sizeof(VCvertex));
  layout->setStepFunction(MTLVertexStepFunctionPerVertex);
}

bool MVCcontext_vOrvane_au::createStencilStates() {
  MTL::Device* device = this->device();
  defaultStencilState_ = NS::Ref<MTL::DepthStencilState>::Adopt(device->newDepthStencilStateWithDescriptor(
      NS::Ref<MTL::DepthStencilDescriptor>::Adopt(MTL::DepthStencilDescriptor::alloc()->init()).get()));
  // The winding number: front faces count up, back faces down.
  fillShapeStencilState_ = MakeStencilState(
      device,
      MakeStencil(MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationKeep,
                  MTLStencilOperationIncrementWrap)
          .get(),
      MakeStencil(MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationKeep,
                  MTLStencilOperationDecrementWrap)
          .get());
  fillAntiAliasStencilState_ =
      MakeStencilState(device, MakeStencil(MTLCompareFunctionEqual, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                           MTLStencilOperationZero)
                                   .get());
  fillStencilState_ =
      MakeStencilState(device, MakeStencil(MTLCompareFunctionNotEqual, MTLStencilOperationZero,
                                           MTLStencilOperationZero, MTLStencilOperationZero)
                                   .get());
  strokeShapeStencilState_ =
      MakeStencilState(device, MakeStencil(MTLCompareFunctionEqual, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                           MTLStencilOperationIncrementClamp)
                                   .get());
  strokeAntiAliasStencilState_ =
      MakeStencilState(device, MakeStencil(MTLCompareFunctionEqual, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                           MTLStencilOperationKeep)
                                   .get());
  strokeClearStencilState_ =
      MakeStencilState(device, MakeStencil(MTLCompareFunctionAlways, MTLStencilOperationZero,
                                           MTLStencilOperationZero, MTLStencilOperationZero)
                                   .get());
  return defaultStencilState_ && fillShapeStencilState_ && fillAntiAliasStencilState_ && fillStencilState_ &&
         strokeShapeStencilState_ && strokeAntiAliasStencilState_ && strokeClearStencilState_;
}

void MVCcontext_vOrvane_au::renderDelete() {
  // A frame still being recorded gives its set back; then the frames in
  // flight finish, since their completion handlers use the sets and the semaphore.
  renderCancel();
  waitForFramesInFlight();
  cbuffers_.clear();
  textures_.clear();
  renderEncoder_.reset();
  commandQueue_.reset();
  if (semaphore_ != nullptr) dispatch_release(semaphore_);
  semaphore_ = nullptr;
  defaultStencilState_.reset();
  fillShapeStencilState_.reset();
  fillAntiAliasStencilState_.reset();
  fillStencilState_.reset();
  strokeShapeStencilState_.reset();
  strokeAntiAliasStencilState_.reset();
  strokeClearStencilState_.reset();
  pipelineState_.reset();
  stencilOnlyPipelineState_.reset();
  fragmentFunction_.reset();
  vertexFunction_.reset();
  pseudoSampler_.reset();
  pseudoTexture_.reset();
  vertexDescriptor_.reset();
  if (metalLayer_) metalLayer_->setDevice(nullptr);
  metalLayer_.reset();
}

// The queue runs its buffers in order and their completions follow in the
// same order, so once an empty buffer committed last has completed, every
// frame before it has run and its completion handler has returned.
void MVCcontext_vOrvane_au::waitForFramesInFlight() {
  if (!commandQueue_) return;
  auto fence = NS::Ref<MTL::CommandBuffer>::Adopt(commandQueue_->commandBuffer());
  fence->commit();
  fence->waitUntilCompleted();
}

void MVCcontext_vOrvane_au::waitForFramesRenderingIntoImage(int image) const {
  for (const NS::Ref<MVCbuffers_vOrvane_au>& set : cbuffers_) {
    if (NS::Ref<MTL::CommandBuffer> inFlight = set->commandBufferRenderingInto(image)) inFlight->waitUntilCompleted();
  }
}

void MVCcontext_vOrvane_au::checkErrorWithMessage(NS::Error* error, const char* message) const {
  if (error == nullptr) return;
  if ((flags_ & VC_DEBUG) != 0) {
    std::printf("Error occurs after %s: %s\n", message, Utf8(error->localizedDescription()).c_str());
    std::fflush(stdout);
  }
  error->release();
}

// ---- Frames

void MVCcontext_vOrvane_au::renderViewportWithWidthHeightDevicePixelRatio(float width, float height,
                                                                          float devicePixelRatio) {
  // A frame begun again before it ended gives its set back first, so the set is not lost.
  renderCancel();
  viewPortWidth_ = static_cast<std::uint32_t>(width * devicePixelRatio);
  viewPortHeight_ = static_cast<std::uint32_t>(height * devicePixelRatio);
  dispatch_semaphore_wait(semaphore_, DISPATCH_TIME_FOREVER);
  for (const NS::Ref<MVCbuffers_vOrvane_au>& set : cbuffers_) {
    if (set->isBusy()) continue;
    set->setIsBusy(true);
    buffers_ = set;
    break;
  }
  MVCbuffers_vOrvane_au* set = buffers_.get();
  if (set == nullptr) {  // no set although the semaphore gave one: give the count back
    dispatch_semaphore_signal(semaphore_);
    return;
  }
  if (!set->viewSizeBuffer) {
    set->viewSizeBuffer = NS::Ref<MTL::Buffer>::Adopt(
        device()->newBufferWithLengthOptions(kViewSizeBytes, MTLResourceCPUCacheModeWriteCombined));
  }
  if (set->viewSizeBuffer) {
    float* viewSize = static_cast<float*>(set->viewSizeBuffer->contents());
    viewSize[0] = width;
    viewSize[1] = height;
  }
}

void MVCcontext_vOrvane_au::releaseBufferSet(MVCbuffers_vOrvane_au* set) {
  set->setCommandBufferImage(nullptr, 0);
  set->resetCounts();
  set->setIsBusy(false);
  dispatch_semaphore_signal(semaphore_);
}

void MVCcontext_vOrvane_au::renderCancel() {
  if (!buffers_) return;
  releaseBufferSet(buffers_.get());
  buffers_.reset();
}

bool MVCcontext_vOrvane_au::resolveFrameTarget(FrameTarget& target) {
  const MVCframebuffer* framebuffer = mvcBoundFramebuffer();
  if (framebuffer != nullptr && framebuffer->ctx != nullptr && framebuffer->ctx->params.userPtr == this) {
    const MVCtexture_vOrvane_au* record = findTexture(framebuffer->image);
    if (record == nullptr || !record->tex) return false;
    target.texture = record->tex.get();
    target.image = framebuffer->image;
    return true;
  }
  if (viewPortWidth_ == 0 || viewPortHeight_ == 0) return false;
  target.drawable = NS::Ref<CA::MetalDrawable>::Adopt(metalLayer_->nextDrawable());
  if (!target.drawable) return false;
  target.texture = target.drawable->texture();
  return true;
}

void MVCcontext_vOrvane_au::renderFlush() {
  MVCbuffers_vOrvane_au* set = buffers_.get();
  if (set == nullptr) return;
  // Every failure before the commit gives the set back, with nothing enqueued.
  FrameTarget target;
  if (viewPortWidth_ == 0 || viewPortHeight_ == 0 || !resolveFrameTarget(target)) {
    renderCancel();
    return;
  }
  updateStencilTextureToSize(target.texture->width(), target.texture->height());
  auto commandBuffer = NS::Ref<MTL::CommandBuffer>::Adopt(commandQueue_->commandBuffer());
  set->setCommandBuffer(commandBuffer);
  if (set->stencilTexture) {
    renderEncoder_ = NS::Ref<MTL::RenderCommandEncoder>::Adopt(renderCommandEncoderWithColorTexture(target.texture));
  }
  if (!renderEncoder_) {
    renderCancel();
    return;
  }
  set->setImage(target.image);
  commandBuffer->enqueue();
  // On the completion thread; renderDelete waits for it, so the context outlives it.
  commandBuffer->addCompletedHandler([this, set](MTL::CommandBuffer*) { releaseBufferSet(set); });

  encodeCalls(target.texture->pixelFormat());
  renderEncoder_->endEncoding();
  renderEncoder_.reset();
  if (target.drawable && !metalLayer_->presentsWithTransaction()) {
    commandBuffer->presentDrawable(target.drawable.get());
  }
  if (target.image != 0) {
    auto blit = NS::Ref<MTL::BlitCommandEncoder>::Adopt(commandBuffer->blitCommandEncoder());
    if (blit) {
      blit->synchronizeResource(target.texture);
      blit->endEncoding();
    }
  }
  buffers_.reset();  // the set now belongs to the frame in flight
  commandBuffer->commit();
  if (target.drawable && metalLayer_->presentsWithTransaction()) {
    commandBuffer->waitUntilScheduled();
    target.drawable->present();
  }
}

void MVCcontext_vOrvane_au::encodeCalls(MTLPixelFormat pixelFormat) {
  const MVCbuffers_vOrvane_au& set = *buffers_;
  for (int i = 0; i < set.ncalls; ++i) {
    const MVCcall& call = set.calls[i];
    updateRenderPipelineStatesForBlendPixelFormat(call.blendFunc, pixelFormat);
    switch (call.type) {
      case MVC_FILL:
        fill(call);
        break;
      case MVC_CONVEXFILL:
        convexFill(call);
        break;
      case MVC_STROKE:
        stroke(call);
        break;
      case MVC_TRIANGLES:
        triangles(call);
        break;
      default:
        break;
    }
  }
}

void MVCcontext_vOrvane_au::updateStencilTextureToSize(NS::UInteger width, NS::UInteger height) {
  MVCbuffers_vOrvane_au& set = *buffers_;
  if (set.stencilTexture && (set.stencilTexture->width() < width || set.stencilTexture->height() < height)) {
    set.stencilTexture.reset();
  }
  if (set.stencilTexture) return;
  auto descriptor = NS::Ref<MTL::TextureDescriptor>::Adopt(
      MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(MTLPixelFormatStencil8, width,
                                                                                      height, false));
  descriptor->setUsage(MTLTextureUsageRenderTarget);
  descriptor->setStorageMode(MTLStorageModePrivate);
  set.stencilTexture = NS::Ref<MTL::Texture>::Adopt(device()->newTextureWithDescriptor(descriptor.get()));
}

MTL::RenderCommandEncoder* MVCcontext_vOrvane_au::renderCommandEncoderWithColorTexture(MTL::Texture* colorTexture) {
  MVCbuffers_vOrvane_au& set = *buffers_;
  auto pass = NS::Ref<MTL::RenderPassDescriptor>::Adopt(MTL::RenderPassDescriptor::renderPassDescriptor());
  MTL::RenderPassColorAttachmentDescriptor* color = pass->colorAttachments()->objectAtIndexedSubscript(0);
  color->setTexture(colorTexture);
  color->setClearColor(clearColor_);
  color->setLoadAction(clearBufferOnFlush_ ? MTLLoadActionClear : MTLLoadActionLoad);
  color->setStoreAction(MTLStoreActionStore);
  clearBufferOnFlush_ = false;
  MTL::RenderPassStencilAttachmentDescriptor* stencil = pass->stencilAttachment();
  stencil->setTexture(set.stencilTexture.get());
  stencil->setClearStencil(0);
  stencil->setLoadAction(MTLLoadActionClear);
  stencil->setStoreAction(MTLStoreActionDontCare);

  NS::Ref<MTL::CommandBuffer> commandBuffer = set.commandBuffer();
  MTL::RenderCommandEncoder* encoder = commandBuffer->renderCommandEncoderWithDescriptor(pass.get());
  if (encoder == nullptr) return nullptr;
  encoder->setCullMode(MTLCullModeBack);
  encoder->setFrontFacingWinding(MTLWindingCounterClockwise);
  encoder->setStencilReferenceValue(0);
  encoder->setViewport(MTLViewport{0.0, 0.0, static_cast<double>(viewPortWidth_),
                                   static_cast<double>(viewPortHeight_), 0.0, 1.0});
  encoder->setVertexBufferOffsetAtIndex(set.vertBuffer.get(), 0, 0);
  encoder->setVertexBufferOffsetAtIndex(set.viewSizeBuffer.get(), 0, 1);
  encoder->setFragmentBufferOffsetAtIndex(set.uniformBuffer.get(), 0, 0);
  return encoder;
}

void MVCcontext_vOrvane_au::updateRenderPipelineStatesForBlendPixelFormat(const MVCblend& blend,
                                                                           MTLPixelFormat pixelFormat) {
  if (pipelineState_ && stencilOnlyPipelineState_ && pixelFormat == piplelinePixelFormat_ && blend == blendFunc_) {
    return;
  }
  auto descriptor = NS::Ref<MTL::RenderPipelineDescriptor>::Adopt(MTL::RenderPipelineDescriptor::alloc()->init());
  MTL::RenderPipelineColorAttachmentDescriptor* color = descriptor->colorAttachments()->objectAtIndexedSubscript(0);
  color->setPixelFormat(pixelFormat);
  descriptor->setStencilAttachmentPixelFormat(MTLPixelFormatStencil8);
  descriptor->setVertexFunction(vertexFunction_.get());
  descriptor->setFragmentFunction(fragmentFunction_.get());
  descriptor->setVertexDescriptor(vertexDescriptor_.get());
  color->setBlendingEnabled(true);
  color->setSourceRGBBlendFactor(blend.srcRGB);
  color->setSourceAlphaBlendFactor(blend.srcAlpha);
  color->setDestinationRGBBlendFactor(blend.dstRGB);
  color->setDestinationAlphaBlendFactor(blend.dstAlpha);
  blendFunc_ = blend;

  NS::Error* error = nullptr;
  pipelineState_ = NS::Ref<MTL::RenderPipelineState>::Adopt(
      device()->newRenderPipelineStateWithDescriptorError(descriptor.get(), &error));
  checkErrorWithMessage(error, "init pipeline state");

  descriptor->setFragmentFunction(nullptr);
  color->setWriteMask(MTLColorWriteMaskNone);
  error = nullptr;
  stencilOnlyPipelineState_ = NS::Ref<MTL::RenderPipelineState>::Adopt(
      device()->newRenderPipelineStateWithDescriptorError(descriptor.get(), &error));
  checkErrorWithMessage(error, "init pipeline stencil only state");
  piplelinePixelFormat_ = pixelFormat;
}
