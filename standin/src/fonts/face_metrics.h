#pragma once

// What text layout reads of a face: its vertical metrics and the advances of
// characters, in ems so that any point size scales them. Any thread.

#include <optional>
#include <string>
#include <vector>

#include "fonts/free_type.h"

struct CTFontDescriptorObject;

namespace standin::fonts {

struct FaceMetrics {
  double ascender;   // above the baseline, positive
  double descender;  // below it, negative
  double lineGap;    // between one line's descender and the next one's ascender
};

// Nothing when the face cannot be opened or has no outlines to scale.
std::optional<FaceMetrics> ReadFaceMetrics(const FaceSource& source);

// The advance of each code point; the face's missing glyph stands in for one
// it lacks. Empty when the face cannot be opened.
std::vector<double> ReadAdvances(const FaceSource& source, const std::u32string& text);

// Where the descriptor's face lies: the bytes of its provider, else the file
// of its URL, else the first installed face of its family and style; nothing
// when it names no face.
std::optional<FaceSource> FaceOfDescriptor(const CTFontDescriptorObject& descriptor);

}  // namespace standin::fonts
