#pragma once

// Graphics contexts drawing through the vector binding onto stand-in Metal
// layers. Fails a test that leaves objects behind or causes Metal validation
// errors.

#include <gtest/gtest.h>
#include <standin/testing/images.h>
#include <standin/testing/metal.h>
#include <standin/testing/ns_objects.h>
#include <standin/testing/objects.h>

#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include "graphics/control.h"

#include "support/graphics/recording_delegate.h"
#include "support/vector/test_vector_graphics.h"

namespace plugkit::testing {

using standin::testing::Image;
using Rgba = std::array<std::uint8_t, 4>;

// The name the tests load the monospaced test font under.
inline constexpr const char* kFont = "mono";
// How far a channel of a screen may stray from its golden image.
inline constexpr int kGoldenChannelTolerance = 2;
// Colours the golden screens share.
inline constexpr graphics::IColor kDarkBackground{255, 28, 32, 40};
inline constexpr graphics::IColor kLightBackground{255, 225, 228, 232};
inline constexpr graphics::IColor kAccent{255, 213, 188, 112};

inline Rgba PixelAt(const Image& image, int x, int y) {
  const std::uint8_t* p = image.pixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

// A control that draws through a function.
class DrawingControl : public graphics::IControl {
public:
  using DrawFunc = std::function<void(graphics::IGraphics&, const graphics::IRECT&)>;
  DrawingControl(const graphics::IRECT& bounds, DrawFunc draw) : IControl(bounds), mDraw(std::move(draw)) {}
  void Draw(graphics::IGraphics& g) override { mDraw(g, GetRECT()); }

private:
  DrawFunc mDraw;
};

class BindingTest : public ::testing::Test {
protected:
  void SetUp() override {
    nsObjectsAtStart_ = standin::testing::LiveNSObjectCount();
    objectsAtStart_ = standin::testing::LiveObjectCount();
    errorsAtStart_ = standin::testing::MetalValidationErrorCount();
  }

  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), nsObjectsAtStart_) << "NS objects leaked";
    EXPECT_EQ(standin::testing::LiveObjectCount(), objectsAtStart_) << "CF objects leaked";
    EXPECT_EQ(standin::testing::MetalValidationErrorCount(), errorsAtStart_) << "Metal validation errors";
  }

  RecordingDelegate delegate_;

private:
  long nsObjectsAtStart_ = 0;
  long objectsAtStart_ = 0;
  long errorsAtStart_ = 0;
};

}  // namespace plugkit::testing
