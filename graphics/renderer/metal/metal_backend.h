#pragma once

// The entry points of the Metal back end that the graphics context uses: a
// vector context drawing through Metal onto a layer, off-screen framebuffers
// it can draw into instead, and images made from or read back out of Metal
// textures. The context's back-end object is MVCcontext_vOrvane_au
// (metal_context.h), the `userPtr` of the vector context's table.
//
// Threads: main thread (the thread that drives the vector context).

#include <Metal/Metal.h>
#include <QuartzCore/CAMetalLayer.h>

#include "graphics/renderer/vector_context.h"

// An off-screen image that a context can render into.
struct MVCframebuffer {
  VCcontext* ctx;
  int image;  // 0 when the image could not be made
};

// A vector context drawing onto `metalLayer` with VCcreateFlags; null when
// the back end or the core could not be made (the shader library refused,
// say).
VCcontext* mvcCreateContext(CA::MetalLayer* metalLayer, int flags);
// Deletes the core context and its back end; null is ignored.
void mvcDeleteContext(VCcontext* ctx);

// The framebuffer the next flush of its context renders into, for every
// context of the process; null (or a framebuffer of another context) renders
// onto the layer.
void mvcBindFramebuffer(MVCframebuffer* framebuffer);
MVCframebuffer* mvcBoundFramebuffer();
// A framebuffer of an RGBA image of that size; null when the record cannot be
// allocated.
MVCframebuffer* mvcCreateFramebuffer(VCcontext* ctx, int width, int height, int imageFlags);
// Deletes the image and the record, and unbinds it when bound; null is ignored.
void mvcDeleteFramebuffer(MVCframebuffer* framebuffer);

// The next render pass of the context starts from this colour (straight
// alpha) instead of what its target holds.
void mvcClearWithColor(VCcontext* ctx, float r, float g, float b, float a);

// Not owned by the caller.
MTL::CommandQueue* mvcCommandQueue(VCcontext* ctx);
MTL::Device* mvcDevice(VCcontext* ctx);

// An RGBA image of the context wrapping `texture` (retained by the image);
// its id, or 0.
int mvcCreateImageFromTexture(VCcontext* ctx, MTL::Texture* texture, int imageFlags);
// The image's texture (not owned by the caller), once every frame in flight
// that renders into it has run; null for an unknown image.
MTL::Texture* mvcImageTexture(VCcontext* ctx, int image);
// Copies a region of the image, top row first, rows of the texture's width
// (four bytes a pixel for RGBA, one for alpha), once every frame in flight
// that renders into it has run. Nothing for an unknown image.
void mvcReadPixels(VCcontext* ctx, int image, int x, int y, int width, int height, void* data);
