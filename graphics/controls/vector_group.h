#pragma once

#include "common/str_buf.h"
#include "graphics/container_base.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// A labelled rounded frame around a group of other controls: its top line
// runs through the label's middle and breaks for the label. Built with a
// group name it takes its rectangle from that group's controls when
// initialised; built with bounds it is a container with the caller's attach
// and resize functions. It takes no mouse. Main thread only.
class IVGroupControl : public IContainerBase, public IVectorBase {
public:
  static constexpr float kDefaultLabelOffset = 10.f;
  static constexpr float kDefaultLabelPadding = 10.f;
  static constexpr float kDefaultPadding = 10.f;

  explicit IVGroupControl(const char* label = "", const char* groupName = "", float padL = kDefaultPadding,
                          float padT = kDefaultPadding, float padR = kDefaultPadding, float padB = kDefaultPadding,
                          const IVStyle& style = kDefaultStyle);
  IVGroupControl(const IRECT& bounds, const char* label = "", float labelOffset = kDefaultLabelOffset,
                 const IVStyle& style = kDefaultStyle, AttachFunc attachFunc = nullptr,
                 ResizeFunc resizeFunc = nullptr);

  // The label, then the frame.
  void Draw(IGraphics& g) override;
  // The frame from the label's right edge clockwise round to its left edge
  // (closed at the middle of the top without a label).
  void DrawWidget(IGraphics& g) override;
  // With a group name, takes its rectangle from the group.
  void OnInit() override;
  // The container's resize, then the frame and label laid out.
  void OnResize() override;

  // The rectangle and target become the union of the group's controls (this
  // one and empty ones left out) grown by the padding; then the layout.
  void SetBoundsBasedOnGroup(const char* groupName, float padL, float padT, float padR, float padB);

  const char* GetGroupName() const { return mGroupName.Get(); }

protected:
  // Of the frame's corners: roundness of half the widget's shorter side.
  float CornerRadius() const;

  StrBuf mGroupName;
  float mPadL = 0.f;
  float mPadT = 0.f;
  float mPadR = 0.f;
  float mPadB = 0.f;
  float mLabelOffset = kDefaultLabelOffset;
  float mLabelPadding = kDefaultLabelPadding;
};

}  // namespace plugkit::graphics
