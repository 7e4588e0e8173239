#include "graphics/renderer/transform.h"

#include <cmath>
#include <cstring>

#include "graphics/renderer/vector_context.h"

namespace {

constexpr double kSingularDeterminant = 1e-6;
constexpr float kHalfTurnDegrees = 180.0f;

void Premultiply(VCcontext* ctx, const float* t) { vcTransformPremultiply(vc__getState(ctx)->xform, t); }

}  // namespace

void vcTransformIdentity(float* t) {
  t[0] = 1.0f;
  t[1] = 0.0f;
  t[2] = 0.0f;
  t[3] = 1.0f;
  t[4] = 0.0f;
  t[5] = 0.0f;
}

void vcTransformTranslate(float* t, float tx, float ty) {
  vcTransformIdentity(t);
  t[4] = tx;
  t[5] = ty;
}

void vcTransformScale(float* t, float sx, float sy) {
  vcTransformIdentity(t);
  t[0] = sx;
  t[3] = sy;
}

void vcTransformRotate(float* t, float angle) {
  const float cs = std::cos(angle);
  const float sn = std::sin(angle);
  vcTransformIdentity(t);
  t[0] = cs;
  t[1] = sn;
  t[2] = -sn;
  t[3] = cs;
}

void vcTransformSkewX(float* t, float angle) {
  vcTransformIdentity(t);
  t[2] = std::tan(angle);
}

void vcTransformSkewY(float* t, float angle) {
  vcTransformIdentity(t);
  t[1] = std::tan(angle);
}

void vcTransformMultiply(float* t, const float* s) {
  const float t0 = t[0] * s[0] + t[1] * s[2];
  const float t2 = t[2] * s[0] + t[3] * s[2];
  const float t4 = t[4] * s[0] + t[5] * s[2] + s[4];
  t[1] = t[0] * s[1] + t[1] * s[3];
  t[3] = t[2] * s[1] + t[3] * s[3];
  t[5] = t[4] * s[1] + t[5] * s[3] + s[5];
  t[0] = t0;
  t[2] = t2;
  t[4] = t4;
}

void vcTransformPremultiply(float* t, const float* s) {
  float s2[6];
  std::memcpy(s2, s, sizeof(s2));
  vcTransformMultiply(s2, t);
  std::memcpy(t, s2, sizeof(s2));
}

int vcTransformInverse(float* inv, const float* t) {
  const double det = double(t[0]) * t[3] - double(t[2]) * t[1];
  if (det > -kSingularDeterminant && det < kSingularDeterminant) {
    vcTransformIdentity(inv);
    return 0;
  }
  const double invdet = 1.0 / det;
  inv[0] = float(t[3] * invdet);
  inv[2] = float(-t[2] * invdet);
  inv[4] = float((double(t[2]) * t[5] - double(t[3]) * t[4]) * invdet);
  inv[1] = float(-t[1] * invdet);
  inv[3] = float(t[0] * invdet);
  inv[5] = float((double(t[1]) * t[4] - double(t[0]) * t[5]) * invdet);
  return 1;
}

void vcTransformPoint(float* dx, float* dy, const float* t, float x, float y) {
  *dx = x * t[0] + y * t[2] + t[4];
  *dy = x * t[1] + y * t[3] + t[5];
}

float vc__getAverageScale(const float* t) {
  const float sx = std::sqrt(t[0] * t[0] + t[2] * t[2]);
  const float sy = std::sqrt(t[1] * t[1] + t[3] * t[3]);
  return (sx + sy) * 0.5f;
}

float vcDegToRad(float deg) { return deg / kHalfTurnDegrees * VC_PI; }

float vcRadToDeg(float rad) { return rad / VC_PI * kHalfTurnDegrees; }

void vcTransform(VCcontext* ctx, float a, float b, float c, float d, float e, float f) {
  const float t[6] = {a, b, c, d, e, f};
  Premultiply(ctx, t);
}

void vcTranslate(VCcontext* ctx, float x, float y) {
  float t[6];
  vcTransformTranslate(t, x, y);
  Premultiply(ctx, t);
}

void vcRotate(VCcontext* ctx, float angle) {
  float t[6];
  vcTransformRotate(t, angle);
  Premultiply(ctx, t);
}

void vcSkewX(VCcontext* ctx, float angle) {
  float t[6];
  vcTransformSkewX(t, angle);
  Premultiply(ctx, t);
}

void vcSkewY(VCcontext* ctx, float angle) {
  float t[6];
  vcTransformSkewY(t, angle);
  Premultiply(ctx, t);
}

void vcScale(VCcontext* ctx, float x, float y) {
  float t[6];
  vcTransformScale(t, x, y);
  Premultiply(ctx, t);
}

void vcResetTransform(VCcontext* ctx) { vcTransformIdentity(vc__getState(ctx)->xform); }

void vcCurrentTransform(VCcontext* ctx, float* xform) {
  if (xform) std::memcpy(xform, vc__getState(ctx)->xform, sizeof(float) * 6);
}
