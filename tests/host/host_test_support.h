#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "host/audio_unit_instance.h"
#include "host/component_bundle.h"
#include "host/component_identity.h"
#include "support/test_paths.h"

namespace orvane::host::testing {

// The test plug-in bundles, loaded once per process as a host would.
inline const ComponentBundle& LoadedBundle(const char* folder) {
  static std::map<std::string, std::unique_ptr<ComponentBundle>>* bundles =
      new std::map<std::string, std::unique_ptr<ComponentBundle>>;
  auto& bundle = (*bundles)[folder];
  if (!bundle) {
    std::string error;
    bundle = ComponentBundle::Load(folder, error);
    if (!bundle) ADD_FAILURE() << error;
  }
  return *bundle;
}

inline const ComponentBundle& TestPluginBundle() { return LoadedBundle(AU_TEST_PLUGIN_BUNDLE); }
inline const ComponentBundle& ThrowingPluginBundle() { return LoadedBundle(AU_THROWING_PLUGIN_BUNDLE); }

// The test plug-in's inspection functions, found in its library.
struct TestPluginProbe {
  using CountOfBlock = int (*)(void* block);
  using Count = int (*)();

  explicit TestPluginProbe(const ComponentBundle& bundle)
      : midiCount(reinterpret_cast<CountOfBlock>(bundle.Symbol("AUTestPlugin_MidiCount"))),
        idleTicks(reinterpret_cast<CountOfBlock>(bundle.Symbol("AUTestPlugin_IdleTicks"))),
        liveInstances(reinterpret_cast<Count>(bundle.Symbol("AUTestPlugin_LiveInstances"))) {}

  CountOfBlock midiCount;
  CountOfBlock idleTicks;
  Count liveInstances;
};

inline std::unique_ptr<AudioUnitInstance> OpenTestPlugin() {
  OSStatus status = noErr;
  auto instance = AudioUnitInstance::Open(TestPluginBundle(), status);
  EXPECT_EQ(status, noErr);
  return instance;
}

}  // namespace orvane::host::testing
