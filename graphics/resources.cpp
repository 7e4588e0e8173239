// Bitmaps and SVG images by resource name: the caches every context of the
// process shares, the search for a bitmap file at the best scale, redrawing
// a bitmap for another scale, and reading resource files.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

#include "framework/core/paths.h"
#include "graphics/bitmap_control.h"
#include "graphics/graphics_context.h"
#include "graphics/svg_control.h"
#include "graphics/svg_reader.h"

namespace plugkit::graphics {

namespace {

// SVG images are cached at this scale whatever units and dpi they were parsed with.
constexpr double kSvgCacheScale = 1.0;
constexpr const char* kSvgResourceType = "svg";
constexpr const char* kBackgroundSvgUnits = "px";
constexpr float kBackgroundSvgDpi = 72.f;
constexpr int kBackgroundFrames = 1;
// The scale searched right after the target, before those below it.
constexpr int kFirstFallbackScale = 3;
// "@<n>x" lengthens a name by this for the scales searched (below 10).
constexpr int kScaleSuffixLength = 3;

// Both live until the process ends, and are emptied whenever the last context goes.
StaticStorage<APIBitmap>& BitmapCache() {
  static StaticStorage<APIBitmap> storage;
  return storage;
}

StaticStorage<SvgImage>& SvgCache() {
  static StaticStorage<SvgImage> storage;
  return storage;
}

// The text after the name's last '.', or the whole name without one.
const char* ExtensionOf(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : name;
}

// Where the extension of a file name starts (its dot), when a '.' follows
// the last path separator; the name's end otherwise.
size_t ExtensionStart(std::string_view name) {
  const size_t separator = name.find_last_of("/\\");
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) return name.size();
  return dot;
}

// The scale tried after `scale` when looking for targetScale; below 1 ends the search.
int NextSearchScale(int targetScale, int scale) {
  int next = scale - 1;
  if (scale == targetScale && targetScale != kFirstFallbackScale) next = kFirstFallbackScale;
  return next == targetScale ? next - 1 : next;
}

// The name of a bitmap's file for a scale: "dial.png" at 1, "dial@2x.png" at 2.
void ScaledFileName(StrBuf& out, const char* name, int scale) {
  if (scale == 1) {
    out.Set(name);
    return;
  }
  const std::string_view text = name;
  const size_t extension = ExtensionStart(text);
  out.SetFormatted(static_cast<int>(text.size()) + kScaleSuffixLength, "%.*s@%dx%s", static_cast<int>(extension), name,
                   scale, name + extension);
}

// Frees the bitmap when the cache cannot take it.
bool KeepInBitmapCache(APIBitmap* bitmap, const char* name) {
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  return cache->Holds(bitmap) || cache->Add(std::unique_ptr<APIBitmap>(bitmap), name, bitmap->GetScale());
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

// The whole regular file at path; `out` stays empty when it cannot be read
// whole or holds more than maxBytes (or than an int counts).
void ReadWholeFile(const char* path, TypedBuf<uint8_t>& out, size_t maxBytes) {
  const std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return;
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (fseeko(file.get(), 0, SEEK_END) != 0) return;
  const off_t size = ftello(file.get());
  if (size <= 0 || size > std::numeric_limits<int>::max() || static_cast<size_t>(size) > maxBytes ||
      fseeko(file.get(), 0, SEEK_SET) != 0)
    return;
  const int count = static_cast<int>(size);
  out.Resize(count);
  if (out.GetSize() != count) return;
  if (std::fread(out.Get(), 1, static_cast<size_t>(count), file.get()) != static_cast<size_t>(count)) out.Resize(0);
}

// The resource file the context's lookup finds, read as ReadWholeFile does.
TypedBuf<uint8_t> ReadResourceFile(const IGraphics& graphics, const char* name, const char* type, size_t maxBytes) {
  TypedBuf<uint8_t> contents;
  StrBuf path;
  if (FindResourcePath(name, type, path, graphics.BundleIdentifier(), graphics.PlatformModuleHandle(),
                       graphics.GetSharedResourcesSubPath()))
    ReadWholeFile(path.Get(), contents, maxBytes);
  return contents;
}

}  // namespace

// The caches' users -----------------------------------------------------------------

void IGraphics::RetainResourceCaches() {
  StaticStorage<APIBitmap>::Accessor bitmaps(BitmapCache());
  StaticStorage<SvgImage>::Accessor svgs(SvgCache());
  bitmaps->Retain();
  svgs->Retain();
}

void IGraphics::ReleaseResourceCaches() {
  StaticStorage<APIBitmap>::Accessor bitmaps(BitmapCache());
  StaticStorage<SvgImage>::Accessor svgs(SvgCache());
  bitmaps->Release();
  svgs->Release();
}

APIBitmap* IGraphics::FindCachedBitmap(StaticStorage<APIBitmap>& storage, const char* name, double scale) {
  return storage.Find(name, scale);
}

bool IGraphics::AddCachedBitmap(StaticStorage<APIBitmap>& storage, std::unique_ptr<APIBitmap> bitmap,
                                const char* name, double scale) {
  return storage.Add(std::move(bitmap), name, scale);
}

APIBitmap* IGraphics::SearchBitmapInCache(StaticStorage<APIBitmap>& storage, const char* name, int targetScale,
                                          int& sourceScale) {
  for (int scale = targetScale; scale >= 1; scale = NextSearchScale(targetScale, scale)) {
    if (APIBitmap* cached = storage.Find(name, scale)) {
      sourceScale = scale;
      return cached;
    }
  }
  return nullptr;
}

// Bitmaps --------------------------------------------------------------------------

int IGraphics::WholeScreenScale() const {
  const double whole = std::ceil(static_cast<double>(mScreenScale));
  if (!(whole >= 1.0)) return 1;
  constexpr int kLargest = std::numeric_limits<int>::max();
  return whole < kLargest ? static_cast<int>(whole) : kLargest;
}

int IGraphics::SearchScaledBitmap(const char* name, const char* ext, StrBuf& fullPath, int targetScale,
                                  int& sourceScale) {
  if (!name || !*name) return 0;
  StrBuf candidate;
  for (int scale = targetScale; scale >= 1; scale = NextSearchScale(targetScale, scale)) {
    ScaledFileName(candidate, name, scale);
    if (FindResourcePath(candidate.Get(), ext, fullPath, BundleIdentifier(), PlatformModuleHandle(),
                         mSharedResourcesSubPath.Get())) {
      sourceScale = scale;
      return 1;
    }
  }
  return 0;
}

IBitmap IGraphics::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal, int targetScale) {
  if (!name) return IBitmap();
  if (targetScale <= 0) targetScale = WholeScreenScale();
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  if (APIBitmap* cached = FindCachedBitmap(*cache, name, targetScale))
    return IBitmap(cached, nStates, framesAreHorizontal, name);

  const char* ext = ExtensionOf(name);
  if (!IsSupportedBitmapExtension(ext)) return IBitmap();
  StrBuf fullPath;
  int sourceScale = targetScale;
  APIBitmap* bitmap = nullptr;
  bool decoded = false;
  if (const int location = SearchScaledBitmap(name, ext, fullPath, targetScale, sourceScale); location > 0) {
    if (sourceScale != targetScale) bitmap = FindCachedBitmap(*cache, name, sourceScale);
    if (!bitmap) {
      bitmap = LoadBitmapFromFile(fullPath.Get(), sourceScale, location, ext);
      decoded = true;
    }
  } else {
    bitmap = SearchBitmapInCache(*cache, name, targetScale, sourceScale);
  }
  return FinishBitmapLoad(bitmap, decoded, name, nStates, framesAreHorizontal, targetScale);
}

