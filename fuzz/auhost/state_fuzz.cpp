// State files and the product's state chunk as auhost reads them: each input
// is tried as a state file's text and as a raw chunk to edit and to check.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/auhost_class_info.h"
#include "host/auhost_failure.h"
#include "host/auhost_product_state.h"

namespace {

orvane::auhost::LoadedProductEdits OversamplingEdit() {
  orvane::auhost::LoadedProductEdits edits;
  edits.oversampling = 4;
  return edits;
}

void EditChunk(const std::vector<std::uint8_t>& chunk) {
  try {
    orvane::auhost::EditProductChunk(chunk, OversamplingEdit());
  } catch (const orvane::auhost::Failure&) {
  }
}

// What state show does with the product's class info.
void CheckAsProduct(const orvane::auhost::ClassInfo& info) {
  try {
    orvane::auhost::CheckProductClassInfo(info);
  } catch (const orvane::auhost::Failure&) {
  }
}

constexpr std::int32_t kProductType = 0x61756D66;  // "aumf"

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const auto info = orvane::auhost::ClassInfoFromJson(nlohmann::json::parse(data, data + size));
    if (info.data) EditChunk(*info.data);
    CheckAsProduct(info);
  } catch (const nlohmann::json::exception&) {
  } catch (const orvane::auhost::Failure&) {
  }
  orvane::auhost::ClassInfo raw;
  raw.type = kProductType;
  raw.data = std::vector<std::uint8_t>(data, data + size);
  EditChunk(*raw.data);
  CheckAsProduct(raw);
  return 0;
}
