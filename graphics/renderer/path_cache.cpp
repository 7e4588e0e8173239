#include "graphics/renderer/path_cache.h"

#include <cstring>

#include "graphics/renderer/allocation.h"

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
