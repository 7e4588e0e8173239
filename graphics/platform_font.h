#pragma once

#include <cstdint>
#include <memory>

#include "graphics/font_data.h"

namespace plugkit::graphics {

// The style of an installed font looked up by family name.
enum class ETextStyle : int32_t { Normal = 0, Bold = 1, Italic = 2 };

// A font as the platform made it, from a file, from bytes or from the installed
// fonts. The graphics core only passes it from the platform to the back end.
class PlatformFont {
public:
  explicit PlatformFont(bool system) : mSystem(system) {}
  virtual ~PlatformFont() = default;
  PlatformFont(const PlatformFont&) = delete;
  PlatformFont& operator=(const PlatformFont&) = delete;

  // The platform's descriptor of the font; the font keeps it.
  virtual const void* GetDescriptor() = 0;
  // A new copy of the font's bytes; null when they cannot be had.
  virtual std::unique_ptr<FontData> GetFontData() = 0;

  // True for a font found among the installed fonts.
  bool IsSystem() const { return mSystem; }

private:
  bool mSystem;
};

using PlatformFontPtr = std::unique_ptr<PlatformFont>;

}  // namespace plugkit::graphics
