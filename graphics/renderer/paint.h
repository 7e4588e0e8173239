#pragma once

// Paints, the scissor and the composite operations of the top state.
//
// Threads: the thread that drives the context.

#include "graphics/renderer/render_backend.h"

struct VCcontext;

// vcGlobalCompositeOperation; any other value (read unsigned) is VC_COPY.
enum VCcompositeOperation : int {
  VC_SOURCE_OVER = 0,
  VC_SOURCE_IN = 1,
  VC_SOURCE_OUT = 2,
  VC_ATOP = 3,
  VC_DESTINATION_OVER = 4,
  VC_DESTINATION_IN = 5,
  VC_DESTINATION_OUT = 6,
  VC_DESTINATION_ATOP = 7,
  VC_LIGHTER = 8,
  VC_COPY = 9,
  VC_XOR = 10,
};

// Gradients along a line, about a centre and about a rounded box (x, y, w, h
// with corner r, feathered over f), from the inner colour to the outer one,
// and an image pattern of size (ex, ey) at (ox, oy) rotated by `angle`.
// Coordinates are those current when the paint is set (vcFillPaint).
VCpaint vcLinearGradient(VCcontext* ctx, float sx, float sy, float ex, float ey, VCcolor icol, VCcolor ocol);
VCpaint vcRadialGradient(VCcontext* ctx, float cx, float cy, float inr, float outr, VCcolor icol, VCcolor ocol);
VCpaint vcBoxGradient(VCcontext* ctx, float x, float y, float w, float h, float r, float f, VCcolor icol,
                      VCcolor ocol);
VCpaint vcImagePattern(VCcontext* ctx, float ox, float oy, float ex, float ey, float angle, int image, float alpha);

void vcFillColor(VCcontext* ctx, VCcolor color);
void vcStrokeColor(VCcontext* ctx, VCcolor color);
// The paint takes the state transform of this moment.
void vcFillPaint(VCcontext* ctx, VCpaint paint);
void vcStrokePaint(VCcontext* ctx, VCpaint paint);

// Clips drawing to a rectangle in the current coordinates; negative sizes
// are 0.
void vcScissor(VCcontext* ctx, float x, float y, float w, float h);
// The axis-aligned intersection, in the current coordinates, of the current
// scissor and a rectangle; a disjoint one clips everything.
void vcIntersectScissor(VCcontext* ctx, float x, float y, float w, float h);
void vcResetScissor(VCcontext* ctx);

void vcGlobalCompositeOperation(VCcontext* ctx, int op);
// VCblendFactor bits, not checked.
void vcGlobalCompositeBlendFunc(VCcontext* ctx, int sfactor, int dfactor);
void vcGlobalCompositeBlendFuncSeparate(VCcontext* ctx, int srcRGB, int dstRGB, int srcAlpha, int dstAlpha);

// Internal steps of the context.
// A solid paint of one colour.
void vc__setPaintColor(VCpaint* paint, VCcolor color);
VCcompositeOperationState vc__compositeOperationState(int op);
// Both colours' alphas times `alpha`.
void vc__multiplyPaintAlpha(VCpaint* paint, float alpha);
