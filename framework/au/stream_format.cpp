#include "framework/au/stream_format.h"

#include <cmath>

namespace plugkit {
namespace {

constexpr UInt32 kBytesPerSample = kStreamBitsPerChannel / 8;

}  // namespace

AudioStreamBasicDescription CanonicalStreamFormat(double sampleRate, int nChans) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kStreamFormatFlags;
  format.mBytesPerPacket = kBytesPerSample;
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = kBytesPerSample;
  format.mChannelsPerFrame = static_cast<UInt32>(nChans);
  format.mBitsPerChannel = kStreamBitsPerChannel;
  return format;
}

bool IsRenderableStreamFormat(const AudioStreamBasicDescription& format) {
  const AudioFormatFlags flags = format.mFormatFlags;
  return format.mFormatID == kAudioFormatLinearPCM && format.mChannelsPerFrame >= 1 &&
         (flags & kAudioFormatFlagIsFloat) != 0 && (flags & kAudioFormatFlagIsBigEndian) == 0 &&
         format.mBitsPerChannel == kStreamBitsPerChannel &&
         (format.mChannelsPerFrame == 1 || (flags & kAudioFormatFlagIsNonInterleaved) != 0);
}

bool IsUsableSampleRate(double sampleRate) { return std::isfinite(sampleRate) && sampleRate > 0.0; }

}  // namespace plugkit
