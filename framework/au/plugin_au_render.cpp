#include "framework/au/plugin_au.h"

namespace plugkit {

// Rendering is not available yet; a host learns so instead of receiving stale buffers.
OSStatus IPluginAU::Render(AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return kAudioUnitErr_CannotDoInCurrentContext;
}

}  // namespace plugkit
