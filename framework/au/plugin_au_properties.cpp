#include "framework/au/plugin_au.h"

namespace plugkit {

// No property is supported yet: every request is refused as unknown.

OSStatus IPluginAU::GetPropertyInfo(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32*, Boolean*) {
  return kAudioUnitErr_InvalidProperty;
}

OSStatus IPluginAU::GetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*, UInt32*) {
  return kAudioUnitErr_InvalidProperty;
}

OSStatus IPluginAU::SetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void*, UInt32) {
  return kAudioUnitErr_InvalidProperty;
}

}  // namespace plugkit
