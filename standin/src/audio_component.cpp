// Component registry, instances and Component Manager storage.

#include <AudioUnit/AudioComponent.h>
#include <CoreServices/CoreServices.h>
#include <standin/testing/component_instances.h>

#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "component_instance_record.h"

namespace {

bool SameDescription(const AudioComponentDescription& a, const AudioComponentDescription& b) {
  return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
         a.componentManufacturer == b.componentManufacturer;
}

// Registered components live as long as the process, like the platform's.
class ComponentRegistry {
public:
  static ComponentRegistry& Shared() {
    static ComponentRegistry* registry = new ComponentRegistry;
    return *registry;
  }

  AudioComponent Register(const AudioComponentDescription& desc, UInt32 version,
                          AudioComponentFactoryFunction factory) {
    const std::lock_guard lock(mMutex);
    for (const auto& component : mComponents) {
      if (component->factory == factory && SameDescription(component->description, desc)) {
        component->version = version;
        return component.get();
      }
    }
    mComponents.push_back(std::make_unique<OpaqueAudioComponent>(OpaqueAudioComponent{desc, version, factory}));
    return mComponents.back().get();
  }

private:
  std::mutex mMutex;
  std::vector<std::unique_ptr<OpaqueAudioComponent>> mComponents;
};

}  // namespace

extern "C" {

AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef /*inName*/,
                                      UInt32 inVersion, AudioComponentFactoryFunction inFactory) {
  if (!inDesc || !inFactory)
    return nullptr;
  return ComponentRegistry::Shared().Register(*inDesc, inVersion, inFactory);
}

OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc) {
  if (!inComponent || !outDesc)
    return badComponentSelector;
  *outDesc = inComponent->description;
  return noErr;
}

OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance) {
  if (!inComponent || !outInstance)
    return badComponentSelector;
  *outInstance = nullptr;
  AudioComponentPlugInInterface* block = inComponent->factory(&inComponent->description);
  if (!block)
    return badComponentSelector;
  auto* instance = new (std::nothrow) ComponentInstanceRecord;
  if (!instance) {
    block->Close(block);
    return badComponentSelector;
  }
  instance->component = inComponent;
  instance->block = block;
  const OSStatus status = block->Open(block, instance);
  if (status != noErr) {
    block->Close(block);
    delete instance;
    return status;
  }
  *outInstance = instance;
  return noErr;
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance) {
  if (!inInstance)
    return badComponentSelector;
  OSStatus status = noErr;
  if (inInstance->block)
    status = inInstance->block->Close(inInstance->block);
  delete inInstance;
  return status;
}

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance) {
  return inInstance ? inInstance->component : nullptr;
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage) {
  if (aComponentInstance)
    aComponentInstance->storage.store(theStorage, std::memory_order_release);
}

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance) {
  return aComponentInstance ? aComponentInstance->storage.load(std::memory_order_acquire) : nullptr;
}

}  // extern "C"

namespace standin::testing {

ComponentInstance NewLegacyComponentInstance() {
  return new ComponentInstanceRecord;
}

void DisposeLegacyComponentInstance(ComponentInstance instance) {
  delete instance;
}

AudioComponentPlugInInterface* PlugInInterfaceOf(AudioComponentInstance instance) {
  return instance ? instance->block : nullptr;
}

}  // namespace standin::testing
