#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "common/heap_buf.h"
#include "common/str_buf.h"
#include "framework/channel_io_config.h"
#include "framework/core/midi_msg.h"
#include "framework/plugin_config.h"

namespace plugkit {

// What a plug-in is to its host.
enum EPlugType : int32_t { kEffect = 0, kInstrument = 1, kMIDIEffect = 2, kGenerator = 3 };

// The host's musical timing, refreshed before each processed block.
struct ITimeInfo {
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int32_t mNumerator = 4;
  int32_t mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// One input or output channel: whether the host feeds it, its slot in the
// pointer array that ProcessBlock receives, and a double work buffer that the
// slot points at whenever the host's own buffer is not used directly.
struct IChannelData {
  static constexpr int kWorkBufferGranularity = 4096;
  static constexpr int kMaxLabelLength = 32;

  bool mConnected = false;
  double** mSlot = nullptr;
  float* mHostBuffer = nullptr;
  TypedBuf<double> mWorkBuffer{kWorkBufferGranularity};
  StrBuf mLabel;
};

// The delay line that keeps bypassed audio aligned with the reported latency:
// `length` samples per input channel, channel after channel.
struct LatencyDelay {
  TypedBuf<double> mBuffer;
  int mNInputs = 0;
  int mNOutputs = 0;
  uint32_t mPosition = 0;
  uint32_t mLength = 0;
};

// The audio-processing base of a plug-in: channel configurations, channels
// and their work buffers, the float/double conversion around ProcessBlock,
// pass-through (delayed by the latency) while bypassed, and the sample rate,
// block size, latency, tail and host timing.
class IPluginProcessor {
public:
  static constexpr double kDefaultSampleRate = 48000.0;
  static constexpr int32_t kInfiniteTail = 2147483647;

  IPluginProcessor(const PluginConfig& config, int apiId);
  virtual ~IPluginProcessor();
  IPluginProcessor(const IPluginProcessor&) = delete;
  IPluginProcessor& operator=(const IPluginProcessor&) = delete;

  // Overridables. The default ProcessBlock copies input c to output c where
  // there is one and clears the other outputs.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  virtual void HandleMidiInput(const IMidiMsg& msg);
  virtual void HandleSysExInput(const ISysExMsg& msg);
  virtual void OnProcessorReset() {}
  virtual void SetActive(bool active);
  virtual bool SendMidiToOutput(const IMidiMsg& msg);
  virtual bool SendMidiListToOutput(std::span<const IMidiMsg> msgs);
  virtual bool SendSysExToOutput(const ISysExMsg& msg);
  virtual void GetBusName(ERoute direction, int busIdx, int nBuses, StrBuf& out) const;
  virtual void SetLatency(int samples);
  virtual void SetTailLength(int samples);

  // Channel configurations.
  int NIOConfigs() const { return static_cast<int>(mIOConfigs.size()); }
  const IOConfig* GetIOConfig(int idx) const;
  int MaxNBuses(ERoute direction, int* configIdx = nullptr) const;
  int MaxNChannelsForBus(ERoute direction, int busIdx) const;
  int GetIOConfigWithChanCounts(std::span<const int> inputBusChans, std::span<const int> outputBusChans) const;
  bool LegalIO(int nIn, int nOut) const;

  // Channels.
  int MaxNChannels(ERoute direction) const { return static_cast<int>(Channels(direction).size()); }
  bool IsChannelConnected(ERoute direction, int chIdx) const;
  int ConnectedChannelCount(ERoute direction) const;
  void SetChannelConnections(ERoute direction, int first, int count, bool connected);
  void SetChannelLabel(ERoute direction, int idx, const char* format, bool zeroBased = false);
  const char* GetChannelLabel(ERoute direction, int idx) const;

  // Buffers, on the render thread. Every channel index is clamped to the
  // channels that exist.
  void AttachBuffers(ERoute direction, int first, int count, double** data, int nFrames);
  void AttachBuffers(ERoute direction, int first, int count, float** data, int nFrames);
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffers(float, int nFrames);
  void ProcessBuffersAccumulating(float, int nFrames);
  void PassThroughBuffers(double, int nFrames);
  void PassThroughBuffers(float, int nFrames);
  void ZeroScratchBuffers();

  // Settings, from the host's property thread.
  void SetBlockSize(int blockSize);
  void InitLatencyDelay();
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  void SetBypassed(bool bypassed) { mBypassed = bypassed; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }

  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  bool GetTailIsInfinite() const { return mTailSize == kInfiniteTail; }
  bool GetBypassed() const { return mBypassed; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  EPlugType GetPlugType() const { return mPlugType; }
  bool DoesMIDIIn() const { return mDoesMidiIn; }
  bool DoesMIDIOut() const { return mDoesMidiOut; }
  bool DoesMPE() const { return mDoesMPE; }
  const ITimeInfo& GetTimeInfo() const { return mTimeInfo; }
  double GetSamplesPerBeat() const;
  uint32_t GetAUPluginType() const;

protected:
  // The wrapper refreshes the timing before each processed block.
  ITimeInfo mTimeInfo;

private:
  std::vector<std::unique_ptr<IChannelData>>& Channels(ERoute direction) { return mChannels[direction]; }
  const std::vector<std::unique_ptr<IChannelData>>& Channels(ERoute direction) const { return mChannels[direction]; }
  double** Pointers(ERoute direction) { return mPointers[direction].empty() ? nullptr : mPointers[direction].data(); }
  void CreateChannels(ERoute direction, int count);
  void WriteConnectedOutputs(int nFrames, bool accumulate);
  void PassThroughDelayed(int nFrames);
  // Sizes and clears the delay line for the current latency.
  void ResizeLatencyDelay();
  void PassThroughUndelayed(int nFrames);

  EPlugType mPlugType;
  bool mDoesMidiIn;
  bool mDoesMidiOut;
  bool mDoesMPE;
  int32_t mLatency;
  double mSampleRate = kDefaultSampleRate;
  int32_t mBlockSize = 0;
  int32_t mTailSize = 0;
  bool mBypassed = false;
  bool mRenderingOffline = false;
  std::vector<IOConfig> mIOConfigs;
  std::vector<double*> mPointers[kNumRoutes];
  std::vector<std::unique_ptr<IChannelData>> mChannels[kNumRoutes];
  std::unique_ptr<LatencyDelay> mLatencyDelay;
};

}  // namespace plugkit
