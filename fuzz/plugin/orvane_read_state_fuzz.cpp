// A host hands back whatever chunk it stored. ReadState must refuse a bad one
// with -1 and keep the live state as it was, or take a good one such that
// writing and reading it again gives the same document; never crash.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/core/state_chunk.h"
#include "plugin/orvane.h"

namespace {

orvane::Orvane& Instance() {
  static auto* instance = new orvane::Orvane(plugkit::InstanceInfo{"Orvane_View"});
  return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(1 << 20)) return 0;
  plugkit::IStateChunk chunk;
  if (!chunk.PutBytes(data, static_cast<int>(size))) return 0;
  orvane::Orvane& plugin = Instance();
  const orvane::PluginStateDocument before = plugin.CopyDocument();

  const int end = plugin.ReadState(chunk, 0);
  if (end < 0) {
    if (end != -1 || !(plugin.CopyDocument() == before)) std::abort();
    return 0;
  }
  if (end > chunk.Size()) std::abort();

  const orvane::PluginStateDocument taken = plugin.CopyDocument();
  plugkit::IStateChunk written;
  if (!plugin.WriteState(written)) std::abort();
  if (plugin.ReadState(written, 0) != written.Size()) std::abort();
  orvane::PluginStateDocument reread = plugin.CopyDocument();
  // A baseline that is not kept reads back as a fresh record stamped with the time.
  if (!taken.state.hasPresetBaseline) reread.state.presetBaseline = taken.state.presetBaseline;
  if (!(reread == taken)) std::abort();
  return 0;
}
