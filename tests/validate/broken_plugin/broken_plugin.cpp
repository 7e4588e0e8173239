#include "broken_plugin.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "framework/au/au_component_entry.h"

namespace plugkit::testing {

namespace {

constexpr const char* kFaultsVariable = "BROKEN_PLUGIN_FAULTS";
constexpr const char* kDefaultFaults = "state,loud";
constexpr double kLoudGain = 4.0;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kStatusKindMask = 0xF0;
constexpr auto kHangNap = std::chrono::milliseconds(100);

PluginConfig MakeConfig() {
  PluginConfig config;
  config.nParams = 0;
  config.nPresets = 1;
  config.channelIOStr = "1-1 1-2";
  config.pluginName = "AU Broken Plugin";
  config.productName = "AU Broken Plugin";
  config.mfrName = "Plugkit Tests";
  config.vendorVersion = 0x00010000;
  config.uniqueID = MakeFourCC("Abrk");
  config.mfrID = MakeFourCC("Plkt");
  config.plugDoesMidiIn = true;
  config.plugType = kEffect;
  config.bundleID = "com.plugkit.tests.aubrokenplugin";
  return config;
}

}  // namespace

BrokenPluginFaults BrokenPluginFaults::FromEnvironment() {
  const char* names = std::getenv(kFaultsVariable);
  return FromText(names ? names : kDefaultFaults);
}

BrokenPluginFaults BrokenPluginFaults::FromText(const std::string& names) {
  BrokenPluginFaults faults;
  std::istringstream list(names);
  std::string name;
  while (std::getline(list, name, ',')) {
    if (name == "state") faults.stateDrift = true;
    if (name == "loud") faults.loudOutput = true;
    if (name == "crash-on-midi") faults.crashOnMidi = true;
    if (name == "hang-on-midi") faults.hangOnMidi = true;
    if (name == "leak") faults.leakPerOpen = true;
  }
  return faults;
}

BrokenPlugin::BrokenPlugin(const InstanceInfo& info)
    : IPluginAU(info, MakeConfig()), mFaults(BrokenPluginFaults::FromEnvironment()) {
  if (mFaults.leakPerOpen) CFStringCreateWithCString(kCFAllocatorDefault, "never released", kCFStringEncodingUTF8);
}

void BrokenPlugin::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  IPluginProcessor::ProcessBlock(inputs, outputs, nFrames);
  if (!mFaults.loudOutput) return;
  for (int c = 0; c < MaxNChannels(kOutput); ++c) {
    if (!outputs[c]) continue;
    for (int i = 0; i < nFrames; ++i) outputs[c][i] *= kLoudGain;
  }
}

void BrokenPlugin::HandleMidiInput(const IMidiMsg& msg) {
  if ((msg.mStatus & kStatusKindMask) != kControlChange) return;
  if (mFaults.crashOnMidi) std::abort();
  while (mFaults.hangOnMidi) std::this_thread::sleep_for(kHangNap);
}

bool BrokenPlugin::WriteState(IStateChunk& chunk) {
  // The drifting state counts its own reads, so no two are alike.
  const std::int32_t reads = mFaults.stateDrift ? mStateReads.fetch_add(1) + 1 : 0;
  return chunk.Put(reads);
}

int BrokenPlugin::ReadState(const IStateChunk& chunk, int startPos) {
  std::int32_t reads = 0;
  return chunk.Get(&reads, startPos);
}

}  // namespace plugkit::testing

PLUGKIT_AU_ENTRY_POINTS(plugkit::testing::BrokenPlugin, AUBrokenPlugin_Entry, AUBrokenPlugin_Factory,
                        "AUBrokenPlugin_View")
