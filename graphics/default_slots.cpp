// What a context answers where neither the renderer nor the platform
// overrides a slot, and font loading through the platform and the back end.
#include <utility>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {
constexpr const char* kUnsupportedTextBlock = "Unsupported";
}  // namespace

void IGraphics::DrawTextBlock(const IText& text, const char*, const IRECT& bounds, const IBlend* blend) {
  DrawText(text, kUnsupportedTextBlock, bounds, blend);
}

int IGraphics::SetCursor(int kind) { return std::exchange(mCursorType, kind); }

bool IGraphics::LoadFont(const char* fontID, const char* fileNameOrResID) {
  return LoadPlatformFont(fontID, LoadPlatformFontFromResource(fontID, fileNameOrResID));
}

bool IGraphics::LoadFontData(const char* fontID, const void* data, int dataSize) {
  return LoadPlatformFont(fontID, LoadPlatformFontFromData(fontID, data, dataSize));
}

bool IGraphics::LoadFontByName(const char* fontID, const char* fontName, ETextStyle style) {
  return LoadPlatformFont(fontID, LoadPlatformFontByName(fontID, fontName, style));
}

// The back end takes the font for drawing; only a font it took is cached. Our
// handle goes when this returns, whatever happened.
bool IGraphics::LoadPlatformFont(const char* fontID, PlatformFontPtr font) {
  if (!font) return false;
  const bool loaded = LoadFontFromMemory(fontID, *font);
  if (loaded) CachePlatformFont(fontID, *font);
  return loaded;
}

}  // namespace plugkit::graphics
