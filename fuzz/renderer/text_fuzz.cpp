// Arbitrary bytes as text drawn and laid out in DejaVu Sans Mono: the first
// three bytes choose the size, the row width and the alignment, the rest is
// the text (typed or pasted text reaches the editor's text boxes unchecked).
// Rows must lie within the text, in order, each a step forward.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/renderer/text.h"
#include "tests/support/renderer/core_context.h"
#include "tests/support/renderer/test_fonts.h"

namespace {

constexpr int kMaxRows = 16;
constexpr int kMaxPositions = 64;
constexpr int kAligns[] = {VC_ALIGN_LEFT | VC_ALIGN_BASELINE, VC_ALIGN_CENTER | VC_ALIGN_TOP,
                           VC_ALIGN_RIGHT | VC_ALIGN_BOTTOM, VC_ALIGN_MIDDLE};

orvane::testing::CoreContext& Context() {
  static orvane::testing::CoreContext* core = [] {
    auto* made = new orvane::testing::CoreContext();
    made->backend.SetRecording(false);
    if (!made->ctx || vcCreateFont(made->ctx, "mono", orvane::testing::kDejaVuSansMono.c_str()) != 0) std::abort();
    return made;
  }();
  return *core;
}

void CheckRows(VCcontext* ctx, const char* text, const char* end, float width) {
  VCtextRow rows[kMaxRows];
  const int count = vcTextBreakLines(ctx, text, end, width, rows, kMaxRows);
  if (count < 0 || count > kMaxRows) std::abort();
  const char* from = text;
  for (int i = 0; i < count; ++i) {
    const VCtextRow& row = rows[i];
    if (row.start < from || row.end < row.start || row.next <= row.start || row.next > end) std::abort();
    from = row.next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > INT_MAX) return 0;
  orvane::testing::CoreContext& core = Context();
  VCcontext* ctx = core.ctx;
  const char* text = reinterpret_cast<const char*>(data + 3);
  const char* end = reinterpret_cast<const char*>(data + size);
  const float fontSize = 1.0f + data[0] % 64;
  const float width = float(data[1]) - 16.0f;
  vcBeginFrame(ctx, 400, 300, 1 + data[2] % 2);
  vcFontSize(ctx, fontSize);
  vcTextAlign(ctx, kAligns[(data[2] / 2) % 4]);
  vcText(ctx, 10, 20, text, end);
  vcTextBox(ctx, 10, 40, width, text, end);
  float bounds[4];
  vcTextBoxBounds(ctx, 10, 40, width, text, end, bounds);
  vcTextBounds(ctx, 10, 20, text, end, bounds);
  VCglyphPosition positions[kMaxPositions];
  if (vcTextGlyphPositions(ctx, 0, 0, text, end, positions, kMaxPositions) > kMaxPositions) std::abort();
  CheckRows(ctx, text, end, width);
  vcEndFrame(ctx);
  return 0;
}
