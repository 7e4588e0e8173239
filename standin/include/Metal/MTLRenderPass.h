#pragma once

// What a render pass draws into: colour attachment 0 and a stencil attachment,
// each with the action taken when the pass starts and ends. Main thread (or
// whichever thread encodes the command buffer).

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLTexture.h>
#include <Metal/MTLTypes.h>

#include <cstdint>

typedef NS::UInteger MTLLoadAction;
enum : MTLLoadAction {
  MTLLoadActionDontCare = 0,  // keeps the contents here, as a load does
  MTLLoadActionLoad = 1,
  MTLLoadActionClear = 2,
};

typedef NS::UInteger MTLStoreAction;
enum : MTLStoreAction {
  MTLStoreActionDontCare = 0,  // keeps the results here, as a store does
  MTLStoreActionStore = 1,
};

struct MTLClearColor {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 1.0;
};

inline MTLClearColor MTLClearColorMake(double red, double green, double blue, double alpha) {
  return MTLClearColor{red, green, blue, alpha};
}

namespace MTL {

class NS_CLASS_EXPORT RenderPassAttachmentDescriptor : public NS::Object {
public:
  // Retained; null for none.
  Texture* texture() const { return texture_.get(); }
  void setTexture(Texture* texture) { texture_ = NS::Ref<Texture>::Retain(texture); }
  MTLLoadAction loadAction() const { return loadAction_; }
  void setLoadAction(MTLLoadAction action) { loadAction_ = action; }
  MTLStoreAction storeAction() const { return storeAction_; }
  void setStoreAction(MTLStoreAction action) { storeAction_ = action; }

protected:
  RenderPassAttachmentDescriptor() = default;

private:
  NS::Ref<Texture> texture_;
  MTLLoadAction loadAction_ = MTLLoadActionDontCare;
  MTLStoreAction storeAction_ = MTLStoreActionStore;
};

class NS_CLASS_EXPORT RenderPassColorAttachmentDescriptor : public RenderPassAttachmentDescriptor {
public:
  MTLClearColor clearColor() const { return clearColor_; }
  void setClearColor(MTLClearColor color) { clearColor_ = color; }

private:
  friend class RenderPassColorAttachmentDescriptorArray;
  RenderPassColorAttachmentDescriptor() = default;

  MTLClearColor clearColor_ = MTLClearColorMake(0.0, 0.0, 0.0, 1.0);
};

class NS_CLASS_EXPORT RenderPassStencilAttachmentDescriptor : public RenderPassAttachmentDescriptor {
public:
  std::uint32_t clearStencil() const { return clearStencil_; }
  void setClearStencil(std::uint32_t value) { clearStencil_ = value; }

private:
  friend class RenderPassDescriptor;
  RenderPassStencilAttachmentDescriptor() = default;

  std::uint32_t clearStencil_ = 0;
};

// The number of colour attachments a pass has.
inline constexpr NS::UInteger kColorAttachmentCount = 1;

class NS_CLASS_EXPORT RenderPassColorAttachmentDescriptorArray : public NS::Object {
public:
  // Not owned by the caller; beyond the last attachment a validation error and null.
  RenderPassColorAttachmentDescriptor* objectAtIndexedSubscript(NS::UInteger index) const;

protected:
  ~RenderPassColorAttachmentDescriptorArray() override;

private:
  friend class RenderPassDescriptor;
  RenderPassColorAttachmentDescriptorArray();

  RenderPassColorAttachmentDescriptor* attachments_[kColorAttachmentCount];
};

class NS_CLASS_EXPORT RenderPassDescriptor : public NS::Object {
public:
  // A new descriptor, owned by the caller: no textures, colour load don't-care
  // and clear colour opaque black, stencil clear value 0, store actions store.
  static RenderPassDescriptor* renderPassDescriptor();

  // Not owned by the caller.
  RenderPassColorAttachmentDescriptorArray* colorAttachments() const { return colorAttachments_.get(); }
  RenderPassStencilAttachmentDescriptor* stencilAttachment() const { return stencilAttachment_.get(); }

private:
  RenderPassDescriptor();

  const NS::Ref<RenderPassColorAttachmentDescriptorArray> colorAttachments_;
  const NS::Ref<RenderPassStencilAttachmentDescriptor> stencilAttachment_;
};

}  // namespace MTL
