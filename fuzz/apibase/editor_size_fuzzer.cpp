// The editor-size chunk from a host's saved state. The first byte chooses
// whether an editor is open, the second the start position; the rest is the chunk.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace {

using namespace plugkit;

// A view that only stands there: attaching lays nothing out.
class NullGraphics : public testing::RecordingGraphics {
public:
  using RecordingGraphics::RecordingGraphics;
  void* AttachEditorView(void*) override { return this; }
  void DetachEditorView() override {}
  void* PlatformView() override { return this; }
};

class Delegate : public graphics::IGEditorDelegate {
public:
  static constexpr int kMinSize = 100;
  static constexpr int kMaxSize = 4000;

  Delegate() : IGEditorDelegate(0) {
    mMinWidth = mMinHeight = kMinSize;
    mMaxWidth = mMaxHeight = kMaxSize;
    SetMakeGraphicsFunc([this] { return new NullGraphics(*this, 1392, 783); });
  }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int kChunkBytes = 12;
  constexpr int kStartChoices = 6;  // -1 and 0..4
  if (size < 2 || size > (1u << 16)) return 0;
  const bool editorOpen = (data[0] & 1) != 0;
  const int startPos = data[1] % kStartChoices - 1;
  IStateChunk chunk;
  chunk.PutBytes(data + 2, static_cast<int>(size - 2));

  Delegate delegate;
  if (editorOpen) delegate.OpenEditor(nullptr);
  const int end = delegate.ReadEditorSize(chunk, startPos);
  Check(end == -1 || end == startPos + kChunkBytes);
  Check(std::isfinite(delegate.GetLastScale()));

  // Whatever was read, an editor opened now has a size within the limits and a sane scale.
  delegate.OpenEditor(nullptr);
  const graphics::IGraphics* ui = delegate.GetUI();
  Check(ui->Width() >= Delegate::kMinSize && ui->Width() <= Delegate::kMaxSize);
  Check(ui->Height() >= Delegate::kMinSize && ui->Height() <= Delegate::kMaxSize);
  Check(ui->GetDrawScale() >= ui->GetMinScale() && ui->GetDrawScale() <= ui->GetMaxScale());
  return 0;
}
