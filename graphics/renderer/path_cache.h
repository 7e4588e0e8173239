#pragma once

// The flattened form of the path being built: its points, the sub-paths over
// them and the vertices that fills and strokes expand them into. Flattening
// fills it once per built path; beginning a path empties it. Its arrays only
// grow and are reused across paths and frames, so steady drawing allocates
// nothing.
//
// Threads: the thread that drives the context.

#include "graphics/renderer/render_backend.h"

// VCpoint::flags.
enum VCpointFlags : unsigned char {
  VC_PT_CORNER = 1 << 0,
  VC_PT_LEFT = 1 << 1,
  VC_PT_BEVEL = 1 << 2,
  VC_PT_INNERBEVEL = 1 << 3,
};

inline constexpr int VC_INIT_POINTS_SIZE = 128;
inline constexpr int VC_INIT_PATHS_SIZE = 16;
inline constexpr int VC_INIT_VERTS_SIZE = 256;

struct VCpoint {
  float x, y;
  float dx, dy;  // unit direction to the next point
  float len;     // distance to the next point
  float dmx, dmy;  // extrusion at this point
  unsigned char flags;  // VCpointFlags
};

struct VCpathCache {
  VCpoint* points;
  int npoints;
  int cpoints;
  VCpath* paths;
  int npaths;
  int cpaths;
  VCvertex* verts;
  int nverts;
  int cverts;
  float bounds[4];  // min x, min y, max x, max y
};

// A cache with room for VC_INIT_* points, paths and vertices, or null.
VCpathCache* vc__allocPathCache();
// Null is ignored.
void vc__deletePathCache(VCpathCache* cache);
// No points and no paths; the arrays are kept.
void vc__clearPathCache(VCpathCache* cache);
