// The current transform and its save stack.
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

void IGraphics::SetCurrentTransform(const ITransform& transform) {
  mTransform = transform;
  SetTransform(mTransform);
}

void IGraphics::PathTransformSave() { mTransformStack.push_back(mTransform); }

void IGraphics::PathTransformRestore() {
  if (mTransformStack.empty()) return;
  const ITransform saved = mTransformStack.back();
  mTransformStack.pop_back();
  SetCurrentTransform(saved);
}

void IGraphics::PathTransformReset(bool clearStates) {
  if (clearStates) {
    mTransformStack.clear();
    mTransformStack.shrink_to_fit();
  }
  SetCurrentTransform(ITransform());
}

void IGraphics::PathTransformTranslate(float x, float y) {
  mTransform.Translate(x, y);
  SetTransform(mTransform);
}

void IGraphics::PathTransformScale(float sx, float sy) {
  mTransform.Scale(sx, sy);
  SetTransform(mTransform);
}

void IGraphics::PathTransformScale(float s) { PathTransformScale(s, s); }

void IGraphics::PathTransformRotate(float degrees) {
  mTransform.Rotate(degrees);
  SetTransform(mTransform);
}

void IGraphics::PathTransformSkew(float xDegrees, float yDegrees) {
  mTransform.Skew(xDegrees, yDegrees);
  SetTransform(mTransform);
}

void IGraphics::PathTransformMatrix(const ITransform& m) {
  mTransform.Transform(m);
  SetTransform(mTransform);
}

}  // namespace plugkit::graphics
