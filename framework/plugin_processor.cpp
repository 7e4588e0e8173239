#include "framework/plugin_processor.h"

#include <AudioUnit/AUComponent.h>

#include <algorithm>
#include <cstring>

namespace plugkit {

namespace {

constexpr double kSecondsPerMinute = 60.0;

// The channel range [first, first + count) cut to the channels that exist.
struct ChannelRange {
  int begin;
  int end;
};

ChannelRange ClampRange(int first, int count, int nChannels) {
  const long long begin = std::clamp<long long>(first, 0, nChannels);
  const long long end = std::clamp<long long>(static_cast<long long>(first) + std::max(count, 0), begin, nChannels);
  return {static_cast<int>(begin), static_cast<int>(end)};
}

// The samples of a block that a work buffer can hold.
int FramesWithin(const IChannelData& channel, int nFrames) {
  return std::clamp(nFrames, 0, channel.mWorkBuffer.GetSize());
}

void ClearSamples(double* samples, int nFrames) {
  if (samples && nFrames > 0)
    std::fill(samples, samples + nFrames, 0.0);
}

}  // namespace

IPluginProcessor::IPluginProcessor(const PluginConfig& config, int /*apiId*/)
    : mPlugType(static_cast<EPlugType>(config.plugType)),
      mDoesMidiIn(config.plugDoesMidiIn),
      mDoesMidiOut(config.plugDoesMidiOut),
      mDoesMPE(config.plugDoesMPE),
      mLatency(config.latency) {
  int totalNInChans = 0;
  int totalNOutChans = 0;
  int totalNInBuses = 0;
  int totalNOutBuses = 0;
  ParseChannelIOStr(config.channelIOStr, mIOConfigs, totalNInChans, totalNOutChans, totalNInBuses, totalNOutBuses);
  // A wildcard bus counts negatively; such a configuration carries no channels.
  CreateChannels(kInput, std::max(0, totalNInChans));
  CreateChannels(kOutput, std::max(0, totalNOutChans));
}

IPluginProcessor::~IPluginProcessor() = default;

void IPluginProcessor::CreateChannels(ERoute direction, int count) {
  mPointers[direction].assign(static_cast<size_t>(count), nullptr);
  auto& channels = Channels(direction);
  channels.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto channel = std::make_unique<IChannelData>();
    channel->mSlot = &mPointers[direction][static_cast<size_t>(i)];
    channels.push_back(std::move(channel));
  }
}

void IPluginProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  const int nIn = inputs ? MaxNChannels(kInput) : 0;
  const int nOut = outputs ? MaxNChannels(kOutput) : 0;
  for (int c = 0; c < nOut; ++c) {
    if (!outputs[c])
      continue;
    if (c < nIn && inputs[c]) {
      if (outputs[c] != inputs[c])
        std::memmove(outputs[c], inputs[c], static_cast<size_t>(std::max(nFrames, 0)) * sizeof(double));
    } else {
      ClearSamples(outputs[c], nFrames);
    }
  }
}

void IPluginProcessor::HandleMidiInput(const IMidiMsg& msg) {
  SendMidiToOutput(msg);
}

void IPluginProcessor::HandleSysExInput(const ISysExMsg& /*msg*/) {}

void IPluginProcessor::SetActive(bool /*active*/) {}

bool IPluginProcessor::SendMidiToOutput(const IMidiMsg& /*msg*/) {
  return false;
}

bool IPluginProcessor::SendMidiListToOutput(std::span<const IMidiMsg> msgs) {
  bool allSent = true;
  for (const IMidiMsg& msg : msgs)
    allSent = SendMidiToOutput(msg) && allSent;
  return allSent;
}

bool IPluginProcessor::SendSysExToOutput(const ISysExMsg& /*msg*/) {
  return false;
}

