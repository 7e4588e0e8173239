// A host chunk of parameter values: the first byte picks the start position,
// the rest is the chunk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_plugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace plugkit;
  if (size == 0 || size > (1u << 20)) return 0;
  constexpr int kStartChoices = 10;  // -1 and 0..8
  const int startPos = data[0] % kStartChoices - 1;
  IStateChunk chunk;
  chunk.PutBytes(data + 1, static_cast<int>(size - 1));

  fuzzing::FuzzPlugin plugin(0);
  const int end = plugin.ReadParamValues(chunk, startPos);
  const int expectedEnd = startPos + fuzzing::FuzzPlugin::kParams * static_cast<int>(sizeof(double));
  if (end != -1 && end != expectedEnd) std::abort();
  if (end > chunk.Size()) std::abort();
  fuzzing::CheckParams(plugin);
  return 0;
}
