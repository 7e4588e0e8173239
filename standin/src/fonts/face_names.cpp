#include "fonts/face_names.h"

// fcfreetype.h builds on fontconfig.h.
#include <fontconfig/fontconfig.h>
#include <fontconfig/fcfreetype.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <limits>
#include <mutex>

namespace standin::fonts {
namespace {

// One FreeType library for the process, never freed; FreeType wants the
// faces of one library opened and closed by one thread at a time.
struct FreeType {
  std::mutex mutex;
  FT_Library library = nullptr;
};

FreeType& TheFreeType() {
  static FreeType* freeType = [] {
    auto* made = new FreeType;
    if (FT_Init_FreeType(&made->library) != 0) made->library = nullptr;
    return made;
  }();
  return *freeType;
}

std::string FirstString(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr) return {};
  return reinterpret_cast<const char*>(value);
}

}  // namespace

std::optional<FaceNames> ReadFirstFaceNames(const unsigned char* bytes, std::size_t size) {
  if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(std::numeric_limits<FT_Long>::max())) {
    return std::nullopt;
  }
  FreeType& freeType = TheFreeType();
  std::lock_guard lock(freeType.mutex);
  if (freeType.library == nullptr) return std::nullopt;
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(freeType.library, bytes, static_cast<FT_Long>(size), 0, &face) != 0) return std::nullopt;
  std::optional<FaceNames> names;
  if (FcPattern* pattern = FcFreeTypeQueryFace(face, nullptr, 0, nullptr)) {
    names = FaceNames{FirstString(pattern, FC_FAMILY), FirstString(pattern, FC_STYLE)};
    FcPatternDestroy(pattern);
  }
  FT_Done_Face(face);
  return names;
}

}  // namespace standin::fonts
