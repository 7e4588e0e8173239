// The catalogue of installed fonts is fontconfig's: the machine's own
// configuration, or one that tests build in code over folders of their own.

#include "fonts/font_catalogue.h"

#include <fontconfig/fontconfig.h>
#include <standin/testing/fonts.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <tuple>

namespace standin::fonts {
namespace {

namespace fs = std::filesystem;

// Named instances of a variable font carry their instance number above the
// face index.
constexpr int kFaceIndexMask = 0xFFFF;

// Never destroyed: a font may be matched while the process tears down.
struct Catalogue {
  std::mutex mutex;
  FcConfig* system = nullptr;  // loaded when first needed, then kept
  FcConfig* folders = nullptr;  // the testing catalogue, when one is in use
  fs::path cacheFolder;
};

Catalogue& TheCatalogue() {
  static Catalogue* catalogue = new Catalogue;
  return *catalogue;
}

FcConfig* CurrentConfig(Catalogue& catalogue) {
  if (catalogue.folders != nullptr) return catalogue.folders;
  if (catalogue.system == nullptr) catalogue.system = FcInitLoadConfigAndFonts();
  return catalogue.system;
}

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string StringOf(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr) return {};
  return reinterpret_cast<const char*>(value);
}

void RemoveFolder(const fs::path& folder) {
  if (folder.empty()) return;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

fs::path MakeCacheFolder() {
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / "standin-fonts-XXXXXX").string();
  if (error || mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// A configuration of only these folders, cached in `cacheFolder`.
FcConfig* BuildConfig(const std::vector<std::string>& folders, const fs::path& cacheFolder) {
  std::string xml = "<fontconfig><cachedir>" + Escaped(cacheFolder.string()) + "</cachedir>";
  for (const std::string& folder : folders) xml += "<dir>" + Escaped(folder) + "</dir>";
  xml += "</fontconfig>";
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) return nullptr;
  if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcFalse) ||
      !FcConfigBuildFonts(config)) {
    FcConfigDestroy(config);
    return nullptr;
  }
  return config;
}

}  // namespace

std::vector<InstalledFace> FindInstalledFaces(const std::optional<std::string>& family,
                                              const std::optional<std::string>& style) {
  std::vector<InstalledFace> faces;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, FC_INDEX, nullptr);
  if (pattern != nullptr && objects != nullptr &&
      (!family || FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family->c_str()))) &&
      (!style || FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style->c_str())))) {
    Catalogue& catalogue = TheCatalogue();
    std::lock_guard lock(catalogue.mutex);
    FcConfig* config = CurrentConfig(catalogue);
    if (FcFontSet* found = config == nullptr ? nullptr : FcFontList(config, pattern, objects)) {
      for (int i = 0; i < found->nfont; ++i) {
        int index = 0;
        FcPatternGetInteger(found->fonts[i], FC_INDEX, 0, &index);
        faces.push_back(InstalledFace{StringOf(found->fonts[i], FC_FILE), index,
                                      StringOf(found->fonts[i], FC_FAMILY), StringOf(found->fonts[i], FC_STYLE)});
      }
      FcFontSetDestroy(found);
    }
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  std::sort(faces.begin(), faces.end(), [](const InstalledFace& a, const InstalledFace& b) {
    return std::tie(a.path, a.index) < std::tie(b.path, b.index);
  });
  for (InstalledFace& face : faces) face.index &= kFaceIndexMask;
  return faces;
}

std::optional<InstalledFace> MatchInstalledFace(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return std::nullopt;
  std::optional<InstalledFace> face;
  if (FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()))) {
    Catalogue& catalogue = TheCatalogue();
    std::lock_guard lock(catalogue.mutex);
    FcConfig* config = CurrentConfig(catalogue);
    FcResult result = FcResultNoMatch;
    if (config != nullptr && FcConfigSubstitute(config, pattern, FcMatchPattern)) {
      FcDefaultSubstitute(pattern);
      if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        const std::string path = StringOf(match, FC_FILE);
        if (!path.empty()) {
          face = InstalledFace{path, index & kFaceIndexMask, StringOf(match, FC_FAMILY), StringOf(match, FC_STYLE)};
        }
        FcPatternDestroy(match);
      }
    }
  }
  FcPatternDestroy(pattern);
  return face;
}

}  // namespace standin::fonts

namespace standin::testing {

bool UseFontFolders(const std::vector<std::string>& folders) {
  const std::filesystem::path cacheFolder = fonts::MakeCacheFolder();
  if (cacheFolder.empty()) return false;
  FcConfig* config = fonts::BuildConfig(folders, cacheFolder);
  if (config == nullptr) {
    fonts::RemoveFolder(cacheFolder);
    return false;
  }
  fonts::Catalogue& catalogue = fonts::TheCatalogue();
  std::lock_guard lock(catalogue.mutex);
  if (catalogue.folders != nullptr) FcConfigDestroy(catalogue.folders);
  fonts::RemoveFolder(catalogue.cacheFolder);
  catalogue.folders = config;
  catalogue.cacheFolder = cacheFolder;
  return true;
}

void UseSystemFonts() {
  fonts::Catalogue& catalogue = fonts::TheCatalogue();
  std::lock_guard lock(catalogue.mutex);
  if (catalogue.folders != nullptr) FcConfigDestroy(catalogue.folders);
  catalogue.folders = nullptr;
  fonts::RemoveFolder(catalogue.cacheFolder);
  catalogue.cacheFolder.clear();
}

}  // namespace standin::testing
