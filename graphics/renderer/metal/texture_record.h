#pragma once

// One image of the Metal back end. A record whose id is 0 is free and reused
// by the next image. Main thread.

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLSampler.h>
#include <Metal/MTLTexture.h>

class MVCtexture_vOrvane_au : public NS::Object {
public:
  MVCtexture_vOrvane_au() = default;

  int id = 0;
  int type = 0;   // VCtextureType
  int flags = 0;  // VCimageFlags
  NS::Ref<MTL::Texture> tex;  // a reference of the record's own; may be null
  NS::Ref<MTL::SamplerState> sampler;  // null: the default sampler

protected:
  ~MVCtexture_vOrvane_au() override = default;
};
