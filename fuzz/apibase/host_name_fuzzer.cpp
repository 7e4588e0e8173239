// The host application's name as the host reports it, in any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/plugin_api_base.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace plugkit;
  if (size > (1u << 16)) return 0;
  const std::string name(reinterpret_cast<const char*>(data), size);  // ends at the first NUL, as a C string does

  PluginConfig config;
  IPluginAPIBase plugin(config, kAPIAU);
  plugin.IdentifyHost(name.c_str(), 0x00010203);
  if (std::strcmp(plugin.GetHostName(), name.c_str()) != 0) std::abort();
  if (plugin.GetHost() < kHostUnknown || plugin.GetHost() > kHostMixbus) std::abort();
  if (plugin.GetHostVersion(true) != 10203) std::abort();
  return 0;
}
