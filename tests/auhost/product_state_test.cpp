#include "host/auhost_product_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "design/design_file.h"
#include "design/design_json.h"
#include "host/auhost_failure.h"
#include "plugin/state/plugin_state.h"
#include "scoped_test_folder.h"
#include "standin/four_char_code.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using orvane::testing::ScopedTestFolder;
using orvane::testing::WriteFileBytes;

constexpr std::uint32_t kMagic = 0x4F535441;

std::vector<std::uint8_t> ChunkOf(const std::string& text, std::uint32_t magic = kMagic, std::uint32_t version = 1) {
  std::vector<std::uint8_t> chunk(12 + text.size());
  const auto length = static_cast<std::uint32_t>(text.size());
  std::memcpy(chunk.data(), &magic, 4);
  std::memcpy(chunk.data() + 4, &version, 4);
  std::memcpy(chunk.data() + 8, &length, 4);
  if (!text.empty()) std::memcpy(chunk.data() + 12, text.data(), text.size());
  return chunk;
}

std::vector<std::uint8_t> ChunkOf(const PluginStateDocument& document) {
  return ChunkOf(BuildPluginStateJson(document).dump());
}

PluginStateDocument DocumentIn(const std::vector<std::uint8_t>& chunk) {
  std::uint32_t length = 0;
  std::memcpy(&length, chunk.data() + 8, 4);
  EXPECT_EQ(chunk.size(), 12u + length);
  PluginStateDocument document;
  std::string error;
  EXPECT_TRUE(ParsePluginStateJson(nlohmann::json::parse(chunk.begin() + 12, chunk.end()), document, error))
      << error;
  return document;
}

// A valid design with a slider and a switch, and player values for them.
Design TwoControlDesign() {
  Design design = MakeDefaultDesign();
  design.name = "Lead";
  design.amplifier.knobs[0] = 87.0;
  design.script = "slider: \"Drive\"\ngain = x\nswitch,2: \"Bright\", \"Off\", \"On\"\n";
  design.playerControlValues = {70.0, 1.0};
  return design;
}

PluginStateDocument StartingDocument() {
  PluginStateDocument document;
  document.design = MakeDefaultDesign();
  document.state.oversampling = 2;
  document.state.playerControlValues = {};
  document.state.activePresetFilename = "Default.orv";
  return document;
}

ProductEdits DesignEdit(const std::string& path) {
  ProductEdits edits;
  edits.designPath = path;
  return edits;
}

ProductEdits OversamplingEdit(int factor) {
  ProductEdits edits;
  edits.oversampling = factor;
  return edits;
}

std::string ErrorOf(ExitCode expected, const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), expected);
    return failure.what();
  }
  ADD_FAILURE() << "no failure";
  return {};
}

TEST(AuhostProductState, KnowsTheProductByItsCodes) {
  AudioComponentDescription description{};
  description.componentType = standin::FourCharCodeOf("aumf");
  description.componentSubType = standin::FourCharCodeOf("Orvn");
  description.componentManufacturer = standin::FourCharCodeOf("Vltn");
  EXPECT_TRUE(IsProductComponent(description));
  description.componentManufacturer = standin::FourCharCodeOf("Test");
  EXPECT_FALSE(IsProductComponent(description));
}

TEST(AuhostProductState, DesignAndOversamplingReplaceOnlyWhatTheyChange) {
  ScopedTestFolder folder;
  const std::string path = (folder.Path() / "Lead.orv").string();
  std::string error;
  ASSERT_TRUE(WriteDesignFile(path, TwoControlDesign(), error)) << error;

  const LoadedProductEdits edits = LoadProductEdits({path, 8}, {});
  const PluginStateDocument edited = DocumentIn(EditProductChunk(ChunkOf(StartingDocument()), edits));

  EXPECT_EQ(edited.design, TwoControlDesign());
  EXPECT_EQ(edited.state.playerControlValues, (std::vector<double>{70.0, 1.0}));
  EXPECT_EQ(edited.state.oversampling, 8);
  PluginStateDocument expected = StartingDocument();
  expected.design = edited.design;
  expected.state.playerControlValues = edited.state.playerControlValues;
  expected.state.oversampling = 8;
  // In no preset folder: the current design file, unmodified, with no active preset.
  expected.state.currentDesignPath = path;
  expected.state.factoryCollection = false;
  expected.state.activePresetFilename.clear();
  expected.state.hasPresetBaseline = true;
  expected.state.presetBaseline = TwoControlDesign();
  EXPECT_EQ(edited, expected);
}

TEST(AuhostProductState, OversamplingAloneKeepsTheDesign) {
  const PluginStateDocument edited =
      DocumentIn(EditProductChunk(ChunkOf(StartingDocument()), LoadProductEdits(OversamplingEdit(4), {})));
  PluginStateDocument expected = StartingDocument();
  expected.state.oversampling = 4;
  EXPECT_EQ(edited, expected);
}

