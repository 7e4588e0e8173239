#include "graphics/cache_key.h"

#include <functional>
#include <string_view>

namespace plugkit::graphics {
namespace {

// Longer scale texts (absurd scales) are cut; the exact scale still tells entries apart.
constexpr int kMaxScaleTextLength = 32;

}  // namespace

void CacheKeyText(StrBuf& out, const char* name, double scale) {
  out.Set(name ? name : "");
  out.AppendFormatted(kMaxScaleTextLength, "-%.1fx", scale);
}

size_t CacheKeyHash(const char* name, double scale) {
  StrBuf key;
  CacheKeyText(key, name, scale);
  return std::hash<std::string_view>{}(key.Get());
}

}  // namespace plugkit::graphics
