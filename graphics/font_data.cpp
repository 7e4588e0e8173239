#include "graphics/font_data.h"

#include <cstring>

namespace plugkit::graphics {

FontData::FontData(const void* data, int size, int faceIdx) : FontFaceInfo(data, size, faceIdx), mFaceIdx(faceIdx) {
  // A failed growth leaves the buffer empty, and with it the record invalid.
  if (data && size > 0 && mBytes.Resize(size)) std::memcpy(mBytes.Get(), data, static_cast<size_t>(size));
  RepointBytes(GetBytes());
}

}  // namespace plugkit::graphics
