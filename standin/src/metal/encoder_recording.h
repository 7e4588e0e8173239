#pragma once

// The link between an encoder and its command buffer: the buffer knows its
// one open encoder, and the encoder hands its pass over at endEncoding.

#include "metal/scheduler.h"

#include <Foundation/NSRef.h>
#include <Metal/MTLCommandBuffer.h>

#include <memory>

namespace standin::metal {

// Whether the buffer may make a new encoder now; reports why not.
bool CanOpenEncoder(MTL::CommandBuffer* buffer, const char* call);

class EncoderRecording {
public:
  EncoderRecording(MTL::CommandBuffer* buffer, MTL::CommandEncoder* encoder);
  // An encoder released while open is a validation error; its commands are dropped.
  ~EncoderRecording();
  EncoderRecording(const EncoderRecording&) = delete;
  EncoderRecording& operator=(const EncoderRecording&) = delete;

  // False (and a validation error) once ended.
  bool Usable(const char* call) const;
  // Hands the pass to the buffer, unless the buffer was committed meanwhile.
  void End(std::unique_ptr<EncodedPass> pass);

private:
  void Close();

  const NS::Ref<MTL::CommandBuffer> buffer_;
  MTL::CommandEncoder* const encoder_;
  bool ended_ = false;
};

}  // namespace standin::metal