IBitmap IGraphics::LoadBitmapFromData(const char* name, const void* data, int dataSize, int nStates,
                                      bool framesAreHorizontal, int targetScale) {
  if (!name) return IBitmap();
  if (targetScale <= 0) targetScale = WholeScreenScale();
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  int sourceScale = targetScale;
  APIBitmap* bitmap = SearchBitmapInCache(*cache, name, targetScale, sourceScale);
  const bool decoded = !bitmap;
  if (decoded && data && dataSize > 0) bitmap = LoadBitmapFromMemory(name, data, dataSize, 1);
  return FinishBitmapLoad(bitmap, decoded, name, nStates, framesAreHorizontal, targetScale);
}

// A bitmap just decoded for another scale is kept under its own scale too, so
// the next load at that scale finds it instead of decoding it again.
IBitmap IGraphics::FinishBitmapLoad(APIBitmap* bitmap, bool decoded, const char* name, int nStates,
                                    bool framesAreHorizontal, int targetScale) {
  if (!bitmap || (decoded && !KeepInBitmapCache(bitmap, name))) return IBitmap();
  const IBitmap loaded(bitmap, nStates, framesAreHorizontal, name);
  if (bitmap->GetScale() != static_cast<float>(targetScale)) return ScaleBitmap(loaded, name, targetScale);
  return loaded;
}

