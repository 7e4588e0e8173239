#include "metal/render_pass.h"

#include "metal/fragment_stage.h"
#include "metal/pixel_format.h"
#include "metal/texture_storage.h"

#include <algorithm>

namespace standin::metal {
namespace {

// Every texel of the first level (the one a pass draws into) becomes `texel`.
void Fill(TextureStorage& storage, const std::array<std::uint8_t, 4>& texel) {
  TextureLevel& level = storage.levels.front();
  for (std::size_t at = 0; at < level.texels.size(); at += storage.bytesPerTexel) {
    std::copy_n(texel.begin(), storage.bytesPerTexel, level.texels.begin() + at);
  }
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
