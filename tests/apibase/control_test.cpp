#include "graphics/control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics_test_doubles.h"

namespace plugkit {
namespace {

using graphics::IRECT;
using testing::LoggingControl;

class ControlTest : public ::testing::Test {
protected:
  std::vector<std::string> log;
};

TEST_F(ControlTest, AOneSlotControlTreatsAnySlotAsSlotZero) {
  LoggingControl control(IRECT(0, 0, 10, 10), log, "c");
  control.SetValueAt(1.5);
  control.ClearDirty();
  control.MarkDirty(false, 5);
  EXPECT_DOUBLE_EQ(control.ValueAt(), 1.0);
  EXPECT_TRUE(control.IsDirty());
}

TEST_F(ControlTest, ValuesAreClampedByMarkDirtyNotBySetValueAt) {
  LoggingControl control(IRECT(0, 0, 10, 10), log, "c", {0, 1});
  control.SetValueAt(-2.0, 0);
  control.SetValueAt(3.0, 1);
  EXPECT_DOUBLE_EQ(control.ValueAt(0), -2.0);
  control.MarkDirty(false, 1);
  EXPECT_DOUBLE_EQ(control.ValueAt(0), -2.0);
  EXPECT_DOUBLE_EQ(control.ValueAt(1), 1.0);
  control.MarkDirty(false);
  EXPECT_DOUBLE_EQ(control.ValueAt(0), 0.0);
  control.MarkDirty(false, 7);  // no such slot: redraws, changes no value
  EXPECT_TRUE(control.IsDirty());
}

TEST_F(ControlTest, AHostValueEqualToTheStoredOneLeavesTheControlClean) {
  LoggingControl control(IRECT(0, 0, 10, 10), log, "c");
  control.ClearDirty();
  control.SetValueFromHost(0.0);
  EXPECT_FALSE(control.IsDirty());
  control.SetValueFromHost(0.5);
  EXPECT_TRUE(control.IsDirty());
  EXPECT_DOUBLE_EQ(control.ValueAt(), 0.5);
}

TEST_F(ControlTest, SlotsLinkToParametersByIndex) {
  LoggingControl control(IRECT(0, 0, 10, 10), log, "c", {4, -1, 6});
  EXPECT_EQ(control.NVals(), 3);
  EXPECT_EQ(control.ParamIndexOfValue(2), 6);
  EXPECT_EQ(control.ValueIndexOfParam(6), 2);
  EXPECT_EQ(control.ValueIndexOfParam(5), -1);
  control.LinkValueToParam(5, 1);
  control.LinkValueToParam(9, 3);  // outside the slots
  EXPECT_EQ(control.ValueIndexOfParam(5), 1);
  EXPECT_EQ(control.ValueIndexOfParam(9), -1);
  EXPECT_EQ(control.ParamOfValue(0), nullptr);  // not attached to a delegate
}

TEST_F(ControlTest, DisabledControlsDrawAtAQuarterWeight) {
  LoggingControl control(IRECT(0, 0, 10, 10), log, "c");
  control.SetDisabled(true);
  EXPECT_FLOAT_EQ(control.GetBlend().mWeight, 0.25f);
  control.SetDisabled(false);
  EXPECT_FLOAT_EQ(control.GetBlend().mWeight, 1.f);
}

TEST_F(ControlTest, HitTestIncludesLeftAndTopEdgesOnly) {
  LoggingControl control(IRECT(10, 20, 30, 40), log, "c");
  EXPECT_TRUE(control.HitTest(10, 20));
  EXPECT_FALSE(control.HitTest(30, 25));
  EXPECT_FALSE(control.HitTest(15, 40));
  LoggingControl empty(IRECT(), log, "e");
  EXPECT_FALSE(empty.HitTest(0, 0));
}

}  // namespace
}  // namespace plugkit
