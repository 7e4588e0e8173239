#include "graphics/bitmap.h"

namespace plugkit::graphics {

namespace {

// Pixels to editor units; a bitmap without a usable scale has no size.
int UnitsOf(int pixels, float scale) { return scale > 0.f ? static_cast<int>(static_cast<float>(pixels) / scale) : 0; }

}  // namespace

IBitmap::IBitmap(APIBitmap* bitmap, int nStates, bool framesAreHorizontal, const char* name)
    : mBitmap(bitmap),
      mWidth(bitmap ? UnitsOf(bitmap->GetWidth(), bitmap->GetScale()) : 0),
      mHeight(bitmap ? UnitsOf(bitmap->GetHeight(), bitmap->GetScale()) : 0),
      mNStates(nStates),
      mFramesAreHorizontal(framesAreHorizontal),
      mResourceName(name ? name : "") {}

}  // namespace plugkit::graphics
