#pragma once

// The record behind AudioComponentInstance and ComponentInstance.

#include <AudioUnit/AudioComponent.h>

#include <atomic>

struct OpaqueAudioComponent {
  AudioComponentDescription description;
  UInt32 version;
  AudioComponentFactoryFunction factory;
};

struct ComponentInstanceRecord {
  // Null for an instance made only for the legacy entry.
  AudioComponent component = nullptr;
  AudioComponentPlugInInterface* block = nullptr;
  std::atomic<Handle> storage{nullptr};
};
