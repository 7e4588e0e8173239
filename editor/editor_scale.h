#pragma once

// The editor is laid out for its default size and drawn in proportion at any
// other: sizes written for the default size are multiplied by the scale.

#include <algorithm>

#include "graphics/graphics_types.h"
#include "plugin/orvane.h"

namespace orvane {

// Below this, text would no longer be drawable in a squeezed window.
inline constexpr float kSmallestEditorScale = 0.1f;

// The smaller of the width and height ratios of the editor's rectangle to the
// default size, so the design fits both ways.
inline float EditorScale(const plugkit::graphics::IRECT& editor) {
  return std::min(editor.W() / static_cast<float>(kOrvaneEditorWidth),
                  editor.H() / static_cast<float>(kOrvaneEditorHeight));
}

inline float FlooredEditorScale(const plugkit::graphics::IRECT& editor) {
  return std::max(EditorScale(editor), kSmallestEditorScale);
}

}  // namespace orvane
