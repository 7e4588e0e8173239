#pragma once

// Fills and strokes: the path being built is flattened into the context's path
// cache once, then expanded into vertex lists that the back end draws without
// further geometry work. Anti-aliasing is geometry: every edge gets a fringe of
// about one device pixel whose u runs from 0 outside to 1 inside (across a
// stroke, from one side to the other) and whose v is 1 on the edge and 0 at
// the outer end of a cap.
//
// Threads: the thread that drives the context.

struct VCcontext;

// Fills the path with the state's fill paint; hands the back end one fill of
// every sub-path (a fan of the interior and, with anti-aliasing, a fringe strip).
void vcFill(VCcontext* ctx);
// Strokes the path with the state's stroke paint, width, caps and joins; a
// line thinner than the fringe is drawn at the fringe's width, faded.
void vcStroke(VCcontext* ctx);

// Internal steps of the context.
// Flattens the commands into the cache unless it holds them already.
void vc__flattenPaths(VCcontext* ctx);
// Extrusions, turns and bevel flags of every point for a line of half width w.
void vc__calculateJoins(VCcontext* ctx, float w, int lineJoin, float miterLimit);
// Expands every path into a fill fan and, when w > 0, a fringe strip of width w;
// false (every path left empty) when the vertices do not fit.
bool vc__expandFill(VCcontext* ctx, float w, int lineJoin, float miterLimit);
// Expands every path into a stroke strip of half width w with a fringe of aa;
// false (every path left empty) when the vertices do not fit.
bool vc__expandStroke(VCcontext* ctx, float w, float aa, int lineCap, int lineJoin, float miterLimit);
// Room for `count` vertices at the start of the cache's vertex array, which
// grows in whole steps and never shrinks; null when it cannot grow. The cache's
// nverts then holds `count`.
struct VCvertex* vc__allocTempVerts(VCcontext* ctx, long long count);
// The number of segments of a half turn of radius r within tolerance tol.
int vc__curveDivs(float r, float arc, float tol);
