#include "tests/support/renderer/recording_render_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace orvane::testing {

namespace {

int BytesPerPixel(int type) { return type == VC_TEXTURE_ALPHA ? 1 : 4; }

}  // namespace

RecordingRenderBackend::RecordingRenderBackend(int createFlags) : mCreateFlags(createFlags) {}

VCparams RecordingRenderBackend::Params() {
  VCparams params{};
  params.userPtr = this;
  params.edgeAntiAlias = (mCreateFlags & VC_ANTIALIAS) ? 1 : 0;
  params.renderCreate = Create;
  params.renderCreateTexture = CreateTexture;
  params.renderDeleteTexture = DeleteTexture;
  params.renderUpdateTexture = UpdateTexture;
  params.renderGetTextureSize = GetTextureSize;
  params.renderViewport = Viewport;
  params.renderCancel = Cancel;
  params.renderFlush = Flush;
  params.renderFill = Fill;
  params.renderStroke = Stroke;
  params.renderTriangles = Triangles;
  params.renderDelete = Delete;
  return params;
}

std::vector<const RecordedCall*> RecordingRenderBackend::CallsOf(RenderCall kind) const {
  std::vector<const RecordedCall*> calls;
  for (const RecordedCall& call : mCalls) {
    if (call.kind == kind) calls.push_back(&call);
  }
  return calls;
}

const RecordedTexture* RecordingRenderBackend::Texture(int image) const {
  return const_cast<RecordingRenderBackend*>(this)->LiveTexture(image);
}

int RecordingRenderBackend::LiveTextureCount() const {
  return static_cast<int>(std::count(mLive.begin(), mLive.end(), true));
}

RecordedTexture* RecordingRenderBackend::LiveTexture(int image) {
  if (image < 1 || image > static_cast<int>(mTextures.size()) || !mLive[image - 1]) return nullptr;
  return &mTextures[image - 1];
}

void RecordingRenderBackend::Breach(const std::string& what) {
  mBreaches.push_back(what);
  ADD_FAILURE() << "render back end: " << what;
}

void RecordingRenderBackend::CheckAlive(const char* operation) {
  if (!mCreated) Breach(std::string(operation) + " before renderCreate");
  if (mDeleted) Breach(std::string(operation) + " after renderDelete");
}

void RecordingRenderBackend::CheckDraw(const char* operation) {
  CheckAlive(operation);
  if (!mInFrame) Breach(std::string(operation) + " outside a frame");
}

void RecordingRenderBackend::EndFrame(const char* operation) {
  CheckAlive(operation);
  if (!mInFrame) Breach(std::string(operation) + " outside a frame");
  mInFrame = false;
}

RecordedCall* RecordingRenderBackend::Record(RenderCall kind) {
  if (!mRecording) return nullptr;
  mCalls.emplace_back();
  mCalls.back().kind = kind;
  return &mCalls.back();
}

RecordedCall* RecordingRenderBackend::RecordDraw(RenderCall kind, const VCpaint* paint,
                                                 VCcompositeOperationState op, const VCscissor* scissor,
                                                 float fringe) {
  RecordedCall* call = Record(kind);
  if (!call) return nullptr;
  call->paint = *paint;
  call->compositeOperation = op;
  call->scissor = *scissor;
  call->fringe = fringe;
  return call;
}

void RecordingRenderBackend::RecordPaths(RecordedCall* call, const VCpath* paths, int npaths) {
  for (int i = 0; i < npaths; ++i) {
    const VCpath& path = paths[i];
    if ((path.nfill > 0 && !path.fill) || (path.nstroke > 0 && !path.stroke)) {
      Breach("a path counts vertices it has no array for");
      continue;
    }
    RecordedPath copy;
    copy.first = path.first;
    copy.count = path.count;
    copy.closed = path.closed;
    copy.nbevel = path.nbevel;
    copy.winding = path.winding;
    copy.convex = path.convex;
    if (path.nfill > 0) copy.fill.assign(path.fill, path.fill + path.nfill);
    if (path.nstroke > 0) copy.stroke.assign(path.stroke, path.stroke + path.nstroke);
    call->paths.push_back(std::move(copy));
  }
}

int RecordingRenderBackend::Create(void* uptr) {
  RecordingRenderBackend& self = Self(uptr);
  if (self.mCreated) self.Breach("renderCreate called twice");
  self.mCreated = true;
  self.Record(RenderCall::Create);
  return self.mFailCreate ? 0 : 1;
}

int RecordingRenderBackend::CreateTexture(void* uptr, int type, int width, int height, int imageFlags,
                                          const unsigned char* data) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckAlive("renderCreateTexture");
  if (RecordedCall* call = self.Record(RenderCall::CreateTexture)) {
    call->type = type;
    call->width = width;
    call->height = height;
    call->imageFlags = imageFlags;
    call->hadData = data != nullptr;
  }
  if (self.mFailCreateTexture) return 0;
  if (type != VC_TEXTURE_ALPHA && type != VC_TEXTURE_RGBA) {
    self.Breach("renderCreateTexture of unknown type " + std::to_string(type));
    return 0;
  }
  if (width <= 0 || height <= 0) {
    self.Breach("renderCreateTexture of size " + std::to_string(width) + " x " + std::to_string(height));
    return 0;
  }
  RecordedTexture texture{type, width, height, imageFlags, {}};
  const std::size_t bytes = std::size_t(width) * height * BytesPerPixel(type);
  if (data) {
    texture.pixels.assign(data, data + bytes);
  } else {
    texture.pixels.assign(bytes, 0);
  }
  self.mTextures.push_back(std::move(texture));
  self.mLive.push_back(true);
  const int image = static_cast<int>(self.mTextures.size());
  if (self.mRecording) self.mCalls.back().image = image;
  return image;
}

