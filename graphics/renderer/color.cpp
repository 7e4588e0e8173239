#include "graphics/renderer/color.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kByteMax = 255.0f;
constexpr float kOneThird = 1.0f / 3.0f;
constexpr float kTwoThirds = 2.0f / 3.0f;
constexpr float kOneSixth = 1.0f / 6.0f;
constexpr float kSextants = 6.0f;

VCcolor Rgba(float r, float g, float b, float a) {
  VCcolor color;
  color.r = r;
  color.g = g;
  color.b = b;
  color.a = a;
  return color;
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// One channel of an HSL colour: h is the hue shifted for the channel.
float Hue(float h, float m1, float m2) {
  if (h < 0.0f) h += 1.0f;
  if (h > 1.0f) h -= 1.0f;
  if (h < kOneSixth) return m1 + (m2 - m1) * h * kSextants;
  if (h < 0.5f) return m2;
  if (h < kTwoThirds) return m1 + (m2 - m1) * (kTwoThirds - h) * kSextants;
  return m1;
}

}  // namespace

VCcolor vcRGB(unsigned char r, unsigned char g, unsigned char b) { return vcRGBA(r, g, b, 255); }

VCcolor vcRGBf(float r, float g, float b) { return Rgba(r, g, b, 1.0f); }

VCcolor vcRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
  return Rgba(r / kByteMax, g / kByteMax, b / kByteMax, a / kByteMax);
}

VCcolor vcTransRGBA(VCcolor c, unsigned char a) { return vcTransRGBAf(c, a / kByteMax); }

VCcolor vcTransRGBAf(VCcolor c, float a) {
  c.a = a;
  return c;
}

VCcolor vcLerpRGBA(VCcolor c0, VCcolor c1, float u) {
  u = Clamp01(u);
  const float oneMinusU = 1.0f - u;
  VCcolor color;
  for (int i = 0; i < 4; ++i) color.rgba[i] = c0.rgba[i] * oneMinusU + c1.rgba[i] * u;
  return color;
}

VCcolor vcHSL(float h, float s, float l) { return vcHSLA(h, s, l, 255); }

VCcolor vcHSLA(float h, float s, float l, unsigned char a) {
  h = std::fmod(h, 1.0f);
  if (h < 0.0f) h += 1.0f;
  s = Clamp01(s);
  l = Clamp01(l);
  const float m2 = l <= 0.5f ? l * (1 + s) : l + s - l * s;
  const float m1 = 2 * l - m2;
  return Rgba(Clamp01(Hue(h + kOneThird, m1, m2)), Clamp01(Hue(h, m1, m2)), Clamp01(Hue(h - kOneThird, m1, m2)),
                 a / kByteMax);
}
