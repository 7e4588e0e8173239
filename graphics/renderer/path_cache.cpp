#include "graphics/renderer/path_cache.h"

#include <cstdio>
#include <cstring>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/vector_context.h"

namespace {

void DumpVertices(const char* kind, const VCvertex* verts, int count) {
  if (count <= 0) return;
  std::printf("   - %s: %d\n", kind, count);
  for (int i = 0; i < count; ++i) std::printf("%f\t%f\n", double(verts[i].x), double(verts[i].y));
}

}  // namespace

VCpathCache* vc__allocPathCache() {
  VCpathCache* cache = static_cast<VCpathCache*>(vc__alloc(sizeof(VCpathCache)));
  if (!cache) return nullptr;
  std::memset(cache, 0, sizeof(VCpathCache));
  cache->points = static_cast<VCpoint*>(vc__alloc(sizeof(VCpoint) * VC_INIT_POINTS_SIZE));
  cache->paths = static_cast<VCpath*>(vc__alloc(sizeof(VCpath) * VC_INIT_PATHS_SIZE));
  cache->verts = static_cast<VCvertex*>(vc__alloc(sizeof(VCvertex) * VC_INIT_VERTS_SIZE));
  if (!cache->points || !cache->paths || !cache->verts) {
    vc__deletePathCache(cache);
    return nullptr;
  }
  cache->cpoints = VC_INIT_POINTS_SIZE;
  cache->cpaths = VC_INIT_PATHS_SIZE;
  cache->cverts = VC_INIT_VERTS_SIZE;
  return cache;
}

void vc__deletePathCache(VCpathCache* cache) {
  if (!cache) return;
  vc__free(cache->points);
  vc__free(cache->paths);
  vc__free(cache->verts);
  vc__free(cache);
}

void vc__clearPathCache(VCpathCache* cache) {
  cache->npoints = 0;
  cache->npaths = 0;
}

void vcDebugDumpPathCache(VCcontext* ctx) {
  const VCpathCache* cache = ctx->cache;
  std::printf("Dumping %d cached paths\n", cache->npaths);
  for (int i = 0; i < cache->npaths; ++i) {
    const VCpath& path = cache->paths[i];
    std::printf(" - Path %d\n", i);
    DumpVertices("fill", path.fill, path.nfill);
    DumpVertices("stroke", path.stroke, path.nstroke);
  }
}