TEST(AuhostProductState, WhatFollowsTheTextIsKept) {
  std::vector<std::uint8_t> chunk = ChunkOf(StartingDocument());
  chunk.insert(chunk.end(), {1, 2, 3});
  const auto edited = EditProductChunk(chunk, LoadProductEdits(OversamplingEdit(1), {}));
  EXPECT_EQ(std::vector<std::uint8_t>(edited.end() - 3, edited.end()), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(AuhostProductState, BadDesignFilesSayWhatIsWrongInAuhostsWords) {
  ScopedTestFolder folder;
  const auto spoilt = [](const std::function<void(nlohmann::json&)>& change) {
    nlohmann::json document = BuildDesignJson(MakeDefaultDesign());
    change(document);
    return document.dump();
  };
  std::filesystem::create_directory(folder.Path() / "folder.orv");
  const struct {
    std::string name;
    std::string text;  // none: the file is not written
    std::string reason;
  } cases[] = {
      {"none.orv", "", "Could not open design file: no such file"},
      {"folder.orv", "", "it is a folder"},
      {"empty.orv", " \n", "it is empty"},
      {"empty.orv/in.orv", "", "Could not open design file: a part of its path is not a folder"},
      {"syntax.orv", "{\n  \"format\": \n}", "it is not JSON text (a syntax error at line 3, column 1)"},
      {"huge.orv", "{\"format\": 1e999}", "it holds a number too large to read"},
      {"other.orv", "{\"format\": \"something else\"}", "Not a Orvane design file"},
      {"nameless.orv", spoilt([](nlohmann::json& d) { d.erase("name"); }), "\"name\" is missing"},
      {"knob.orv", spoilt([](nlohmann::json& d) { d["amplifier"]["knobs"]["gain"] = "loud"; }),
       "\"amplifier.knobs.gain\" must be a number"},
      {"amplifier.orv", spoilt([](nlohmann::json& d) { d["amplifier"] = nlohmann::json::array(); }),
       "\"amplifier\" must be an object"},
      {"values.orv", spoilt([](nlohmann::json& d) { d["playerControlValues"] = {1, "x"}; }),
       "\"playerControlValues[1]\" must be a number"},
      {"date.orv", spoilt([](nlohmann::json& d) { d["createdAt"] = "today"; }),
       "createdAt must use UTC timestamp format YYYY-MM-DDTHH:MM:SSZ"},
  };
  for (const auto& c : cases) {
    const std::string path = (folder.Path() / c.name).string();
    if (!c.text.empty()) WriteFileBytes(path, c.text);
    EXPECT_EQ(ErrorOf(ExitCode::kDesignFile, [&] { LoadProductEdits(DesignEdit(path), {}); }),
              "bad design file " + path + ": " + c.reason);
  }
}

TEST(AuhostProductState, ChunksThatAreNotTheProductsAreStateErrors) {
  const LoadedProductEdits edits = LoadProductEdits(OversamplingEdit(2), {});
  const std::string text = BuildPluginStateJson(StartingDocument()).dump();
  const auto refused = [&](const std::vector<std::uint8_t>& chunk) {
    return ErrorOf(ExitCode::kStateFile, [&] { EditProductChunk(chunk, edits); });
  };
  EXPECT_THAT(refused({1, 2, 3}), HasSubstr("too short"));
  EXPECT_THAT(refused(ChunkOf(text, 0x4154534F)), HasSubstr("mark"));
  EXPECT_THAT(refused(ChunkOf(text, kMagic, 2)), HasSubstr("version"));
  EXPECT_THAT(refused(ChunkOf("")), HasSubstr("length"));
  std::vector<std::uint8_t> cut = ChunkOf(text);
  cut.pop_back();
  EXPECT_THAT(refused(cut), HasSubstr("length"));
  EXPECT_THAT(refused(ChunkOf("{\"oversampling\": ")), HasSubstr("not JSON"));
  EXPECT_THAT(refused(ChunkOf("[1]")), HasSubstr("not a JSON object"));

  ClassInfo withoutData;
  EXPECT_THAT(ErrorOf(ExitCode::kStateFile, [&] { EditProductClassInfo(withoutData, edits); }),
              HasSubstr("no data"));
}

TEST(AuhostProductState, TextNestingBeyondTheBoundIsRefusedBeforeItIsWritten) {
  const auto nested = [](std::size_t depth) {
    // An object whose one key holds arrays inside arrays; brackets in strings do not count.
    return "{\"deep\": " + std::string(depth - 1, '[') + "\"[{\"" + std::string(depth - 1, ']') + "}";
  };
  const LoadedProductEdits edits = LoadProductEdits(OversamplingEdit(2), {});
  for (const std::size_t depth : {kMaxStateNesting, kMaxStateNesting + 1, std::size_t{65000}}) {
    SCOPED_TRACE(depth);
    const std::vector<std::uint8_t> chunk = ChunkOf(nested(depth));
    if (depth <= kMaxStateNesting) {
      EXPECT_NO_THROW(EditProductChunk(chunk, edits));
    } else {
      EXPECT_EQ(ErrorOf(ExitCode::kStateFile, [&] { EditProductChunk(chunk, edits); }),
                "the state's text nests arrays and objects deeper than 100 levels, more than auhost reads");
    }
  }
}

}  // namespace
}  // namespace orvane::auhost
