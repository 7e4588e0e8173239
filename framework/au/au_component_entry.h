#pragma once

// The component's outer shell: the factory with its instance block, the
// selector lookup and the legacy Component Manager dispatcher. A plug-in
// library instantiates them under its own names with PLUGKIT_AU_ENTRY_POINTS.
//
// No C++ exception leaves these functions: a host is C and cannot unwind them.

#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>

#include <algorithm>
#include <cstddef>
#include <new>

#include "framework/au/plugin_au.h"
#include "framework/au/au_export.h"
#include "framework/au/au_legacy_dispatch.h"
#include "framework/au/au_selector_methods.h"

namespace plugkit {

// The eight pointer-sized words in front of the plug-in object.
struct AUInstanceHeader {
  using ConstructHook = void* (*)(void* storage, AudioComponentInstance instance);
  using DestructHook = void (*)(void* storage);

  AudioComponentPlugInInterface interface;  // Open, Close, Lookup, reserved
  ConstructHook construct;
  DestructHook destruct;
  void* unused[2];
};
inline constexpr std::size_t kInstanceHeaderSize = 8 * sizeof(void*);
static_assert(sizeof(AUInstanceHeader) == kInstanceHeaderSize);

// EntryTraits names the plug-in class (`Plugin`, constructible from an
// InstanceInfo) and its view-factory class name (`kViewClassName`).
template <class EntryTraits>
class AUComponent {
public:
  using Plugin = typename EntryTraits::Plugin;

  static constexpr int kLegacyOpenInstanceSlot = 1;
  static constexpr std::size_t kObjectAlignment = std::max<std::size_t>(alignof(Plugin), 16);
  static_assert(kInstanceHeaderSize % kObjectAlignment == 0, "the object must start aligned behind the header");

  // The AudioComponent factory: a block with the header filled and room for
  // the object, which Open constructs. Null when memory is short.
  static AudioComponentPlugInInterface* Factory(const AudioComponentDescription*) noexcept {
    void* memory = ::operator new(sizeof(Block), std::align_val_t{alignof(Block)}, std::nothrow);
    if (!memory) return nullptr;
    auto* block = ::new (memory) Block;
    block->header = AUInstanceHeader{};
    block->holdsObject = false;
    block->header.interface.Open = &Open;
    block->header.interface.Close = &Close;
    block->header.interface.Lookup = &Lookup;
    block->header.construct = &Construct;
    block->header.destruct = &Destruct;
    return &block->header.interface;
  }

  // The legacy Component Manager entry.
  static ComponentResult Entry(ComponentParameters* params, void* storage) noexcept {
    if (!params) return badComponentSelector;
    switch (static_cast<UInt16>(params->what)) {
      case static_cast<UInt16>(kComponentOpenSelect): return LegacyOpen(*params);
      case static_cast<UInt16>(kComponentCloseSelect): return LegacyClose(storage);
      case static_cast<UInt16>(kComponentCanDoSelect): return LegacyCanDo(*params);
      default: break;
    }
    if (!storage) return badComponentSelector;
    return CallHandler(static_cast<Plugin*>(storage),
                       [params](IPluginAU& plugin) { return DispatchLegacySelector(plugin, *params); });
  }

  // The object in a block that Open filled; null otherwise.
  static Plugin* ObjectOf(void* self) {
    auto* block = static_cast<Block*>(self);
    return block && block->holdsObject ? std::launder(reinterpret_cast<Plugin*>(block->storage)) : nullptr;
  }

private:
  struct Block {
    AUInstanceHeader header;
    alignas(kObjectAlignment) unsigned char storage[sizeof(Plugin)];
    // False until Open constructed the object, and again when construction failed.
    bool holdsObject;
  };
  static_assert(offsetof(Block, storage) == kInstanceHeaderSize);

