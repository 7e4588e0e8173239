#include "graphics/container_base.h"

#include <algorithm>
#include <utility>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

IContainerBase::IContainerBase(const IRECT& bounds, AttachFunc attachFunc, ResizeFunc resizeFunc)
    : IControl(bounds), mAttachFunc(std::move(attachFunc)), mResizeFunc(std::move(resizeFunc)) {
  SetIgnoreMouse(true);
}

void IContainerBase::OnAttached() {
  if (mAttachFunc) mAttachFunc(this, GetRECT());
  OnResize();
}

void IContainerBase::OnResize() {
  if (mResizeFunc && !mChildren.empty()) mResizeFunc(this, GetRECT());
}

void IContainerBase::Hide(bool hide) {
  IControl::Hide(hide);
  ForAllChildren([hide](int, IControl* child) { child->Hide(hide); });
}

void IContainerBase::SetDisabled(bool disable) {
  IControl::SetDisabled(disable);
  ForAllChildren([disable](int, IControl* child) { child->SetDisabled(disable); });
}

IControl* IContainerBase::AddChildControl(IControl* control, int tag, const char* group) {
  IGraphics* graphics = GetUI();
  if (!control || !graphics) return nullptr;
  control->SetParent(this);
  if (!graphics->AttachControl(control, tag, group)) {
    control->SetParent(nullptr);
    return nullptr;
  }
  mChildren.push_back(control);
  return control;
}

void IContainerBase::ForgetChild(const IControl* child) { std::erase(mChildren, child); }

void IContainerBase::ForAllChildren(const std::function<void(int index, IControl* child)>& func) {
  for (size_t i = 0; i < mChildren.size(); ++i) func(static_cast<int>(i), mChildren[i]);
}

IControl* IContainerBase::GetChild(int index) const {
  return index >= 0 && index < NChildren() ? mChildren[static_cast<size_t>(index)] : nullptr;
}

}  // namespace plugkit::graphics
