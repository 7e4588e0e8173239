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
#include "plugin/theme_palette.h"
#include "support/graphics/resource_bundle.h"

namespace orvane::testing {
namespace {

constexpr float kTolerance = 0.01f;

float HeaderHeight(float width, float height) {
  return std::min(width * kHeaderWidthShare, height * kHeaderHeightShare);
}

void ExpectRect(const IRECT& got, const IRECT& expected, const std::string& what) {
  EXPECT_NEAR(got.L, expected.L, kTolerance) << what;
  EXPECT_NEAR(got.T, expected.T, kTolerance) << what;
  EXPECT_NEAR(got.R, expected.R, kTolerance) << what;
  EXPECT_NEAR(got.B, expected.B, kTolerance) << what;
}

bool Near(const IRECT& a, const IRECT& b) {
  return std::abs(a.L - b.L) < kTolerance && std::abs(a.T - b.T) < kTolerance && std::abs(a.R - b.R) < kTolerance &&
         std::abs(a.B - b.B) < kTolerance;
}

bool Inside(const IRECT& inner, const IRECT& outer) {
  return inner.L >= outer.L && inner.T >= outer.T && inner.R <= outer.R && inner.B <= outer.B;
}

bool IsZero(const IRECT& r) { return r == IRECT(); }

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
    return Find("text", [&](const DrawnItem& item) {
      const float x = (item.box.L + item.box.R) / 2.f;
      const float y = (item.box.T + item.box.B) / 2.f;
      return x >= r.L && x < r.R && y >= r.T && y < r.B;
    });
  }
  std::optional<DrawnItem> Text(const std::string& text) const {
    const std::vector<DrawnItem> found = Find("text", [&](const DrawnItem& item) { return item.text == text; });
    return found.empty() ? std::nullopt : std::optional(found.front());
  }
  // The colour of the last fill of exactly this rectangle.
  std::optional<IColor> FillOf(const IRECT& r) const {
    const std::vector<DrawnItem> found = Find("fill", [&](const DrawnItem& item) { return Near(item.box, r); });
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
    const char* what;
    float width, height;
    bool playerView;
    std::function<IRECT(const OrvaneGUIControl&)> rect;
    IRECT expected;
  };
  const std::vector<Case> cases = {
      {"theme switch", 1392, 783, false, [](auto& e) { return e.mThemeSwitchRect; },
       IRECT(226.923f, 3.359f, 260.632f, 63.822f)},
      {"view switch", 1392, 783, false, [](auto& e) { return e.mViewSwitchRect; },
       IRECT(338.127f, 3.359f, 371.836f, 63.822f)},
      {"preset name 15 points right of the view switch", 1392, 783, false,
       [](auto& e) { return e.mPresetNameRect; }, IRECT(386.836f, 3.359f, 542.697f, 25.529f)},
      {"logo box without a bitmap", 1392, 783, false, [](auto& e) { return e.mLogoRect; },
       IRECT(9.405f, 2.687f, 75.243f, 63.822f)},
      {"PLAY input trim in the input meter's row", 1392, 783, true, [](auto& e) { return e.mInputTrimRect; },
       IRECT(1091.779f, 12.093f, 1144.772f, 27.545f)},
      {"first slot's BYP box", 2072, 1166, false, [](auto& e) { return e.mSectionButtonRects[0]; },
       IRECT(1007.8f, 71.f, 1031.6f, 94.f)},
      {"first slot's trim field", 2072, 1166, false, [](auto& e) { return e.mBypassTrimRects[0]; },
       IRECT(1033.6f, 72.f, 1091.6f, 94.f)},
      {"third slot's trim field (t = 112)", 2072, 1166, false, [](auto& e) { return e.mBypassTrimRects[2]; },
       IRECT(1237.f, 72.f, 1296.f, 94.f)},
      {"EDIT input gain value", 2072, 1166, false, [](auto& e) { return e.mInputTrimRect; },
       IRECT(917.8f, 72.f, 988.8f, 94.f)},
  };
  for (const Case& c : cases) {
    editor.mPlayerView = c.playerView;
    Draw(c.width, c.height);
    ExpectRect(c.rect(editor), c.expected, c.what);
  }
}

