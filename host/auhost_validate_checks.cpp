#include "host/auhost_validate_checks.h"

#include <standin/testing/run_loop.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/auhost_class_info.h"
#include "host/auhost_failure.h"
#include "host/auhost_validate_editor_check.h"
#include "host/auhost_validate_harness.h"
#include "host/auhost_validate_product_checks.h"
#include "host/component_identity.h"

namespace orvane::auhost::validate {
namespace {

constexpr int kOpenCloseCycles = 10;
constexpr UInt32 kBlock = 512;
constexpr UInt32 kOddBlock = 333;
constexpr double kShortSeconds = 0.25;
constexpr double kSettleSeconds = 1.5;
constexpr std::array<double, 8> kFormatRates = {22050.0, 32000.0, 44100.0, 48000.0,
                                                 88200.0, 96000.0, 176400.0, 192000.0};
constexpr std::array<double, 3> kNoiseRates = {44100.0, 48000.0, 96000.0};
constexpr std::array<UInt32, 5> kNoiseBlocks = {64, 128, 256, 512, 1024};
constexpr double kSecondsPerNoiseBlockSize = 0.2;
constexpr double kResetRate = 96000.0;
constexpr int kMaxTriedChannels = 3;
constexpr int kMidiChannels = 16;
constexpr int kControllers = 128;
constexpr int kControllerEventsPerBlock = 64;
constexpr UInt32 kControlChangeStatus = 0xB0;
constexpr int kMidiValues = 128;

std::string RateText(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%g Hz", rate);
  return text;
}

std::string Context(double rate, UInt32 block) {
  return RateText(rate) + ", blocks of " + std::to_string(block);
}

Channels NoiseFor(const UnitUnderTest& unit, double seconds, std::uint32_t seed) {
  return Noise(unit.FeedChannels(), FramesOf(seconds, unit.SampleRate()), seed);
}

Channels SilenceFor(const UnitUnderTest& unit, double seconds) {
  return Silence(unit.FeedChannels(), FramesOf(seconds, unit.SampleRate()));
}

// Fails at the first sample where the two renders differ.
void RequireIdentical(const Channels& expected, const Channels& actual, const std::string& what) {
  for (std::size_t channel = 0; channel < expected.size(); ++channel) {
    const auto& a = expected[channel];
    const auto& b = actual.at(channel);
    const auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (left == a.end() && right == b.end()) continue;
    const auto frame = static_cast<std::size_t>(left - a.begin());
    char values[64] = "one render is shorter";
    if (left != a.end() && right != b.end())
      std::snprintf(values, sizeof values, "%.9g against %.9g", static_cast<double>(*left),
                    static_cast<double>(*right));
    Fail(what + " at channel " + std::to_string(channel) + " frame " + std::to_string(frame) + " (" + values + ")");
  }
}

// Generic checks -------------------------------------------------------------------

void ComponentIdentity(const host::ComponentBundle& bundle) {
  std::string error;
  if (!host::CheckComponentIdentity(bundle.Info(), bundle.Component(), error)) Fail(error);
}

void OpenCloseRepeatedly(const host::ComponentBundle& bundle) {
  for (int cycle = 0; cycle < kOpenCloseCycles; ++cycle) {
    auto unit = ReadyUnit(bundle);
    // Every other instance renders and is closed while still initialised.
    if (cycle % 2 == 1) {
      RequireFiniteInRange(unit->Render(Noise(unit->FeedChannels(), kBlock, cycle), kBlock),
                           "cycle " + std::to_string(cycle));
    } else {
      unit->Uninitialize();
    }
    PumpRunLoop();
  }
}

void TwoInstances(const host::ComponentBundle& bundle) {
  auto first = ReadyUnit(bundle);
  auto second = ReadyUnit(bundle);
  const Channels input = NoiseFor(*first, kShortSeconds, 1);
  Channels firstOutput(first->Layout().outputChannels);
  Channels secondOutput(second->Layout().outputChannels);
  const std::size_t frames = input.empty() ? 0 : input.front().size();
  for (std::size_t start = 0; start < frames; start += kBlock) {
    const auto count = static_cast<UInt32>(std::min<std::size_t>(kBlock, frames - start));
    Require(first->RenderOnce(input, start, count), "rendering the first instance");
    Require(second->RenderOnce(input, start, count), "rendering the second instance");
    const Channels a = first->LastOutput();
    const Channels b = second->LastOutput();
    for (std::size_t c = 0; c < a.size(); ++c) {
      firstOutput[c].insert(firstOutput[c].end(), a[c].begin(), a[c].end());
      secondOutput[c].insert(secondOutput[c].end(), b[c].begin(), b[c].end());
    }
  }
  RequireFiniteInRange(firstOutput, "first of two instances");
  RequireIdentical(firstOutput, secondOutput, "two instances given the same input rendered differently");
}

void OpenFromTwoThreads(const host::ComponentBundle& bundle) {
  std::atomic<int> ready{0};
  std::atomic<int> finished{0};
  std::array<std::string, 2> errors;
  auto work = [&](std::size_t index) {
    ready.fetch_add(1);
    while (ready.load() < 2) std::this_thread::yield();
    try {
      auto unit = ReadyUnit(bundle);
      RequireFiniteInRange(unit->Render(NoiseFor(*unit, kShortSeconds / 2, 3), kBlock), "thread render");
    } catch (const std::exception& error) {
      errors[index] = error.what();
    }
    finished.fetch_add(1);
  };
  std::thread first(work, 0);
  std::thread second(work, 1);
  // The instances' timers fire here meanwhile, as on a host's main thread.
  while (finished.load() < 2) {
    standin::testing::RunOnce();
    std::this_thread::yield();
  }
  first.join();
  second.join();
  for (std::size_t index = 0; index < errors.size(); ++index)
    if (!errors[index].empty()) Fail("on thread " + std::to_string(index + 1) + ": " + errors[index]);
}

// Whether a listed configuration takes `inputs` and `outputs`: negative
// counts take any number; -1 outputs with an open input follow the input.
bool ConfigurationTakes(const AUChannelInfo& configuration, int inputs, int outputs) {
  if (configuration.inChannels >= 0 && configuration.inChannels != inputs) return false;
  if (configuration.outChannels >= 0) return configuration.outChannels == outputs;
  if (configuration.inChannels < 0 && configuration.outChannels == -1) return outputs == inputs;
  return true;
}

bool AnyConfigurationTakes(const std::vector<AUChannelInfo>& configurations, int inputs, int outputs) {
  return std::any_of(configurations.begin(), configurations.end(),
                     [&](const AUChannelInfo& c) { return ConfigurationTakes(c, inputs, outputs); });
}

int ConcreteCount(SInt16 count, int fallback) { return count >= 0 ? count : fallback; }

std::string Pair(int inputs, int outputs) { return std::to_string(inputs) + "-" + std::to_string(outputs); }

void ChannelConfigurations(const host::ComponentBundle& bundle) {
  UnitUnderTest probe(bundle, ChannelLayout{});
  const std::vector<AUChannelInfo> configurations = ReadChannelConfigurations(probe.Unit());
  if (configurations.empty()) Fail("the component lists no channel configuration");
  const bool takesInput = std::any_of(configurations.begin(), configurations.end(),
                                      [](const AUChannelInfo& c) { return c.inChannels != 0; });

  for (const AUChannelInfo& listed : configurations) {
    const int inputs = ConcreteCount(listed.inChannels, 1);
    const int outputs = listed.outChannels == -1 && listed.inChannels < 0 ? inputs : ConcreteCount(listed.outChannels, 2);
    UnitUnderTest unit(bundle, ChannelLayout{inputs, outputs, false});
    try {
      unit.Configure(kDefaultSampleRate, kBlock);
      unit.Initialize();
      RequireFiniteInRange(unit.Render(Noise(unit.FeedChannels(), kBlock, 5), kBlock), "configuration " + Pair(inputs, outputs));
    } catch (const CheckFailure& failure) {
      Fail("the listed configuration " + Pair(inputs, outputs) + ": " + failure.what());
    }
  }

  for (int inputs = takesInput ? 1 : 0; inputs <= (takesInput ? kMaxTriedChannels : 0); ++inputs) {
    for (int outputs = 1; outputs <= kMaxTriedChannels; ++outputs) {
      if (AnyConfigurationTakes(configurations, inputs, outputs)) continue;
      UnitUnderTest unit(bundle, ChannelLayout{inputs, outputs, false});
      try {
        unit.Configure(kDefaultSampleRate, kBlock);
      } catch (const CheckFailure&) {
        continue;  // refused when its formats were set
      }
      if (unit.Instance().Initialize() == noErr)
        Fail("the unlisted configuration " + Pair(inputs, outputs) + " was accepted and initialised");
    }
  }
}

AudioStreamBasicDescription ReadFormat(UnitUnderTest& unit, AudioUnitScope scope, const std::string& what) {
  AudioStreamBasicDescription format{};
  UInt32 size = sizeof format;
  Require(unit.Instance().GetProperty(kAudioUnitProperty_StreamFormat, scope, 0, &format, &size),
          "reading the " + what + " format");
  return format;
}

void SampleRates(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  unit->Uninitialize();
  for (const double rate : kFormatRates) {
    unit->Configure(rate, kBlock);
    Float64 readRate = 0.0;
    UInt32 size = sizeof readRate;
    Require(unit->Instance().GetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &readRate, &size),
            "reading the sample rate");
    if (readRate != rate) Fail("the sample rate reads back as " + RateText(readRate) + " after " + RateText(rate));
    const AudioStreamBasicDescription output = ReadFormat(*unit, kAudioUnitScope_Output, "output");
    if (output.mSampleRate != rate || output.mChannelsPerFrame != static_cast<UInt32>(unit->Layout().outputChannels))
      Fail("the output format reads back as " + RateText(output.mSampleRate) + " with " +
           std::to_string(output.mChannelsPerFrame) + " channels after " + RateText(rate));
    if (unit->Layout().inputChannels > 0) {
      const AudioStreamBasicDescription input = ReadFormat(*unit, kAudioUnitScope_Input, "input");
      if (input.mSampleRate != rate || input.mChannelsPerFrame != static_cast<UInt32>(unit->Layout().inputChannels))
        Fail("the input format reads back as " + RateText(input.mSampleRate) + " with " +
             std::to_string(input.mChannelsPerFrame) + " channels after " + RateText(rate));
    }
    unit->Initialize();
    RequireFiniteInRange(unit->Render(Noise(unit->FeedChannels(), kBlock, 7), kBlock), RateText(rate));
    unit->Uninitialize();
  }
}

void RenderFrameCounts(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle, kDefaultSampleRate, kBlock);
  const Channels input = NoiseFor(*unit, kShortSeconds, 11);
  for (const UInt32 frames : {UInt32{1}, kOddBlock, kBlock - 1, kBlock}) {
    const OSStatus status = unit->RenderOnce(input, 0, frames);
    if (status != noErr)
      Fail("a render of " + std::to_string(frames) + " frames (maximum " + std::to_string(kBlock) +
           ") failed with status " + std::to_string(status));
    const Channels output = unit->LastOutput();
    for (std::size_t channel = 0; channel < output.size(); ++channel)
      if (output[channel].size() != frames)
        Fail("a render of " + std::to_string(frames) + " frames left no samples in output channel " +
             std::to_string(channel));
    RequireFiniteInRange(output, std::to_string(frames) + "-frame render");
  }
  if (unit->RenderOnce(input, 0, kBlock + 1) == noErr)
    Fail("a render of " + std::to_string(kBlock + 1) + " frames succeeded though the maximum is " +
         std::to_string(kBlock));
  Require(unit->RenderOnce(input, 0, kBlock), "a render after the refused one");
}

