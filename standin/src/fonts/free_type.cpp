#include "fonts/free_type.h"

#include <limits>
#include <mutex>

namespace standin::fonts {
namespace {

// Never freed: a face may be read while the process tears down.
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

FT_Error OpenFace(FT_Library library, const FaceSource& source, FT_Face* face) {
  if (source.bytes == nullptr) return FT_New_Face(library, source.path.c_str(), source.index, face);
  if (source.size == 0 || source.size > static_cast<std::size_t>(std::numeric_limits<FT_Long>::max())) {
    return FT_Err_Invalid_Argument;
  }
  return FT_New_Memory_Face(library, source.bytes, static_cast<FT_Long>(source.size), source.index, face);
}

}  // namespace

bool UseFace(const FaceSource& source, const std::function<void(FT_Face)>& use) {
  if (source.index < 0) return false;
  FreeType& freeType = TheFreeType();
  std::lock_guard lock(freeType.mutex);
  if (freeType.library == nullptr) return false;
  FT_Face face = nullptr;
  if (OpenFace(freeType.library, source, &face) != 0) return false;
  use(face);
  FT_Done_Face(face);
  return true;
}

}  // namespace standin::fonts
