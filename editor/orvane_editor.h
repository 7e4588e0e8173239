#pragma once

// The two functions the plug-in object stores with its editor delegate: the
// one that makes the editor's graphics context and the one that lays the
// editor out in it.

namespace plugkit::graphics {
class IGraphics;
}

namespace orvane {

class Orvane;

// The platform graphics context at the delegate's remembered editor size;
// null while this platform has no window-backed context, so the editor does
// not open.
plugkit::graphics::IGraphics* OrvaneEditorGraphicsFactory(Orvane& plugin);

// Attaches the background, the editor control and the two level meters,
// fills the editor with the live design and state, and shows the preset bar.
void OrvaneEditorLayout(Orvane& plugin, plugkit::graphics::IGraphics* graphics);

}  // namespace orvane