void HostAndNullBuffers(const host::ComponentBundle& bundle) {
  auto hosted = ReadyUnit(bundle);
  auto nulled = ReadyUnit(bundle);
  const Channels input = NoiseFor(*hosted, kShortSeconds, 13);
  const std::size_t frames = input.empty() ? FramesOf(kShortSeconds, kDefaultSampleRate) : input.front().size();
  for (std::size_t start = 0; start < frames; start += kBlock) {
    const auto count = static_cast<UInt32>(std::min<std::size_t>(kBlock, frames - start));
    Require(hosted->RenderOnce(input, start, count, host::OutputBuffers::kHostSupplied),
            "a render into host buffers");
    Require(nulled->RenderOnce(input, start, count, host::OutputBuffers::kNull), "a render into null buffers");
    if (!hosted->OutputInHostBuffers()) Fail("the unit moved the host's output buffers elsewhere");
    const Channels fromHost = hosted->LastOutput();
    const Channels fromNull = nulled->LastOutput();
    for (std::size_t channel = 0; channel < fromNull.size(); ++channel)
      if (fromNull[channel].size() != count)
        Fail("a render into null buffers left output channel " + std::to_string(channel) + " without samples");
    RequireFiniteInRange(fromHost, "host buffers");
    RequireIdentical(fromHost, fromNull, "renders into host and into null buffers differ");
  }
}