TEST_F(HeaderDrawing, TitleShrinksToItsBoxAndTheBannerFollowsItsWidth) {
  struct Case {
    float width, headerHeight;
    bool shrunk;
  };
  // A window narrower than the header's height suggests leaves the title too
  // little room for its starting size.
  for (const Case& c : {Case{1392, HeaderHeight(1392, 783), false}, Case{400, HeaderHeight(1392, 783), true}}) {
    Draw(c.width, 783, c.headerHeight);
    const HeaderGrid grid(IRECT(0, 0, c.width, 783), c.headerHeight);
    const std::optional<DrawnItem> title = Text("ORVANE 1.0");
    const std::optional<DrawnItem> banner = Text("VELLUMTONE");
    ASSERT_TRUE(title && banner);
    EXPECT_EQ(title->colour, PaletteColor(kPaletteHeaderTitle));
    EXPECT_EQ(banner->colour, kBannerColor);
    if (c.shrunk)
      EXPECT_NEAR(Width(*title), 0.9f * (grid.X(342) - grid.X(105)), kTolerance);
    else
      EXPECT_NEAR(title->style.mSize, 0.9f * 42.f * grid.unitY, kTolerance);
    EXPECT_NEAR(Width(*banner), 1.005f * Width(*title), kTolerance) << c.width;
  }
}

TEST_F(HeaderDrawing, OversamplingBoxShowsTheFactor) {
  struct Case {
    int factor;
    const char* text;
  };
  for (const Case& c : {Case{1, "OFF"}, Case{2, "2x"}, Case{4, "4x"}, Case{8, "8x"}, Case{3, "8x"}}) {
    editor.mOversampling = c.factor;
    Draw();
    const std::vector<DrawnItem> texts = TextsIn(editor.mOversamplingRect);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "OVER");
    EXPECT_STREQ(texts[0].style.mFont, kEditorFontBold);
    EXPECT_EQ(texts[1].text, "SAMPLE");
    EXPECT_EQ(texts[2].text, c.text) << c.factor;
    EXPECT_STREQ(texts[2].style.mFont, kEditorFontRegular);
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
  const HeaderGrid grid(IRECT(0, 0, 1392, 783), HeaderHeight(1392, 783));
  for (const Case& c : cases) {
    editor.SetPresetBrowserState(true, false, c.index, c.count, c.modified, c.folderExists, c.name, {});
    Draw();
    const std::vector<DrawnItem> texts = TextsIn(editor.mPresetNameRect);
    ASSERT_EQ(texts.size(), c.modified ? 2u : 1u) << c.shown;
    if (c.modified) {
      EXPECT_EQ(texts[0].text, "*");
      EXPECT_EQ(texts[0].colour, kAccentColor);
      EXPECT_NEAR(texts[0].box.W(), 33.6f * grid.unitX, kTolerance);
    }
    EXPECT_EQ(texts.back().text, c.shown);
    EXPECT_NEAR(texts.back().box.L, editor.mPresetNameRect.L + c.nameIndent * grid.unitX, kTolerance) << c.shown;
    ASSERT_EQ(TextsIn(editor.mPresetIndexRect).size(), 1u);
    EXPECT_EQ(TextsIn(editor.mPresetIndexRect)[0].text, c.indexText);
  }
}

