#pragma once

// Audio data types shared by the AudioUnit stand-in and its hosts: stream
// formats, buffer lists, time stamps and channel-layout tags.

#include <MacTypes.h>
#include <standin/four_char_code.h>

typedef UInt32 AudioFormatID;
typedef UInt32 AudioFormatFlags;

struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  AudioFormatID mFormatID;
  AudioFormatFlags mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};
static_assert(sizeof(AudioStreamBasicDescription) == 40);

constexpr AudioFormatID kAudioFormatLinearPCM = standin::FourCharCodeOf("lpcm");

enum : AudioFormatFlags {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsAlignedHigh = 1u << 4,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
  kAudioFormatFlagIsNonMixable = 1u << 6,
};

struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};
static_assert(sizeof(AudioBuffer) == 16);

// Variable-length: mNumberBuffers entries follow the count.
struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};
static_assert(sizeof(AudioBufferList) == 24);

struct SMPTETime {
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
};
static_assert(sizeof(SMPTETime) == 24);

typedef UInt32 AudioTimeStampFlags;

enum : AudioTimeStampFlags {
  kAudioTimeStampNothingValid = 0,
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
  kAudioTimeStampWordClockTimeValid = 1u << 3,
  kAudioTimeStampSMPTETimeValid = 1u << 4,
};

struct AudioTimeStamp {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  AudioTimeStampFlags mFlags;
  UInt32 mReserved;
};
static_assert(sizeof(AudioTimeStamp) == 64);

// Channel-layout tags: the high 16 bits name the layout, the low 16 bits stay
// free for the channel count of the two tags that are combined with one.
typedef UInt32 AudioChannelLayoutTag;

namespace standin {
constexpr AudioChannelLayoutTag ChannelLayoutTag(UInt32 ordinal, UInt32 channels) {
  return (ordinal << 16) | channels;
}
}  // namespace standin

enum : AudioChannelLayoutTag {
  kAudioChannelLayoutTag_UseChannelDescriptions = 0,
  kAudioChannelLayoutTag_Mono = standin::ChannelLayoutTag(1, 1),
  kAudioChannelLayoutTag_Stereo = standin::ChannelLayoutTag(2, 2),
  kAudioChannelLayoutTag_MPEG_3_0_A = standin::ChannelLayoutTag(3, 3),
  kAudioChannelLayoutTag_Quadraphonic = standin::ChannelLayoutTag(4, 4),
  kAudioChannelLayoutTag_Ambisonic_B_Format = standin::ChannelLayoutTag(5, 4),
  kAudioChannelLayoutTag_MPEG_5_0_A = standin::ChannelLayoutTag(6, 5),
  kAudioChannelLayoutTag_MPEG_5_1_A = standin::ChannelLayoutTag(7, 6),
  kAudioChannelLayoutTag_AudioUnit_6_0 = standin::ChannelLayoutTag(8, 6),
  kAudioChannelLayoutTag_MPEG_6_1_A = standin::ChannelLayoutTag(9, 7),
  kAudioChannelLayoutTag_AudioUnit_7_0 = standin::ChannelLayoutTag(10, 7),
  kAudioChannelLayoutTag_MPEG_7_1_A = standin::ChannelLayoutTag(11, 8),
  kAudioChannelLayoutTag_MPEG_7_1_C = standin::ChannelLayoutTag(12, 8),
  kAudioChannelLayoutTag_Atmos_5_1_4 = standin::ChannelLayoutTag(13, 10),
  kAudioChannelLayoutTag_Atmos_7_1_4 = standin::ChannelLayoutTag(14, 12),
  // Combined with a channel count in the low 16 bits.
  kAudioChannelLayoutTag_HOA_ACN_SN3D = standin::ChannelLayoutTag(15, 0),
  kAudioChannelLayoutTag_DiscreteInOrder = standin::ChannelLayoutTag(16, 0),
};

// Channel count carried in the low 16 bits of a tag.
inline UInt32 AudioChannelLayoutTag_GetNumberOfChannels(AudioChannelLayoutTag tag) {
  return tag & 0xFFFFu;
}
