#pragma once

// Path building. Between vcBeginPath and fill or stroke the caller describes
// sub-paths; they are recorded in the context's command buffer already
// transformed by the state transform, so later transform changes do not move
// them. Each command is its code as a float followed by its operands.
//
// Threads: the thread that drives the context.

struct VCcontext;

// Command codes of the buffer, each followed by the operands named beside it.
enum VCcommand : int {
  VC_MOVETO = 0,    // x, y
  VC_LINETO = 1,    // x, y
  VC_BEZIERTO = 2,  // c1x, c1y, c2x, c2y, x, y
  VC_CLOSE = 3,
  VC_WINDING = 4,  // VCwinding
};

// Winding of a sub-path and direction of an arc.
enum VCwinding : int {
  VC_CCW = 1,  // solid shapes
  VC_CW = 2,   // holes
};

// Control-point distance of a cubic quarter circle, per unit radius.
inline constexpr float VC_KAPPA90 = 0.5522848f;
// Vectors shorter than this have no direction.
inline constexpr float VC_MIN_VECTOR_LENGTH = 1e-6f;

// Empties the command buffer and the path cache.
void vcBeginPath(VCcontext* ctx);
void vcMoveTo(VCcontext* ctx, float x, float y);
void vcLineTo(VCcontext* ctx, float x, float y);
void vcBezierTo(VCcontext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y);
// A quadratic curve from the last point, as a cubic.
void vcQuadTo(VCcontext* ctx, float cx, float cy, float x, float y);
void vcClosePath(VCcontext* ctx);
void vcPathWinding(VCcontext* ctx, int dir);
// A circular arc from angle a0 to a1 (radians) in direction `dir`, joined to
// the path by a line; nothing when any argument is not finite.
void vcArc(VCcontext* ctx, float cx, float cy, float r, float a0, float a1, int dir);
// An arc of `radius` tangent to the lines from the last point to (x1, y1) and
// from there to (x2, y2); nothing on an empty path.
void vcArcTo(VCcontext* ctx, float x1, float y1, float x2, float y2, float radius);
void vcRect(VCcontext* ctx, float x, float y, float w, float h);
void vcRoundedRect(VCcontext* ctx, float x, float y, float w, float h, float r);
void vcRoundedRectVarying(VCcontext* ctx, float x, float y, float w, float h, float radTopLeft, float radTopRight,
                          float radBottomRight, float radBottomLeft);
void vcEllipse(VCcontext* ctx, float cx, float cy, float rx, float ry);
void vcCircle(VCcontext* ctx, float cx, float cy, float r);

// Prints the flattened paths and their fill and stroke vertices to standard
// output, for debugging.
void vcDebugDumpPathCache(VCcontext* ctx);

// Appends commands, transforming their points; dropped when the buffer
// cannot grow.
void vc__appendCommands(VCcontext* ctx, float* vals, int nvals);
// Whether two points lie closer than tol.
bool vc__ptEquals(float x1, float y1, float x2, float y2, float tol);
// Normalises the vector unless it is shorter than VC_MIN_VECTOR_LENGTH; its length.
float vc__normalize(float* x, float* y);
