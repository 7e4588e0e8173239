// Expanding flattened paths into the vertices of fills and strokes: fans,
// fringe strips, bevel and round joins, and caps.
#include <algorithm>
#include <climits>
#include <cmath>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/tessellation.h"
#include "graphics/renderer/transform.h"
#include "graphics/renderer/vector_context.h"

namespace {

constexpr long long kVertexStep = 256;
// The most vertices one operation may ask for: their bytes stay within an int.
constexpr long long kMaxVertices = INT_MAX / sizeof(VCvertex);
// Vertices a bevel join may add beyond the two of a plain point, per side.
constexpr int kBevelExtra = 5;
constexpr int kButtCapVertices = 12;
constexpr float kCentreU = 0.5f;

// Appends vertices to a strip or fan.
class VertexWriter {
public:
  explicit VertexWriter(VCvertex* at) : mAt(at) {}
  void Put(float x, float y, float u, float v) { *mAt++ = {x, y, u, v}; }
  VCvertex* At() const { return mAt; }

private:
  VCvertex* mAt;
};

struct Vec {
  float x, y;
};

// The left normals of the segments into and out of p1.
Vec LeftOf(const VCpoint& p) { return {p.dy, -p.dx}; }

// The pair of offset points of a join at distance s: on each segment's normal
// for an inner bevel, else both on the extrusion.
void ChooseBevel(bool bevel, const VCpoint& p0, const VCpoint& p1, float s, Vec* a, Vec* b) {
  if (bevel) {
    *a = {p1.x + p0.dy * s, p1.y - p0.dx * s};
    *b = {p1.x + p1.dy * s, p1.y - p1.dx * s};
  } else {
    *a = {p1.x + p1.dmx * s, p1.y + p1.dmy * s};
    *b = *a;
  }
}

// Segments of a round join turning by `turn` radians, within [2, ncap].
int RoundJoinSegments(float turn, int ncap) {
  const float n = std::ceil(turn / VC_PI * float(ncap));
  if (n >= float(ncap)) return std::max(ncap, 2);
  return n > 2.0f ? static_cast<int>(n) : 2;
}

void BevelJoin(VertexWriter& out, const VCpoint& p0, const VCpoint& p1, float lw, float rw, float lu, float ru) {
  const Vec dl0 = LeftOf(p0);
  const Vec dl1 = LeftOf(p1);
  const bool inner = p1.flags & VC_PT_INNERBEVEL;
  if (p1.flags & VC_PT_LEFT) {
    Vec l0, l1;
    ChooseBevel(inner, p0, p1, lw, &l0, &l1);
    out.Put(l0.x, l0.y, lu, 1);
    out.Put(p1.x - dl0.x * rw, p1.y - dl0.y * rw, ru, 1);
    if (p1.flags & VC_PT_BEVEL) {
      out.Put(l0.x, l0.y, lu, 1);
      out.Put(p1.x - dl0.x * rw, p1.y - dl0.y * rw, ru, 1);
      out.Put(l1.x, l1.y, lu, 1);
      out.Put(p1.x - dl1.x * rw, p1.y - dl1.y * rw, ru, 1);
    } else {
      const Vec r0 = {p1.x - p1.dmx * rw, p1.y - p1.dmy * rw};
      out.Put(p1.x, p1.y, kCentreU, 1);
      out.Put(p1.x - dl0.x * rw, p1.y - dl0.y * rw, ru, 1);
      out.Put(r0.x, r0.y, ru, 1);
      out.Put(r0.x, r0.y, ru, 1);
      out.Put(p1.x, p1.y, kCentreU, 1);
      out.Put(p1.x - dl1.x * rw, p1.y - dl1.y * rw, ru, 1);
    }
    out.Put(l1.x, l1.y, lu, 1);
    out.Put(p1.x - dl1.x * rw, p1.y - dl1.y * rw, ru, 1);
  } else {
    Vec r0, r1;
    ChooseBevel(inner, p0, p1, -rw, &r0, &r1);
    out.Put(p1.x + dl0.x * lw, p1.y + dl0.y * lw, lu, 1);
    out.Put(r0.x, r0.y, ru, 1);
    if (p1.flags & VC_PT_BEVEL) {
      out.Put(p1.x + dl0.x * lw, p1.y + dl0.y * lw, lu, 1);
      out.Put(r0.x, r0.y, ru, 1);
      out.Put(p1.x + dl1.x * lw, p1.y + dl1.y * lw, lu, 1);
      out.Put(r1.x, r1.y, ru, 1);
    } else {
      const Vec l0 = {p1.x + p1.dmx * lw, p1.y + p1.dmy * lw};
      out.Put(p1.x + dl0.x * lw, p1.y + dl0.y * lw, lu, 1);
      out.Put(p1.x, p1.y, kCentreU, 1);
      out.Put(l0.x, l0.y, lu, 1);
      out.Put(l0.x, l0.y, lu, 1);
      out.Put(p1.x + dl1.x * lw, p1.y + dl1.y * lw, lu, 1);
      out.Put(p1.x, p1.y, kCentreU, 1);
    }
    out.Put(p1.x + dl1.x * lw, p1.y + dl1.y * lw, lu, 1);
    out.Put(r1.x, r1.y, ru, 1);
  }
}

void RoundJoin(VertexWriter& out, const VCpoint& p0, const VCpoint& p1, float lw, float rw, float lu, float ru,
               int ncap) {
  const Vec dl0 = LeftOf(p0);
  const Vec dl1 = LeftOf(p1);
  const bool inner = p1.flags & VC_PT_INNERBEVEL;
  if (p1.flags & VC_PT_LEFT) {
    Vec l0, l1;
    ChooseBevel(inner, p0, p1, lw, &l0, &l1);
    const float a0 = std::atan2(-dl0.y, -dl0.x);
    float a1 = std::atan2(-dl1.y, -dl1.x);
    if (a1 > a0) a1 -= VC_PI * 2.0f;
    out.Put(l0.x, l0.y, lu, 1);
    out.Put(p1.x - dl0.x * rw, p1.y - dl0.y * rw, ru, 1);
    const int n = RoundJoinSegments(a0 - a1, ncap);
    for (int i = 0; i < n; ++i) {
      const float a = a0 + float(i) / float(n - 1) * (a1 - a0);
      out.Put(p1.x, p1.y, kCentreU, 1);
      out.Put(p1.x + std::cos(a) * rw, p1.y + std::sin(a) * rw, ru, 1);
    }
    out.Put(l1.x, l1.y, lu, 1);
    out.Put(p1.x - dl1.x * rw, p1.y - dl1.y * rw, ru, 1);
  } else {
    Vec r0, r1;
    ChooseBevel(inner, p0, p1, -rw, &r0, &r1);
    const float a0 = std::atan2(dl0.y, dl0.x);
    float a1 = std::atan2(dl1.y, dl1.x);
    if (a1 < a0) a1 += VC_PI * 2.0f;
    out.Put(p1.x + dl0.x * rw, p1.y + dl0.y * rw, lu, 1);
    out.Put(r0.x, r0.y, ru, 1);
    const int n = RoundJoinSegments(a1 - a0, ncap);
    for (int i = 0; i < n; ++i) {
      const float a = a0 + float(i) / float(n - 1) * (a1 - a0);
      out.Put(p1.x + std::cos(a) * lw, p1.y + std::sin(a) * lw, lu, 1);
      out.Put(p1.x, p1.y, kCentreU, 1);
    }
    out.Put(p1.x + dl1.x * rw, p1.y + dl1.y * rw, lu, 1);
    out.Put(r1.x, r1.y, ru, 1);
  }
}

// A butt or square cap at the start, `d` past the point along -direction.
void ButtCapStart(VertexWriter& out, const VCpoint& p, Vec dir, float w, float d, float aa, float u0, float u1) {
  const float px = p.x - dir.x * d;
  const float py = p.y - dir.y * d;
  const Vec dl = {dir.y, -dir.x};
  out.Put(px + dl.x * w - dir.x * aa, py + dl.y * w - dir.y * aa, u0, 0);
  out.Put(px - dl.x * w - dir.x * aa, py - dl.y * w - dir.y * aa, u1, 0);
  out.Put(px + dl.x * w, py + dl.y * w, u0, 1);
  out.Put(px - dl.x * w, py - dl.y * w, u1, 1);
}

void ButtCapEnd(VertexWriter& out, const VCpoint& p, Vec dir, float w, float d, float aa, float u0, float u1) {
  const float px = p.x + dir.x * d;
  const float py = p.y + dir.y * d;
  const Vec dl = {dir.y, -dir.x};
  out.Put(px + dl.x * w, py + dl.y * w, u0, 1);
  out.Put(px - dl.x * w, py - dl.y * w, u1, 1);
  out.Put(px + dl.x * w + dir.x * aa, py + dl.y * w + dir.y * aa, u0, 0);
  out.Put(px - dl.x * w + dir.x * aa, py - dl.y * w + dir.y * aa, u1, 0);
}

void RoundCapStart(VertexWriter& out, const VCpoint& p, Vec dir, float w, int ncap, float u0, float u1) {
  const Vec dl = {dir.y, -dir.x};
  for (int i = 0; i < ncap; ++i) {
    const float a = float(i) / float(ncap - 1) * VC_PI;
    const float ax = std::cos(a) * w;
    const float ay = std::sin(a) * w;
    out.Put(p.x - dl.x * ax - dir.x * ay, p.y - dl.y * ax - dir.y * ay, u0, 1);
    out.Put(p.x, p.y, kCentreU, 1);
  }
  out.Put(p.x + dl.x * w, p.y + dl.y * w, u0, 1);
  out.Put(p.x - dl.x * w, p.y - dl.y * w, u1, 1);
}

void RoundCapEnd(VertexWriter& out, const VCpoint& p, Vec dir, float w, int ncap, float u0, float u1) {
  const Vec dl = {dir.y, -dir.x};
  out.Put(p.x + dl.x * w, p.y + dl.y * w, u0, 1);
  out.Put(p.x - dl.x * w, p.y - dl.y * w, u1, 1);
  for (int i = 0; i < ncap; ++i) {
    const float a = float(i) / float(ncap - 1) * VC_PI;
    const float ax = std::cos(a) * w;
    const float ay = std::sin(a) * w;
    out.Put(p.x, p.y, kCentreU, 1);
    out.Put(p.x - dl.x * ax + dir.x * ay, p.y - dl.y * ax + dir.y * ay, u0, 1);
  }
}

// The unit direction from a to b.
Vec Direction(const VCpoint& a, const VCpoint& b) {
  Vec d = {b.x - a.x, b.y - a.y};
  vc__normalize(&d.x, &d.y);
  return d;
}

void Cap(VertexWriter& out, bool start, const VCpoint& p, Vec dir, float w, float aa, int lineCap, int ncap,
         float u0, float u1) {
  // A butt cap ends half a fringe short of the point, a square one a half
  // width (less the fringe) beyond it.
  switch (lineCap) {
    case VC_BUTT:
    case VC_SQUARE: {
      const float d = lineCap == VC_BUTT ? -aa * 0.5f : w - aa;
      if (start) {
        ButtCapStart(out, p, dir, w, d, aa, u0, u1);
      } else {
        ButtCapEnd(out, p, dir, w, d, aa, u0, u1);
      }
      break;
    }
    case VC_ROUND:
      if (start) {
        RoundCapStart(out, p, dir, w, ncap, u0, u1);
      } else {
        RoundCapEnd(out, p, dir, w, ncap, u0, u1);
      }
      break;
    default:
      break;  // no cap
  }
}

// A path of fewer than two points expands into nothing.
bool Expands(const VCpath& path) { return path.count >= 2; }

void ClearVertices(VCpathCache* cache) {
  for (int i = 0; i < cache->npaths; ++i) {
    VCpath& path = cache->paths[i];
    path.fill = nullptr;
    path.nfill = 0;
    path.stroke = nullptr;
    path.nstroke = 0;
  }
}

// The inset fan of a path for a fringe of half width woff.
void InsetFan(VertexWriter& out, const VCpoint* pts, int count, float woff) {
  const VCpoint* p0 = &pts[count - 1];
  const VCpoint* p1 = &pts[0];
  for (int j = 0; j < count; ++j, p0 = p1++) {
    if ((p1->flags & VC_PT_BEVEL) && !(p1->flags & VC_PT_LEFT)) {
      const Vec dl0 = LeftOf(*p0);
      const Vec dl1 = LeftOf(*p1);
      out.Put(p1->x + dl0.x * woff, p1->y + dl0.y * woff, kCentreU, 1);
      out.Put(p1->x + dl1.x * woff, p1->y + dl1.y * woff, kCentreU, 1);
    } else {
      out.Put(p1->x + p1->dmx * woff, p1->y + p1->dmy * woff, kCentreU, 1);
    }
  }
}

void FringeStrip(VertexWriter& out, const VCpoint* pts, int count, float lw, float rw, float lu, float ru) {
  VCvertex* start = out.At();
  const VCpoint* p0 = &pts[count - 1];
  const VCpoint* p1 = &pts[0];
  for (int j = 0; j < count; ++j, p0 = p1++) {
    if (p1->flags & (VC_PT_BEVEL | VC_PT_INNERBEVEL)) {
      BevelJoin(out, *p0, *p1, lw, rw, lu, ru);
    } else {
      out.Put(p1->x + p1->dmx * lw, p1->y + p1->dmy * lw, lu, 1);
      out.Put(p1->x - p1->dmx * rw, p1->y - p1->dmy * rw, ru, 1);
    }
  }
  out.Put(start[0].x, start[0].y, lu, 1);
  out.Put(start[1].x, start[1].y, ru, 1);
}

}  // namespace