void IGraphics::RetainBitmap(const IBitmap& bitmap, const char* cacheName) {
  if (bitmap.GetAPIBitmap()) KeepInBitmapCache(bitmap.GetAPIBitmap(), cacheName);
}

void IGraphics::ReleaseBitmap(const IBitmap& bitmap) {
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  cache->Remove(bitmap.GetAPIBitmap());
}

// The context's scales stand for the target while the layer is drawn, and
// are restored exactly afterwards (a fractional screen scale stays fractional).
IBitmap IGraphics::ScaleBitmap(const IBitmap& in, const char* name, int scale) {
  const APIBitmap* source = in.GetAPIBitmap();
  if (!source || !(source->GetDrawScale() > 0.f)) return IBitmap();
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  const float screenScale = mScreenScale;
  const float drawScale = mDrawScale;
  mScreenScale = static_cast<float>(scale);
  mDrawScale = source->GetDrawScale();
  const IRECT bounds(0.f, 0.f, static_cast<float>(in.W()) / mDrawScale, static_cast<float>(in.H()) / mDrawScale);
  PathTransformSave();
  StartLayer(nullptr, bounds, true);
  DrawBitmap(in, bounds, 0, 0, nullptr);
  ILayerPtr layer = EndLayer();
  mScreenScale = screenScale;
  mDrawScale = drawScale;
  PathTransformRestore();

  APIBitmap* scaled = layer ? layer->TakeAPIBitmap().release() : nullptr;
  if (!scaled || !KeepInBitmapCache(scaled, name)) return IBitmap();
  return IBitmap(scaled, in.N(), in.GetFramesAreHorizontal(), name);
}

IBitmap IGraphics::GetScaledBitmap(const IBitmap& src) {
  return LoadBitmap(src.GetResourceName(), src.N(), src.GetFramesAreHorizontal(), WholeScreenScale());
}

// SVG images -----------------------------------------------------------------------

ISVG IGraphics::LoadSVG(const char* name, const char* units, float dpi) {
  StaticStorage<SvgImage>::Accessor cache(SvgCache());
  if (const SvgImage* cached = cache->Find(name, kSvgCacheScale)) return ISVG(cached);
  // A file the reader would refuse is not read at all.
  const TypedBuf<uint8_t> file = ReadResourceFile(*this, name, kSvgResourceType, kMaxSvgDocumentBytes);
  if (file.GetSize() == 0) return ISVG();
  return LoadSVGFromData(name, reinterpret_cast<const char*>(file.Get()), file.GetSize(), units, dpi);
}

ISVG IGraphics::LoadSVGFromData(const char* name, const char* data, int dataSize, const char* units, float dpi) {
  StaticStorage<SvgImage>::Accessor cache(SvgCache());
  if (const SvgImage* cached = cache->Find(name, kSvgCacheScale)) return ISVG(cached);
  if (!data) return ISVG();
  const size_t length = dataSize >= 1 ? strnlen(data, static_cast<size_t>(dataSize)) : std::strlen(data);
  std::unique_ptr<SvgImage> image = ParseSvg(std::string_view(data, length), units, dpi);
  const SvgImage* parsed = image.get();
  if (!image || !cache->Add(std::move(image), name, kSvgCacheScale)) return ISVG();
  return ISVG(parsed);
}

// Files and backgrounds ------------------------------------------------------------

TypedBuf<uint8_t> IGraphics::LoadResourceFile(const char* name, const char* type) {
  return ReadResourceFile(*this, name, type, std::numeric_limits<size_t>::max());
}

IControl* IGraphics::AttachBitmapBackground(const char* fileName) {
  return InsertBackground(new IBitmapControl(0.f, 0.f, LoadBitmap(fileName, kBackgroundFrames, false, 0)));
}

IControl* IGraphics::AttachSVGBackground(const char* fileName) {
  const IRECT bounds(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight));
  return InsertBackground(new ISVGControl(bounds, LoadSVG(fileName, kBackgroundSvgUnits, kBackgroundSvgDpi)));
}

}  // namespace plugkit::graphics