void OutputBounds(const host::ComponentBundle& bundle) {
  std::uint32_t seed = 17;
  for (const double rate : kNoiseRates) {
    auto unit = ReadyUnit(bundle, rate, kNoiseBlocks.back());
    for (const UInt32 block : kNoiseBlocks)
      RequireFiniteInRange(unit->Render(NoiseFor(*unit, kSecondsPerNoiseBlockSize, seed++), block),
                           "noise at " + Context(rate, block));
  }
}

void NoSubnormals(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  // Subnormals show up in decays, so the noise is followed by silence.
  const Channels noise = unit->Render(NoiseFor(*unit, kShortSeconds, 19), kBlock);
  RequireNoSubnormals(noise, "noise");
  RequireNoSubnormals(unit->Render(SilenceFor(*unit, kSettleSeconds), kBlock), "silence after noise");
}

void BlockSizeInvariance(const host::ComponentBundle& bundle) {
  std::optional<Channels> reference;
  UInt32 referenceBlock = 0;
  for (const UInt32 block : {UInt32{64}, kBlock, kOddBlock}) {
    auto unit = ReadyUnit(bundle, kDefaultSampleRate, kBlock);
    unit->Render(SilenceFor(*unit, kSettleSeconds), block);
    Channels output = unit->Render(NoiseFor(*unit, kShortSeconds, 23), block);
    if (!reference) {
      reference = std::move(output);
      referenceBlock = block;
      continue;
    }
    RequireIdentical(*reference, output,
                     "blocks of " + std::to_string(block) + " rendered differently from blocks of " +
                         std::to_string(referenceBlock));
  }
}