void IPluginProcessor::GetBusName(ERoute direction, int busIdx, int nBuses, StrBuf& out) const {
  constexpr int kMaxBusNameLength = 64;
  if (direction == kOutput) {
    if (nBuses == 1)
      out.Set("Output");
    else
      out.SetFormatted(kMaxBusNameLength, "Output %i", busIdx);
    return;
  }
  if (nBuses == 2)
    out.Set(busIdx == 0 ? "Main" : "Aux");
  else if (nBuses == 1)
    out.Set("Input");
  else
    out.SetFormatted(kMaxBusNameLength, "Input %i", busIdx);
}

void IPluginProcessor::SetLatency(int samples) {
  mLatency = samples;
  ResizeLatencyDelay();
}

void IPluginProcessor::ResizeLatencyDelay() {
  if (!mLatencyDelay)
    return;
  LatencyDelay& delay = *mLatencyDelay;
  delay.mLength = static_cast<uint32_t>(std::max(mLatency, 0));
  const long long size = static_cast<long long>(delay.mLength) * delay.mNInputs;
  delay.mBuffer.Resize(static_cast<int>(std::min<long long>(size, INT32_MAX)));
  if (delay.mBuffer.GetSize() != size)
    delay.mLength = 0;  // could not grow: pass through undelayed rather than overrun
  ClearSamples(delay.mBuffer.Get(), delay.mBuffer.GetSize());
  delay.mPosition = 0;
}

void IPluginProcessor::SetTailLength(int samples) {
  mTailSize = samples;
}

const IOConfig* IPluginProcessor::GetIOConfig(int idx) const {
  return idx >= 0 && idx < NIOConfigs() ? &mIOConfigs[static_cast<size_t>(idx)] : nullptr;
}

int IPluginProcessor::MaxNBuses(ERoute direction, int* configIdx) const {
  int maxBuses = 0;
  int maxIdx = -1;
  for (int i = 0; i < NIOConfigs(); ++i) {
    const int nBuses = mIOConfigs[static_cast<size_t>(i)].NBuses(direction);
    if (nBuses >= maxBuses) {
      maxBuses = nBuses;
      maxIdx = i;
    }
  }
  if (configIdx)
    *configIdx = maxIdx;
  return maxBuses;
}

int IPluginProcessor::MaxNChannelsForBus(ERoute direction, int busIdx) const {
  if (mIOConfigs.empty())
    return 0;
  if (mIOConfigs.front().ContainsWildcard(direction))
    return -1;
  int maxChannels = 0;
  for (const IOConfig& config : mIOConfigs) {
    if (const IBusInfo* bus = config.GetBusInfo(direction, busIdx))
      maxChannels = std::max(maxChannels, bus->mNChans);
  }
  return maxChannels;
}

int IPluginProcessor::GetIOConfigWithChanCounts(std::span<const int> inputBusChans,
                                                std::span<const int> outputBusChans) const {
  auto matches = [](std::span<const IBusInfo> buses, std::span<const int> counts) {
    return std::equal(buses.begin(), buses.end(), counts.begin(), counts.end(),
                      [](const IBusInfo& bus, int count) { return bus.mNChans == count; });
  };
  for (int i = 0; i < NIOConfigs(); ++i) {
    const IOConfig& config = mIOConfigs[static_cast<size_t>(i)];
    if (matches(config.Buses(kInput), inputBusChans) && matches(config.Buses(kOutput), outputBusChans))
      return i;
  }
  return -1;
}

bool IPluginProcessor::LegalIO(int nIn, int nOut) const {
  return std::any_of(mIOConfigs.begin(), mIOConfigs.end(), [&](const IOConfig& config) {
    return (nIn < 0 || nIn == config.NChansOnBusSum(kInput)) &&
           (nOut < 0 || nOut == config.NChansOnBusSum(kOutput));
  });
}

bool IPluginProcessor::IsChannelConnected(ERoute direction, int chIdx) const {
  return chIdx >= 0 && chIdx < MaxNChannels(direction) && Channels(direction)[static_cast<size_t>(chIdx)]->mConnected;
}