int RecordingRenderBackend::DeleteTexture(void* uptr, int image) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckAlive("renderDeleteTexture");
  if (RecordedCall* call = self.Record(RenderCall::DeleteTexture)) call->image = image;
  RecordedTexture* texture = self.LiveTexture(image);
  if (!texture) return 0;
  self.mLive[image - 1] = false;
  std::vector<unsigned char>().swap(texture->pixels);  // frees: assigning {} keeps the capacity
  return 1;
}

int RecordingRenderBackend::UpdateTexture(void* uptr, int image, int x, int y, int width, int height,
                                          const unsigned char* data) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckAlive("renderUpdateTexture");
  if (RecordedCall* call = self.Record(RenderCall::UpdateTexture)) {
    call->image = image;
    call->x = x;
    call->y = y;
    call->width = width;
    call->height = height;
    call->hadData = data != nullptr;
  }
  RecordedTexture* texture = self.LiveTexture(image);
  if (!texture) return 0;
  if (!data || x < 0 || y < 0 || width < 0 || height < 0 || x + width > texture->width ||
      y + height > texture->height) {
    self.Breach("renderUpdateTexture outside image " + std::to_string(image) + " or without data");
    return 0;
  }
  // The data addresses the whole image.
  const int bpp = BytesPerPixel(texture->type);
  for (int row = y; row < y + height; ++row) {
    const std::size_t at = (std::size_t(row) * texture->width + x) * bpp;
    std::memcpy(texture->pixels.data() + at, data + at, std::size_t(width) * bpp);
  }
  return 1;
}

int RecordingRenderBackend::GetTextureSize(void* uptr, int image, int* width, int* height) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckAlive("renderGetTextureSize");
  if (RecordedCall* call = self.Record(RenderCall::GetTextureSize)) call->image = image;
  const RecordedTexture* texture = self.LiveTexture(image);
  if (!texture) return 0;
  *width = texture->width;
  *height = texture->height;
  return 1;
}

void RecordingRenderBackend::Viewport(void* uptr, float width, float height, float devicePixelRatio) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckAlive("renderViewport");
  if (self.mInFrame) self.Breach("renderViewport while the last frame was neither flushed nor cancelled");
  self.mInFrame = true;
  if (RecordedCall* call = self.Record(RenderCall::Viewport)) {
    call->viewWidth = width;
    call->viewHeight = height;
    call->devicePixelRatio = devicePixelRatio;
  }
}

void RecordingRenderBackend::Cancel(void* uptr) {
  RecordingRenderBackend& self = Self(uptr);
  self.EndFrame("renderCancel");
  self.Record(RenderCall::Cancel);
}

void RecordingRenderBackend::Flush(void* uptr) {
  RecordingRenderBackend& self = Self(uptr);
  self.EndFrame("renderFlush");
  self.Record(RenderCall::Flush);
}

void RecordingRenderBackend::Fill(void* uptr, const VCpaint* paint, VCcompositeOperationState op,
                                  const VCscissor* scissor, float fringe, const float* bounds, const VCpath* paths,
                                  int npaths) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckDraw("renderFill");
  RecordedCall* call = self.RecordDraw(RenderCall::Fill, paint, op, scissor, fringe);
  if (!call) return;
  std::copy(bounds, bounds + 4, call->bounds);
  self.RecordPaths(call, paths, npaths);
}

void RecordingRenderBackend::Stroke(void* uptr, const VCpaint* paint, VCcompositeOperationState op,
                                    const VCscissor* scissor, float fringe, float strokeWidth, const VCpath* paths,
                                    int npaths) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckDraw("renderStroke");
  RecordedCall* call = self.RecordDraw(RenderCall::Stroke, paint, op, scissor, fringe);
  if (!call) return;
  call->strokeWidth = strokeWidth;
  self.RecordPaths(call, paths, npaths);
}

void RecordingRenderBackend::Triangles(void* uptr, const VCpaint* paint, VCcompositeOperationState op,
                                       const VCscissor* scissor, const VCvertex* verts, int nverts, float fringe) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckDraw("renderTriangles");
  RecordedCall* call = self.RecordDraw(RenderCall::Triangles, paint, op, scissor, fringe);
  if (!call) return;
  if (nverts > 0 && !verts) {
    self.Breach("renderTriangles counts vertices it has no array for");
    return;
  }
  if (nverts > 0) call->vertices.assign(verts, verts + nverts);
}

void RecordingRenderBackend::Delete(void* uptr) {
  RecordingRenderBackend& self = Self(uptr);
  self.CheckAlive("renderDelete");
  if (self.mInFrame) self.Breach("renderDelete inside a frame");
  for (std::size_t i = 0; i < self.mTextures.size(); ++i) {
    if (self.mLive[i] && self.mTextures[i].type == VC_TEXTURE_ALPHA) {
      self.Breach("renderDelete before font image " + std::to_string(i + 1) + " was deleted");
    }
  }
  self.Record(RenderCall::Delete);
  self.mDeleted = true;
}

}  // namespace orvane::testing