void ResetKeepsOutputSound(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  RequireFiniteInRange(unit->Render(NoiseFor(*unit, kShortSeconds, 29), kBlock), "before Reset");
  Require(unit->Instance().Reset(), "Reset");
  RequireFiniteInRange(unit->Render(NoiseFor(*unit, kShortSeconds, 31), kBlock), "after Reset");
  unit->Uninitialize();
  unit->Configure(kResetRate, kDefaultMaxFrames);
  unit->Initialize();
  Require(unit->Instance().Reset(), "Reset at " + RateText(kResetRate));
  RequireFiniteInRange(unit->Render(NoiseFor(*unit, kShortSeconds, 37), kBlock),
                       "after a Reset at " + RateText(kResetRate));
}

// Says where two class infos differ.
std::string ClassInfoDifference(const ClassInfo& a, const ClassInfo& b) {
  if (a.version != b.version) return "\"version\" " + std::to_string(a.version) + " became " + std::to_string(b.version);
  if (a.type != b.type || a.subtype != b.subtype || a.manufacturer != b.manufacturer)
    return "the type, subtype or manufacturer changed";
  if (a.name != b.name) return "\"name\" \"" + a.name + "\" became \"" + b.name + "\"";
  if (a.data.has_value() != b.data.has_value()) return a.data ? "\"data\" went missing" : "\"data\" appeared";
  if (!a.data) return "";
  const auto [left, right] = std::mismatch(a.data->begin(), a.data->end(), b.data->begin(), b.data->end());
  if (left == a.data->end() && right == b.data->end()) return "";
  return "\"data\" (" + std::to_string(a.data->size()) + " bytes, then " + std::to_string(b.data->size()) +
         ") differs from byte " + std::to_string(left - a.data->begin());
}