int IPluginProcessor::ConnectedChannelCount(ERoute direction) const {
  return static_cast<int>(std::count_if(Channels(direction).begin(), Channels(direction).end(),
                                        [](const auto& channel) { return channel->mConnected; }));
}

void IPluginProcessor::SetChannelConnections(ERoute direction, int first, int count, bool connected) {
  const ChannelRange range = ClampRange(first, count, MaxNChannels(direction));
  for (int i = range.begin; i < range.end; ++i) {
    IChannelData& channel = *Channels(direction)[static_cast<size_t>(i)];
    channel.mConnected = connected;
    // A disconnected channel still gives ProcessBlock memory to read and write.
    if (!connected)
      *channel.mSlot = channel.mWorkBuffer.Get();
  }
}

void IPluginProcessor::SetChannelLabel(ERoute direction, int idx, const char* format, bool zeroBased) {
  if (idx < 0 || idx >= MaxNChannels(direction))
    return;
  Channels(direction)[static_cast<size_t>(idx)]->mLabel.SetFormatted(IChannelData::kMaxLabelLength, format,
                                                                    idx + (zeroBased ? 0 : 1));
}

const char* IPluginProcessor::GetChannelLabel(ERoute direction, int idx) const {
  if (idx < 0 || idx >= MaxNChannels(direction))
    return "";
  return Channels(direction)[static_cast<size_t>(idx)]->mLabel.Get();
}

void IPluginProcessor::AttachBuffers(ERoute direction, int first, int count, double** data, int /*nFrames*/) {
  const ChannelRange range = ClampRange(first, count, MaxNChannels(direction));
  for (int i = range.begin; i < range.end; ++i) {
    IChannelData& channel = *Channels(direction)[static_cast<size_t>(i)];
    if (channel.mConnected)
      *channel.mSlot = *data++;
  }
}

void IPluginProcessor::AttachBuffers(ERoute direction, int first, int count, float** data, int nFrames) {
  const ChannelRange range = ClampRange(first, count, MaxNChannels(direction));
  for (int i = range.begin; i < range.end; ++i) {
    IChannelData& channel = *Channels(direction)[static_cast<size_t>(i)];
    if (!channel.mConnected)
      continue;
    double* work = channel.mWorkBuffer.Get();
    float* hostBuffer = *data++;
    if (direction == kInput && hostBuffer)
      std::copy_n(hostBuffer, FramesWithin(channel, nFrames), work);
    else if (direction == kOutput)
      channel.mHostBuffer = hostBuffer;
    *channel.mSlot = work;
  }
}

void IPluginProcessor::ProcessBuffers(double, int nFrames) {
  ProcessBlock(Pointers(kInput), Pointers(kOutput), nFrames);
}

void IPluginProcessor::ProcessBuffers(float, int nFrames) {
  ProcessBuffers(0.0, nFrames);
  WriteConnectedOutputs(nFrames, false);
}

void IPluginProcessor::ProcessBuffersAccumulating(float, int nFrames) {
  ProcessBuffers(0.0, nFrames);
  WriteConnectedOutputs(nFrames, true);
}

void IPluginProcessor::WriteConnectedOutputs(int nFrames, bool accumulate) {
  for (const auto& channel : Channels(kOutput)) {
    if (!channel->mConnected || !channel->mHostBuffer)
      continue;
    const double* work = channel->mWorkBuffer.Get();
    float* host = channel->mHostBuffer;
    const int frames = FramesWithin(*channel, nFrames);
    for (int s = 0; s < frames; ++s)
      host[s] = accumulate ? host[s] + static_cast<float>(work[s]) : static_cast<float>(work[s]);
  }
}

void IPluginProcessor::PassThroughBuffers(double, int nFrames) {
  if (mLatency != 0 && mLatencyDelay && mLatencyDelay->mLength > 0)
    PassThroughDelayed(nFrames);
  else
    PassThroughUndelayed(nFrames);
}

