#pragma once

// A layer: the surface a layer-backed view shows. Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace CA {

class NS_CLASS_EXPORT Layer : public NS::Object {
public:
  // Made with new, holding one reference for the caller: an empty frame,
  // contents scale 1, not opaque.
  Layer() = default;

  // In the coordinates of the view's superview; a backing layer follows its view's frame.
  NS::Rect frame() const { return frame_; }
  void setFrame(const NS::Rect& frame) { frame_ = frame; }
  // Pixels per point; a backing layer follows its window's backing scale.
  NS::CGFloat contentsScale() const { return contentsScale_; }
  void setContentsScale(NS::CGFloat scale) { contentsScale_ = scale; }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }

protected:
  ~Layer() override = default;

private:
  NS::Rect frame_{};
  NS::CGFloat contentsScale_ = 1.0;
  bool opaque_ = false;
};

}  // namespace CA
