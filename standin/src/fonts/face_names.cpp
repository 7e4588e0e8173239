#include "fonts/face_names.h"

// fcfreetype.h builds on fontconfig.h.
#include <fontconfig/fontconfig.h>
#include <fontconfig/fcfreetype.h>

#include "fonts/free_type.h"

#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

namespace standin::fonts {
namespace {

// The names that say a face's family and style.
constexpr FT_UShort kNamingIds[] = {TT_NAME_ID_FONT_FAMILY,         TT_NAME_ID_FONT_SUBFAMILY,
                                    TT_NAME_ID_FULL_NAME,           TT_NAME_ID_TYPOGRAPHIC_FAMILY,
                                    TT_NAME_ID_TYPOGRAPHIC_SUBFAMILY, TT_NAME_ID_WWS_FAMILY,
                                    TT_NAME_ID_WWS_SUBFAMILY};

bool IsWhiteSpace(FT_Byte c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool StartsWithWhiteSpace(const FT_SfntName& name) {
  const bool utf16 = name.platform_id == TT_PLATFORM_APPLE_UNICODE || name.platform_id == TT_PLATFORM_MICROSOFT;
  if (utf16) return name.string_len >= 2 && name.string[0] == 0 && IsWhiteSpace(name.string[1]);
  return name.string_len >= 1 && IsWhiteSpace(name.string[0]);
}

// The catalogue's reader takes white space off the front of such a name by
// copying the string onto itself, which is undefined; a face with one is
// named by FreeType instead.
bool HasNameLedByWhiteSpace(FT_Face face) {
  for (FT_UInt i = 0; i < FT_Get_Sfnt_Name_Count(face); ++i) {
    FT_SfntName name;
    if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
    for (const FT_UShort id : kNamingIds) {
      if (name.name_id == id && StartsWithWhiteSpace(name)) return true;
    }
  }
  return false;
}

// FreeType's text of a name, bytes outside ASCII (a Macintosh name's) as "?".
std::string AsciiText(const char* name) {
  std::string text = name ? name : "";
  for (char& c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  }
  return text;
}

std::optional<FaceNames> NamesFromFreeType(FT_Face face) {
  return FaceNames{AsciiText(face->family_name), AsciiText(face->style_name)};
}

std::string FirstString(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr) return {};
  return reinterpret_cast<const char*>(value);
}

std::optional<FaceNames> NamesFromCatalogue(FT_Face face) {
  FcPattern* pattern = FcFreeTypeQueryFace(face, nullptr, 0, nullptr);
  if (pattern == nullptr) return std::nullopt;
  FaceNames names{FirstString(pattern, FC_FAMILY), FirstString(pattern, FC_STYLE)};
  FcPatternDestroy(pattern);
  return names;
}

}  // namespace

std::optional<FaceNames> ReadFirstFaceNames(const unsigned char* bytes, std::size_t size) {
  if (bytes == nullptr) return std::nullopt;
  std::optional<FaceNames> names;
  UseFace(FaceSource{bytes, size, {}, 0}, [&names](FT_Face face) {
    names = HasNameLedByWhiteSpace(face) ? NamesFromFreeType(face) : NamesFromCatalogue(face);
  });
  return names;
}

}  // namespace standin::fonts
