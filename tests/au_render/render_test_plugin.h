#pragma once

#include <AudioUnit/AudioUnit.h>

#include <atomic>
#include <memory>

#include "framework/au/plugin_au.h"

namespace plugkit::testing {

// What a test chooses of the next render test plug-in it opens.
struct RenderPluginOptions {
  const char* channelIO = "1-2";
  EPlugType plugType = kEffect;
  // Incoming MIDI goes on to the host's MIDI output, as the processor's default does.
  bool echoMidi = false;
};

// A plug-in for the render path: output c is input c (silence where there is
// none) times the gain parameter; it counts blocks and MIDI and keeps the
// host timing of the last block. The counters are atomics so that threaded
// tests may read them while it renders.
class RenderTestPlugin : public IPluginAU {
public:
  enum EParams { kGain = 0, kNumParams };
  static constexpr double kGainMax = 4.0;

  explicit RenderTestPlugin(const InstanceInfo& info);

  // Applies to the instances opened after the call.
  static void SetNextOptions(const RenderPluginOptions& options);

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void HandleMidiInput(const IMidiMsg& msg) override;

  // What a host's property writes store, for tests that drive the records directly.
  void SetInputCallback(int bus, AURenderCallback proc, void* refCon);
  void SetInputConnection(int bus, const AUInputConnection& connection);
  void SetHostCallbacks(const HostCallbackInfo& callbacks) { mHostCallbacks = callbacks; }
  void SetMidiOutput(const AUMIDIOutputCallbackStruct& output) { mMidiOutputCallback = output; }
  void SetHostChannels(ERoute direction, int bus, int channels) { Buses(direction).Get(bus)->hostChannels = channels; }
  AUBusRecord& MutableBus(ERoute direction, int bus) { return *Buses(direction).Get(bus); }

  const float* InputScratch() const { return mInputScratch.Get(); }
  const float* OutputScratch() const { return mOutputScratch.Get(); }
  int OutputScratchSize() const { return mOutputScratch.GetSize(); }
  int InputScratchSize() const { return mInputScratch.GetSize(); }
  double LastRenderSampleTime() const { return mLastRenderSampleTime; }
  const AudioTimeStamp& LastTimeStamp() const { return mLastTimeStamp; }

  std::atomic<int> mBlocks{0};
  std::atomic<int> mMidiCount{0};
  // MIDI messages handled before the latest block began.
  std::atomic<int> mMidiBeforeLastBlock{0};
  std::atomic<int> mLastBlockFrames{-1};
  std::atomic<int> mLastMidiData2{-1};
  ITimeInfo mLastBlockTiming;  // render thread; read once it returned

private:
  bool mEchoMidi;
};

// The object in a block that the render test plug-in's factory made.
RenderTestPlugin* RenderTestPluginInBlock(void* block);

// The render test plug-in opened through the component registry, as a host
// opens it; closed at the end.
class OpenedRenderPlugin {
public:
  explicit OpenedRenderPlugin(const RenderPluginOptions& options = {});
  ~OpenedRenderPlugin();
  OpenedRenderPlugin(const OpenedRenderPlugin&) = delete;
  OpenedRenderPlugin& operator=(const OpenedRenderPlugin&) = delete;

  AudioUnit Unit() const { return mUnit; }
  RenderTestPlugin& Plugin() const { return *mPlugin; }

private:
  AudioUnit mUnit = nullptr;
  RenderTestPlugin* mPlugin = nullptr;
};

}  // namespace plugkit::testing
