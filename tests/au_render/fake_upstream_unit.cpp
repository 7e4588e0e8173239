#include "fake_upstream_unit.h"

#include <AudioUnit/AudioUnitProperties.h>
#include <CoreServices/CoreServices.h>

#include <algorithm>
#include <cstring>

namespace plugkit::testing {

namespace {

constexpr UInt32 kFramesCapacity = 4096;

// What the component instance's storage holds.
struct UpstreamObject {
  int fastRenders = 0;
  int hostRenders = 0;
  float samples[kFramesCapacity] = {};
};

struct UpstreamBlock {
  AudioComponentPlugInInterface interface;
  UpstreamObject* object;
};

OSStatus Fill(UpstreamObject& object, UInt32 frames, AudioBufferList* list) {
  if (frames > kFramesCapacity || !list) return kAudioUnitErr_InvalidPropertyValue;
  std::fill_n(object.samples, frames, FakeUpstreamUnit::kLevel);
  for (UInt32 k = 0; k < list->mNumberBuffers; ++k) {
    if (list->mBuffers[k].mData)
      std::copy_n(object.samples, frames, static_cast<float*>(list->mBuffers[k].mData));
    else
      list->mBuffers[k].mData = object.samples;
  }
  return noErr;
}

OSStatus RenderFast(void* storage, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                    AudioBufferList* list) {
  auto& object = *static_cast<UpstreamObject*>(storage);
  ++object.fastRenders;
  return Fill(object, frames, list);
}

OSStatus RenderByHost(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                      AudioBufferList* list) {
  auto& object = *static_cast<UpstreamBlock*>(self)->object;
  ++object.hostRenders;
  return Fill(object, frames, list);
}

OSStatus GetProperty(void*, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                     UInt32* size) {
  if (id == kAudioUnitProperty_StreamFormat && scope == kAudioUnitScope_Output && element == 0 && data) {
    AudioStreamBasicDescription format{};
    format.mSampleRate = 48000.0;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    format.mBytesPerPacket = format.mBytesPerFrame = sizeof(float);
    format.mFramesPerPacket = 1;
    format.mChannelsPerFrame = 1;
    format.mBitsPerChannel = 32;
    std::memcpy(data, &format, sizeof(format));
    if (size) *size = sizeof(format);
    return noErr;
  }
  if (id == kAudioUnitProperty_FastDispatch && element == kAudioUnitRenderSelect && data) {
    const AudioUnitRenderProc proc = &RenderFast;
    std::memcpy(data, &proc, sizeof(proc));
    if (size) *size = sizeof(proc);
    return noErr;
  }
  return kAudioUnitErr_InvalidProperty;
}

OSStatus Open(void* self, AudioComponentInstance instance) {
  auto* block = static_cast<UpstreamBlock*>(self);
  block->object = new UpstreamObject;
  SetComponentInstanceStorage(instance, reinterpret_cast<Handle>(block->object));
  return noErr;
}

OSStatus Close(void* self) {
  auto* block = static_cast<UpstreamBlock*>(self);
  delete block->object;
  delete block;
  return noErr;
}

AudioComponentMethod Lookup(SInt16 selector) {
  switch (selector) {
    case kAudioUnitGetPropertySelect: return reinterpret_cast<AudioComponentMethod>(&GetProperty);
    case kAudioUnitRenderSelect: return reinterpret_cast<AudioComponentMethod>(&RenderByHost);
    default: return nullptr;
  }
}

AudioComponentPlugInInterface* Factory(const AudioComponentDescription*) {
  auto* block = new UpstreamBlock{{&Open, &Close, &Lookup, nullptr}, nullptr};
  return &block->interface;
}

AudioComponent Component() {
  static const AudioComponentDescription description{kAudioUnitType_Generator, standin::FourCharCodeOf("Fkup"),
                                                     standin::FourCharCodeOf("Plkt"), 0, 0};
  static const AudioComponent component = AudioComponentRegister(&description, nullptr, 0, &Factory);
  return component;
}

const UpstreamObject& ObjectOf(AudioUnit unit) {
  return *reinterpret_cast<const UpstreamObject*>(GetComponentInstanceStorage(unit));
}

}  // namespace

FakeUpstreamUnit::FakeUpstreamUnit() { AudioComponentInstanceNew(Component(), &mUnit); }

FakeUpstreamUnit::~FakeUpstreamUnit() {
  if (mUnit) AudioComponentInstanceDispose(mUnit);
}

int FakeUpstreamUnit::FastRenders() const { return ObjectOf(mUnit).fastRenders; }
int FakeUpstreamUnit::HostRenders() const { return ObjectOf(mUnit).hostRenders; }
void* FakeUpstreamUnit::Storage() const { return reinterpret_cast<void*>(GetComponentInstanceStorage(mUnit)); }

}  // namespace plugkit::testing
