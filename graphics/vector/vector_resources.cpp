// Bitmaps decoded into the vector context and cached in this graphics
// context, and fonts given to the vector core from the process font cache.
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/renderer/image.h"
#include "graphics/renderer/text.h"
#include "graphics/vector/graphics_vector.h"

namespace plugkit::graphics {

namespace {

// Resource locations of the bitmap search.
constexpr int kLocationFilePath = 1;
constexpr int kLocationShared = 3;
constexpr int kPlainImage = 0;
constexpr int kDataScale = 1;
// Fonts are cached under their id at this scale.
constexpr double kFontScale = 1.0;
constexpr int kNoFont = -1;
constexpr const char* kSupportedExtensions[] = {"png", "jpg", "jpeg"};

// The text after the name's last '.'; empty without one.
const char* ExtensionOf(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : "";
}

bool IsUsable(const FontData* data) {
  return data && data->GetSize() > 0 && data->GetFaceIdx() >= 0 && data->IsValid();
}

// The core only reads the bytes; they stay the cache's.
int CreateCoreFont(VCcontext* ctx, const char* fontID, const FontData& data) {
  return vcCreateFontMemAtIndex(ctx, fontID, const_cast<unsigned char*>(data.GetBytes()), data.GetSize(),
                                data.GetFaceIdx(), 0);
}

}  // namespace

StaticStorage<FontData>& IGraphicsVector::FontCache() {
  static StaticStorage<FontData> storage;
  return storage;
}

IBitmap IGraphicsVector::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal, int targetScale) {
  if (!name) return IBitmap();
  const int scale = targetScale != 0 ? targetScale : WholeScreenScale();
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  APIBitmap* bitmap = FindCachedBitmap(*cache, name, scale);
  if (!bitmap) {
    const char* ext = ExtensionOf(name);
    StrBuf fullPath;
    int sourceScale = scale;
    const int location = SearchScaledBitmap(name, ext, fullPath, scale, sourceScale);
    if (location == 0 || !IsSupportedBitmapExtension(ext)) return IBitmap();
    std::unique_ptr<APIBitmap> loaded(LoadBitmapFromFile(fullPath.Get(), sourceScale, location, ext));
    bitmap = loaded.get();
    if (!bitmap || !AddCachedBitmap(*cache, std::move(loaded), name, sourceScale)) return IBitmap();
  }
  return IBitmap(bitmap, nStates, framesAreHorizontal, name);
}

IBitmap IGraphicsVector::LoadBitmapFromData(const char* name, const void* data, int dataSize, int nStates,
                                            bool framesAreHorizontal, int targetScale) {
  if (!name) return IBitmap();
  const int scale = targetScale > 0 ? targetScale : WholeScreenScale();
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  int sourceScale = scale;
  APIBitmap* bitmap = SearchBitmapInCache(*cache, name, scale, sourceScale);
  if (!bitmap) bitmap = LoadBitmapFromMemory(name, data, dataSize, kDataScale);
  return bitmap ? IBitmap(bitmap, nStates, framesAreHorizontal, name) : IBitmap();
}

APIBitmap* IGraphicsVector::LoadBitmapFromFile(const char* path, int scale, int location, const char*) {
  if (!mContext) return nullptr;
  int image = 0;
  if (location == kLocationFilePath && path) {
    ActivateGLContext();
    image = vcCreateImage(mContext, path, kPlainImage);
    DeactivateGLContext();
  }
  return new Bitmap(mContext, image, static_cast<float>(scale), location == kLocationShared);
}

APIBitmap* IGraphicsVector::LoadBitmapFromMemory(const char* name, const void* data, int dataSize, int scale) {
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  if (APIBitmap* cached = FindCachedBitmap(*cache, name, scale)) return cached;
  if (!mContext) return nullptr;
  int image = 0;
  if (data && dataSize > 0) {
    ActivateGLContext();
    image = vcCreateImageMem(mContext, kPlainImage, static_cast<const unsigned char*>(data), dataSize);
    DeactivateGLContext();
  }
  auto bitmap = std::make_unique<Bitmap>(mContext, image, static_cast<float>(scale), false);
  APIBitmap* kept = bitmap.get();
  return AddCachedBitmap(*cache, std::move(bitmap), name, scale) ? kept : nullptr;
}

bool IGraphicsVector::IsSupportedBitmapExtension(const char* ext) const {
  if (!ext) return false;
  std::string lower(ext);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* supported : kSupportedExtensions)
    if (lower.find(supported) != std::string::npos) return true;
  return false;
}

// The bytes are cached before the core takes them, so the core never holds
// bytes the cache could not keep; a refused font leaves nothing cached.
bool IGraphicsVector::LoadFontFromMemory(const char* fontID, PlatformFont& font) {
  if (!mContext || !fontID) return false;
  StaticStorage<FontData>::Accessor fonts(FontCache());
  if (const FontData* cached = fonts->Find(fontID, kFontScale))
    return CreateCoreFont(mContext, fontID, *cached) != kNoFont;
  std::unique_ptr<FontData> data = font.GetFontData();
  if (!IsUsable(data.get())) return false;
  const FontData* kept = data.get();
  if (!fonts->Add(std::move(data), fontID, kFontScale)) return false;
  if (CreateCoreFont(mContext, fontID, *kept) != kNoFont) return true;
  fonts->Remove(kept);
  return false;
}

}  // namespace plugkit::graphics
