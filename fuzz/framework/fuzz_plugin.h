#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/plugin_base.h"

namespace plugkit::fuzzing {

// A plug-in with one parameter of every kind and shape the framework offers.
class FuzzPlugin : public IPluginBase {
public:
  static constexpr int kParams = 6;

  explicit FuzzPlugin(int nPresets) : IPluginBase(kParams, nPresets) { InitParams(*this); }

  static void InitParams(IEditorDelegate& delegate) {
    delegate.GetParam(0)->InitBool("Bool", false);
    delegate.GetParam(1)->InitEnum("Enum", 1, 3, "", 0, "", "a", "b", "c");
    delegate.GetParam(2)->InitInt("Int", 0, -5, 5, "n", IParam::kFlagNegateDisplay);
    delegate.GetParam(3)->InitGain("Gain", 0.0, -60.0, 12.0, 0.25, IParam::kFlagStepped | IParam::kFlagSignDisplay);
    delegate.GetParam(4)->InitFrequency("Freq", 1000.0, 20.0, 20000.0, 1.0);
    delegate.GetParam(5)->Init("Curve", "", 0, "", IParam::ShapePowCurve(3.0), IParam::kUnitCustom, nullptr, 0.0,
                               0.0, 1.0, 0.001);
  }
};

// Every stored value must be finite and inside its parameter's range.
inline void CheckParams(const IEditorDelegate& delegate) {
  for (int i = 0; i < delegate.NParams(); ++i) {
    const IParam& param = *delegate.GetParam(i);
    const double value = param.Value();
    if (!std::isfinite(value) || value < param.GetMin() || value > param.GetMax()) std::abort();
  }
}

}  // namespace plugkit::fuzzing