int vc__curveDivs(float r, float arc, float tol) {
  const float da = std::acos(r / (r + tol)) * 2.0f;
  const float divs = std::ceil(arc / da);
  // NaN and huge values end up within an int.
  if (!(divs > 2.0f)) return 2;
  return divs < float(INT_MAX / 4) ? static_cast<int>(divs) : INT_MAX / 4;
}

VCvertex* vc__allocTempVerts(VCcontext* ctx, long long count) {
  VCpathCache* cache = ctx->cache;
  if (count < 0 || count > kMaxVertices) return nullptr;
  if (count > cache->cverts) {
    const long long capacity = std::min((count + kVertexStep - 1) / kVertexStep * kVertexStep, kMaxVertices);
    void* verts = vc__realloc(cache->verts, sizeof(VCvertex) * std::size_t(capacity));
    if (!verts) return nullptr;
    cache->verts = static_cast<VCvertex*>(verts);
    cache->cverts = static_cast<int>(capacity);
  }
  cache->nverts = static_cast<int>(count);
  return cache->verts;
}

bool vc__expandFill(VCcontext* ctx, float w, int lineJoin, float miterLimit) {
  VCpathCache* cache = ctx->cache;
  const bool fringe = w > 0.0f;
  vc__calculateJoins(ctx, w, lineJoin, miterLimit);

  long long budget = 0;
  int shapes = 0;
  for (int i = 0; i < cache->npaths; ++i) {
    const VCpath& path = cache->paths[i];
    if (!Expands(path)) continue;
    ++shapes;
    budget += path.count + path.nbevel + 1;
    if (fringe) budget += (path.count + path.nbevel * kBevelExtra + 1) * 2LL;
  }
  ClearVertices(cache);
  VCvertex* verts = vc__allocTempVerts(ctx, budget);
  if (!verts) return false;

  // One convex shape needs no stencil: half a fringe outside its edge will do.
  const VCpath* only = nullptr;
  for (int i = 0; i < cache->npaths && shapes == 1; ++i) {
    if (Expands(cache->paths[i])) only = &cache->paths[i];
  }
  const bool convex = only && only->convex;
  const float woff = ctx->fringeWidth * 0.5f;
  VertexWriter out(verts);
  for (int i = 0; i < cache->npaths; ++i) {
    VCpath* path = &cache->paths[i];
    if (!Expands(*path)) continue;
    const VCpoint* pts = &cache->points[path->first];
    path->fill = out.At();
    if (fringe) {
      InsetFan(out, pts, path->count, woff);
    } else {
      for (int j = 0; j < path->count; ++j) out.Put(pts[j].x, pts[j].y, kCentreU, 1);
    }
    path->nfill = static_cast<int>(out.At() - path->fill);
    if (fringe) {
      path->stroke = out.At();
      const float lw = convex ? woff : w + woff;
      const float lu = convex ? kCentreU : 0.0f;
      FringeStrip(out, pts, path->count, lw, w - woff, lu, 1.0f);
      path->nstroke = static_cast<int>(out.At() - path->stroke);
    }
  }
  return true;
}

