// Flattening the command buffer into sub-paths of points, and the joins
// between their segments.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/tessellation.h"
#include "graphics/renderer/vector_context.h"

namespace {

constexpr int kMaxBezierLevel = 10;
constexpr float kMinExtrusion = 0.000001f;
constexpr float kMaxExtrusionScale = 600.0f;
constexpr float kMinInnerBevelLimit = 1.01f;
constexpr float kBoundsStart = 1e6f;

// Grows an array of `count` items to hold one more, to count + capacity / 2 + 1.
template <typename T>
bool GrowByHalf(T** items, int count, int* capacity) {
  if (count + 1 <= *capacity) return true;
  const int grown = count + 1 + *capacity / 2;
  void* larger = vc__realloc(*items, sizeof(T) * std::size_t(grown));
  if (!larger) return false;
  *items = static_cast<T*>(larger);
  *capacity = grown;
  return true;
}

// Walks the commands into the cache; stops at the first array that cannot
// grow, since a lost point or path would join what follows to the wrong shape.
class Flattener {
public:
  explicit Flattener(VCcontext* ctx) : mCtx(ctx), mCache(ctx->cache) {}

  void Walk() {
    const float* commands = mCtx->commands;
    for (int i = 0; i < mCtx->ncommands && mOk;) {
      switch (static_cast<int>(commands[i])) {
        case VC_MOVETO:
          AddPath();
          AddPoint(commands[i + 1], commands[i + 2], VC_PT_CORNER);
          i += 3;
          break;
        case VC_LINETO:
          AddPoint(commands[i + 1], commands[i + 2], VC_PT_CORNER);
          i += 3;
          break;
        case VC_BEZIERTO:
          if (mCache->npoints > 0 && mCache->npaths > 0) {
            const VCpoint& last = mCache->points[mCache->npoints - 1];
            TessellateBezier(last.x, last.y, commands[i + 1], commands[i + 2], commands[i + 3], commands[i + 4],
                             commands[i + 5], commands[i + 6], 0, VC_PT_CORNER);
          }
          i += 7;
          break;
        case VC_CLOSE:
          if (VCpath* path = LastPath()) path->closed = 1;
          i += 1;
          break;
        case VC_WINDING:
          if (VCpath* path = LastPath()) path->winding = static_cast<int>(commands[i + 1]);
          i += 2;
          break;
        default:
          i += 1;
      }
    }
  }

private:
  VCpath* LastPath() { return mCache->npaths > 0 ? &mCache->paths[mCache->npaths - 1] : nullptr; }

  void AddPath() {
    if (!GrowByHalf(&mCache->paths, mCache->npaths, &mCache->cpaths)) {
      mOk = false;
      return;
    }
    VCpath* path = &mCache->paths[mCache->npaths++];
    std::memset(path, 0, sizeof(VCpath));
    path->first = mCache->npoints;
    path->winding = VC_CCW;
  }

  void AddPoint(float x, float y, int flags) {
    VCpath* path = LastPath();
    if (!path) return;
    if (path->count > 0) {
      VCpoint& last = mCache->points[mCache->npoints - 1];
      if (vc__ptEquals(last.x, last.y, x, y, mCtx->distTol)) {
        last.flags = static_cast<unsigned char>(last.flags | flags);
        return;
      }
    }
    if (!GrowByHalf(&mCache->points, mCache->npoints, &mCache->cpoints)) {
      mOk = false;
      return;
    }
    VCpoint* point = &mCache->points[mCache->npoints++];
    std::memset(point, 0, sizeof(VCpoint));
    point->x = x;
    point->y = y;
    point->flags = static_cast<unsigned char>(flags);
    ++path->count;
  }

  // Halves the curve until each piece is flat within tessTol; only the end of
  // the whole curve is a corner. Past the last level a piece adds nothing, so a
  // curve that is never flat (NaN) ends in a gap instead of recursing forever.
  void TessellateBezier(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int level,
                        int type) {
    if (level > kMaxBezierLevel || !mOk) return;
    const float dx = x4 - x1;
    const float dy = y4 - y1;
    const float d2 = std::fabs((x2 - x4) * dy - (y2 - y4) * dx);
    const float d3 = std::fabs((x3 - x4) * dy - (y3 - y4) * dx);
    if ((d2 + d3) * (d2 + d3) < mCtx->tessTol * (dx * dx + dy * dy)) {
      AddPoint(x4, y4, type);
      return;
    }
    const float x12 = (x1 + x2) * 0.5f, y12 = (y1 + y2) * 0.5f;
    const float x23 = (x2 + x3) * 0.5f, y23 = (y2 + y3) * 0.5f;
    const float x34 = (x3 + x4) * 0.5f, y34 = (y3 + y4) * 0.5f;
    const float x123 = (x12 + x23) * 0.5f, y123 = (y12 + y23) * 0.5f;
    const float x234 = (x23 + x34) * 0.5f, y234 = (y23 + y34) * 0.5f;
    const float x1234 = (x123 + x234) * 0.5f, y1234 = (y123 + y234) * 0.5f;
    TessellateBezier(x1, y1, x12, y12, x123, y123, x1234, y1234, level + 1, 0);
    TessellateBezier(x1234, y1234, x234, y234, x34, y34, x4, y4, level + 1, type);
  }

