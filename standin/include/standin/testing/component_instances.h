#pragma once

// Component instances for driving a legacy entry point directly: the record a
// legacy Open receives and registers its storage with.

#include <AudioUnit/AudioComponent.h>
#include <CoreServices/CoreServices.h>

namespace standin::testing {

ComponentInstance NewLegacyComponentInstance();
void DisposeLegacyComponentInstance(ComponentInstance instance);

// The plug-in interface block behind an instance, for hosts that look up a
// selector's method themselves; null for a legacy-only instance.
AudioComponentPlugInInterface* PlugInInterfaceOf(AudioComponentInstance instance);

}  // namespace standin::testing
