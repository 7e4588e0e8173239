#include "metal/render_pass.h"

#include "metal/fragment_stage.h"
#include "metal/pixel_format.h"
#include "metal/texture_storage.h"

#include <algorithm>
#include <cstring>

namespace standin::metal {
namespace {

// Every texel of the first level (the one a pass draws into) becomes `texel`.
void Fill(TextureStorage& storage, const std::array<std::uint8_t, 4>& texel) {
  TextureLevel& level = storage.levels.front();
  if (storage.bytesPerTexel == 1) {
    std::fill(level.texels.begin(), level.texels.end(), texel[0]);
    return;
  }
  // The first row texel by texel, then every other row as a copy of it.
  std::uint8_t* first = level.row(0);
  for (NS::UInteger x = 0; x < level.width; ++x) std::memcpy(first + x * sizeof texel, texel.data(), sizeof texel);
  for (NS::UInteger y = 1; y < level.height; ++y) std::memcpy(level.row(y), first, level.bytesPerRow);
}

}  // namespace

void RenderPass::Execute() {
  CurrentPassStatistics() = {};
  if (color.texture && color.loadAction == MTLLoadActionClear) {
    Fill(color.texture->storage(), ClearTexel(color.texture->pixelFormat(), color.clearColor));
  }
  if (stencil.texture && stencil.loadAction == MTLLoadActionClear) {
    Fill(stencil.texture->storage(), {static_cast<std::uint8_t>(stencil.clearStencil), 0, 0, 0});
  }
  for (const Draw& draw : draws) RunDraw(*this, draw);
}

}  // namespace standin::metal