void IPluginProcessor::PassThroughBuffers(float, int nFrames) {
  PassThroughBuffers(0.0, nFrames);
  WriteConnectedOutputs(nFrames, false);
}

void IPluginProcessor::PassThroughUndelayed(int nFrames) {
  double** inputs = Pointers(kInput);
  double** outputs = Pointers(kOutput);
  const int nIn = MaxNChannels(kInput);
  for (int c = 0; c < MaxNChannels(kOutput); ++c) {
    double* out = outputs[c];
    if (!out)
      continue;
    const double* in = c < nIn ? inputs[c] : nullptr;
    if (in) {
      if (in != out)
        std::memmove(out, in, static_cast<size_t>(std::max(nFrames, 0)) * sizeof(double));
    } else {
      ClearSamples(out, nFrames);
    }
  }
}

void IPluginProcessor::PassThroughDelayed(int nFrames) {
  LatencyDelay& delay = *mLatencyDelay;
  double** inputs = Pointers(kInput);
  double** outputs = Pointers(kOutput);
  const int nDelayed = std::min({delay.mNInputs, delay.mNOutputs, MaxNChannels(kInput), MaxNChannels(kOutput)});
  double* line = delay.mBuffer.Get();
  for (int s = 0; s < std::max(nFrames, 0); ++s) {
    for (int c = 0; c < nDelayed; ++c) {
      double& stored = line[delay.mPosition + static_cast<size_t>(c) * delay.mLength];
      const double delayed = stored;
      stored = inputs[c] ? inputs[c][s] : 0.0;
      if (outputs[c])
        outputs[c][s] = delayed;
    }
    delay.mPosition = (delay.mPosition + 1) % delay.mLength;
  }
  // Outputs that the delay does not feed would otherwise keep stale audio.
  for (int c = std::max(nDelayed, 0); c < MaxNChannels(kOutput); ++c)
    ClearSamples(outputs[c], nFrames);
}

void IPluginProcessor::ZeroScratchBuffers() {
  for (auto& channels : mChannels) {
    for (auto& channel : channels)
      ClearSamples(channel->mWorkBuffer.Get(), std::min(mBlockSize, channel->mWorkBuffer.GetSize()));
  }
}

void IPluginProcessor::SetBlockSize(int blockSize) {
  blockSize = std::max(blockSize, 0);
  if (blockSize != mBlockSize) {
    for (auto& channels : mChannels) {
      for (auto& channel : channels) {
        channel->mWorkBuffer.Resize(blockSize);
        ClearSamples(channel->mWorkBuffer.Get(), channel->mWorkBuffer.GetSize());
        // The slot may still hold the buffer's old memory; the next attach re-points connected channels anyway.
        *channel->mSlot = channel->mWorkBuffer.Get();
      }
    }
  }
  mBlockSize = blockSize;
}

void IPluginProcessor::InitLatencyDelay() {
  if (MaxNChannels(kInput) == 0)
    return;
  auto delay = std::make_unique<LatencyDelay>();
  delay->mNInputs = MaxNChannels(kInput);
  delay->mNOutputs = MaxNChannels(kOutput);
  mLatencyDelay = std::move(delay);
  ResizeLatencyDelay();
}

double IPluginProcessor::GetSamplesPerBeat() const {
  return mTimeInfo.mTempo > 0.0 ? mSampleRate * kSecondsPerMinute / mTimeInfo.mTempo : 0.0;
}

uint32_t IPluginProcessor::GetAUPluginType() const {
  switch (mPlugType) {
    case kEffect:
      return mDoesMidiIn ? kAudioUnitType_MusicEffect : kAudioUnitType_Effect;
    case kInstrument:
      return kAudioUnitType_MusicDevice;
    case kMIDIEffect:
      return kAudioUnitType_MIDIProcessor;
    case kGenerator:
      return kAudioUnitType_Generator;
  }
  return kAudioUnitType_Effect;
}

}  // namespace plugkit