TEST_F(HeaderDrawing, LongPresetNameIsCutByWholeCharacters) {
  std::string name;
  for (int i = 0; i < 60; ++i) name += "\xC3\xA9";  // é
  editor.SetPresetBrowserState(true, false, 1, 1, false, true, name, {});
  Draw();
  const std::vector<DrawnItem> texts = TextsIn(editor.mPresetNameRect);
  ASSERT_EQ(texts.size(), 1u);
  const std::string& shown = texts[0].text;
  ASSERT_GT(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  const std::string kept = shown.substr(0, shown.size() - 3);
  EXPECT_EQ(kept.size() % 2, 0u);
  EXPECT_EQ(name.compare(0, kept.size(), kept), 0);
  EXPECT_LE(Width(texts[0]), texts[0].box.W());
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
    editor.SetPresetBrowserState(c.factoryShown, false, c.presetCount > 0 ? 1 : 0, c.presetCount, false, true,
                                 c.presetCount > 0 ? "Clean" : "", {});
    Draw();
    const std::string theme = c.dark ? "dark" : "light";
    EXPECT_EQ(FillOf(IRECT(0, 0, 1392, HeaderHeight(1392, 783))), PaletteColor(1)) << theme;

    const float inset = 0.7f;  // max(vs, 0.7) at this size
    for (const int section : {kSectionPreamp1, kSectionPreamp2}) {
      const bool on = section == kSectionPreamp1;
      const IRECT& upper = editor.mStageSelectorRects[1][static_cast<std::size_t>(section)];
      EXPECT_EQ(FillOf(IRECT(upper.L + inset, upper.T + inset, upper.R - inset, upper.B)),
                PaletteColor(on ? 26 : 0))
          << theme << " section " << section;
      const std::vector<DrawnItem> label = TextsIn(upper);
      ASSERT_EQ(label.size(), 1u);
      EXPECT_EQ(label[0].colour, on ? plugkit::graphics::kColorWhite : PaletteColor(4));
      EXPECT_EQ(FillOf(editor.mSectionButtonRects[static_cast<std::size_t>(section)]),
                on ? PaletteColor(2) : kAccentColor);
    }

    const IRECT& shown = c.factoryShown ? editor.mFactoryTabRect : editor.mUserTabRect;
    const std::vector<DrawnItem> highlight =
        Find("fill", [&](const DrawnItem& item) { return item.colour == kThumbColor && Inside(item.box, shown); });
    EXPECT_EQ(highlight.size(), 1u) << theme;
    const IColor arrows = PaletteColor(c.presetCount > 0 ? 2 : 0);
    EXPECT_EQ(FillOf(editor.mPreviousPresetRect), arrows);
    EXPECT_EQ(FillOf(editor.mNextPresetRect), arrows);
  }
}

TEST_F(HeaderDrawing, EditFrameStoresEveryHeaderHitRectangle) {
  editor.mToneStackPosition = 2;
  Draw();
  const std::vector<IRECT> single = {
      editor.mNameRect,           editor.mDescriptionRect,   editor.mPresetNameRect,      editor.mOpenRect,
      editor.mNewRect,            editor.mSaveRect,          editor.mSaveAsRect,          editor.mPreviousPresetRect,
      editor.mPresetIndexRect,    editor.mNextPresetRect,    editor.mFactoryTabRect,      editor.mUserTabRect,
      editor.mLogoRect,           editor.mViewSwitchRect,    editor.mOversamplingRect,    editor.mAmplifierSwitchRect,
      editor.mThemeSwitchRect,    editor.mInputTrimRect,     editor.mOutputTrimRect,      editor.mToneStackLeftArrowRect,
      editor.mToneStackRightArrowRect};
  for (std::size_t i = 0; i < single.size(); ++i) EXPECT_FALSE(IsZero(single[i])) << "element " << i;
  for (std::size_t s = 0; s < kAmpSectionCount; ++s) {
    EXPECT_FALSE(IsZero(editor.mSectionButtonRects[s])) << s;
    EXPECT_FALSE(IsZero(editor.mBypassTrimRects[s])) << s;
  }
  for (std::size_t stage = 0; stage < kPreampStageCount; ++stage)
    EXPECT_FALSE(IsZero(editor.mStageSelectorRects[1][stage])) << stage;
}

// Slots follow the processing order: the preamp stages up to p, the tone
// stack, the other stages, the power amp.
TEST_F(HeaderDrawing, SectionChainFollowsTheToneStackPosition) {
  const std::vector<float> slotLefts = {1004.8f, 1106.6f, 1208.4f, 1311.f, 1412.8f, 1512.2f};
  for (int p = 1; p <= 4; ++p) {
    editor.mToneStackPosition = p;
    Draw(2072, 1166);
    EXPECT_EQ(IsZero(editor.mToneStackLeftArrowRect), p == 1) << p;
    EXPECT_EQ(IsZero(editor.mToneStackRightArrowRect), p == 4) << p;
    for (int stage = 0; stage < 4; ++stage) {
      const float left = slotLefts[static_cast<std::size_t>(stage < p ? stage : stage + 1)];
      const IRECT& upper = editor.mStageSelectorRects[1][static_cast<std::size_t>(stage)];
      EXPECT_NEAR(upper.L, left, kTolerance) << "stage " << stage << " at p " << p;
      EXPECT_NEAR(upper.B, 70.f, kTolerance);
    }
    EXPECT_NEAR(editor.mSectionButtonRects[kSectionToneStack].L, slotLefts[static_cast<std::size_t>(p)] + 3.f,
                kTolerance);
  }
}