void StateRoundTrip(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  const ClassInfo first = GetClassInfo(unit->Unit());
  SetClassInfo(unit->Unit(), first);
  const ClassInfo second = GetClassInfo(unit->Unit());
  if (first != second)
    Fail("the class info read back after writing it differs: " + ClassInfoDifference(first, second));

  auto fresh = ReadyUnit(bundle);
  SetClassInfo(fresh->Unit(), first);
  const ClassInfo third = GetClassInfo(fresh->Unit());
  if (first != third)
    Fail("a second instance given the class info reads back differently: " + ClassInfoDifference(first, third));
}

bool ClassInfoTaken(AudioUnit unit, const ClassInfo& info) {
  try {
    SetClassInfo(unit, info);
    return true;
  } catch (const Failure&) {
    return false;
  }
}

void StateRefusal(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  const ClassInfo original = GetClassInfo(unit->Unit());
  std::vector<std::pair<std::string, ClassInfo>> bad;
  ClassInfo foreign = original;
  foreign.subtype ^= 1;
  bad.emplace_back("a class info of another subtype", foreign);
  foreign = original;
  foreign.manufacturer ^= 1;
  bad.emplace_back("a class info of another manufacturer", foreign);
  if (original.data && !original.data->empty()) {
    ClassInfo cut = original;
    cut.data->resize(original.data->size() / 2);
    bad.emplace_back("a class info with its data cut in half", cut);
    cut.data->resize(std::min<std::size_t>(cut.data->size(), 3));
    bad.emplace_back("a class info with 3 bytes of data", cut);
    ClassInfo missing = original;
    missing.data.reset();
    bad.emplace_back("a class info without data", missing);
  }
  for (const auto& [what, info] : bad) {
    if (ClassInfoTaken(unit->Unit(), info)) Fail(what + " was accepted");
    const ClassInfo after = GetClassInfo(unit->Unit());
    if (after != original) Fail(what + " was refused but changed the state: " + ClassInfoDifference(original, after));
  }

  CFStringRef notADictionary = CFStringCreateWithCString(kCFAllocatorDefault, "state", kCFStringEncodingUTF8);
  CFPropertyListRef list = notADictionary;
  const OSStatus status =
      unit->Instance().SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, sizeof list);
  CFRelease(notADictionary);
  if (status == noErr) Fail("a string in place of the class-info dictionary was accepted");
  if (GetClassInfo(unit->Unit()) != original) Fail("a string in place of the class info changed the state");
}

