// Property writes: listeners first, then each property's checks and effect.
// The decided size checks, stream-format rules and range checks included.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "au_properties_support.h"

namespace plugkit::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

AudioStreamBasicDescription FloatFormat(double rate, UInt32 nChans) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = rate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = 4;
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = 4;
  format.mChannelsPerFrame = nChans;
  format.mBitsPerChannel = 32;
  return format;
}

class PropertyWrites : public ::testing::Test {
protected:
  orvane::host::AudioUnitInstance& Unit() { return mOpened.Unit(); }
  TestPlugin& Plugin() { return mOpened.Plugin(); }

  template <class T>
  OSStatus Set(AudioUnitPropertyID id, const T& value, AudioUnitScope scope = kGlobal, AudioUnitElement element = 0) {
    return Unit().SetProperty(id, scope, element, &value, sizeof value);
  }
  OSStatus SetFormat(AudioUnitScope scope, const AudioStreamBasicDescription& format, AudioUnitElement element = 0) {
    return Set(kAudioUnitProperty_StreamFormat, format, scope, element);
  }
  AudioStreamBasicDescription ReadFormat(AudioUnitScope scope) {
    AudioStreamBasicDescription format{};
    UInt32 size = sizeof format;
    EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_StreamFormat, scope, 0, &format, &size), noErr);
    return format;
  }
  int HostChannels(ERoute direction) { return Plugin().GetBus(direction, 0)->hostChannels; }

  OpenedPlugin mOpened;
};

// Listeners ----------------------------------------------------------------------------

struct ListenerLog {
  TestPlugin* plugin = nullptr;
  std::vector<std::string> calls;
};

void LogListener(void* userData, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element) {
  auto& log = *static_cast<ListenerLog*>(userData);
  log.calls.push_back(std::to_string(id) + "/" + std::to_string(scope) + "/" + std::to_string(element) + " at " +
                      std::to_string(static_cast<int>(log.plugin->GetSampleRate())));
}

TEST_F(PropertyWrites, ListenersHearOfEveryWriteBeforeItIsHandled) {
  ListenerLog log{&Plugin(), {}};
  Unit().AddPropertyListener(kAudioUnitProperty_SampleRate, LogListener, &log);
  Unit().AddPropertyListener(kAudioUnitProperty_ParameterList, LogListener, &log);
  EXPECT_EQ(Set(kAudioUnitProperty_SampleRate, Float64{44100.0}, kOutputScope, 3), noErr);
  // Refused writes are heard too: a read-only id, a missing value, too short a value.
  EXPECT_EQ(Set(kAudioUnitProperty_ParameterList, UInt32{0}), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Unit().SetProperty(kAudioUnitProperty_SampleRate, kGlobal, 0, nullptr, 8), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Set(kAudioUnitProperty_SampleRate, Float32{22050.f}), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"2/2/0 at 48000", "3/0/0 at 44100", "2/0/0 at 44100",
                                                 "2/0/0 at 44100"}));
}

// Decided: every writable property needs its whole structure.
TEST_F(PropertyWrites, MissingOrShortValuesAreRefusedAndChangeNothing) {
  const AudioUnitPropertyID writable[] = {
      kAudioUnitProperty_ClassInfo,       kAudioUnitProperty_MakeConnection,    kAudioUnitProperty_SampleRate,
      kAudioUnitProperty_StreamFormat,    kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitProperty_BypassEffect,
      kAudioUnitProperty_SetRenderCallback, kAudioUnitProperty_ContextName,    kAudioUnitProperty_HostCallbacks,
      kAudioUnitProperty_CurrentPreset,   kAudioUnitProperty_PresentPreset,    kAudioUnitProperty_OfflineRender,
      kAudioUnitProperty_AUHostIdentifier, kAudioUnitProperty_MIDIOutputCallback};
  const unsigned char bytes[64] = {1, 2, 3, 4, 5, 6, 7};
  for (AudioUnitPropertyID id : writable) {
    UInt32 needed = 0;
    Unit().GetPropertyInfo(id, kGlobal, 0, &needed, nullptr);
    EXPECT_EQ(Unit().SetProperty(id, kInputScope, 0, nullptr, 64), kAudioUnitErr_InvalidProperty) << id;
    EXPECT_EQ(Unit().SetProperty(id, kInputScope, 0, bytes, 3), kAudioUnitErr_InvalidProperty) << id;
  }
  EXPECT_EQ(Plugin().GetSampleRate(), 48000.0);
  EXPECT_EQ(Plugin().GetBlockSize(), 512);
  EXPECT_EQ(HostChannels(kInput), -1);
  EXPECT_EQ(Plugin().mResets.load(), 0);
}

