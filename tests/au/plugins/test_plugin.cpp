#include "test_plugin.h"

#include <cstdlib>
#include <stdexcept>

#include "framework/au/au_component_entry.h"
#include "framework/au/view_factory.h"

namespace plugkit::testing {

namespace {

constexpr const char* kChannelIOVariable = "AUTEST_CHANNEL_IO";

PluginConfig MakeConfig(const TestPluginOptions& options) {
  PluginConfig config;
  config.nParams = TestPlugin::kNumParams;
  config.nPresets = TestPlugin::kNumPresets;
  config.channelIOStr = options.channelIO;
  config.pluginName = "AU Test Plugin";
  config.productName = "AU Test Plugin";
  config.mfrName = "Plugkit Tests";
  config.vendorVersion = TestPlugin::kVersion;
  config.uniqueID = MakeFourCC("Atst");
  config.mfrID = MakeFourCC("Plkt");
  config.plugDoesMidiIn = options.doesMidiIn;
  config.plugType = kEffect;
  config.bundleID = TestPlugin::kBundleID;
  if (options.editConfig) options.editConfig(config);
  return config;
}

}  // namespace

std::atomic<int> TestPlugin::sLiveInstances{0};
const TestPluginOptions* TestPlugin::sEntryOptions = nullptr;

TestPluginOptions TestPlugin::OptionsFromEnvironment() {
  TestPluginOptions options = sEntryOptions ? *sEntryOptions : TestPluginOptions{};
  if (const char* channelIO = std::getenv(kChannelIOVariable)) options.channelIO = channelIO;
  return options;
}

TestPlugin::TestPlugin(const InstanceInfo& info, const TestPluginOptions& options)
    : IPluginAU(info, MakeConfig(options)) {
  GetParam(kGain)->InitGain("Gain", 1.0, 0.0, kGainMax, 0.001);
  GetParam(kSteps)->Init("Steps", "", IParam::kFlagStepped, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr,
                         0.0, 0.0, kStepsMax, kStepsStep);
  RecallPreset(0);  // fills the first slot; Open drops the others
  if (options.setUp) options.setUp(*this);
  sLiveInstances.fetch_add(1);
}

TestPlugin::~TestPlugin() { sLiveInstances.fetch_sub(1); }

void TestPlugin::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  IPluginProcessor::ProcessBlock(inputs, outputs, nFrames);
  const double gain = GetParam(kGain)->Value();
  for (int c = 0; c < MaxNChannels(kOutput); ++c) {
    if (!outputs[c]) continue;
    for (int i = 0; i < nFrames; ++i) outputs[c][i] *= gain;
  }
}

void TestPlugin::HandleMidiInput(const IMidiMsg& msg) {
  mLastMidi = msg;
  mMidiCount.fetch_add(1, std::memory_order_release);
}

void TestPlugin::HandleSysExInput(const ISysExMsg& msg) {
  mLastSysExSize.store(msg.mSize, std::memory_order_relaxed);
  mSysExCount.fetch_add(1, std::memory_order_release);
}

void TestPlugin::OnParamValueChanged(int paramIdx, EParamSource source, int sampleOffset) {
  mLastChangeSource.store(source, std::memory_order_relaxed);
  mLastChangeOffset.store(sampleOffset, std::memory_order_relaxed);
  mParamChanges.fetch_add(1, std::memory_order_release);
  IPluginAU::OnParamValueChanged(paramIdx, source, sampleOffset);
}

void TestPlugin::OnProcessorReset() {
  if (mThrowOnReset.load()) throw std::runtime_error("reset refused");
  mResets.fetch_add(1, std::memory_order_relaxed);
}

void TestPlugin::OnAllParamsReset(EParamSource source) {
  mAllParamsResets.fetch_add(1, std::memory_order_relaxed);
  IPluginAU::OnAllParamsReset(source);
}

}  // namespace plugkit::testing

PLUGKIT_AU_ENTRY_POINTS(plugkit::testing::TestPlugin, AUTestPlugin_Entry, AUTestPlugin_Factory, "AUTestPlugin_View")
PLUGKIT_AU_VIEW_FACTORY(AUTestPlugin_View, "AU Test Plugin View")

namespace plugkit::testing {

TestPlugin* TestPluginInBlock(void* block) { return AUComponent<AUTestPlugin_EntryTraits>::ObjectOf(block); }

}  // namespace plugkit::testing

// What the bundle suites read of an instance through the C interface.
PLUGKIT_AU_EXPORT int AUTestPlugin_MidiCount(void* block) {
  const auto* plugin = plugkit::testing::TestPluginInBlock(block);
  return plugin ? plugin->mMidiCount.load() : -1;
}

PLUGKIT_AU_EXPORT int AUTestPlugin_IdleTicks(void* block) {
  const auto* plugin = plugkit::testing::TestPluginInBlock(block);
  return plugin ? plugin->mIdleTicks.load() : -1;
}

PLUGKIT_AU_EXPORT int AUTestPlugin_LiveInstances() { return plugkit::testing::TestPlugin::LiveInstances(); }
