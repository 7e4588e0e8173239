// Font files come from the bundle, from memory and from the installed fonts:
// whatever the bytes hold, reading a face must stay inside them, and a record
// made from an owned copy must read the same as one made from the original.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graphics/font_data.h"
#include "graphics/font_face_info.h"

namespace {

constexpr int kFacesTried = 4;

bool SameFace(const plugkit::graphics::FontFaceInfo& a, const plugkit::graphics::FontFaceInfo& b) {
  return a.IsValid() == b.IsValid() && a.GetHeadLocation() == b.GetHeadLocation() &&
         a.GetNameLocation() == b.GetNameLocation() && a.GetHheaLocation() == b.GetHheaLocation() &&
         a.GetFdscLocation() == b.GetFdscLocation() && std::strcmp(a.GetFamily().Get(), b.GetFamily().Get()) == 0 &&
         std::strcmp(a.GetStyle().Get(), b.GetStyle().Get()) == 0 && a.GetMacStyle() == b.GetMacStyle() &&
         a.GetUnitsPerEM() == b.GetUnitsPerEM() && a.GetAscender() == b.GetAscender() &&
         a.GetDescender() == b.GetDescender() && a.GetLineGap() == b.GetLineGap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7fffffff) return 0;
  const int length = static_cast<int>(size);
  for (int face = 0; face < kFacesTried; ++face) {
    const plugkit::graphics::FontFaceInfo info(data, length, face);
    if (info.IsValid() && (info.GetHeadLocation() >= size || info.GetHheaLocation() >= size)) std::abort();
    const plugkit::graphics::FontData copy(data, length, face);
    if (copy.GetSize() != length || (length > 0 && std::memcmp(copy.GetBytes(), data, size) != 0)) std::abort();
    if (length > 0 && !SameFace(info, copy)) std::abort();
  }
  return 0;
}
