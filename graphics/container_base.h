#pragma once

#include <functional>
#include <vector>

#include "graphics/control.h"

namespace plugkit::graphics {

class IContainerBase;

// A control that groups child controls: its attach function typically creates
// and attaches them, its resize function lays them out. The graphics context
// owns the children; the container only lists them. It never takes the mouse
// itself.
class IContainerBase : public IControl {
public:
  using AttachFunc = std::function<void(IContainerBase* container, const IRECT& bounds)>;
  using ResizeFunc = std::function<void(IContainerBase* container, const IRECT& bounds)>;

  explicit IContainerBase(const IRECT& bounds, AttachFunc attachFunc = nullptr, ResizeFunc resizeFunc = nullptr);

  // Runs the attach function, then OnResize.
  void OnAttached() override;
  // Runs the resize function once there is a child to lay out.
  void OnResize() override;
  // Both apply to the container, then to each child.
  void Hide(bool hide) override;
  void SetDisabled(bool disable) override;

  // Attaches the control to the container's graphics context as a child;
  // null (the control staying the caller's) when the context refuses it or
  // the container is not attached.
  IControl* AddChildControl(IControl* control, int tag = -1, const char* group = "");
  // Takes the child off the list without touching it; the graphics context
  // calls it when it deletes the child.
  void ForgetChild(const IControl* child);
  void ForAllChildren(const std::function<void(int index, IControl* child)>& func);
  int NChildren() const { return static_cast<int>(mChildren.size()); }
  IControl* GetChild(int index) const;

private:
  AttachFunc mAttachFunc;
  ResizeFunc mResizeFunc;
  std::vector<IControl*> mChildren;
};

}  // namespace plugkit::graphics
