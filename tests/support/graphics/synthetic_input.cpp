#include "support/graphics/synthetic_input.h"

#include <cctype>

namespace plugkit::testing {

using graphics::IMouseInfo;
using graphics::IMouseMod;

std::vector<IMouseInfo> SyntheticInput::Point(float x, float y, float dX, float dY, const IMouseMod& mod) {
  mGraphics.StoreCursorPosition(x, y);
  return {IMouseInfo{x, y, dX, dY, mod}};
}

std::vector<IMouseInfo> SyntheticInput::Points(const std::vector<Touch>& touches) {
  std::vector<IMouseInfo> points;
  for (const Touch& touch : touches) {
    IMouseMod mod = kLeftButton;
    mod.touchID = touch.id;
    points.push_back(IMouseInfo{touch.x, touch.y, touch.dX, touch.dY, mod});
  }
  if (!touches.empty()) mGraphics.StoreCursorPosition(touches.back().x, touches.back().y);
  return points;
}

void SyntheticInput::Down(float x, float y, const IMouseMod& mod) { mGraphics.OnMouseDown(Point(x, y, 0.f, 0.f, mod)); }

void SyntheticInput::Up(float x, float y, const IMouseMod& mod) { mGraphics.OnMouseUp(Point(x, y, 0.f, 0.f, mod)); }

void SyntheticInput::DragTo(float x, float y, const IMouseMod& mod) {
  float lastX = 0.f;
  float lastY = 0.f;
  mGraphics.StoredCursorPosition(lastX, lastY);
  mGraphics.OnMouseDrag(Point(x, y, x - lastX, y - lastY, mod));
}

void SyntheticInput::Click(float x, float y, const IMouseMod& mod) {
  Down(x, y, mod);
  Up(x, y, mod);
}

bool SyntheticInput::DoubleClick(float x, float y, const IMouseMod& mod) {
  mGraphics.StoreCursorPosition(x, y);
  const bool handled = mGraphics.OnMouseDoubleClick(x, y, mod);
  Up(x, y, mod);
  return handled;
}

bool SyntheticInput::Hover(float x, float y) {
  mGraphics.StoreCursorPosition(x, y);
  return mGraphics.OnMouseOver(x, y, kNoButton);
}

bool SyntheticInput::Wheel(float x, float y, float delta, const IMouseMod& mod) {
  mGraphics.StoreCursorPosition(x, y);
  return mGraphics.OnMouseWheel(x, y, mod, delta);
}

bool SyntheticInput::KeyDown(const IKeyPress& key) {
  float x = 0.f;
  float y = 0.f;
  mGraphics.StoredCursorPosition(x, y);
  return mGraphics.OnKeyDown(x, y, key);
}

bool SyntheticInput::KeyUp(const IKeyPress& key) {
  float x = 0.f;
  float y = 0.f;
  mGraphics.StoredCursorPosition(x, y);
  return mGraphics.OnKeyUp(x, y, key);
}

IKeyPress SyntheticInput::Letter(char letter) {
  const char text[2] = {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), '\0'};
  return IKeyPress(text, std::toupper(static_cast<unsigned char>(letter)));
}

void SyntheticInput::TouchesDown(const std::vector<Touch>& touches) { mGraphics.OnMouseDown(Points(touches)); }

void SyntheticInput::TouchesUp(const std::vector<Touch>& touches) { mGraphics.OnMouseUp(Points(touches)); }

void SyntheticInput::TouchesDrag(const std::vector<Touch>& touches) { mGraphics.OnMouseDrag(Points(touches)); }

void SyntheticInput::TouchesCancelled(const std::vector<Touch>& touches) {
  mGraphics.OnTouchCancelled(Points(touches));
}

}  // namespace plugkit::testing