// Sample rate, block size, bypass, offline -----------------------------------------------

TEST_F(PropertyWrites, SampleRateIsStoredAndResetsTheProcessor) {
  EXPECT_EQ(Set(kAudioUnitProperty_SampleRate, Float64{96000.0}), noErr);
  EXPECT_EQ(Plugin().GetSampleRate(), 96000.0);
  EXPECT_EQ(Plugin().mResets.load(), 1);
}

// Decided: a rate that is not finite and above 0 is refused and the rate kept.
TEST_F(PropertyWrites, UnusableSampleRatesAreRefused) {
  for (double rate : {0.0, -44100.0, kNaN, kInfinity, -kInfinity}) {
    EXPECT_EQ(Set(kAudioUnitProperty_SampleRate, Float64{rate}), kAudioUnitErr_InvalidProperty) << rate;
  }
  EXPECT_EQ(Plugin().GetSampleRate(), 48000.0);
  EXPECT_EQ(Plugin().mResets.load(), 0);
}

// Decided: block sizes outside 1..65536 are refused with nothing changed.
TEST_F(PropertyWrites, MaximumFramesSetTheBlockSizeWithinItsRange) {
  EXPECT_EQ(Set(kAudioUnitProperty_MaximumFramesPerSlice, UInt32{1024}), noErr);
  EXPECT_EQ(Plugin().GetBlockSize(), 1024);
  EXPECT_EQ(Plugin().mResets.load(), 1);
  EXPECT_EQ(Set(kAudioUnitProperty_MaximumFramesPerSlice, UInt32{65536}), noErr);
  EXPECT_EQ(Plugin().GetBlockSize(), 65536);
  for (UInt32 frames : {0u, 65537u, 0xFFFFFFFFu})
    EXPECT_EQ(Set(kAudioUnitProperty_MaximumFramesPerSlice, frames), kAudioUnitErr_InvalidProperty) << frames;
  EXPECT_EQ(Plugin().GetBlockSize(), 65536);
  EXPECT_EQ(Plugin().mResets.load(), 2);
}

TEST_F(PropertyWrites, BypassDeactivatesTheProcessorAndResetsIt) {
  EXPECT_EQ(Set(kAudioUnitProperty_BypassEffect, UInt32{7}), noErr);
  EXPECT_TRUE(Plugin().GetBypassed());
  EXPECT_FALSE(Plugin().mActive.load());
  EXPECT_EQ(Plugin().mResets.load(), 1);
  EXPECT_EQ(Set(kAudioUnitProperty_BypassEffect, UInt32{0}), noErr);
  EXPECT_FALSE(Plugin().GetBypassed());
  EXPECT_TRUE(Plugin().mActive.load());
  EXPECT_EQ(Plugin().mResets.load(), 2);
}

TEST_F(PropertyWrites, OfflineRenderingIsAFlag) {
  EXPECT_EQ(Set(kAudioUnitProperty_OfflineRender, UInt32{1}), noErr);
  EXPECT_TRUE(Plugin().GetRenderingOffline());
  EXPECT_EQ(Set(kAudioUnitProperty_OfflineRender, UInt32{0}), noErr);
  EXPECT_FALSE(Plugin().GetRenderingOffline());
}

