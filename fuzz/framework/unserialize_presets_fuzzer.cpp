// A serialised preset list as a host or a file would hand it over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_plugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace plugkit;
  if (size > (1u << 20)) return 0;
  IStateChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));

  constexpr int kPresets = 3;
  fuzzing::FuzzPlugin plugin(kPresets);
  const int end = plugin.UnserializePresets(chunk, 0);
  if (end < -1 || end > chunk.Size()) std::abort();
  for (int i = 0; i < plugin.NPresets(); ++i)
    if (strnlen(plugin.GetPresetName(i), IPresetSlot::kMaxNameLength) >= IPresetSlot::kMaxNameLength) std::abort();
  fuzzing::CheckParams(plugin);

  // What was read must serialise again.
  IStateChunk again;
  if (!plugin.SerializePresets(again)) std::abort();
  return 0;
}
