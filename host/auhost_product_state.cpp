#include "host/auhost_product_state.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include <nlohmann/json.hpp>

#include "design/controls_script.h"
#include "design/design.h"
#include "design/design_file.h"
#include "design/design_json.h"
#include "host/auhost_failure.h"
#include "plugin/state/plugin_state.h"
#include "plugin/state/state_chunk_format.h"
#include "standin/four_char_code.h"

namespace orvane::auhost {
namespace {

constexpr OSType kProductType = standin::FourCharCodeOf("aumf");
constexpr OSType kProductSubtype = standin::FourCharCodeOf("Orvn");
constexpr OSType kProductManufacturer = standin::FourCharCodeOf("Vltn");

// The chunk: the header of the product's state framing (magic, version and
// the length of the JSON text, each a 32-bit word in machine order), the
// text, then whatever the framework appends.
constexpr std::size_t kWordSize = sizeof(std::uint32_t);
constexpr std::size_t kHeaderSize = kStateChunkHeaderBytes;

constexpr char kDesignKey[] = "design";
constexpr char kPlayerValuesKey[] = "playerControlValues";
constexpr char kOversamplingKey[] = "oversampling";

[[noreturn]] void NotProductState(const std::string& reason) {
  throw Failure(ExitCode::kStateFile, "the state is not an Orvane state: " + reason);
}

std::uint32_t WordAt(const std::vector<std::uint8_t>& chunk, std::size_t offset) {
  std::uint32_t word = 0;
  std::memcpy(&word, chunk.data() + offset, kWordSize);
  return word;
}

void AppendWord(std::vector<std::uint8_t>& chunk, std::uint32_t word) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&word);
  chunk.insert(chunk.end(), bytes, bytes + kWordSize);
}

// The parts of a chunk around its JSON text.
struct SplitChunk {
  nlohmann::json document;
  std::vector<std::uint8_t> rest;
};

// Reads the chunk as the product does: the text ends at its length or at a
// zero byte before it.
SplitChunk Split(const std::vector<std::uint8_t>& chunk) {
  if (chunk.size() < kHeaderSize) NotProductState("it is too short");
  if (WordAt(chunk, 0) != kStateChunkMagic) NotProductState("it does not start with the product's mark");
  if (WordAt(chunk, kWordSize) != kStateChunkVersion) NotProductState("its version is not 1");
  const std::uint64_t length = WordAt(chunk, 2 * kWordSize);
  if (length == 0 || kHeaderSize + length > chunk.size()) NotProductState("its text length is wrong");
  const auto textBegin = chunk.begin() + static_cast<std::ptrdiff_t>(kHeaderSize);
  const auto textEnd = textBegin + static_cast<std::ptrdiff_t>(length);
  SplitChunk split;
  try {
    split.document = nlohmann::json::parse(textBegin, std::find(textBegin, textEnd, std::uint8_t{0}));
  } catch (const nlohmann::json::exception& error) {
    NotProductState(std::string("its text is not JSON: ") + error.what());
  }
  if (!split.document.is_object()) NotProductState("its text is not a JSON object");
  split.rest.assign(textEnd, chunk.end());
  return split;
}

std::vector<std::uint8_t> Join(const SplitChunk& split) {
  // Compact, with non-ASCII text written as it is, like the product writes it.
  const std::string text = split.document.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) NotProductState("the edited text is too long");
  std::vector<std::uint8_t> chunk;
  chunk.reserve(kHeaderSize + text.size() + split.rest.size());
  AppendWord(chunk, kStateChunkMagic);
  AppendWord(chunk, kStateChunkVersion);
  AppendWord(chunk, static_cast<std::uint32_t>(text.size()));
  chunk.insert(chunk.end(), text.begin(), text.end());
  chunk.insert(chunk.end(), split.rest.begin(), split.rest.end());
  return chunk;
}

Design ReadDesign(const std::string& path) {
  Design design;
  std::string error;
  if (!ReadDesignFile(path, design, error))
    throw Failure(ExitCode::kDesignFile, "bad design file " + path + ": " + error);
  return design;
}

}  // namespace

bool IsProductComponent(const AudioComponentDescription& description) {
  return description.componentSubType == kProductSubtype &&
         description.componentManufacturer == kProductManufacturer;
}

LoadedProductEdits LoadProductEdits(const ProductEdits& edits) {
  LoadedProductEdits loaded;
  if (edits.designPath) loaded.design = ReadDesign(*edits.designPath);
  loaded.oversampling = edits.oversampling;
  return loaded;
}

std::vector<std::uint8_t> EditProductChunk(const std::vector<std::uint8_t>& chunk,
                                           const LoadedProductEdits& edits) {
  SplitChunk split = Split(chunk);
  if (edits.design) {
    split.document[kDesignKey] = BuildDesignJson(*edits.design);
    // A new design brings its own player values, as opening its file does;
    // the product fits them to the design's script when it reads the state.
    split.document[kPlayerValuesKey] = edits.design->playerControlValues;
  }
  if (edits.oversampling) split.document[kOversamplingKey] = *edits.oversampling;
  return Join(split);
}

void CheckProductClassInfo(const ClassInfo& info) {
  if (static_cast<OSType>(info.type) != kProductType) NotProductState("its type is not aumf");
  if (!info.data) NotProductState("it carries no data");
  PluginStateDocument document;
  std::string error;
  if (!ParsePluginStateJson(Split(*info.data).document, document, error)) NotProductState(error);
}

std::string ControlsScriptProblem(const ClassInfo& info) {
  PluginStateDocument document;
  std::string error;
  try {
    if (!info.data || !ParsePluginStateJson(Split(*info.data).document, document, error)) return {};
  } catch (const Failure&) {
    return {};
  }
  ParsedControlsScript script;
  if (ParseUserControlsScript(document.design.script, script)) return {};
  return "the design's controls script has an error on line " + std::to_string(script.errorLine) + ": " +
         script.error + "; its player controls are inactive";
}

ClassInfo EditProductClassInfo(const ClassInfo& info, const LoadedProductEdits& edits) {
  if (!info.data) NotProductState("it carries no data");
  ClassInfo edited = info;
  edited.data = EditProductChunk(*info.data, edits);
  return edited;
}

}  // namespace orvane::auhost
