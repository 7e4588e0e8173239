#pragma once

// Components and their instances. A component is a registered factory; an
// instance holds the plug-in interface block the factory returned and
// dispatches every call through the block's method lookup.

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <MacTypes.h>

struct AudioComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};
static_assert(sizeof(AudioComponentDescription) == 20);

typedef struct OpaqueAudioComponent* AudioComponent;
// A component instance is the record the Component Manager calls use as well.
typedef ComponentInstance AudioComponentInstance;

// A method found through Lookup; callers cast it to the selector's signature.
typedef OSStatus (*AudioComponentMethod)(void* self, ...);

// The first words of every instance block a factory returns.
struct AudioComponentPlugInInterface {
  OSStatus (*Open)(void* self, AudioComponentInstance instance);
  OSStatus (*Close)(void* self);
  AudioComponentMethod (*Lookup)(SInt16 selector);
  void* reserved;
};
static_assert(sizeof(AudioComponentPlugInInterface) == 32);

typedef AudioComponentPlugInInterface* (*AudioComponentFactoryFunction)(
    const AudioComponentDescription* inDesc);

extern "C" {

// Makes a factory known to this process. The name is not kept.
AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName,
                                      UInt32 inVersion, AudioComponentFactoryFunction inFactory);

OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc);

// Calls the factory and the block's Open. When Open fails the block is closed
// again, no instance is handed out and Open's status is returned.
OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance);

// Closes the block (which frees it) and forgets the instance.
OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance);

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance);

}  // extern "C"
