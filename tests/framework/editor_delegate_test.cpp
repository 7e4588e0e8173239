#include "framework/core/editor_delegate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"

namespace plugkit {
namespace {

class RecordingDelegate : public graphics::IGEditorDelegate {
public:
  explicit RecordingDelegate(int nParams) : IGEditorDelegate(nParams) {}

  void OnParamValue(int paramIdx) override { mLog.push_back("value " + std::to_string(paramIdx)); }
  void OnParamValueShownInEditor(int paramIdx, EParamSource source) override {
    mLog.push_back("shown " + std::to_string(paramIdx) + " " + std::to_string(source));
  }
  void PushParamValueToEditor(int paramIdx, double value, bool normalized) override {
    mPushed.push_back(value);
    EXPECT_TRUE(normalized);
    IGEditorDelegate::PushParamValueToEditor(paramIdx, value, normalized);
  }

  std::vector<std::string> mLog;
  std::vector<double> mPushed;
};

TEST(IEditorDelegateTest, CreatesTheConfiguredNumberOfParameters) {
  RecordingDelegate delegate(3);
  EXPECT_EQ(delegate.NParams(), 3);
  ASSERT_NE(delegate.GetParam(2), nullptr);
  EXPECT_EQ(delegate.GetParam(2)->Type(), IParam::kTypeNone);
  EXPECT_EQ(delegate.GetParam(3), nullptr);
  EXPECT_EQ(delegate.GetParam(-1), nullptr);
}

TEST(IEditorDelegateTest, ParamChangeReachesOnParamValue) {
  RecordingDelegate delegate(1);
  delegate.OnParamValueChanged(0, kHost, 12);
  EXPECT_EQ(delegate.mLog, std::vector<std::string>{"value 0"});
}

TEST(IEditorDelegateTest, ResetNotifiesEveryParameterInOrder) {
  RecordingDelegate delegate(2);
  delegate.OnAllParamsReset(kPresetRecall);
  EXPECT_EQ(delegate.mLog, (std::vector<std::string>{"value 0", "shown 0 2", "value 1", "shown 1 2"}));
}

TEST(IEditorDelegateTest, StateRestoredPushesConstrainedNormalisedValues) {
  RecordingDelegate delegate(2);
  delegate.GetParam(0)->InitInt("I", 0, 0, 10);
  delegate.GetParam(0)->Set(2.6);  // snaps to 3
  delegate.GetParam(1)->InitGain("G", 0.0, -10.0, 10.0, 0.1);
  delegate.GetParam(1)->Set(50.0);  // clamps to 10
  delegate.OnStateRestored();
  ASSERT_EQ(delegate.mPushed.size(), 2u);
  EXPECT_DOUBLE_EQ(delegate.mPushed[0], 0.3);
  EXPECT_DOUBLE_EQ(delegate.mPushed[1], 1.0);
  EXPECT_EQ(delegate.mLog, (std::vector<std::string>{"shown 0 4", "shown 1 4"}));

  delegate.mPushed.clear();
  delegate.OnEditorOpened();
  EXPECT_EQ(delegate.mPushed.size(), 2u);
}

}  // namespace
}  // namespace plugkit
