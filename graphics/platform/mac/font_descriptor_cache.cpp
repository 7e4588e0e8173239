#include "graphics/platform/mac/font_descriptor_cache.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "graphics/cache_key.h"

namespace plugkit::graphics {
namespace {

// Fonts are cached for the unscaled editor; text fields scale the size themselves.
constexpr double kCachedScale = 1.0;
constexpr double kFallbackHeightRatio = 1.0;

struct Entry {
  size_t keyHash;
  StrBuf name;
  double scale;
  std::unique_ptr<CoreTextFontDescriptor> data;
};

struct Cache {
  int users = 0;
  std::mutex mutex;
  PtrList<Entry> entries;
};

// Never destroyed: a host may destroy its last editor from its own static
// destructors, after ours would have run.
Cache& TheCache() {
  static Cache* cache = new Cache;
  return *cache;
}

const char* NameOrEmpty(const char* name) { return name ? name : ""; }

Entry* Find(Cache& cache, const char* name, double scale) {
  const size_t keyHash = CacheKeyHash(name, scale);
  for (int i = 0; i < cache.entries.GetSize(); ++i) {
    Entry* entry = cache.entries.Get(i);
    if (entry->keyHash == keyHash && entry->scale == scale && std::strcmp(entry->name.Get(), NameOrEmpty(name)) == 0) {
      return entry;
    }
  }
  return nullptr;
}

void Add(Cache& cache, const char* name, double scale, std::unique_ptr<CoreTextFontDescriptor> data) {
  auto entry = std::make_unique<Entry>(Entry{CacheKeyHash(name, scale), StrBuf(NameOrEmpty(name)), scale, std::move(data)});
  if (cache.entries.Add(entry.get())) entry.release();
}

// Last entry first.
void Empty(Cache& cache) {
  for (int i = cache.entries.GetSize() - 1; i >= 0; --i) cache.entries.Delete(i, true);
}

double HeightRatio(const FontData& data) {
  const int span = data.GetAscender() - data.GetDescender();
  return span > 0 ? static_cast<double>(data.GetUnitsPerEM()) / span : kFallbackHeightRatio;
}

}  // namespace

CoreTextFontDescriptor::CoreTextFontDescriptor(CTFontDescriptorRef descriptor, double heightRatio)
    : mDescriptor(static_cast<CTFontDescriptorRef>(CFRetain(descriptor))), mHeightRatio(heightRatio) {}

CoreTextFontDescriptor::~CoreTextFontDescriptor() { CFRelease(mDescriptor); }

void RetainFontDescriptorCache() {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  ++cache.users;
}

void ReleaseFontDescriptorCache() {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  if (cache.users == 0) return;
  if (--cache.users == 0) Empty(cache);
}

void CacheFontDescriptor(const char* fontID, PlatformFont& font) {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  const auto descriptor = static_cast<CTFontDescriptorRef>(font.GetDescriptor());
  if (descriptor == nullptr || Find(cache, fontID, kCachedScale)) return;
  const std::unique_ptr<FontData> data = font.GetFontData();
  if (!data) return;
  Add(cache, fontID, kCachedScale, std::make_unique<CoreTextFontDescriptor>(descriptor, HeightRatio(*data)));
}

const CoreTextFontDescriptor* FindFontDescriptor(const char* fontName, double scale) {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  const Entry* entry = Find(cache, fontName, scale);
  return entry ? entry->data.get() : nullptr;
}

}  // namespace plugkit::graphics
