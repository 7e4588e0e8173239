#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/header_grid.h"
#include "editor/orvane_editor.h"
#include "editor/orvane_level_meter_control.h"
#include "editor_harness.h"
#include "support/graphics/resource_bundle.h"

namespace orvane::testing {
namespace {

constexpr float kTolerance = 0.01f;

float HeaderHeight(float width, float height) {
  return std::min(width * kHeaderWidthShare, height * kHeaderHeightShare);
}

float CentreX(const IRECT& r) { return (r.L + r.R) / 2.f; }
float CentreY(const IRECT& r) { return (r.T + r.B) / 2.f; }

class HeaderDrawing : public ::testing::Test {
protected:
  explicit HeaderDrawing(const EditorSetup& setup = {}) : harness(setup) {}
  void TearDown() override { ApplyColourTheme(false); }

  void Draw(float width = 1392.f, float height = 783.f, std::optional<float> headerHeight = {}) {
    g.SetGeometryMode(true);
    g.ClearCalls();
    editor.DrawHeader(g, IRECT(0, 0, width, height), headerHeight.value_or(HeaderHeight(width, height)));
    items = DrawnItems(g);
  }
  std::vector<DrawnItem> Find(const std::string& kind, const std::function<bool(const DrawnItem&)>& match) const {
    std::vector<DrawnItem> found;
    std::copy_if(items.begin(), items.end(), std::back_inserter(found),
                 [&](const DrawnItem& item) { return item.kind == kind && match(item); });
    return found;
  }
  // Texts whose box is centred within r.
  std::vector<DrawnItem> TextsIn(const IRECT& r) const {
    return Find("text", [&](const DrawnItem& item) { return r.Contains(CentreX(item.box), CentreY(item.box)); });
  }
  DrawnItem Text(const std::string& text) const {
    const std::vector<DrawnItem> found = Find("text", [&](const DrawnItem& item) { return item.text == text; });
    return found.empty() ? DrawnItem{} : found.front();
  }
  // The colour of the last fill of this rectangle.
  std::optional<IColor> FillOf(const IRECT& r) const {
    const std::vector<DrawnItem> found = Find("fill", [&](const DrawnItem& item) { return Box(item.box) == Box(r); });
    return found.empty() ? std::nullopt : std::optional(found.back().colour);
  }
  float Width(const DrawnItem& text) {
    IRECT bounds = text.box;
    return g.MeasureTextIfNotEmpty(text.style, text.text.c_str(), bounds);
  }

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  plugkit::testing::RecordingGraphics& g = *harness.graphics;
  std::vector<DrawnItem> items;
};

// At 1392 x 783 a grid unit is 0.67181 wide and high; at 2072 x 1166 it is 1.
TEST_F(HeaderDrawing, ElementsStandOnTheHeaderGrid) {
  struct Case {
    float width, height;
    bool playerView;
    std::function<IRECT(const OrvaneGUIControl&)> rect;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {1392, 783, false, [](auto& e) { return e.mThemeSwitchRect; }, "(226.923,3.359,260.632,63.822)"},
      {1392, 783, false, [](auto& e) { return e.mViewSwitchRect; }, "(338.127,3.359,371.836,63.822)"},
      {1392, 783, false, [](auto& e) { return e.mPresetNameRect; }, "(386.836,3.359,542.697,25.529)"},
      {1392, 783, true, [](auto& e) { return e.mInputTrimRect; }, "(1091.779,12.093,1144.772,27.544)"},
      {2072, 1166, false, [](auto& e) { return e.mSectionButtonRects[0]; }, "(1007.8,71,1031.6,94)"},
      {2072, 1166, false, [](auto& e) { return e.mBypassTrimRects[0]; }, "(1033.6,72,1091.6,94)"},
      {2072, 1166, false, [](auto& e) { return e.mBypassTrimRects[2]; }, "(1237,72,1296,94)"},
      {2072, 1166, false, [](auto& e) { return e.mInputTrimRect; }, "(917.8,72,988.8,94)"},
  };
  for (const Case& c : cases) {
    editor.mPlayerView = c.playerView;
    Draw(c.width, c.height);
    EXPECT_EQ(Box(c.rect(editor)), c.expected);
  }
}

// A header as high as at the default size over a narrower editor leaves the
// title too little room for its starting size.
TEST_F(HeaderDrawing, TitleShrinksToItsBoxAndTheBannerFollowsItsWidth) {
  const float headerHeight = HeaderHeight(1392, 783);
  for (const float width : {1392.f, 400.f}) {
    Draw(width, 783, headerHeight);
    const HeaderGrid grid(IRECT(0, 0, width, 783), headerHeight);
    const DrawnItem title = Text("ORVANE 1.0");
    const DrawnItem banner = Text("VELLUMTONE");
    EXPECT_EQ(title.colour, PaletteColor(kPaletteHeaderTitle));
    EXPECT_EQ(banner.colour, kBannerColor);
    if (width < 1392.f) {
      EXPECT_NEAR(Width(title), 0.9f * (grid.X(342) - grid.X(105)), kTolerance);
    } else {
      EXPECT_NEAR(title.style.mSize, 0.9f * 42.f * grid.unitY, kTolerance);
    }
    EXPECT_NEAR(Width(banner), 1.005f * Width(title), kTolerance) << width;
  }
}

TEST_F(HeaderDrawing, OversamplingBoxShowsTheFactor) {
  for (const auto& [factor, text] : std::vector<std::pair<int, std::string>>{
           {1, "OFF"}, {2, "2x"}, {4, "4x"}, {8, "8x"}, {3, "8x"}}) {
    editor.mOversampling = factor;
    Draw();
    const std::vector<DrawnItem> texts = TextsIn(editor.mOversamplingRect);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text + " " + texts[0].style.mFont + " " + texts[1].text + " " + texts[1].style.mFont,
              "OVER MonoFont_Bold SAMPLE MonoFont_Bold");
    EXPECT_EQ(texts[2].text, text) << factor;
  }
}

TEST_F(HeaderDrawing, PresetBarShowsNameFallbacksMarkAndIndex) {
  struct Case {
    std::string name;
    int index, count;
    bool modified, folderExists;
    std::string shown, indexText;
    float nameIndent;  // units from the box's left
  };
  const std::vector<Case> cases = {
      {"", 0, 0, false, true, "Preset folder empty", "--", 6.f},
      {"", 0, 0, false, false, "No preset folder", "--", 6.f},
      {"", 0, 4, false, true, "Unsaved design", "--", 6.f},
      {"Lead", 3, 12, false, true, "Lead", "3/12", 6.f},
      {"Lead", 3, 12, true, true, "Lead", "3/12", 33.6f + 3.f},
  };
  const float unit = 1392.f / kHeaderGridWidth;
  for (const Case& c : cases) {
    editor.SetPresetBrowserState(true, false, c.index, c.count, c.modified, c.folderExists, c.name, {});
    Draw();
    const std::vector<DrawnItem> texts = TextsIn(editor.mPresetNameRect);
    ASSERT_EQ(texts.size(), c.modified ? 2u : 1u) << c.shown;
    if (c.modified) {
      EXPECT_EQ(texts[0].text + Colour(texts[0].colour), "*" + Colour(kAccentColor));
    }
    EXPECT_EQ(texts.back().text, c.shown);
    EXPECT_NEAR(texts.back().box.L, editor.mPresetNameRect.L + c.nameIndent * unit, kTolerance) << c.shown;
    ASSERT_EQ(TextsIn(editor.mPresetIndexRect).size(), 1u);
    EXPECT_EQ(TextsIn(editor.mPresetIndexRect)[0].text, c.indexText);
  }
}

TEST_F(HeaderDrawing, LongPresetNameIsCutByWholeCharacters) {
  std::string name;
  for (int i = 0; i < 60; ++i) name += "\xC3\xA9";  // é
  editor.SetPresetBrowserState(true, false, 1, 1, false, true, name, {});
  Draw();
  const DrawnItem shown = TextsIn(editor.mPresetNameRect).at(0);
  ASSERT_GT(shown.text.size(), 3u);
  const std::string kept = shown.text.substr(0, shown.text.size() - 3);
  EXPECT_EQ(shown.text.substr(kept.size()), "...");
  EXPECT_EQ(kept.size() % 2, 0u);
  EXPECT_EQ(name.compare(0, kept.size(), kept), 0);
  EXPECT_LE(Width(shown), shown.box.W());
}

// Preamp stage 2 off, in both themes, with and without presets, either collection shown.
TEST_F(HeaderDrawing, ColoursFollowTheThemeAndTheState) {
  struct Case {
    bool dark, factoryShown;
    int presetCount;
  };
  for (const Case& c : {Case{false, true, 0}, Case{true, false, 0}, Case{false, false, 3}, Case{true, true, 3}}) {
    ApplyColourTheme(c.dark);
    editor.mDesignSections[kSectionPreamp2] = false;
    editor.RefreshEffectiveAmp();
    editor.SetPresetBrowserState(c.factoryShown, false, 1, c.presetCount, false, true, "Clean", {});
    Draw();
    EXPECT_EQ(FillOf(IRECT(0, 0, 1392, HeaderHeight(1392, 783))), PaletteColor(1)) << c.dark;
    for (const int section : {kSectionPreamp1, kSectionPreamp2}) {
      const bool on = section == kSectionPreamp1;
      const IRECT& upper = editor.mStageSelectorRects[1][static_cast<std::size_t>(section)];
      EXPECT_EQ(FillOf(IRECT(upper.L + 0.7f, upper.T + 0.7f, upper.R - 0.7f, upper.B)), PaletteColor(on ? 26 : 0));
      EXPECT_EQ(TextsIn(upper).at(0).colour, on ? plugkit::graphics::kColorWhite : PaletteColor(4));
      EXPECT_EQ(FillOf(editor.mSectionButtonRects[static_cast<std::size_t>(section)]),
                on ? PaletteColor(2) : kAccentColor);
    }
    const IRECT& shown = c.factoryShown ? editor.mFactoryTabRect : editor.mUserTabRect;
    EXPECT_EQ(Find("fill", [&](const DrawnItem& item) {
                return item.colour == kThumbColor && shown.Contains(CentreX(item.box), CentreY(item.box));
              }).size(),
              1u);
    EXPECT_EQ(FillOf(editor.mPreviousPresetRect), PaletteColor(c.presetCount > 0 ? 2 : 0));
    EXPECT_EQ(FillOf(editor.mNextPresetRect), PaletteColor(c.presetCount > 0 ? 2 : 0));
  }
}

// Slots follow the processing order: the preamp stages up to p, the tone
// stack, the other stages, the power amp. Every other header element is
// recorded whatever p is.
TEST_F(HeaderDrawing, SectionChainFollowsTheToneStackPosition) {
  const std::vector<float> slotLefts = {1004.8f, 1106.6f, 1208.4f, 1311.f, 1412.8f, 1512.2f};
  for (int p = 1; p <= 4; ++p) {
    editor.mToneStackPosition = p;
    Draw(2072, 1166);
    EXPECT_EQ(editor.mToneStackLeftArrowRect.Empty(), p == 1) << p;
    EXPECT_EQ(editor.mToneStackRightArrowRect.Empty(), p == 4) << p;
    for (std::size_t stage = 0; stage < kPreampStageCount; ++stage) {
      const IRECT& upper = editor.mStageSelectorRects[1][stage];
      EXPECT_NEAR(upper.L, slotLefts[stage < static_cast<std::size_t>(p) ? stage : stage + 1], kTolerance) << p;
      EXPECT_NEAR(upper.B, 70.f, kTolerance);
    }
    EXPECT_NEAR(editor.mSectionButtonRects[kSectionToneStack].L, slotLefts[static_cast<std::size_t>(p)] + 3.f,
                kTolerance);
    for (const IRECT& r : {editor.mNameRect, editor.mDescriptionRect, editor.mPresetNameRect, editor.mOpenRect,
                           editor.mNewRect, editor.mSaveRect, editor.mSaveAsRect, editor.mPreviousPresetRect,
                           editor.mPresetIndexRect, editor.mNextPresetRect, editor.mFactoryTabRect,
                           editor.mUserTabRect, editor.mLogoRect, editor.mViewSwitchRect, editor.mOversamplingRect,
                           editor.mAmplifierSwitchRect, editor.mThemeSwitchRect, editor.mInputTrimRect,
                           editor.mOutputTrimRect})
      EXPECT_FALSE(r.Empty());
    for (std::size_t s = 0; s < kAmpSectionCount; ++s)
      EXPECT_FALSE(editor.mSectionButtonRects[s].Empty() || editor.mBypassTrimRects[s].Empty()) << s;
  }
}

// Each case in a context of its own: the bitmap cache lives while any context does.
TEST(HeaderLogo, IsFittedWhenItsBitmapLoads) {
  struct Case {
    int width, height;  // 0: no file
    std::string expected;
  };
  const std::vector<Case> cases = {
      {0, 0, "(9.405,2.687,75.243,63.822)"},        // the box
      {256, 256, "(15.123,6.053,62.808,53.738)"},   // 0.78 of the box's height
      {512, 64, "(6.046,25.781,71.884,34.011)"},    // the box's width
  };
  for (const Case& c : cases) {
    plugkit::testing::ResourceBundle bundle("com.test.header.Orvane");
    if (c.width > 0) bundle.WritePng("Orvane-Logo.png", c.width, c.height);
    EditorHarness harness;
    harness.graphics->SetBundleIdentifier(bundle.Identifier());
    harness.Editor().DrawHeader(*harness.graphics, IRECT(0, 0, 1392, 783), HeaderHeight(1392, 783));
    EXPECT_EQ(Box(harness.Editor().mLogoRect), c.expected);
    EXPECT_EQ(harness.graphics->CountCalls("DrawBitmap"), c.width > 0 ? 1 : 0);
  }
}

class HeaderDrawingWithScript : public HeaderDrawing {
protected:
  static EditorSetup ChannelSetup() {
    EditorSetup setup;
    setup.script = "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\npreamp2 = 0, 1, 1\n";
    setup.playerValues = {0.0};  // Clean: preamp stage 2 off
    return setup;
  }
  HeaderDrawingWithScript() : HeaderDrawing(ChannelSetup()) {}
};

TEST_F(HeaderDrawingWithScript, ChainShowsWhatTheAudioRuns) {
  ASSERT_TRUE(editor.mDesignSections[kSectionPreamp2]);
  Draw();
  const IRECT& upper = editor.mStageSelectorRects[1][kSectionPreamp2];
  EXPECT_EQ(FillOf(IRECT(upper.L + 0.7f, upper.T + 0.7f, upper.R - 0.7f, upper.B)), PaletteColor(0));
  EXPECT_EQ(TextsIn(upper).at(0).text, "PRE II");
  EXPECT_EQ(TextsIn(upper).at(0).colour, PaletteColor(4));
}

// The meter's bar is linear in dB from -60 to 0, so the scale's ticks stand at
// (label + 60) / 60 of its width, where a bar at that level ends.
TEST_F(HeaderDrawing, MeterScaleTicksStandWhereTheBarsEnd) {
  Draw();
  const HeaderGrid grid(IRECT(0, 0, 1392, 783), HeaderHeight(1392, 783));
  const std::vector<DrawnItem> ticks = Find("stroke", [&](const DrawnItem& item) {
    return item.box.L == item.box.R && std::abs(item.box.T - grid.Y(72)) < kTolerance;
  });
  const std::vector<std::pair<int, float>> expected = {{-60, 0.f}, {-36, 0.4f}, {-24, 0.6f},
                                                       {-12, 0.8f}, {-6, 0.9f},  {0, 1.f}};
  ASSERT_EQ(ticks.size(), expected.size());
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const auto [db, fraction] = expected[i];
    const float x = grid.X(1743) + fraction * (grid.X(2052) - grid.X(1743));
    EXPECT_NEAR(ticks[i].box.L, x, kTolerance) << db;
    EXPECT_NEAR(CentreX(Text(std::to_string(db)).box), x, kTolerance) << db;
    if (db == -60) continue;  // no bar
    OrvaneLevelMeterControl meter(IRECT(0, 0, 1392, 783), {}, OrvaneLevelMeterControl::kInputMeter);
    meter.mLevel = static_cast<float>(db);
    g.ClearCalls();
    meter.Draw(g);
    EXPECT_NEAR(DrawnOfKind(g, "fill").back().box.R, x, 1.f) << db;
  }
}

}  // namespace
}  // namespace orvane::testing
