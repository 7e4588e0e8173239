#pragma once

#include "framework/au/au_export.h"
#include "framework/au/plugin_au.h"

namespace plugkit::testing {

// A plug-in whose constructor fails after the framework bases are built.
class ThrowingPlugin : public IPluginAU {
public:
  explicit ThrowingPlugin(const InstanceInfo& info);
};

}  // namespace plugkit::testing

PLUGKIT_AU_EXPORT AudioComponentPlugInInterface* AUThrowingPlugin_Factory(const AudioComponentDescription* desc);
PLUGKIT_AU_EXPORT ComponentResult AUThrowingPlugin_Entry(ComponentParameters* params, void* storage);
