#pragma once

#include <string>
#include <vector>

#include "framework/plugin_base.h"

namespace plugkit::testing {

// A plug-in base that logs the notifications the framework sends it.
class RecordingPlugin : public IPluginBase {
public:
  RecordingPlugin(int nParams, int nPresets) : IPluginBase(nParams, nPresets) {}

  void OnParamValue(int paramIdx) override { mLog.push_back("value " + std::to_string(paramIdx)); }
  void OnParamValueShownInEditor(int paramIdx, EParamSource source) override {
    mLog.push_back("shown " + std::to_string(paramIdx) + " " + std::to_string(source));
  }
  void OnAllParamsReset(EParamSource source) override {
    mLog.push_back("reset " + std::to_string(source));
    IPluginBase::OnAllParamsReset(source);
  }
  void OnPresetRecalled() override { mLog.push_back("preset recalled"); }
  void OnStateRestored() override {
    mLog.push_back("state restored");
    IPluginBase::OnStateRestored();
  }

  std::vector<std::string> mLog;
};

}  // namespace plugkit::testing
