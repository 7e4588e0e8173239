#pragma once

// The vector-graphics context: an immediate-mode renderer. The caller builds a
// path, sets paint and style in the current state and fills, strokes or draws
// text; the core tessellates at once and hands vertex lists to the render back
// end whose table it was created with. This header holds the context and its
// state stack, creation, deletion and the frame cycle; transform.h, color.h,
// paint.h, image.h and path.h hold the rest of the interface.
//
// Threads: a context belongs to the thread that drives it (the main thread);
// it has no locks. Nothing throws: failures are return values, and a failed
// allocation drops the operation in hand.

#include "graphics/renderer/font_atlas.h"
#include "graphics/renderer/path_cache.h"
#include "graphics/renderer/render_backend.h"

// VCstate::lineCap and VCstate::lineJoin.
enum VClineCap : int {
  VC_BUTT = 0,
  VC_ROUND = 1,
  VC_SQUARE = 2,
  VC_BEVEL = 3,
  VC_MITER = 4,
};

inline constexpr int VC_MAX_STATES = 32;
inline constexpr int VC_MAX_FONTIMAGES = 4;
inline constexpr int VC_INIT_COMMANDS_SIZE = 256;
inline constexpr int VC_INIT_FONTIMAGE_SIZE = 512;
inline constexpr int VC_MAX_FONTIMAGE_SIZE = 2048;

struct VCstate {
  VCcompositeOperationState compositeOperation;
  int shapeAntiAlias;
  VCpaint fill;
  VCpaint stroke;
  float strokeWidth;
  float miterLimit;
  int lineJoin;  // VClineCap
  int lineCap;   // VClineCap
  float alpha;   // global alpha
  float xform[6];
  VCscissor scissor;
  float fontSize;
  float letterSpacing;
  float lineHeight;  // multiple of the font's line height
  float fontBlur;
  int textAlign;  // VCalign bits
  int fontId;     // -1: no font
};

struct VCcontext {
  VCparams params;
  // The path being built, already transformed (path.h); commandx, commandy
  // are its last point before the transform.
  float* commands;
  int ccommands;
  int ncommands;
  float commandx, commandy;
  VCstate states[VC_MAX_STATES];
  int nstates;
  VCpathCache* cache;
  // Tolerances of the device pixel ratio set by vcBeginFrame.
  float tessTol;
  float distTol;
  float fringeWidth;
  float devicePxRatio;
  FAcontext* fs;
  int fontImages[VC_MAX_FONTIMAGES];  // image ids of font textures; 0 = none
  int fontImageIdx;                   // the image in use
  // Counted from vcBeginFrame on.
  int drawCallCount;
  int fillTriCount;
  int strokeTriCount;
  int textTriCount;
  // Set by the font atlas when a glyph found no room; text steps clear it.
  int fontAtlasFull;
};

// Creation and deletion, by the back end. The context copies `params`; null
// when the back end, the atlas or any allocation fails (what was made is
// deleted).
VCcontext* vcCreateInternal(const VCparams* params);
// Deletes the font images, then the back end (renderDelete); null is ignored.
void vcDeleteInternal(VCcontext* ctx);

// Frames. A frame starts from one default state.
void vcBeginFrame(VCcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio);
void vcCancelFrame(VCcontext* ctx);
// Flushes, then keeps only the newest font image and the older ones at least
// as large, the newest as image 0.
void vcEndFrame(VCcontext* ctx);

// The state stack: at most VC_MAX_STATES; saves beyond and restores below one
// state are ignored.
void vcSave(VCcontext* ctx);
void vcRestore(VCcontext* ctx);
// The top state takes its default values.
void vcReset(VCcontext* ctx);

// Setters of the top state; each stores its argument unchanged.
void vcShapeAntiAlias(VCcontext* ctx, int enabled);
void vcStrokeWidth(VCcontext* ctx, float width);
void vcMiterLimit(VCcontext* ctx, float limit);
void vcLineCap(VCcontext* ctx, int cap);
void vcLineJoin(VCcontext* ctx, int join);
void vcGlobalAlpha(VCcontext* ctx, float alpha);

// The top state; a context always has one once created.
VCstate* vc__getState(VCcontext* ctx);
