// Arbitrary bytes as an encoded image, decoded into a texture of a recording
// back end. A decoded image must have the size it claims, within the limits.
// Single allocations are capped well below what the pixel budget allows, so
// headers claiming huge images take the decoder's out-of-memory paths instead
// of the fuzzer's memory limit.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/image.h"
#include "tests/support/renderer/core_context.h"

namespace {

constexpr std::size_t kLargestAllocation = std::size_t(32) << 20;

orvane::testing::CoreContext& Context() {
  static orvane::testing::CoreContext* core = [] {
    vcSetAllocationSizeLimit(kLargestAllocation);
    auto* made = new orvane::testing::CoreContext();
    made->backend.SetRecording(false);
    return made;
  }();
  return *core;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  orvane::testing::CoreContext& core = Context();
  if (!core.ctx) std::abort();
  const int image = vcCreateImageMem(core.ctx, 0, data, static_cast<int>(size));
  if (image == 0) return 0;
  const orvane::testing::RecordedTexture* texture = core.backend.Texture(image);
  if (!texture || texture->width > VC_MAX_IMAGE_SIDE || texture->height > VC_MAX_IMAGE_SIDE ||
      static_cast<long long>(texture->width) * texture->height > VC_MAX_IMAGE_PIXELS) {
    std::abort();
  }
  vcDeleteImage(core.ctx, image);
  return 0;
}
