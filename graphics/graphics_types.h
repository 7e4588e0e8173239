#pragma once

#include "framework/core/key_press.h"
#include "framework/core/midi_msg.h"

// IKeyPress and IMidiMsg live in the framework, which hands them to the editor.
namespace plugkit::graphics {

// A rectangle in unscaled editor units; all four zero is the empty rectangle.
struct IRECT {
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  IRECT() = default;
  IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  float W() const { return R - L; }
  float H() const { return B - T; }
  bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }
  // Left and top edges are inside, right and bottom edges outside.
  bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  bool operator==(const IRECT&) const = default;
};

// A colour with alpha, each channel 0..255.
struct IColor {
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor&) const = default;
};

// A fill pattern. Only solid fills exist so far: one colour stop and the
// identity transform.
struct IPaint {
  IColor mColor;

  IPaint() = default;
  explicit IPaint(const IColor& color) : mColor(color) {}
};

// How drawing is composited: a composite operation and an opacity weight.
struct IBlend {
  int mMethod = 0;
  float mWeight = 1.f;
};

}  // namespace plugkit::graphics
