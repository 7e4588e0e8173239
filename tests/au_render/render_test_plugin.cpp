#include "render_test_plugin.h"

#include <standin/testing/component_instances.h>

#include "framework/au/au_component_entry.h"

namespace plugkit::testing {

namespace {

RenderPluginOptions sNextOptions;

PluginConfig MakeConfig() {
  PluginConfig config;
  config.nParams = RenderTestPlugin::kNumParams;
  config.nPresets = 1;
  config.channelIOStr = sNextOptions.channelIO;
  config.pluginName = "AU Render Test";
  config.productName = "AU Render Test";
  config.mfrName = "Plugkit Tests";
  config.vendorVersion = 0x00010000;
  config.uniqueID = MakeFourCC("Arnd");
  config.mfrID = MakeFourCC("Plkt");
  config.plugDoesMidiIn = true;
  config.plugType = sNextOptions.plugType;
  config.bundleID = "com.plugkit.tests.aurendertest";
  return config;
}

}  // namespace

RenderTestPlugin::RenderTestPlugin(const InstanceInfo& info)
    : IPluginAU(info, MakeConfig()), mEchoMidi(sNextOptions.echoMidi) {
  GetParam(kGain)->InitGain("Gain", 1.0, 0.0, kGainMax, 0.001);
}

void RenderTestPlugin::SetNextOptions(const RenderPluginOptions& options) { sNextOptions = options; }

void RenderTestPlugin::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  mMidiBeforeLastBlock.store(mMidiCount.load(std::memory_order_relaxed), std::memory_order_relaxed);
  mLastBlockTiming = GetTimeInfo();
  IPluginProcessor::ProcessBlock(inputs, outputs, nFrames);
  const double gain = GetParam(kGain)->Value();
  for (int c = 0; c < MaxNChannels(kOutput); ++c) {
    if (!outputs || !outputs[c]) continue;
    for (int i = 0; i < nFrames; ++i) outputs[c][i] *= gain;
  }
  mLastBlockFrames.store(nFrames, std::memory_order_relaxed);
  mBlocks.fetch_add(1, std::memory_order_release);
}

void RenderTestPlugin::HandleMidiInput(const IMidiMsg& msg) {
  mLastMidiData2.store(msg.mData2, std::memory_order_relaxed);
  mMidiCount.fetch_add(1, std::memory_order_release);
  if (mEchoMidi) SendMidiToOutput(msg);
}

void RenderTestPlugin::SetInputCallback(int bus, AURenderCallback proc, void* refCon) {
  AUInputConnection connection;
  connection.renderCallback = {proc, refCon};
  SetInputConnection(bus, connection);
}

void RenderTestPlugin::SetInputConnection(int bus, const AUInputConnection& connection) {
  *mInputConnections.Get(bus) = connection;
  AssessInputConnections();
}

}  // namespace plugkit::testing

PLUGKIT_AU_ENTRY_POINTS(plugkit::testing::RenderTestPlugin, AURenderTest_Entry, AURenderTest_Factory,
                        "AURenderTest_View")

namespace plugkit::testing {

RenderTestPlugin* RenderTestPluginInBlock(void* block) {
  return AUComponent<AURenderTest_EntryTraits>::ObjectOf(block);
}

OpenedRenderPlugin::OpenedRenderPlugin(const RenderPluginOptions& options) {
  static const AudioComponentDescription description{kAudioUnitType_Effect, standin::FourCharCodeOf("Arnd"),
                                                     standin::FourCharCodeOf("Plkt"), 0, 0};
  RenderTestPlugin::SetNextOptions(options);
  static const AudioComponent component = AudioComponentRegister(&description, nullptr, 0, &AURenderTest_Factory);
  if (AudioComponentInstanceNew(component, &mUnit) == noErr)
    mPlugin = RenderTestPluginInBlock(standin::testing::PlugInInterfaceOf(mUnit));
}

OpenedRenderPlugin::~OpenedRenderPlugin() {
  if (mUnit) AudioComponentInstanceDispose(mUnit);
}

}  // namespace plugkit::testing
