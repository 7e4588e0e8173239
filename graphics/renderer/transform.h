#pragma once

// 2x3 affine transforms [a b c d e f], mapping x' = a x + c y + e and
// y' = b x + d y + f, and the transform of the context's top state.
//
// Threads: the transform functions any; the state transforms the thread that
// drives the context.

struct VCcontext;

inline constexpr float VC_PI = 3.1415927f;

void vcTransformIdentity(float* t);
void vcTransformTranslate(float* t, float tx, float ty);
void vcTransformScale(float* t, float sx, float sy);
void vcTransformRotate(float* t, float angle);
void vcTransformSkewX(float* t, float angle);
void vcTransformSkewY(float* t, float angle);
// t becomes t followed by s.
void vcTransformMultiply(float* t, const float* s);
// t becomes s followed by t.
void vcTransformPremultiply(float* t, const float* s);
// 1 and the inverse; 0 and the identity when t is singular (|det| < 1e-6).
int vcTransformInverse(float* inv, const float* t);
void vcTransformPoint(float* dx, float* dy, const float* t, float x, float y);

// The mean of the lengths the transform gives the two unit axes.
float vc__getAverageScale(const float* t);

float vcDegToRad(float deg);
float vcRadToDeg(float rad);

// Each acts on points before the state's transform, in the current local
// coordinates. Angles in radians.
void vcTransform(VCcontext* ctx, float a, float b, float c, float d, float e, float f);
void vcTranslate(VCcontext* ctx, float x, float y);
void vcRotate(VCcontext* ctx, float angle);
void vcSkewX(VCcontext* ctx, float angle);
void vcSkewY(VCcontext* ctx, float angle);
void vcScale(VCcontext* ctx, float x, float y);
void vcResetTransform(VCcontext* ctx);
// Copies the six floats when `xform` is not null.
void vcCurrentTransform(VCcontext* ctx, float* xform);
