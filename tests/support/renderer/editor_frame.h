#pragma once

#include "graphics/renderer/vector_context.h"

// The representative editor frame: the drawing load of one full redraw of the
// product editor, made through the vector core alone so that any back end can
// be measured and checked on it. At 1392 x 783 points it draws a full-window
// fill; 24 rounded panels (about 1 Mpx) with gradient fills, 1-px outlines and
// drop shadows; 40 knobs (a disc, a 3-px arc with round caps, a pointer); 5
// plots, each a 20-line grid and two 1000-point curves with round joins; 120
// labels of 12 characters at 11, 13 and 16 px; a 200 x 60 image pattern; and
// the full-window image fill that copies the frame to the screen.
namespace orvane::testing {

inline constexpr float kEditorFrameWidth = 1392.0f;
inline constexpr float kEditorFrameHeight = 783.0f;
inline constexpr int kEditorPatternWidth = 200;
inline constexpr int kEditorPatternHeight = 60;

// The scene's layout, so that the same frame can be drawn through other
// interfaces: panels in a grid, plots in the first panels, knobs and labels
// spread over the panels, and the image in the last panel.
inline constexpr int kEditorPanelCount = 24;
inline constexpr int kEditorPlotCount = 5;
inline constexpr int kEditorGridLines = 20;  // half of them across, half down
inline constexpr int kEditorCurvePoints = 1000;
inline constexpr int kEditorKnobCount = 40;
inline constexpr int kEditorLabelCount = 120;
inline constexpr float kEditorPanelRadius = 6.0f;
inline constexpr float kEditorKnobRadius = 18.0f;

struct EditorBox {
  float x, y, w, h;
};
struct EditorKnob {
  float cx, cy;
  float value;  // 0 to 1
};
struct EditorLabel {
  float x, y;  // the start of the baseline
  float size;
  const char* text;
};

EditorBox EditorPanel(int index);
EditorBox EditorPlotArea(int plot);
// Point `index` of curve 0 or 1 of a plot.
void EditorCurvePoint(int plot, int curve, int index, float& x, float& y);
EditorKnob EditorKnobAt(int index);
EditorLabel EditorLabelAt(int index);
EditorBox EditorPatternBox();

struct EditorFrameResources {
  int font = -1;    // DejaVu Sans Mono
  int pattern = 0;  // the 200 x 60 image
  int frame = 0;    // a window-sized image standing for the frame copied to the screen
};

// Loads the font and makes both images in the context; -1 or 0 where one failed.
EditorFrameResources CreateEditorFrameResources(VCcontext* ctx);

// The frame's content, between vcBeginFrame and vcEndFrame.
void DrawEditorScene(VCcontext* ctx, const EditorFrameResources& resources);
// The full-window fill with `image` that copies a frame to the screen.
void DrawFrameToScreen(VCcontext* ctx, int image);
// One whole frame at `ratio`: begin, the scene, the copy from resources.frame, end.
void DrawEditorFrame(VCcontext* ctx, const EditorFrameResources& resources, float ratio);

}  // namespace orvane::testing
