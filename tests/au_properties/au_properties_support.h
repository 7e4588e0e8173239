#pragma once

// The test plug-in, opened through its factory with parameters of every
// kind, named presets and an editor, so that every property has something
// to report.

#include <AudioUnit/AudioUnit.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cf_owned.h"
#include "framework/au/cf_text.h"
#include "host/audio_unit_instance.h"
#include "test_plugin.h"
#include "view_graphics.h"

namespace plugkit::testing {

inline constexpr AudioUnitScope kGlobal = kAudioUnitScope_Global;
inline constexpr AudioUnitScope kInputScope = kAudioUnitScope_Input;
inline constexpr AudioUnitScope kOutputScope = kAudioUnitScope_Output;
inline constexpr AudioUnitScope kGroupScope = 4;  // a scope no property answers for

// The parameters beyond the test plug-in's own two.
enum EExtraParams { kMode = TestPlugin::kNumParams, kDrive, kCutoff, kNumRichParams };
inline constexpr int kNumRichPresets = 4;  // one stays empty and is dropped at Open
inline const std::vector<std::string> kPresetNames = {"Clean", "Crunch", "Lead"};
inline constexpr int kEditorWidth = 400;
inline constexpr int kEditorHeight = 300;

inline AudioComponent TestPluginComponent() {
  static const AudioComponentDescription description{kAudioUnitType_MusicEffect, standin::FourCharCodeOf("Atst"),
                                                     standin::FourCharCodeOf("Plkt"), 0, 0};
  return AudioComponentRegister(&description, nullptr, TestPlugin::kVersion, &AUTestPlugin_Factory);
}

// The gain each named preset stores.
inline double PresetGain(int presetIdx) { return 0.5 * (presetIdx + 1); }

inline TestPluginOptions RichOptions() {
  TestPluginOptions options;
  options.editConfig = [](PluginConfig& config) {
    config.nParams = kNumRichParams;
    config.nPresets = kNumRichPresets;
    config.plugHasUI = true;
    config.plugWidth = kEditorWidth;
    config.plugHeight = kEditorHeight;
    config.plugMinWidth = kEditorWidth / 2;
    config.plugMaxWidth = kEditorWidth * 4;
    config.plugMinHeight = kEditorHeight / 2;
    config.plugMaxHeight = kEditorHeight * 4;
  };
  options.setUp = [](TestPlugin& plugin) {
    plugin.GetParam(kMode)->InitEnum("Mode", 1, {"Clean", "Drive", "Fuzz"}, 0, "Amp");
    plugin.GetParam(kDrive)->Init("Drive", "fizz", 0, "Amp", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr, 5.0,
                                  0.0, 10.0, 0.1);
    plugin.GetParam(kCutoff)->InitFrequency("Cutoff", 1000.0, 20.0, 20000.0, 1.0, 0, "Filter");
    for (int idx = 0; idx < static_cast<int>(kPresetNames.size()); ++idx) {
      plugin.RecallPreset(idx);
      plugin.GetParam(TestPlugin::kGain)->Set(PresetGain(idx));
      plugin.ModifyCurrentPreset(kPresetNames[static_cast<size_t>(idx)].c_str());
    }
    plugin.RecallPreset(0);
    plugin.SetMakeGraphicsFunc([&plugin] { return new ViewGraphics(plugin, kEditorWidth, kEditorHeight); });
  };
  return options;
}

// The rich options with a further change to the configuration.
inline TestPluginOptions RichOptionsWith(std::function<void(PluginConfig&)> edit) {
  TestPluginOptions options = RichOptions();
  options.editConfig = [rich = options.editConfig, edit = std::move(edit)](PluginConfig& config) {
    rich(config);
    edit(config);
  };
  return options;
}

// The test plug-in opened as a host opens it, with the given options.
class OpenedPlugin {
public:
  explicit OpenedPlugin(const TestPluginOptions& options = RichOptions()) {
    TestPlugin::SetEntryOptions(&options);
    OSStatus status = noErr;
    mInstance = orvane::host::AudioUnitInstance::Open(TestPluginComponent(), status);
    TestPlugin::SetEntryOptions(nullptr);
    EXPECT_EQ(status, noErr);
  }

  orvane::host::AudioUnitInstance& Unit() { return *mInstance; }
  TestPlugin& Plugin() { return *TestPluginInBlock(mInstance->Block()); }

private:
  std::unique_ptr<orvane::host::AudioUnitInstance> mInstance;
};

inline std::string TextOf(CFStringRef string) {
  std::string text;
  CopyCFStringText(string, text);
  return text;
}

}  // namespace plugkit::testing