  // The construct hook; without storage it allocates the object itself. The
  // idle tick reaches the object only once construction has finished.
  static void* Construct(void* storage, AudioComponentInstance) noexcept {
    const InstanceInfo info{EntryTraits::kViewClassName};
    Plugin* plugin = nullptr;
    try {
      plugin = storage ? ::new (storage) Plugin(info) : new Plugin(info);
    } catch (...) {
      return nullptr;
    }
    plugin->OpenIdleTickGate();
    return plugin;
  }

  // The destruct hook: no tick may reach an object whose destruction has begun.
  static void Destruct(void* storage) noexcept {
    auto* plugin = std::launder(reinterpret_cast<Plugin*>(storage));
    plugin->StopIdleTimer();
    plugin->~Plugin();
  }

  static OSStatus Open(void* self, AudioComponentInstance instance) noexcept {
    auto* block = static_cast<Block*>(self);
    if (!block) return kNoPluginObjectStatus;
    Plugin* plugin = static_cast<Plugin*>(block->header.construct(block->storage, instance));
    block->holdsObject = plugin != nullptr;
    if (!plugin) return kNoPluginObjectStatus;
    plugin->SetComponentInstance(instance);
    try {
      plugin->DropUnusedPresets();
    } catch (...) {
      block->header.destruct(block->storage);
      block->holdsObject = false;
      return kNoPluginObjectStatus;
    }
    return noErr;
  }

  // Frees the block; runs the destructor only when Open built an object.
  static OSStatus Close(void* self) noexcept {
    auto* block = static_cast<Block*>(self);
    if (!block) return noErr;
    if (block->holdsObject) block->header.destruct(block->storage);
    block->~Block();
    ::operator delete(block, std::align_val_t{alignof(Block)});
    return noErr;
  }

  // Open's argument, the new instance, follows slot 0.
  static ComponentResult LegacyOpen(const ComponentParameters& params) noexcept {
    const long* slots = params.params;
    auto* instance = reinterpret_cast<ComponentInstance>(slots[kLegacyOpenInstanceSlot]);
    Plugin* plugin = static_cast<Plugin*>(Construct(nullptr, instance));
    if (!plugin) return kNoPluginObjectStatus;
    try {
      plugin->DropUnusedPresets();
    } catch (...) {
      LegacyClose(plugin);
      return kNoPluginObjectStatus;
    }
    plugin->SetComponentInstance(instance);
    SetComponentInstanceStorage(instance, reinterpret_cast<Handle>(plugin));
    return noErr;
  }

  static ComponentResult LegacyClose(void* storage) noexcept {
    Plugin* plugin = static_cast<Plugin*>(storage);
    if (!plugin) return badComponentSelector;
    plugin->ClearConnections();
    plugin->StopIdleTimer();
    delete static_cast<IPluginAU*>(plugin);
    return noErr;
  }

  static IPluginAU* BaseOf(void* self) { return ObjectOf(self); }

  static AudioComponentMethod Lookup(SInt16 selector) noexcept { return AUSelectorMethods<&BaseOf>::Lookup(selector); }
};

}  // namespace plugkit

// Defines the component's factory and legacy entry under the given names:
// PLUGKIT_AU_ENTRY_POINTS(MyPlugin, MyPlugin_Entry, MyPlugin_Factory, "MyPlugin_View")
#define PLUGKIT_AU_ENTRY_POINTS(PluginClass, EntryName, FactoryName, ViewClassName)                          \
  namespace {                                                                                               \
  struct EntryName##Traits {                                                                                \
    using Plugin = PluginClass;                                                                             \
    static constexpr const char* kViewClassName = ViewClassName;                                            \
  };                                                                                                        \
  }                                                                                                         \
  PLUGKIT_AU_EXPORT AudioComponentPlugInInterface* FactoryName(const AudioComponentDescription* desc) {     \
    return ::plugkit::AUComponent<EntryName##Traits>::Factory(desc);                                        \
  }                                                                                                         \
  PLUGKIT_AU_EXPORT ComponentResult EntryName(ComponentParameters* params, void* storage) {                 \
    return ::plugkit::AUComponent<EntryName##Traits>::Entry(params, storage);                               \
  }
