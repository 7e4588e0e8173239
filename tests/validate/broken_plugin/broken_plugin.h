#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <string>

#include "framework/au/au_export.h"
#include "framework/au/plugin_au.h"

namespace plugkit::testing {

// The faults the broken plug-in can have, chosen per process through
// $BROKEN_PLUGIN_FAULTS (a comma-separated list of the names below; "none"
// for a plug-in without faults). Unset, it has kStateDrift and kLoudOutput.
struct BrokenPluginFaults {
  bool stateDrift = false;    // "state": every state read differs from the last
  bool loudOutput = false;    // "loud": the output is the input times four
  bool crashOnMidi = false;   // "crash-on-midi": aborts on a controller message
  bool hangOnMidi = false;    // "hang-on-midi": never returns from a controller message
  bool leakPerOpen = false;   // "leak": every instance leaves a CoreFoundation object behind

  static BrokenPluginFaults FromEnvironment();
  static BrokenPluginFaults FromText(const std::string& names);
};

// A pass-through plug-in with deliberate faults, for the validation suite to find.
class BrokenPlugin : public IPluginAU {
public:
  explicit BrokenPlugin(const InstanceInfo& info);

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void HandleMidiInput(const IMidiMsg& msg) override;
  bool WriteState(IStateChunk& chunk) override;
  int ReadState(const IStateChunk& chunk, int startPos) override;

private:
  BrokenPluginFaults mFaults;
  std::atomic<std::int32_t> mStateReads{0};
};

}  // namespace plugkit::testing

PLUGKIT_AU_EXPORT AudioComponentPlugInInterface* AUBrokenPlugin_Factory(const AudioComponentDescription* desc);
PLUGKIT_AU_EXPORT ComponentResult AUBrokenPlugin_Entry(ComponentParameters* params, void* storage);