bool vc__expandStroke(VCcontext* ctx, float w, float aa, int lineCap, int lineJoin, float miterLimit) {
  VCpathCache* cache = ctx->cache;
  const int ncap = vc__curveDivs(w, VC_PI, ctx->tessTol);
  w += aa * 0.5f;
  const float u0 = aa == 0.0f ? kCentreU : 0.0f;
  const float u1 = aa == 0.0f ? kCentreU : 1.0f;
  vc__calculateJoins(ctx, w, lineJoin, miterLimit);

  long long budget = 0;
  for (int i = 0; i < cache->npaths; ++i) {
    const VCpath& path = cache->paths[i];
    if (!Expands(path)) continue;
    const long long perBevel = lineJoin == VC_ROUND ? ncap + 2LL : kBevelExtra;
    budget += (path.count + path.nbevel * perBevel + 1) * 2;
    if (!path.closed) budget += lineCap == VC_ROUND ? (ncap * 2LL + 2) * 2 : kButtCapVertices;
  }
  ClearVertices(cache);
  VCvertex* verts = vc__allocTempVerts(ctx, budget);
  if (!verts) return false;

  VertexWriter out(verts);
  for (int i = 0; i < cache->npaths; ++i) {
    VCpath* path = &cache->paths[i];
    if (!Expands(*path)) continue;
    const VCpoint* pts = &cache->points[path->first];
    const bool loop = path->closed;
    path->stroke = out.At();
    const VCpoint* p0 = loop ? &pts[path->count - 1] : &pts[0];
    const VCpoint* p1 = loop ? &pts[0] : &pts[1];
    const int joins = loop ? path->count : path->count - 2;
    if (!loop) Cap(out, true, *p0, Direction(*p0, *p1), w, aa, lineCap, ncap, u0, u1);
    for (int j = 0; j < joins; ++j, p0 = p1++) {
      if (p1->flags & (VC_PT_BEVEL | VC_PT_INNERBEVEL)) {
        if (lineJoin == VC_ROUND) {
          RoundJoin(out, *p0, *p1, w, w, u0, u1, ncap);
        } else {
          BevelJoin(out, *p0, *p1, w, w, u0, u1);
        }
      } else {
        out.Put(p1->x + p1->dmx * w, p1->y + p1->dmy * w, u0, 1);
        out.Put(p1->x - p1->dmx * w, p1->y - p1->dmy * w, u1, 1);
      }
    }
    if (loop) {
      out.Put(path->stroke[0].x, path->stroke[0].y, u0, 1);
      out.Put(path->stroke[1].x, path->stroke[1].y, u1, 1);
    } else {
      Cap(out, false, *p1, Direction(*p0, *p1), w, aa, lineCap, ncap, u0, u1);
    }
    path->nstroke = static_cast<int>(out.At() - path->stroke);
  }
  return true;
}
