#pragma once

// Driving and inspecting the software Metal, the Metal layer and dispatch
// semaphores. Any thread; the switches from one thread at a time (a test's own).

#include <Metal/Metal.h>
#include <QuartzCore/QuartzCore.h>
#include <dispatch/dispatch.h>
#include <standin/testing/images.h>

#include <functional>

namespace standin::testing {

// Immediate (the default, and the host's): a committed buffer runs inside
// commit on the committing thread once every buffer enqueued before it on its
// queue has run. Worker: one execution thread runs them. Switching to
// immediate runs what is ready on the calling thread.
enum class MetalExecution { kImmediate, kWorker };
void SetMetalExecution(MetalExecution mode);
MetalExecution CurrentMetalExecution();

// While paused no further buffer starts running; resuming runs what is ready
// (on the calling thread in immediate mode).
void PauseMetalExecution();
void ResumeMetalExecution();

// Validation errors reported since the process started.
long MetalValidationErrorCount();
// Buffers enqueued and not yet committed, now.
long UncommittedCommandBufferCount();

// Textures made from descriptors that were not given a storage mode use this
// one: managed, or private so the upload paths for private textures run.
void SetDefaultTextureStorageMode(MTLStorageMode mode);

// How long nextDrawable waits for a drawable (CA::kDrawableWaitSeconds by default).
void SetDrawableWaitSeconds(double seconds);

// While refused, the device answers newLibraryWithDataError for the named
// shader library with null and an error.
void SetMetalLibraryRefused(const char* libraryName, bool refused);

// Turns every fast path of the rasteriser off or on (on by default); they
// store exactly the bytes the general path stores.
void SetMetalFastPaths(bool enabled);
bool MetalFastPathsEnabled();

// What one render pass did: draws run (not refused, not empty), triangles
// rasterised (not culled, dropped or of zero area), fragments whose colour was
// computed, and colour texels stored.
struct RenderPassStatistics {
  long draws = 0;
  long triangles = 0;
  long fragmentsShaded = 0;
  long pixelsWritten = 0;

  bool operator==(const RenderPassStatistics&) const = default;
};

// Of the render pass that executed last.
RenderPassStatistics LastRenderPassStatistics();

// A level of a texture as RGBA8, top row first, whatever its pixel format or
// storage: R8 and stencil give (v, 0, 0, 255), BGRA8 is swizzled.
Image TextureContents(MTL::Texture* texture, NS::UInteger level = 0);

// The image the layer shows; empty when nothing was presented.
Image LayerFrontImage(CA::MetalLayer* layer);
long PresentedFrameCount(CA::MetalLayer* layer);

// Called with each image a layer presents, on the presenting thread; an empty
// function removes it.
using Presenter = std::function<void(CA::MetalLayer* layer, const Image& image)>;
void SetPresenter(Presenter presenter);

// A semaphore's current count (negative while threads wait on it).
long DispatchSemaphoreCount(dispatch_semaphore_t semaphore);
// Dispatch objects alive now.
long LiveDispatchObjectCount();

// Sets a testing switch for a scope and puts back the previous value.
class ScopedMetalFastPaths {
public:
  explicit ScopedMetalFastPaths(bool enabled) : previous_(MetalFastPathsEnabled()) { SetMetalFastPaths(enabled); }
  ~ScopedMetalFastPaths() { SetMetalFastPaths(previous_); }
  ScopedMetalFastPaths(const ScopedMetalFastPaths&) = delete;
  ScopedMetalFastPaths& operator=(const ScopedMetalFastPaths&) = delete;

private:
  bool previous_;
};

class ScopedMetalExecution {
public:
  explicit ScopedMetalExecution(MetalExecution mode) : previous_(CurrentMetalExecution()) {
    SetMetalExecution(mode);
  }
  ~ScopedMetalExecution() { SetMetalExecution(previous_); }
  ScopedMetalExecution(const ScopedMetalExecution&) = delete;
  ScopedMetalExecution& operator=(const ScopedMetalExecution&) = delete;

private:
  MetalExecution previous_;
};

}  // namespace standin::testing
