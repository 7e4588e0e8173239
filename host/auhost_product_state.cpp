#include "host/auhost_product_state.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "design/controls_script.h"
#include "design/design.h"
#include "design/design_json.h"
#include "host/auhost_design_file.h"
#include "host/auhost_failure.h"
#include "host/auhost_json_text.h"
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
constexpr char kCurrentDesignPathKey[] = "currentDesignPath";
constexpr char kFactoryCollectionKey[] = "factoryCollection";
constexpr char kActivePresetFactoryKey[] = "activePresetFactory";
constexpr char kActivePresetFilenameKey[] = "activePresetFilename";
constexpr char kHasPresetBaselineKey[] = "hasPresetBaseline";
constexpr char kPresetBaselineKey[] = "presetBaseline";
constexpr char kPresetModifiedKey[] = "presetModified";

// The product's preset folders, as it lays them out.
constexpr char kBundleResourcesFolder[] = "Contents/Resources";
constexpr char kPresetsFolderName[] = "Presets";
constexpr char kUserPresetsInHome[] = "Documents/Orvane/Presets";

namespace fs = std::filesystem;

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

// Whether the JSON text opens more arrays and objects inside one another than
// `limit`, counting as a parser would: brackets inside strings do not count.
template <typename Iterator>
bool NestsDeeperThan(Iterator begin, Iterator end, std::size_t limit) {
  std::size_t depth = 0;
  bool inString = false;
  bool escaped = false;
  for (auto at = begin; at != end; ++at) {
    const char c = static_cast<char>(*at);
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

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
  const auto textStop = std::find(textBegin, textEnd, std::uint8_t{0});
  if (NestsDeeperThan(textBegin, textStop, kMaxStateNesting))
    throw Failure(ExitCode::kStateFile, "the state's text nests arrays and objects deeper than " +
                                            std::to_string(kMaxStateNesting) + " levels, more than auhost reads");
  const std::string_view text(reinterpret_cast<const char*>(chunk.data() + kHeaderSize),
                               static_cast<std::size_t>(textStop - textBegin));
  SplitChunk split;
  if (const std::string problem = ReadJsonText(text, JsonExtent::kWholeText, split.document); !problem.empty())
    NotProductState("its text " + problem);
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

// Lexically normal and absolute, without a trailing separator.
fs::path NormalFolder(const fs::path& folder) {
  fs::path normal = fs::absolute(folder).lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

bool LiesDirectlyIn(const fs::path& file, const std::string& folder) {
  return !folder.empty() && NormalFolder(file.parent_path()) == NormalFolder(folder);
}

// The document the product would read from the class info; none when it
// would not read one.
std::optional<PluginStateDocument> ReadableDocument(const ClassInfo& info) {
  PluginStateDocument document;
  std::string error;
  try {
    if (info.data && ParsePluginStateJson(Split(*info.data).document, document, error)) return document;
  } catch (const Failure&) {
  }
  return std::nullopt;
}

}  // namespace

bool IsProductComponent(const AudioComponentDescription& description) {
  return description.componentSubType == kProductSubtype &&
         description.componentManufacturer == kProductManufacturer;
}

PresetFolders ProductPresetFolders(const std::string& bundleFolder) {
  PresetFolders folders;
  folders.factory = (fs::path(bundleFolder) / kBundleResourcesFolder / kPresetsFolderName).string();
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') folders.user = (fs::path(home) / kUserPresetsInHome).string();
  return folders;
}

OpenedDesign OpenDesign(Design design, const std::string& path, const PresetFolders& folders) {
  // As opening a file does: a script with an error leaves no player values.
  std::vector<double> values;
  ParsedControlsScript script;
  if (ParseUserControlsScript(design.script, script)) {
    values = design.playerControlValues;
    FitPlayerValuesToScript(script, values);
  }
  design.playerControlValues = std::move(values);
  OpenedDesign opened;
  opened.design = std::move(design);
  if (path.empty()) return opened;
  const fs::path absolute = fs::absolute(path).lexically_normal();
  opened.path = absolute.string();
  opened.inFactoryFolder = LiesDirectlyIn(absolute, folders.factory);
  opened.inUserFolder = LiesDirectlyIn(absolute, folders.user);
  return opened;
}

LoadedProductEdits LoadProductEdits(const ProductEdits& edits, const PresetFolders& folders) {
  LoadedProductEdits loaded;
  if (edits.designPath) loaded.design = OpenDesign(ReadUserDesignFile(*edits.designPath), *edits.designPath, folders);
  loaded.oversampling = edits.oversampling;
  return loaded;
}

std::vector<std::uint8_t> EditProductChunk(const std::vector<std::uint8_t>& chunk,
                                           const LoadedProductEdits& edits) {
  SplitChunk split = Split(chunk);
  if (edits.design) {
    const OpenedDesign& opened = *edits.design;
    nlohmann::json& document = split.document;
    document[kDesignKey] = BuildDesignJson(opened.design);
    document[kPlayerValuesKey] = opened.design.playerControlValues;
    // The bookkeeping as opening the file leaves it: the file is the current
    // design and, in a preset folder, the active preset of that collection;
    // the design as opened is the baseline, so it is not modified.
    const bool inPresetFolder = opened.inFactoryFolder || opened.inUserFolder;
    document[kCurrentDesignPathKey] = opened.path;
    document[kFactoryCollectionKey] = opened.inFactoryFolder;
    document[kActivePresetFactoryKey] = opened.inFactoryFolder;
    document[kActivePresetFilenameKey] = inPresetFolder ? fs::path(opened.path).filename().string() : std::string();
    document[kHasPresetBaselineKey] = true;
    document[kPresetBaselineKey] = document[kDesignKey];
    document[kPresetModifiedKey] = false;
  }
  if (edits.oversampling) split.document[kOversamplingKey] = *edits.oversampling;
  return Join(split);
}

PluginStateDocument CheckProductClassInfo(const ClassInfo& info) {
  if (static_cast<OSType>(info.type) != kProductType) NotProductState("its type is not aumf");
  if (!info.data) NotProductState("it carries no data");
  PluginStateDocument document;
  std::string error;
  if (!ParsePluginStateJson(Split(*info.data).document, document, error)) NotProductState(error);
  return document;
}

std::string ControlsScriptProblem(const ClassInfo& info) {
  const std::optional<PluginStateDocument> document = ReadableDocument(info);
  ParsedControlsScript script;
  if (!document || ParseUserControlsScript(document->design.script, script)) return {};
  return "the design's controls script has an error on line " + std::to_string(script.errorLine) + ": " +
         script.error + "; its player controls are inactive";
}

std::vector<std::string> UnboundControllerWarnings(const ClassInfo& info,
                                                   const std::vector<ControllerChange>& changes) {
  const std::optional<PluginStateDocument> document = ReadableDocument(info);
  ParsedControlsScript script;
  if (changes.empty() || !document || !ParseUserControlsScript(document->design.script, script)) return {};
  if (script.controls.empty())
    return {"--cc reaches nothing: the design in effect has no controls script to bind a controller"};
  std::set<int> bound;
  for (const ScriptControl& control : script.controls)
    if (control.hasMidiCC) bound.insert(control.midiCC);
  std::vector<std::string> warnings;
  std::set<int> warned;
  for (const ControllerChange& change : changes)
    if (!bound.contains(change.controller) && warned.insert(change.controller).second)
      warnings.push_back("--cc " + ControllerChangeText(change) + " reaches nothing: the design's controls script "
                         "binds no control to controller " + std::to_string(change.controller));
  return warnings;
}

ClassInfo EditProductClassInfo(const ClassInfo& info, const LoadedProductEdits& edits) {
  if (!info.data) NotProductState("it carries no data");
  ClassInfo edited = info;
  edited.data = EditProductChunk(*info.data, edits);
  return edited;
}

}  // namespace orvane::auhost