void MidiControllers(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle, kDefaultSampleRate, kBlock);
  if (!unit->Instance().Lookup(kMusicDeviceMIDIEventSelect)) return;  // takes no MIDI
  const int events = kMidiChannels * kControllers;
  const int blocks = (events + kControllerEventsPerBlock - 1) / kControllerEventsPerBlock;
  const Channels input = Noise(unit->FeedChannels(), static_cast<std::size_t>(blocks) * kBlock, 41);
  int event = 0;
  for (int block = 0; block < blocks; ++block) {
    for (int k = 0; k < kControllerEventsPerBlock && event < events; ++k, ++event) {
      const int channel = event / kControllers;
      const int controller = event % kControllers;
      const int value = (controller * 7 + channel * 13) % kMidiValues;
      // Spread over the block, never at its first frame.
      const auto offset = static_cast<UInt32>(1 + (k * (kBlock - 1)) / kControllerEventsPerBlock);
      Require(unit->Instance().MIDIEvent(kControlChangeStatus | static_cast<UInt32>(channel),
                                         static_cast<UInt32>(controller), static_cast<UInt32>(value), offset),
              "controller " + std::to_string(controller) + " on channel " + std::to_string(channel + 1));
    }
    const std::size_t start = static_cast<std::size_t>(block) * kBlock;
    Require(unit->RenderOnce(input, start, kBlock), "a render after controller messages");
    RequireFiniteInRange(unit->LastOutput(),
                         "after controllers on channel " + std::to_string((event - 1) / kControllers + 1));
  }
}

Float64 ReadSeconds(UnitUnderTest& unit, AudioUnitPropertyID id, const std::string& what) {
  Float64 seconds = 0.0;
  UInt32 size = sizeof seconds;
  Require(unit.Instance().GetProperty(id, kAudioUnitScope_Global, 0, &seconds, &size), "reading the " + what);
  if (size != sizeof seconds) Fail("the " + what + " came back in " + std::to_string(size) + " bytes");
  return seconds;
}

void LatencyAndTail(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  const Float64 latency = ReadSeconds(*unit, kAudioUnitProperty_Latency, "latency");
  if (!std::isfinite(latency) || latency < 0.0) Fail("the latency is " + std::to_string(latency) + " s");
  const Float64 tail = ReadSeconds(*unit, kAudioUnitProperty_TailTime, "tail time");
  if (std::isnan(tail) || tail < 0.0) Fail("the tail time is " + std::to_string(tail) + " s");
}

void BypassPassesInput(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  if (unit->Layout().inputChannels == 0) return;  // nothing to pass
  const auto latency = static_cast<std::size_t>(
      std::lround(ReadSeconds(*unit, kAudioUnitProperty_Latency, "latency") * unit->SampleRate()));
  UInt32 on = 1;
  Require(unit->Instance().SetProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, sizeof on),
          "switching bypass on");
  const Channels input = NoiseFor(*unit, kShortSeconds, 43);
  const Channels output = unit->Render(input, kBlock);
  const std::size_t passed = std::min(input.size(), output.size());
  for (std::size_t channel = 0; channel < passed; ++channel) {
    for (std::size_t frame = latency; frame < output[channel].size(); ++frame) {
      if (output[channel][frame] != input[channel][frame - latency])
        Fail("bypassed, output channel " + std::to_string(channel) + " frame " + std::to_string(frame) + " is " +
             std::to_string(output[channel][frame]) + " where the input was " +
             std::to_string(input[channel][frame - latency]) +
             (latency > 0 ? " (latency " + std::to_string(latency) + " frames)" : std::string()));
    }
  }
  UInt32 off = 0;
  Require(unit->Instance().SetProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &off, sizeof off),
          "switching bypass off");
  UInt32 readBack = 1;
  UInt32 size = sizeof readBack;
  Require(unit->Instance().GetProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &readBack, &size),
          "reading bypass");
  if (readBack != 0) Fail("bypass still reads as on after switching it off");
}

// In seconds at the default rate, which the budget is counted in.
constexpr double NoiseBoundsSeconds() {
  double rates = 0.0;
  for (const double rate : kNoiseRates) rates += rate;
  return kSecondsPerNoiseBlockSize * static_cast<double>(kNoiseBlocks.size()) * rates / kDefaultSampleRate;
}

