#pragma once

// The face behind an NS::Font: its metrics, and the advances text layout
// measures with. Main thread only, as AppKit.

#include <AppKit/NSFont.h>

#include <optional>
#include <string>
#include <vector>

#include "fonts/face_metrics.h"

namespace standin::appkit {

struct FontFace {
  // The descriptor's face; the fallback metrics when it names no readable one.
  explicit FontFace(const CTFontDescriptorObject& descriptor);

  // In ems.
  fonts::FaceMetrics metrics;
  // Where the face lies; nothing for the fallback.
  std::optional<fonts::FaceSource> source;

  // The face of a font.
  static const FontFace& Of(const NS::Font& font) { return *font.face_; }
};

// The advance of each code point of the text in the font, in points.
std::vector<double> Advances(const NS::Font& font, const std::u32string& text);

}  // namespace standin::appkit