// Each case in a context of its own: the bitmap cache lives while any context does.
TEST(HeaderLogo, IsFittedWhenItsBitmapLoads) {
  struct Case {
    int width, height;  // 0: no file
    IRECT expected;
  };
  const std::vector<Case> cases = {
      {0, 0, IRECT(9.405f, 2.687f, 75.243f, 63.822f)},           // the box
      {256, 256, IRECT(15.123f, 6.053f, 62.808f, 53.738f)},      // 0.78 of the box's height
      {512, 64, IRECT(6.046f, 25.781f, 71.884f, 34.011f)},       // the box's width
  };
  for (const Case& c : cases) {
    plugkit::testing::ResourceBundle bundle("com.test.header.Orvane");
    if (c.width > 0) bundle.WritePng("Orvane-Logo.png", c.width, c.height);
    EditorHarness own;
    own.graphics->SetBundleIdentifier(bundle.Identifier());
    own.graphics->ClearCalls();
    own.Editor().DrawHeader(*own.graphics, IRECT(0, 0, 1392, 783), HeaderHeight(1392, 783));
    ExpectRect(own.Editor().mLogoRect, c.expected, std::to_string(c.width));
    EXPECT_EQ(own.graphics->CountCalls("DrawBitmap"), c.width > 0 ? 1 : 0);
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
  ASSERT_EQ(TextsIn(upper).size(), 1u);
  EXPECT_EQ(TextsIn(upper)[0].text, "PRE II");
  EXPECT_EQ(TextsIn(upper)[0].colour, PaletteColor(4));
}

// The meter's bar is linear in dB from -60 to 0, so the scale's ticks stand at
// (label + 60) / 60 of its width, where a bar at that level ends.
TEST_F(HeaderDrawing, MeterScaleTicksStandWhereTheBarsEnd) {
  Draw();
  const HeaderGrid grid(IRECT(0, 0, 1392, 783), HeaderHeight(1392, 783));
  const float x0 = grid.X(1743);
  const float x1 = grid.X(2052);
  const std::vector<DrawnItem> ticks = Find("stroke", [&](const DrawnItem& item) {
    return item.box.L == item.box.R && std::abs(item.box.T - grid.Y(72)) < kTolerance;
  });
  struct Tick {
    const char* label;
    float fraction;
  };
  const std::vector<Tick> expected = {{"-60", 0.f}, {"-36", 0.4f}, {"-24", 0.6f},
                                      {"-12", 0.8f}, {"-6", 0.9f},  {"0", 1.f}};
  ASSERT_EQ(ticks.size(), expected.size());
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const float x = x0 + expected[i].fraction * (x1 - x0);
    EXPECT_NEAR(ticks[i].box.L, x, kTolerance) << expected[i].label;
    const std::optional<DrawnItem> label = Text(expected[i].label);
    ASSERT_TRUE(label);
    EXPECT_NEAR((label->box.L + label->box.R) / 2.f, x, kTolerance);

    if (expected[i].fraction == 0.f) continue;  // no bar at -60 dB
    OrvaneLevelMeterControl meter(IRECT(0, 0, 1392, 783), {}, OrvaneLevelMeterControl::kInputMeter);
    meter.mLevel = static_cast<float>(std::stoi(expected[i].label));
    g.ClearCalls();
    meter.Draw(g);
    const std::vector<DrawnItem> fills = DrawnOfKind(g, "fill");
    ASSERT_EQ(fills.size(), 2u);  // the frame's fill and the bar
    EXPECT_NEAR(fills[1].box.R, x, 1.f) << expected[i].label;
  }
}

}  // namespace
}  // namespace orvane::testing
