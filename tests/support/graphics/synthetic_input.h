#pragma once

#include <cstdint>
#include <vector>

#include "graphics/graphics_context.h"

namespace plugkit::testing {

inline constexpr graphics::IMouseMod kLeftButton{true, false};
inline constexpr graphics::IMouseMod kRightButton{false, true};
inline constexpr graphics::IMouseMod kNoButton{false, false};

// Drives a graphics context as the platform view does: every pointer call
// stores the cursor position, builds the IMouseInfo list and calls the
// context's entry point; keys go in at the position stored last. Editor units.
class SyntheticInput {
public:
  // One finger of a touch event; the mouse is touch 0.
  struct Touch {
    uint64_t id = 0;
    float x = 0.f;
    float y = 0.f;
    float dX = 0.f;
    float dY = 0.f;
  };

  explicit SyntheticInput(graphics::IGraphics& graphics) : mGraphics(graphics) {}

  void Down(float x, float y, const graphics::IMouseMod& mod = kLeftButton);
  void Up(float x, float y, const graphics::IMouseMod& mod = kLeftButton);
  // The move is measured from the position stored last.
  void DragTo(float x, float y, const graphics::IMouseMod& mod = kLeftButton);
  void Click(float x, float y, const graphics::IMouseMod& mod = kLeftButton);
  void RightClick(float x, float y) { Click(x, y, kRightButton); }
  // The second press of a quick pair, then its release.
  bool DoubleClick(float x, float y, const graphics::IMouseMod& mod = kLeftButton);
  bool Hover(float x, float y);
  void Out() { mGraphics.OnMouseOut(); }
  bool Wheel(float x, float y, float delta, const graphics::IMouseMod& mod = kNoButton);

  bool KeyDown(const IKeyPress& key);
  bool KeyUp(const IKeyPress& key);
  // A letter key as the platform reports it: code upper case, text lower case.
  static IKeyPress Letter(char letter);

  // Touches, all in one event.
  void TouchesDown(const std::vector<Touch>& touches);
  void TouchesUp(const std::vector<Touch>& touches);
  void TouchesDrag(const std::vector<Touch>& touches);
  void TouchesCancelled(const std::vector<Touch>& touches);

private:
  std::vector<graphics::IMouseInfo> Points(const std::vector<Touch>& touches);
  std::vector<graphics::IMouseInfo> Point(float x, float y, float dX, float dY, const graphics::IMouseMod& mod);

  graphics::IGraphics& mGraphics;
};

}  // namespace plugkit::testing
