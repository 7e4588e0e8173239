#include "metal/encoder_recording.h"

#include "metal/validation.h"

namespace standin::metal {

bool CanOpenEncoder(MTL::CommandBuffer* buffer, const char* call) {
  if (CommandBufferStatus(buffer) >= MTLCommandBufferStatusCommitted) {
    ReportValidationError("%s: the command buffer is committed", call);
    return false;
  }
  if (buffer->state().openEncoder != nullptr) {
    ReportValidationError("%s: another encoder of the command buffer is still open", call);
    return false;
  }
  return true;
}

EncoderRecording::EncoderRecording(MTL::CommandBuffer* buffer, MTL::CommandEncoder* encoder)
    : buffer_(NS::Ref<MTL::CommandBuffer>::Retain(buffer)), encoder_(encoder) {
  buffer->state().openEncoder = encoder;
}

EncoderRecording::~EncoderRecording() {
  if (ended_) return;
  ReportValidationError("an encoder was released without endEncoding; its commands are dropped");
  Close();
}

bool EncoderRecording::Usable(const char* call) const {
  if (ended_) ReportValidationError("%s: the encoder has ended", call);
  return !ended_;
}

void EncoderRecording::End(std::unique_ptr<EncodedPass> pass) {
  if (!Usable("endEncoding")) return;
  Close();
  if (CommandBufferStatus(buffer_.get()) >= MTLCommandBufferStatusCommitted) {
    ReportValidationError("endEncoding: the command buffer was committed first; the commands are dropped");
    return;
  }
  buffer_->state().passes.push_back(std::move(pass));
}

void EncoderRecording::Close() {
  ended_ = true;
  CommandBufferState& state = buffer_->state();
  if (state.openEncoder == encoder_) state.openEncoder = nullptr;
}

}  // namespace standin::metal
