// Text a user types into a value prompt.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_plugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace plugkit;
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);

  static fuzzing::FuzzPlugin plugin(0);
  StrBuf shown;
  for (int i = 0; i < plugin.NParams(); ++i) {
    const IParam& param = *plugin.GetParam(i);
    const double value = param.ParseValue(text.c_str());
    if (!std::isfinite(value) || value < param.GetMin() || value > param.GetMax()) std::abort();
    param.FormatValue(value, false, shown);
    if (shown.GetLength() > IParam::kMaxFormattedLength) std::abort();
  }
  return 0;
}
