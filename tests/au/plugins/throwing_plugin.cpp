#include "throwing_plugin.h"

#include <stdexcept>

#include "framework/au/au_component_entry.h"

namespace plugkit::testing {

namespace {

PluginConfig ThrowingPluginConfig() {
  PluginConfig config;
  config.nParams = 1;
  config.channelIOStr = "1-1";
  config.pluginName = "AU Throwing Plugin";
  config.mfrName = "Plugkit Tests";
  config.plugDoesMidiIn = true;
  config.bundleID = "com.plugkit.tests.authrowingplugin";
  return config;
}

}  // namespace

ThrowingPlugin::ThrowingPlugin(const InstanceInfo& info) : IPluginAU(info, ThrowingPluginConfig()) {
  throw std::runtime_error("the test plug-in refuses to construct");
}

}  // namespace plugkit::testing

PLUGKIT_AU_ENTRY_POINTS(plugkit::testing::ThrowingPlugin, AUThrowingPlugin_Entry, AUThrowingPlugin_Factory,
                        "AUThrowingPlugin_View")