// Stream formats -----------------------------------------------------------------------

TEST_F(PropertyWrites, StreamFormatReadsThePlugChannelsUntilTheHostSetsSome) {
  const AudioStreamBasicDescription input = ReadFormat(kInputScope);
  EXPECT_EQ(input.mChannelsPerFrame, 1u);
  EXPECT_EQ(input.mSampleRate, 48000.0);
  EXPECT_EQ(input.mFormatFlags, 0x29u);
  EXPECT_EQ(ReadFormat(kOutputScope).mChannelsPerFrame, 2u);

  EXPECT_EQ(SetFormat(kOutputScope, FloatFormat(44100.0, 1)), noErr);
  EXPECT_EQ(HostChannels(kOutput), 1);
  const AudioStreamBasicDescription output = ReadFormat(kGlobal);
  EXPECT_EQ(output.mChannelsPerFrame, 1u);
  EXPECT_EQ(output.mSampleRate, 44100.0);
}

// Decided: a format that changes the rate re-rates the processor.
TEST_F(PropertyWrites, AFormatWithANewRateResetsTheProcessor) {
  EXPECT_EQ(SetFormat(kOutputScope, FloatFormat(48000.0, 2)), noErr);
  EXPECT_EQ(Plugin().mResets.load(), 0);
  EXPECT_EQ(SetFormat(kOutputScope, FloatFormat(0.0, 2)), noErr);  // 0 keeps the rate
  EXPECT_EQ(Plugin().GetSampleRate(), 48000.0);
  EXPECT_EQ(Plugin().mResets.load(), 0);
  EXPECT_EQ(SetFormat(kInputScope, FloatFormat(88200.0, 1)), noErr);
  EXPECT_EQ(Plugin().GetSampleRate(), 88200.0);
  EXPECT_EQ(Plugin().mResets.load(), 1);
}

// Decided: only formats the render path reads correctly are taken; flags 12
// (interleaved packed integers) are refused.
TEST_F(PropertyWrites, FormatsOtherThanNativeFloatAreRefusedAndFallBackToThePlugChannels) {
  std::vector<AudioStreamBasicDescription> refused;
  AudioStreamBasicDescription integers = FloatFormat(44100.0, 2);
  integers.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked;  // 12
  integers.mBitsPerChannel = 16;
  refused.push_back(integers);
  integers.mBitsPerChannel = 32;
  refused.push_back(integers);
  AudioStreamBasicDescription noFlags = FloatFormat(44100.0, 2);
  noFlags.mFormatFlags = 0;
  refused.push_back(noFlags);
  AudioStreamBasicDescription interleaved = FloatFormat(44100.0, 2);
  interleaved.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  refused.push_back(interleaved);
  AudioStreamBasicDescription bigEndian = FloatFormat(44100.0, 2);
  bigEndian.mFormatFlags |= kAudioFormatFlagIsBigEndian;
  refused.push_back(bigEndian);
  AudioStreamBasicDescription doubles = FloatFormat(44100.0, 2);
  doubles.mBitsPerChannel = 64;
  refused.push_back(doubles);
  AudioStreamBasicDescription notPcm = FloatFormat(44100.0, 2);
  notPcm.mFormatID = standin::FourCharCodeOf("aac ");
  refused.push_back(notPcm);
  refused.push_back(FloatFormat(kNaN, 2));
  refused.push_back(FloatFormat(-1.0, 2));

  for (const AudioStreamBasicDescription& format : refused) {
    Plugin().Bus(kOutput, 0)->hostChannels = -1;
    EXPECT_EQ(SetFormat(kOutputScope, format), kAudioUnitErr_InvalidProperty)
        << "flags " << format.mFormatFlags << " bits " << format.mBitsPerChannel;
    EXPECT_EQ(HostChannels(kOutput), 2);
  }
  EXPECT_EQ(Plugin().GetSampleRate(), 48000.0);
  EXPECT_EQ(Plugin().mResets.load(), 0);

  // One channel needs no interleaving flag.
  AudioStreamBasicDescription mono = FloatFormat(44100.0, 1);
  mono.mFormatFlags = kAudioFormatFlagIsFloat;
  EXPECT_EQ(SetFormat(kInputScope, mono), noErr);
  EXPECT_EQ(HostChannels(kInput), 1);
}

