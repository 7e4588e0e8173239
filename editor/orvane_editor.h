#pragma once

// The two functions the plug-in object stores with its editor delegate: the
// one that makes the editor's graphics context and the one that lays the
// editor out in it. Main thread only.

#include <array>

namespace plugkit::graphics {
class IGraphics;
}

namespace orvane {

class Orvane;

// The font identifiers of the editor's text styles: the regular and the bold
// monospaced face. The framework's default identifier also draws the regular one.
inline constexpr char kEditorFontRegular[] = "MonoFont_Large";
inline constexpr char kEditorFontBold[] = "MonoFont_Bold";

// The macOS graphics context at the delegate's remembered editor size (the
// default size for a dimension below 1), 60 frames per second, draw scale 1;
// the delegate owns it.
plugkit::graphics::IGraphics* OrvaneEditorGraphicsFactory(Orvane& plugin);

// Attaches the background, registers the editor's fonts (one that does not
// load leaves the others), attaches the editor control with every callback
// bound to the plug-in's operations and the two level meters, fills the
// editor with the live design and state, and shows the preset bar.
void OrvaneEditorLayout(Orvane& plugin, plugkit::graphics::IGraphics* graphics);

// The meters' levels in dB, input then output, as the render thread last
// stored them (read without ordering).
std::array<float, 2> OrvaneLevelSource(const Orvane& plugin);

}  // namespace orvane