  VCcontext* mCtx;
  VCpathCache* mCache;
  bool mOk = true;
};

float PolygonArea(const VCpoint* pts, int count) {
  float area = 0.0f;
  for (int i = 2; i < count; ++i) {
    const VCpoint& a = pts[0];
    const VCpoint& b = pts[i - 1];
    const VCpoint& c = pts[i];
    area += (c.x - a.x) * (b.y - a.y) - (b.x - a.x) * (c.y - a.y);
  }
  return area * 0.5f;
}

// Closes, orients and measures one path; the bounds take its points.
void FinishPath(VCcontext* ctx, VCpath* path) {
  VCpathCache* cache = ctx->cache;
  VCpoint* pts = &cache->points[path->first];
  // A sub-path of one point has nothing to close or measure: it stays a lone
  // point that expands into no vertices.
  if (path->count < 2) return;
  const VCpoint& first = pts[0];
  const VCpoint& last = pts[path->count - 1];
  if (vc__ptEquals(last.x, last.y, first.x, first.y, ctx->distTol)) {
    --path->count;
    path->closed = 1;
  }
  if (path->count > 2) {
    const float area = PolygonArea(pts, path->count);
    if ((path->winding == VC_CCW && area < 0.0f) || (path->winding == VC_CW && area > 0.0f)) {
      std::reverse(pts, pts + path->count);
    }
  }
  VCpoint* p0 = &pts[path->count - 1];
  VCpoint* p1 = &pts[0];
  for (int i = 0; i < path->count; ++i) {
    p0->dx = p1->x - p0->x;
    p0->dy = p1->y - p0->y;
    p0->len = vc__normalize(&p0->dx, &p0->dy);
    cache->bounds[0] = std::min(cache->bounds[0], p0->x);
    cache->bounds[1] = std::min(cache->bounds[1], p0->y);
    cache->bounds[2] = std::max(cache->bounds[2], p0->x);
    cache->bounds[3] = std::max(cache->bounds[3], p0->y);
    p0 = p1++;
  }
}

}  // namespace

void vc__flattenPaths(VCcontext* ctx) {
  VCpathCache* cache = ctx->cache;
  if (cache->npaths > 0) return;
  Flattener(ctx).Walk();
  cache->bounds[0] = cache->bounds[1] = kBoundsStart;
  cache->bounds[2] = cache->bounds[3] = -kBoundsStart;
  for (int j = 0; j < cache->npaths; ++j) FinishPath(ctx, &cache->paths[j]);
}

void vc__calculateJoins(VCcontext* ctx, float w, int lineJoin, float miterLimit) {
  VCpathCache* cache = ctx->cache;
  const float iw = w > 0.0f ? 1.0f / w : 0.0f;
  for (int i = 0; i < cache->npaths; ++i) {
    VCpath* path = &cache->paths[i];
    path->nbevel = 0;
    path->convex = 0;
    if (path->count < 2) continue;
    VCpoint* pts = &cache->points[path->first];
    VCpoint* p0 = &pts[path->count - 1];
    VCpoint* p1 = &pts[0];
    int nleft = 0;
    for (int j = 0; j < path->count; ++j) {
      const float dlx0 = p0->dy, dly0 = -p0->dx;
      const float dlx1 = p1->dy, dly1 = -p1->dx;
      p1->dmx = (dlx0 + dlx1) * 0.5f;
      p1->dmy = (dly0 + dly1) * 0.5f;
      const float dmr2 = p1->dmx * p1->dmx + p1->dmy * p1->dmy;
      if (dmr2 > kMinExtrusion) {
        const float scale = std::min(1.0f / dmr2, kMaxExtrusionScale);
        p1->dmx *= scale;
        p1->dmy *= scale;
      }
      p1->flags = (p1->flags & VC_PT_CORNER) ? VC_PT_CORNER : 0;
      if (p1->dx * p0->dy - p0->dx * p1->dy > 0.0f) {
        ++nleft;
        p1->flags |= VC_PT_LEFT;
      }
      // A segment shorter than the line is wide needs the inner corner bevelled.
      const float limit = std::max(kMinInnerBevelLimit, std::min(p0->len, p1->len) * iw);
      if (dmr2 * limit * limit < 1.0f) p1->flags |= VC_PT_INNERBEVEL;
      if ((p1->flags & VC_PT_CORNER) &&
          (dmr2 * miterLimit * miterLimit < 1.0f || lineJoin == VC_BEVEL || lineJoin == VC_ROUND)) {
        p1->flags |= VC_PT_BEVEL;
      }
      if (p1->flags & (VC_PT_BEVEL | VC_PT_INNERBEVEL)) ++path->nbevel;
      p0 = p1++;
    }
    path->convex = nleft == path->count ? 1 : 0;
  }
}
