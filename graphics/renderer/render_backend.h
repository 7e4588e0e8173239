#pragma once

// The table through which the vector core hands finished geometry to a render
// back end, and the plain records that cross it. The core never touches a
// device; any back end that fills a VCparams (Metal, or one that only records
// the calls) runs it unchanged.
//
// Threads: every operation is called on the thread that drives the context
// (the main thread), never two at once.

// Blend factors of VCcompositeOperationState, one bit each; the back end maps
// each bit to its device's factor.
enum VCblendFactor : int {
  VC_ZERO = 1 << 0,
  VC_ONE = 1 << 1,
  VC_SRC_COLOR = 1 << 2,
  VC_ONE_MINUS_SRC_COLOR = 1 << 3,
  VC_DST_COLOR = 1 << 4,
  VC_ONE_MINUS_DST_COLOR = 1 << 5,
  VC_SRC_ALPHA = 1 << 6,
  VC_ONE_MINUS_SRC_ALPHA = 1 << 7,
  VC_DST_ALPHA = 1 << 8,
  VC_ONE_MINUS_DST_ALPHA = 1 << 9,
  VC_SRC_ALPHA_SATURATE = 1 << 10,
};

// Pixel formats of renderCreateTexture.
enum VCtextureType : int {
  VC_TEXTURE_ALPHA = 1,  // one byte per pixel: the font atlas
  VC_TEXTURE_RGBA = 2,   // four bytes per pixel: decoded images
};

// Image flags: passed from the image operations to renderCreateTexture
// unchanged; only the back end reads them.
enum VCimageFlags : int {
  VC_IMAGE_GENERATE_MIPMAPS = 1 << 0,
  VC_IMAGE_REPEATX = 1 << 1,
  VC_IMAGE_REPEATY = 1 << 2,
  VC_IMAGE_FLIPY = 1 << 3,
  VC_IMAGE_PREMULTIPLIED = 1 << 4,
  VC_IMAGE_NEAREST = 1 << 5,
  VC_IMAGE_NODELETE = 1 << 16,  // the texture is owned elsewhere
};

// Flags a back end is created with.
enum VCcreateFlags : int {
  VC_ANTIALIAS = 1 << 0,
  VC_STENCIL_STROKES = 1 << 1,
  VC_DEBUG = 1 << 2,
  VC_DOUBLE_BUFFER = 1 << 12,
  VC_TRIPLE_BUFFER = 1 << 13,
};

// Non-premultiplied colour, components nominally 0 to 1.
struct VCcolor {
  union {
    float rgba[4];
    struct {
      float r, g, b, a;
    };
  };
};

// What a fill, stroke or text is coloured with, evaluated per pixel by the
// back end: the distance to a rounded box of half size `extent` and corner
// `radius` in the paint's own frame blends innerColor into outerColor over
// `feather`. A solid colour has the identity transform, extent 0, radius 0,
// feather 1 and inner = outer.
struct VCpaint {
  float xform[6];
  float extent[2];
  float radius;
  float feather;
  VCcolor innerColor;
  VCcolor outerColor;
  int image;  // 0 = no image
};

// A scissor rectangle: its transform and half size; extent[0] below 0 means
// no scissor.
struct VCscissor {
  float xform[6];
  float extent[2];
};

// Blend factors, one VCblendFactor bit each.
struct VCcompositeOperationState {
  int srcRGB;
  int dstRGB;
  int srcAlpha;
  int dstAlpha;
};

// A vertex: position and, for paths, the anti-alias coverage coordinates; for
// text, texture coordinates into the font image.
struct VCvertex {
  float x, y, u, v;
};
static_assert(sizeof(VCvertex) == 16, "back ends upload vertices as four packed floats");

// One flattened sub-path with its geometry. `fill` is a triangle fan of the
// interior, `stroke` a triangle strip (a fill's fringe or a whole stroke);
// either may be empty (count 0, pointer null).
struct VCpath {
  int first;  // first point in the core's point pool; back ends ignore it
  int count;
  unsigned char closed;
  int nbevel;
  VCvertex* fill;
  int nfill;
  VCvertex* stroke;
  int nstroke;
  int winding;  // 1 counter-clockwise (solid), 2 clockwise (hole)
  int convex;
};

// The back end's table, filled by the back end and copied into the core
// context at creation. `userPtr` is passed first to every operation.
//
// Calling order: renderCreate once; per frame renderViewport, then any fills,
// strokes, triangles and texture operations, then exactly one renderFlush or
// renderCancel; texture operations may also come between frames; renderDelete
// last, after the font images were deleted. Records passed by pointer are
// valid only during the call: a back end copies what it keeps, vertex arrays
// included.
struct VCparams {
  void* userPtr;
  int edgeAntiAlias;  // non-zero: the core builds anti-alias fringes
  // Non-zero on success; 0 makes context creation fail.
  int (*renderCreate)(void* uptr);
  // An image id above 0, or 0 on failure. `data` is null or the whole image.
  int (*renderCreateTexture)(void* uptr, int type, int width, int height, int imageFlags,
                             const unsigned char* data);
  // Non-zero when the image existed.
  int (*renderDeleteTexture)(void* uptr, int image);
  // Replaces the rectangle from `data`, which addresses the whole image.
  int (*renderUpdateTexture)(void* uptr, int image, int x, int y, int width, int height,
                             const unsigned char* data);
  // Non-zero and the size written when the image exists; else 0, outputs untouched.
  int (*renderGetTextureSize)(void* uptr, int image, int* width, int* height);
  void (*renderViewport)(void* uptr, float width, float height, float devicePixelRatio);
  void (*renderCancel)(void* uptr);
  void (*renderFlush)(void* uptr);
  // bounds: min x, min y, max x, max y of every point.
  void (*renderFill)(void* uptr, const VCpaint* paint, VCcompositeOperationState compositeOperation,
                     const VCscissor* scissor, float fringe, const float* bounds, const VCpath* paths,
                     int npaths);
  void (*renderStroke)(void* uptr, const VCpaint* paint, VCcompositeOperationState compositeOperation,
                       const VCscissor* scissor, float fringe, float strokeWidth, const VCpath* paths,
                       int npaths);
  // Independent triangles (text quads, two triangles each).
  void (*renderTriangles)(void* uptr, const VCpaint* paint, VCcompositeOperationState compositeOperation,
                          const VCscissor* scissor, const VCvertex* verts, int nverts, float fringe);
  void (*renderDelete)(void* uptr);
};