constexpr std::array kChecks = {
    ValidationCheck{"component-identity",
                    "the class info names the type, subtype and manufacturer that the Info.plist registers", false,
                    0.0, ComponentIdentity},
    ValidationCheck{"open-close-repeatedly", "opens and closes instances one after another, some still initialised",
                    false, 0.1, OpenCloseRepeatedly},
    ValidationCheck{"two-instances", "two instances alive at once render the same input identically", false,
                    2 * kShortSeconds, TwoInstances},
    ValidationCheck{"open-from-two-threads", "two instances opened, rendered and closed on two threads at once",
                    false, kShortSeconds, OpenFromTwoThreads},
    ValidationCheck{"channel-configurations",
                    "every listed channel configuration initialises and renders; unlisted ones are refused", false,
                    0.1, ChannelConfigurations},
    ValidationCheck{"sample-rates", "formats from 22050 to 192000 Hz are accepted and read back", false, 0.1,
                    SampleRates},
    ValidationCheck{"render-frame-counts", "renders of 1, odd and maximum frames succeed; maximum + 1 fails", false,
                    0.1, RenderFrameCounts},
    ValidationCheck{"host-and-null-buffers", "renders into host buffers and into null buffers agree", false,
                    2 * kShortSeconds, HostAndNullBuffers},
    ValidationCheck{"output-bounds", "output finite and within [-1, 1] on noise at 44.1, 48 and 96 kHz, blocks 64 to 1024",
                    false, NoiseBoundsSeconds(), OutputBounds},
    ValidationCheck{"no-subnormals", "no 32-bit output sample with 0 < |x| < 1.18e-38, in noise or its decay", false,
                    kShortSeconds + kSettleSeconds, NoSubnormals},
    ValidationCheck{"block-size-invariance",
                    "after 1.5 s of silence, noise in blocks of 64, 512 and 333 gives identical output", false,
                    3 * (kSettleSeconds + kShortSeconds), BlockSizeInvariance},
    ValidationCheck{"reset", "output stays finite and within range after Reset, and after a Reset at a new rate",
                    false, 3 * kShortSeconds, ResetKeepsOutputSound},
    ValidationCheck{"state-round-trip", "class info read, written back and read again is byte-identical", false, 0.0,
                    StateRoundTrip},
    ValidationCheck{"state-refusal", "a foreign or corrupted class info is refused and the state stays unchanged",
                    false, 0.0, StateRefusal},
    ValidationCheck{"midi-controllers", "every controller on every MIDI channel, mid-block, while rendering", false,
                    0.75, MidiControllers},
    ValidationCheck{"latency-and-tail", "latency and tail time are readable and not negative", false, 0.0,
                    LatencyAndTail},
    ValidationCheck{"bypass", "bypassed, the output is the input (after the reported latency)", false, kShortSeconds,
                    BypassPassesInput},
    ValidationCheck{"editor-opens-and-closes",
                    "the editor opens in a host window, presents frames and closes, three times without a leak",
                    false, 0.0, EditorOpensAndCloses, true},
    ValidationCheck{"oversampling-factors", "every oversampling factor renders finite, bounded, audible output", true,
                    kOversamplingCheckSeconds, OversamplingFactors},
    ValidationCheck{"controller-script", "a design whose script binds a slider to a controller follows that controller",
                    true, kControllerScriptCheckSeconds, ControllerScript},
};

}  // namespace

std::span<const ValidationCheck> ValidationChecks() { return kChecks; }

const ValidationCheck* FindCheck(std::string_view name) {
  for (const ValidationCheck& check : kChecks)
    if (check.name == name) return &check;
  return nullptr;
}

void RunCheckCountingObjects(const ValidationCheck& check, const host::ComponentBundle& bundle) {
  if (check.countsItsOwnObjects) {
    check.run(bundle);
    return;
  }
  {
    auto warmUp = ReadyUnit(bundle);
    warmUp->Render(Noise(warmUp->FeedChannels(), kBlock, 0), kBlock);
  }
  const LiveCounts before = SettledLiveCounts();
  check.run(bundle);
  RequireSameLiveCounts(before, SettledLiveCounts());
}

}  // namespace orvane::auhost::validate