TEST_F(PropertyWrites, ChannelCountsMustFormALegalConfiguration) {
  EXPECT_EQ(SetFormat(kOutputScope, FloatFormat(48000.0, 3)), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(HostChannels(kOutput), 2);
  EXPECT_EQ(SetFormat(kInputScope, FloatFormat(48000.0, 2)), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(HostChannels(kInput), 1);
  EXPECT_EQ(SetFormat(kOutputScope, FloatFormat(48000.0, 0)), kAudioUnitErr_InvalidProperty);
  // Only buses that exist take a format.
  EXPECT_EQ(SetFormat(kOutputScope, FloatFormat(48000.0, 1), 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(kGroupScope, FloatFormat(48000.0, 1)), kAudioUnitErr_InvalidProperty);
}

// Decided: more channels than a bus can carry change nothing at all.
TEST_F(PropertyWrites, FormatsAboveTheBusLimitChangeNothing) {
  TestPluginOptions wide = RichOptions();
  wide.channelIO = "1-128";
  OpenedPlugin opened(wide);
  const AudioStreamBasicDescription widest = FloatFormat(44100.0, 128);
  EXPECT_EQ(opened.Unit().SetProperty(kAudioUnitProperty_StreamFormat, kOutputScope, 0, &widest, sizeof widest),
            noErr);
  EXPECT_EQ(opened.Plugin().GetBus(kOutput, 0)->hostChannels, 128);
  const AudioStreamBasicDescription tooWide = FloatFormat(96000.0, 129);
  EXPECT_EQ(opened.Unit().SetProperty(kAudioUnitProperty_StreamFormat, kOutputScope, 0, &tooWide, sizeof tooWide),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(opened.Plugin().GetBus(kOutput, 0)->hostChannels, 128);
  EXPECT_EQ(opened.Plugin().GetSampleRate(), 44100.0);
}

TEST_F(PropertyWrites, TheOtherDirectionCountsOnlyWhileActive) {
  TestPluginOptions options = RichOptions();
  options.channelIO = "1-1 2-2";
  OpenedPlugin opened(options);
  auto& unit = opened.Unit();
  const auto set = [&unit](AudioUnitScope scope, UInt32 nChans) {
    const AudioStreamBasicDescription format = FloatFormat(48000.0, nChans);
    return unit.SetProperty(kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
  };
  EXPECT_EQ(set(kInputScope, 1), noErr);
  EXPECT_EQ(set(kOutputScope, 2), noErr);  // inactive: the input is not counted
  EXPECT_EQ(set(kOutputScope, 1), noErr);
  ASSERT_EQ(unit.Initialize(), noErr);
  EXPECT_EQ(set(kOutputScope, 2), kAudioUnitErr_InvalidProperty);  // 1 in, 2 out is no configuration
  EXPECT_EQ(opened.Plugin().GetBus(kOutput, 0)->hostChannels, 2);  // the refused bus falls back to its plug count
  EXPECT_EQ(set(kInputScope, 2), noErr);
  EXPECT_EQ(set(kOutputScope, 1), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(unit.Uninitialize(), noErr);
  EXPECT_EQ(set(kOutputScope, 1), noErr);
}

// Connections and render callbacks ---------------------------------------------------------

OSStatus SilentInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return noErr;
}

TEST_F(PropertyWrites, RenderCallbacksFeedInputBuses) {
  const AURenderCallbackStruct callback{SilentInput, this};
  EXPECT_EQ(Set(kAudioUnitProperty_SetRenderCallback, callback, kInputScope), noErr);
  EXPECT_EQ(Plugin().GetInputConnection(0)->kind, kRenderCallback);
  EXPECT_EQ(Plugin().GetInputConnection(0)->renderCallback.inputProcRefCon, this);
  EXPECT_TRUE(Plugin().GetBus(kInput, 0)->connected);
  EXPECT_EQ(Set(kAudioUnitProperty_SetRenderCallback, callback, kGlobal), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Set(kAudioUnitProperty_SetRenderCallback, callback, kInputScope, 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Set(kAudioUnitProperty_SetRenderCallback, AURenderCallbackStruct{nullptr, this}, kInputScope), noErr);
  EXPECT_EQ(Plugin().GetInputConnection(0)->kind, kNotConnected);
  EXPECT_FALSE(Plugin().GetBus(kInput, 0)->connected);
}

TEST_F(PropertyWrites, ConnectionsTakeTheSourcesFormat) {
  OpenedPlugin source;
  AudioStreamBasicDescription sourceFormat = FloatFormat(48000.0, 2);
  ASSERT_EQ(source.Unit().SetProperty(kAudioUnitProperty_StreamFormat, kOutputScope, 0, &sourceFormat,
                                      sizeof sourceFormat),
            noErr);
  AudioUnitConnection connection{source.Unit().Unit(), 0, 0};
  // Two channels do not fit this unit's single input channel.
  EXPECT_EQ(Set(kAudioUnitProperty_MakeConnection, connection, kInputScope), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Plugin().GetInputConnection(0)->kind, kNotConnected);

  sourceFormat.mChannelsPerFrame = 1;
  ASSERT_EQ(source.Unit().SetProperty(kAudioUnitProperty_StreamFormat, kOutputScope, 0, &sourceFormat,
                                      sizeof sourceFormat),
            noErr);
  EXPECT_EQ(Set(kAudioUnitProperty_MakeConnection, connection, kGlobal), noErr);
  EXPECT_EQ(Plugin().GetInputConnection(0)->upstreamUnit, source.Unit().Unit());
  EXPECT_EQ(Plugin().GetInputConnection(0)->kind, kDirectNoFastProc);
  EXPECT_EQ(HostChannels(kInput), 1);

  EXPECT_EQ(Set(kAudioUnitProperty_MakeConnection, AudioUnitConnection{nullptr, 0, 0}, kInputScope), noErr);
  EXPECT_EQ(Plugin().GetInputConnection(0)->kind, kNotConnected);
  EXPECT_EQ(Set(kAudioUnitProperty_MakeConnection, connection, kOutputScope), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Set(kAudioUnitProperty_MakeConnection, AudioUnitConnection{source.Unit().Unit(), 0, 1}, kInputScope),
            kAudioUnitErr_InvalidProperty);
}

// Host records -------------------------------------------------------------------------

OSStatus Tempo133(void*, Float64* beat, Float64* tempo) {
  if (beat) *beat = 4.0;
  if (tempo) *tempo = 133.0;
  return noErr;
}

// Decided: older hosts pass shorter callback records; the rest stays unset.
TEST_F(PropertyWrites, HostCallbacksAcceptShorterRecordsAndZeroTheRest) {
  void* words[5] = {this, reinterpret_cast<void*>(&Tempo133), reinterpret_cast<void*>(0x1), reinterpret_cast<void*>(0x2),
                    reinterpret_cast<void*>(0x3)};
  EXPECT_EQ(Unit().SetProperty(kAudioUnitProperty_HostCallbacks, kGlobal, 0, words, 7), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Unit().SetProperty(kAudioUnitProperty_HostCallbacks, kInputScope, 0, words, 40),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Unit().SetProperty(kAudioUnitProperty_HostCallbacks, kGlobal, 0, words, 8), noErr);
  Plugin().PreProcess();
  EXPECT_EQ(Plugin().GetTimeInfo().mTempo, 120.0);  // the user data alone sets no callback
  EXPECT_EQ(Unit().SetProperty(kAudioUnitProperty_HostCallbacks, kGlobal, 0, words, 16), noErr);
  // Only the tempo callback is set: the others, past the 16 bytes given, are never called.
  Plugin().PreProcess();
  EXPECT_EQ(Plugin().GetTimeInfo().mTempo, 133.0);
  EXPECT_EQ(Plugin().GetTimeInfo().mPPQPos, 4.0);
  EXPECT_FALSE(Plugin().GetTimeInfo().mTransportIsRunning);
}

TEST_F(PropertyWrites, ContextNameKeepsTheLastStringGiven) {
  CFOwned<CFStringRef> name(CreateCFString("Guitar DI"));
  EXPECT_EQ(Set(kAudioUnitProperty_ContextName, name.Get()), noErr);
  StrBuf text;
  Plugin().GetHostContextName(text);
  EXPECT_STREQ(text.Get(), "Guitar DI");
  const int32_t one = 1;
  CFOwned<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &one));
  EXPECT_EQ(Set(kAudioUnitProperty_ContextName, number.Get()), noErr);
  EXPECT_EQ(Set(kAudioUnitProperty_ContextName, CFStringRef{nullptr}), noErr);
  Plugin().GetHostContextName(text);
  EXPECT_STREQ(text.Get(), "Guitar DI");
}

TEST_F(PropertyWrites, HostIdentifierPacksTheVersionAndIsTakenOnce) {
  CFOwned<CFStringRef> name(CreateCFString("Some Host"));
  AUHostVersionIdentifier identifier{name.Get(), AUNumVersion{0, 0, 0x53, 10}};
  EXPECT_EQ(Set(kAudioUnitProperty_AUHostIdentifier, identifier), noErr);
  EXPECT_EQ(Plugin().HostVersionWord(), 0x000A0503);
  EXPECT_STREQ(Plugin().HostName(), "Some Host");
  EXPECT_EQ(Plugin().mHostIdentifications.load(), 1);

  CFOwned<CFStringRef> other(CreateCFString("Other Host"));
  identifier = AUHostVersionIdentifier{other.Get(), AUNumVersion{0, 0, 0x21, 2}};
  EXPECT_EQ(Set(kAudioUnitProperty_AUHostIdentifier, identifier), noErr);
  EXPECT_STREQ(Plugin().HostName(), "Some Host");
  EXPECT_EQ(Plugin().mHostIdentifications.load(), 1);
}

TEST_F(PropertyWrites, HostIdentifierWithoutANameIdentifiesByVersion) {
  const AUHostVersionIdentifier identifier{nullptr, AUNumVersion{0, 0, 0xFF, 0xFF}};
  EXPECT_EQ(Set(kAudioUnitProperty_AUHostIdentifier, identifier), noErr);
  EXPECT_EQ(Plugin().HostVersionWord(), 0x00FF0F0F);
  EXPECT_STREQ(Plugin().HostName(), "");
}

struct MidiOutLog {
  int calls = 0;
  UInt8 status = 0;
};

OSStatus CountMidiOut(void* userData, const AudioTimeStamp*, UInt32, const MIDIPacketList* packets) {
  auto& log = *static_cast<MidiOutLog*>(userData);
  ++log.calls;
  log.status = packets->packet[0].data[0];
  return noErr;
}

TEST_F(PropertyWrites, MidiOutputGoesToTheCallbackSet) {
  EXPECT_FALSE(Plugin().SendMidiToHost(IMidiMsg{0, 0x90, 60, 100}));
  MidiOutLog log;
  EXPECT_EQ(Set(kAudioUnitProperty_MIDIOutputCallback, AUMIDIOutputCallbackStruct{CountMidiOut, &log}), noErr);
  EXPECT_TRUE(Plugin().SendMidiToHost(IMidiMsg{0, 0x90, 60, 100}));
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(log.status, 0x90);
}

}  // namespace
}  // namespace plugkit::testing
