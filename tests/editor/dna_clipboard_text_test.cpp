#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "editor/dna_clipboard_text.h"
#include "editor/section_presets.h"
#include "editor_harness.h"

namespace orvane::testing {
namespace {

using Calls = std::vector<std::string>;
using ByteList = std::vector<std::uint8_t>;

TEST(DnaClipboardText, ReadsExactlyTheCountOfBytesOrNothing) {
  const struct {
    const char* text;
    int count;
    std::optional<ByteList> bytes;
  } cases[] = {
      {"1 2 3", 3, ByteList{1, 2, 3}},
      {"1\n2\r\n\t3", 3, ByteList{1, 2, 3}},
      {"  1    2 3\n", 3, ByteList{1, 2, 3}},
      {"+5 0 255", 3, ByteList{5, 0, 255}},
      {"1,2,3", 3, std::nullopt},
      {"1 2 256", 3, std::nullopt},
      {"-1 2 3", 3, std::nullopt},
      {"1 2", 3, std::nullopt},
      {"1 2 3 4", 3, std::nullopt},
      {"1 2 3x", 3, std::nullopt},
      {"0x1 2 3", 3, std::nullopt},
      {"99999999999999999999 2 3", 3, std::nullopt},
      {" \n", 0, ByteList{}},
      {"1", -1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadDnaSectionText(c.text, c.count), c.bytes);
  }
}

TEST(DnaClipboardText, CopiesTheEffectiveSectionWithSingleBlanks) {
  EditorSetup setup;
  setup.dna.fill(0);
  EditorHarness harness(setup);
  harness.Editor().CopySectionDna(kPowerAmpDnaOffset, kPowerAmpDnaCount);
  EXPECT_EQ(harness.graphics->Clipboard(), "0 0 0 0 0 0 0 0 0 0 0 0 0");
  harness.Editor().CopySectionDna(kPowerAmpDnaOffset, 0);
  EXPECT_EQ(harness.graphics->Clipboard(), "");
}

TEST(DnaClipboardText, APasteWritesTheSectionOnlyWhenItChangesIt) {
  const std::string stage = "1 2 3 4 5 6 7 8 9 10 11";
  const std::string toneStack = stage + " 12 13 14 15 16";
  const struct {
    const char* what;
    std::optional<std::string> clipboard;
    int offset, count, target;
    Calls calls;
  } cases[] = {
      {"a stage into the tone stack", stage, kToneStackDnaOffset, kToneStackDnaCount, kDnaSectionToneStack, {}},
      {"a tone stack into a stage", toneStack, 0, kPreampRowsPerStage, kDnaSectionPreampStage, {}},
      {"an unreadable clipboard", std::nullopt, 0, kPreampRowsPerStage, kDnaSectionPreampStage, {}},
      {"the bytes already there", "0 0 0 0 0 0 0 0 0 0 0", 0, kPreampRowsPerStage, kDnaSectionPreampStage, {}},
      {"a stage's bytes not at a stage", stage, 1, kPreampRowsPerStage, kDnaSectionPreampStage, {}},
      {"a stage", stage, 33, kPreampRowsPerStage, kDnaSectionPreampStage,
       {"onPreampStageDnaChanged(3, [1 2 3 4 5 6 7 8 9 10 11])"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EditorSetup setup;
    setup.dna.fill(0);
    EditorHarness harness(setup);
    OrvaneGUIControl& editor = harness.Editor();
    editor.mPlotDirty.fill(false);
    editor.ClearDirty();
    harness.graphics->SetClipboard(c.clipboard);
    editor.PasteSectionDna(c.offset, c.count, c.target);
    const bool changes = !c.calls.empty();
    EXPECT_EQ(harness.TakeCalls(), c.calls);
    EXPECT_EQ(editor.mDesignDna[c.offset], changes ? 1 : 0);
    EXPECT_EQ(editor.mEffectiveDna[c.offset], changes ? 1 : 0);
    EXPECT_EQ(editor.IsPlotDirty(kPlotPreampLinear), changes);
    EXPECT_EQ(editor.IsPlotDirty(kPlotToneStack), false);
    EXPECT_EQ(editor.IsDirty(), changes);
  }
}

TEST(SectionPresets, BytesComeFromTheirPercentagesAndOnlyKnownPresetsApply) {
  using Percentages = std::vector<double>;
  const auto expectBytes = [](const auto& bytes, const Percentages& percentages) {
    ASSERT_EQ(bytes.size(), percentages.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], DnaByteFromPercent(percentages[i])) << i;
  };
  expectBytes(kPreampStagePresets[0].bytes, {20, 50, 60, 58, 69, 15, 55, 0, 55, 82, 0});
  expectBytes(kPreampStagePresets[1].bytes, {35, 50, 50, 58, 45, 15, 20, 40, 25, 80, 0});
  expectBytes(kToneStackPresets[0].bytes, {38, 25, 38, 48, 56, 56, 31, 44, 33, 25, 44, 38, 38, 49, 38, 53});
  expectBytes(kPowerAmpPresets[0].bytes, {48, 90, 87, 80, 70, 0, 0, 21, 85, 53, 42, 60, 42});
  expectBytes(kPowerAmpPresets[1].bytes, {0, 100, 100, 100, 100, 0, 0, 40, 100, 53, 60, 60, 60});

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  const DnaBytes before = editor.mDesignDna;
  editor.ApplyPreampStagePreset(kPreampStageCount, 0);
  editor.ApplyPreampStagePreset(-1, 0);
  editor.ApplyPreampStagePreset(0, 2);
  editor.ApplyPowerAmpPreset(2);
  editor.ApplyPowerAmpPreset(-1);
  EXPECT_EQ(editor.mDesignDna, before);
  EXPECT_EQ(harness.TakeCalls(), Calls{});
}

}  // namespace
}  // namespace orvane::testing
