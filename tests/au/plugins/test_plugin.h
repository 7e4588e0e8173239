#pragma once

#include <atomic>
#include <functional>

#include "framework/au/au_export.h"
#include "framework/au/plugin_au.h"

namespace plugkit::testing {

class TestPlugin;

// What a test can vary of the test plug-in.
struct TestPluginOptions {
  // Channel configurations; the entry takes them from $AUTEST_CHANNEL_IO when set.
  const char* channelIO = "1-1 1-2";
  bool doesMidiIn = true;
  // For suites that need more of the plug-in (an editor, more parameters and
  // presets): edits the configuration before construction, and sets the
  // plug-in up at the end of its constructor.
  std::function<void(PluginConfig&)> editConfig = {};
  std::function<void(TestPlugin&)> setUp = {};
};

// A small AudioUnit plug-in: a gain applied to the audio, a stepped parameter,
// and handlers that only count what reaches them (lock-free, from any thread).
class TestPlugin : public IPluginAU {
public:
  enum EParams { kGain = 0, kSteps, kNumParams };
  static constexpr int kNumPresets = 3;
  static constexpr double kStepsStep = 0.5;
  static constexpr double kStepsMax = 4.0;
  static constexpr double kGainMax = 2.0;
  static constexpr int32_t kVersion = 0x00010004;
  static constexpr const char* kBundleID = "com.plugkit.tests.autestplugin";
  static constexpr const char* kViewClassName = "AUTestPlugin_View";

  explicit TestPlugin(const InstanceInfo& info, const TestPluginOptions& options = OptionsFromEnvironment());
  ~TestPlugin() override;

  static TestPluginOptions OptionsFromEnvironment();
  // The options that instances made through the entry points start from (in
  // place of the defaults) while set; in-process suites only. Null clears.
  static void SetEntryOptions(const TestPluginOptions* options) { sEntryOptions = options; }
  static int LiveInstances() { return sLiveInstances.load(); }

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void HandleMidiInput(const IMidiMsg& msg) override;
  void HandleSysExInput(const ISysExMsg& msg) override;
  void OnParamValueChanged(int paramIdx, EParamSource source, int sampleOffset) override;
  void OnAllParamsReset(EParamSource source) override;
  void OnProcessorReset() override;
  void SetActive(bool active) override { mActive.store(active, std::memory_order_relaxed); }
  void OnIdle() override { mIdleTicks.fetch_add(1, std::memory_order_relaxed); }
  void OnHostIdentified() override { mHostIdentifications.fetch_add(1, std::memory_order_relaxed); }

  // Test access to the wrapper's records and queues.
  AUBusRecord* Bus(ERoute direction, int busIdx) { return Buses(direction).Get(busIdx); }
  bool PopMidiForEditor(IMidiMsg& msg) { return mMidiMsgsFromProcessor.Pop(msg); }
  bool PopParamForEditor(ParamChange& change) { return mParamChangeFromProcessor.Pop(change); }
  int HostVersionWord() const { return mHostVersion; }
  const char* HostName() const { return mHostName.Get(); }

  std::atomic<int> mMidiCount{0};
  IMidiMsg mLastMidi;  // written by HandleMidiInput only; read once the caller returned
  std::atomic<int> mSysExCount{0};
  std::atomic<int> mLastSysExSize{-1};
  std::atomic<int> mParamChanges{0};
  std::atomic<int> mLastChangeSource{-1};
  std::atomic<int> mLastChangeOffset{-2};
  std::atomic<int> mAllParamsResets{0};
  std::atomic<int> mResets{0};
  // Makes OnProcessorReset throw, as a faulty plug-in might.
  std::atomic<bool> mThrowOnReset{false};
  std::atomic<bool> mActive{false};
  std::atomic<int> mIdleTicks{0};
  std::atomic<int> mHostIdentifications{0};

private:
  static std::atomic<int> sLiveInstances;
  static const TestPluginOptions* sEntryOptions;
};

// The object inside an instance block that the test plug-in's factory made; null when it holds none.
TestPlugin* TestPluginInBlock(void* block);

}  // namespace plugkit::testing

// The entry points, exported by the bundle and linked into in-process suites.
PLUGKIT_AU_EXPORT AudioComponentPlugInInterface* AUTestPlugin_Factory(const AudioComponentDescription* desc);
PLUGKIT_AU_EXPORT ComponentResult AUTestPlugin_Entry(ComponentParameters* params, void* storage);
