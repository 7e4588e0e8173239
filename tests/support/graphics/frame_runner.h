#pragma once

// Driving frames the way the platform's frame timer does, and seeing what
// each control drew with.

#include <string>
#include <vector>

#include "graphics/control.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::testing {

// A control that, when drawn, notes "<name> clip=<clip rectangle>
// transform=(xx,yx,xy,yy,tx,ty)" in the recording graphics' call log.
class ProbeControl : public graphics::IControl {
public:
  ProbeControl(const graphics::IRECT& bounds, std::string name) : IControl(bounds), mName(std::move(name)) {}
  void Draw(graphics::IGraphics& g) override;

private:
  std::string mName;
};

struct FrameResult {
  std::vector<graphics::IRECT> dirty;  // as IsDirty collected them
  std::vector<graphics::IRECT> drawn;  // the regions DrawRects drew
  std::vector<std::string> order;      // the probes, in the order they drew
};

// IsDirty; when it answers true, SetAllControlsClean and DrawRects.
FrameResult RunFrame(RecordingGraphics& g);

}  // namespace plugkit::testing
