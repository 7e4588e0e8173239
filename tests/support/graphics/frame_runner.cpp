#include "support/graphics/frame_runner.h"

namespace plugkit::testing {

using namespace graphics;

void ProbeControl::Draw(IGraphics& g) {
  auto* recording = dynamic_cast<RecordingGraphics*>(&g);
  if (!recording) return;
  const ITransform& t = g.GetTransform();
  recording->Note(mName + " clip=" + FormatRect(g.GetClipRECT()) + " transform=(" + FormatNumber(t.xx) + "," +
                  FormatNumber(t.yx) + "," + FormatNumber(t.xy) + "," + FormatNumber(t.yy) + "," +
                  FormatNumber(t.tx) + "," + FormatNumber(t.ty) + ")");
}

FrameResult RunFrame(RecordingGraphics& g) {
  FrameResult result;
  IRECTList rects;
  if (!g.IsDirty(rects)) return result;
  for (int i = 0; i < rects.Size(); ++i) result.dirty.push_back(rects.Get(i));
  g.SetAllControlsClean();
  const size_t first = g.Calls().size();
  g.DrawRects(rects);
  for (size_t i = first; i < g.Calls().size(); ++i) {
    const RecordedCall& call = g.Calls()[i];
    if (call.kind == "Draw") result.drawn.push_back(*call.rect);
    // "Note <name> clip=..."
    if (call.kind == "Note") result.order.push_back(call.line.substr(5, call.line.find(' ', 5) - 5));
  }
  return result;
}

}  // namespace plugkit::testing
