#pragma once

#include "graphics/renderer/vector_context.h"
#include "tests/support/renderer/recording_render_backend.h"

namespace orvane::testing {

// A vector core context on a recording back end, deleted with the object.
struct CoreContext {
  explicit CoreContext(int createFlags = VC_ANTIALIAS) : backend(createFlags) {
    const VCparams params = backend.Params();
    ctx = vcCreateInternal(&params);
  }
  ~CoreContext() { vcDeleteInternal(ctx); }
  CoreContext(const CoreContext&) = delete;
  CoreContext& operator=(const CoreContext&) = delete;

  RecordingRenderBackend backend;
  VCcontext* ctx = nullptr;
};

}  // namespace orvane::testing
