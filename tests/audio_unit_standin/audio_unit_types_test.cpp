// Layouts and codes that hosts and components exchange in memory.

#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <cstddef>

namespace {

static_assert(offsetof(AudioStreamBasicDescription, mFormatID) == 8);
static_assert(offsetof(AudioStreamBasicDescription, mChannelsPerFrame) == 28);
static_assert(sizeof(AudioUnitParameterInfo::name) == 52);
static_assert(offsetof(AudioUnitParameterInfo, unitName) == 56);
static_assert(offsetof(AudioUnitParameterInfo, flags) == 96);
static_assert(offsetof(AudioTimeStamp, mSMPTETime) == 32);
static_assert(offsetof(AudioTimeStamp, mFlags) == 56);
static_assert(offsetof(HostCallbackInfo, transportStateProc2) == 32);
static_assert(offsetof(AudioUnitConnection, destInputNumber) == 12);
static_assert(offsetof(AudioUnitParameterStringFromValue, outString) == 16);
static_assert(offsetof(AudioUnitParameterValueFromString, outValue) == 16);
static_assert(offsetof(AudioUnitParameterEvent, eventValues) == 16);
static_assert(offsetof(AudioBufferList, mBuffers) == 8);
static_assert(offsetof(ComponentParameters, what) == 2);
static_assert(offsetof(ComponentParameters, params) == 8);
static_assert(sizeof(MIDIPacket) == 268);

TEST(FourCharCodes, FirstCharacterIsTheMostSignificantByte) {
  EXPECT_EQ(kAudioUnitType_Effect, 0x61756678u);
  EXPECT_EQ(kAudioUnitType_MusicEffect, 0x61756D66u);
  EXPECT_EQ(kAudioUnitType_MusicDevice, 0x61756D75u);
  EXPECT_EQ(kAudioUnitType_MIDIProcessor, 0x61756D69u);
  EXPECT_EQ(kAudioUnitType_Generator, 0x6175676Eu);
  EXPECT_EQ(kAudioFormatLinearPCM, 0x6C70636Du);
}

TEST(StatusCodes, MatchTheNumbersHostsCompareAgainst) {
  EXPECT_EQ(badComponentSelector, static_cast<OSStatus>(0x80008002u));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, -10879);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, -10851);
}

TEST(ParameterFlags, DefaultInfoFlagsCombineToTheDocumentedWord) {
  const AudioUnitParameterOptions flags =
      kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
      kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
      kAudioUnitParameterFlag_CFNameRelease;
  EXPECT_EQ(flags, 0xC8800010u);
}

TEST(ChannelLayoutTags, CombinableTagsLeaveTheChannelCountFree) {
  EXPECT_EQ(kAudioChannelLayoutTag_HOA_ACN_SN3D & 0xFFFFu, 0u);
  EXPECT_EQ(kAudioChannelLayoutTag_DiscreteInOrder & 0xFFFFu, 0u);
  EXPECT_EQ(AudioChannelLayoutTag_GetNumberOfChannels(kAudioChannelLayoutTag_DiscreteInOrder | 11), 11u);
  EXPECT_EQ(AudioChannelLayoutTag_GetNumberOfChannels(kAudioChannelLayoutTag_Stereo), 2u);
  EXPECT_EQ(AudioChannelLayoutTag_GetNumberOfChannels(kAudioChannelLayoutTag_MPEG_7_1_A), 8u);
}

TEST(ChannelLayoutTags, AreDistinct) {
  const AudioChannelLayoutTag tags[] = {
      kAudioChannelLayoutTag_UseChannelDescriptions, kAudioChannelLayoutTag_Mono,
      kAudioChannelLayoutTag_Stereo, kAudioChannelLayoutTag_MPEG_3_0_A,
      kAudioChannelLayoutTag_Quadraphonic, kAudioChannelLayoutTag_Ambisonic_B_Format,
      kAudioChannelLayoutTag_MPEG_5_0_A, kAudioChannelLayoutTag_MPEG_5_1_A,
      kAudioChannelLayoutTag_AudioUnit_6_0, kAudioChannelLayoutTag_MPEG_6_1_A,
      kAudioChannelLayoutTag_AudioUnit_7_0, kAudioChannelLayoutTag_MPEG_7_1_A,
      kAudioChannelLayoutTag_MPEG_7_1_C, kAudioChannelLayoutTag_Atmos_5_1_4,
      kAudioChannelLayoutTag_Atmos_7_1_4, kAudioChannelLayoutTag_HOA_ACN_SN3D,
      kAudioChannelLayoutTag_DiscreteInOrder};
  for (std::size_t i = 0; i < std::size(tags); ++i)
    for (std::size_t j = i + 1; j < std::size(tags); ++j)
      EXPECT_NE(tags[i], tags[j]) << i << " and " << j;
}

}  // namespace
