#pragma once

#include "graphics/container_base.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

class IVButtonControl;

// A button showing its parameter's display text that, once its splash has
// ended, offers the parameter's values in a menu over the button. The button
// is a child control created on attaching, in the same group; the graphics
// context owns it, and it goes when the menu button goes. The menu button
// itself draws nothing and takes no mouse. Main thread only.
class IVMenuButtonControl : public IContainerBase, public IVectorBase {
public:
  explicit IVMenuButtonControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                               const IVStyle& style = kDefaultStyle, EVShape shape = EVShape::Rectangle);
  // Removes the child from the graphics context: its animation-end function calls this control.
  ~IVMenuButtonControl() override;

  void Draw(IGraphics&) override {}
  // The child shows the chosen item; a choice on a linked parameter becomes its value.
  void OnPopupMenuSelection(IPopupMenu* menu, int valIdx) override;
  void SetValueFromHost(double value, int valIdx = 0) override;
  void SetValueFromUser(double value, int valIdx = 0) override;
  // The child takes the style with its value text centred vertically.
  void SetStyle(const IVStyle& style) override;

  // Null until attached.
  IVButtonControl* GetButton() const;

private:
  void CreateButton(EVShape shape);
  // The child's value string is the parameter's display text and unit.
  void ShowValueOnButton();
};

}  // namespace plugkit::graphics
