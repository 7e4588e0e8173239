// State files and the product's state chunk as auhost reads them: each input
// is tried as a state file's text and as a raw chunk to edit.

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const auto info = orvane::auhost::ClassInfoFromJson(nlohmann::json::parse(data, data + size));
    if (info.data) EditChunk(*info.data);
  } catch (const nlohmann::json::exception&) {
  } catch (const orvane::auhost::Failure&) {
  }
  EditChunk(std::vector<std::uint8_t>(data, data + size));
  return 0;
}
