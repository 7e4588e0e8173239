#pragma once

#include <CoreAudio/CoreAudioTypes.h>

namespace plugkit {

// The most channels one bus carries: the render path's buffer lists have
// room for this many.
inline constexpr int kMaxBusChannels = 128;
inline constexpr UInt32 kStreamBitsPerChannel = 32;
inline constexpr AudioFormatFlags kStreamFormatFlags =
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;

// The format every bus reports: linear PCM, one 32-bit float buffer per channel.
AudioStreamBasicDescription CanonicalStreamFormat(double sampleRate, int nChans);

// Whether the render path reads samples of this format correctly: linear PCM
// of 32-bit native-endian floats, non-interleaved when there is more than one
// channel, at least one channel. The channel configuration is checked apart.
bool IsRenderableStreamFormat(const AudioStreamBasicDescription& format);

// A rate a host may set: finite and above 0.
bool IsUsableSampleRate(double sampleRate);

}  // namespace plugkit
