#include "tests/support/renderer/editor_frame.h"

#include <gtest/gtest.h>

#include "graphics/renderer/allocation.h"
#include "tests/support/alloc_counter.h"
#include "tests/support/renderer/core_context.h"

namespace orvane::testing {
namespace {

// Once warm, the core's arrays only get reused: a second identical frame
// allocates nothing, through the core's seam or anywhere else.
TEST(EditorFrame, SecondFrameAllocatesNothing) {
  for (const float ratio : {1.0f, 2.0f}) {
    SCOPED_TRACE(ratio);
    CoreContext core;
    const EditorFrameResources resources = CreateEditorFrameResources(core.ctx);
    ASSERT_NE(resources.font, -1);
    ASSERT_NE(resources.pattern, 0);
    ASSERT_NE(resources.frame, 0);
    core.backend.ClearCalls();
    DrawEditorFrame(core.ctx, resources, ratio);
    EXPECT_EQ(core.backend.CallsOf(RenderCall::Fill).size(), 1u + 24 * 2 + 40 + 1 + 1);
    EXPECT_EQ(core.backend.CallsOf(RenderCall::Stroke).size(), 24u + 40 * 2 + 5 * (20 + 2));
    EXPECT_EQ(core.backend.CallsOf(RenderCall::Triangles).size(), 120u);

    core.backend.SetRecording(false);
    DrawEditorFrame(core.ctx, resources, ratio);
    const auto seamBefore = vcAllocationCount();
    ScopedAllocationCount allocations;
    DrawEditorFrame(core.ctx, resources, ratio);
    EXPECT_EQ(allocations.Count(), 0u);
    EXPECT_EQ(vcAllocationCount(), seamBefore);
  }
}

}  // namespace
}  // namespace orvane::testing
