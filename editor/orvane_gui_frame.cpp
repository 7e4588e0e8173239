// The editor's drawing frame: background, header, the view's middle part and
// the footer, laid out in proportion to the control's rectangle with the text
// styles of this frame.

#include <algorithm>

#include "editor/editor_colours.h"
#include "editor/editor_scale.h"
#include "editor/header_grid.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_gui_control.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;

// Text sizes and the footer's gap at the default size; the margin is a share
// of the width.
constexpr float kTitleTextSize = 13.f;
constexpr float kSmallTextSize = 12.f;
constexpr float kLabelTextSize = 14.f;
constexpr float kGapPerScale = 16.f;
constexpr float kMarginShare = 0.008f;

IText EditorText(float size, std::size_t entry, EAlign align) {
  return IText(size, PaletteColor(entry), kEditorFontRegular, align, EVAlign::Middle);
}

}  // namespace

void OrvaneGUIControl::Draw(IGraphics& g) {
  // The player panel refills what it draws; whatever it does not draw this
  // frame must not catch clicks.
  mPlayerPanelRect = IRECT();
  ForgetPlayerHitRects();

  const IRECT editor = GetRECT();
  g.FillRect(PaletteColor(kPaletteBackground), editor);
  const float headerHeight = std::min(editor.W() * kHeaderWidthShare, editor.H() * kHeaderHeightShare);
  DrawHeader(g, editor, headerHeight);

  // The header has its own height; the rest keeps text drawable in a squeezed window.
  const float scale = FlooredEditorScale(editor);
  const IText titleStyle = EditorText(kTitleTextSize * scale, kPaletteMainText, EAlign::Center);
  const IText smallStyle = EditorText(kSmallTextSize * scale, kPaletteSecondaryText, EAlign::Near);
  const IText labelStyleA = EditorText(kLabelTextSize * scale, kPaletteMainText, EAlign::Near);
  const IText labelStyleB = labelStyleA;
  const float gap = kGapPerScale * scale;
  const float margin = kMarginShare * editor.W();

  if (mPlayerView)
    DrawUserControlsPanel(g, editor, labelStyleB, headerHeight, gap, margin);
  else
    DrawMainPanel(g, editor, headerHeight, gap, margin, labelStyleA, labelStyleB, smallStyle, titleStyle);
  DrawVersionLine(g, editor, gap, margin, scale);
}

}  // namespace orvane
