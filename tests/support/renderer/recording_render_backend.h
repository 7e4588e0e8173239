#pragma once

#include <string>
#include <vector>

#include "graphics/renderer/render_backend.h"

namespace orvane::testing {

enum class RenderCall {
  Create,
  CreateTexture,
  DeleteTexture,
  UpdateTexture,
  GetTextureSize,
  Viewport,
  Cancel,
  Flush,
  Fill,
  Stroke,
  Triangles,
  Delete,
};

// A path as the back end received it, its vertex arrays copied.
struct RecordedPath {
  int first = 0;
  int count = 0;
  unsigned char closed = 0;
  int nbevel = 0;
  int winding = 0;
  int convex = 0;
  std::vector<VCvertex> fill;
  std::vector<VCvertex> stroke;
};

// One call with its arguments copied; fields a call does not have stay zero.
struct RecordedCall {
  RenderCall kind = RenderCall::Create;
  // Fills, strokes and triangles.
  VCpaint paint{};
  VCcompositeOperationState compositeOperation{};
  VCscissor scissor{};
  float fringe = 0.0f;
  float bounds[4] = {};
  float strokeWidth = 0.0f;
  std::vector<RecordedPath> paths;
  std::vector<VCvertex> vertices;
  // Texture operations: the image, its type, flags and (update) rectangle.
  int image = 0;
  int type = 0;
  int imageFlags = 0;
  int x = 0, y = 0, width = 0, height = 0;
  bool hadData = false;
  // renderViewport.
  float viewWidth = 0.0f, viewHeight = 0.0f, devicePixelRatio = 0.0f;
};

struct RecordedTexture {
  int type = 0;
  int width = 0;
  int height = 0;
  int imageFlags = 0;
  std::vector<unsigned char> pixels;  // the back end's own copy, whole image
};

// A render back end that records every call with deep copies and keeps its
// textures in memory, the double on which the vector core is tested. It checks
// the calling order (renderCreate once; per frame renderViewport, draws and
// texture operations, then one renderFlush or renderCancel; renderDelete last,
// after the font images were deleted) and fails the running test on a breach.
class RecordingRenderBackend {
public:
  explicit RecordingRenderBackend(int createFlags = VC_ANTIALIAS);
  RecordingRenderBackend(const RecordingRenderBackend&) = delete;
  RecordingRenderBackend& operator=(const RecordingRenderBackend&) = delete;

  // The table to create a core context with; userPtr is this back end.
  VCparams Params();

  // renderCreate, or every renderCreateTexture, answers failure.
  void FailCreate(bool fail) { mFailCreate = fail; }
  void FailCreateTexture(bool fail) { mFailCreateTexture = fail; }
  // Off: calls are checked but nothing is recorded or allocated (textures are
  // still kept), for allocation-counting tests.
  void SetRecording(bool recording) { mRecording = recording; }

  const std::vector<RecordedCall>& Calls() const { return mCalls; }
  std::vector<const RecordedCall*> CallsOf(RenderCall kind) const;
  void ClearCalls() { mCalls.clear(); }
  // A texture that exists, or null.
  const RecordedTexture* Texture(int image) const;
  int LiveTextureCount() const;
  bool InFrame() const { return mInFrame; }
  const std::vector<std::string>& Breaches() const { return mBreaches; }

private:
  static RecordingRenderBackend& Self(void* uptr) { return *static_cast<RecordingRenderBackend*>(uptr); }
  static int Create(void* uptr);
  static int CreateTexture(void* uptr, int type, int width, int height, int imageFlags, const unsigned char* data);
  static int DeleteTexture(void* uptr, int image);
  static int UpdateTexture(void* uptr, int image, int x, int y, int width, int height, const unsigned char* data);
  static int GetTextureSize(void* uptr, int image, int* width, int* height);
  static void Viewport(void* uptr, float width, float height, float devicePixelRatio);
  static void Cancel(void* uptr);
  static void Flush(void* uptr);
  static void Fill(void* uptr, const VCpaint* paint, VCcompositeOperationState op, const VCscissor* scissor,
                   float fringe, const float* bounds, const VCpath* paths, int npaths);
  static void Stroke(void* uptr, const VCpaint* paint, VCcompositeOperationState op, const VCscissor* scissor,
                     float fringe, float strokeWidth, const VCpath* paths, int npaths);
  static void Triangles(void* uptr, const VCpaint* paint, VCcompositeOperationState op, const VCscissor* scissor,
                        const VCvertex* verts, int nverts, float fringe);
  static void Delete(void* uptr);

  void Breach(const std::string& what);
  // Checks that the context exists; for draws also that a frame is open.
  void CheckAlive(const char* operation);
  void CheckDraw(const char* operation);
  void EndFrame(const char* operation);
  RecordedCall* Record(RenderCall kind);
  RecordedCall* RecordDraw(RenderCall kind, const VCpaint* paint, VCcompositeOperationState op,
                           const VCscissor* scissor, float fringe);
  void RecordPaths(RecordedCall* call, const VCpath* paths, int npaths);
  RecordedTexture* LiveTexture(int image);

  int mCreateFlags;
  bool mFailCreate = false;
  bool mFailCreateTexture = false;
  bool mRecording = true;
  bool mCreated = false;
  bool mDeleted = false;
  bool mInFrame = false;
  std::vector<RecordedCall> mCalls;
  std::vector<RecordedTexture> mTextures;  // image id - 1
  std::vector<bool> mLive;
  std::vector<std::string> mBreaches;
};

}  // namespace orvane::testing
