#include "plugin/theme_palette.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "update_check_reset.h"

namespace orvane {
namespace {

// Taken during static initialisation, before any test can apply a theme.
const bool gDarkAtLoad = ThemePalette.IsDark();
const ThemeColour gFirstColourAtLoad = ThemePalette[0];

class ThemePaletteTest : public ::testing::Test {
protected:
  void TearDown() override { testing::ResetProcessWideState(); }
};

TEST_F(ThemePaletteTest, ProcessStartsWithTheLightColours) {
  EXPECT_FALSE(gDarkAtLoad);
  EXPECT_EQ(gFirstColourAtLoad, (ThemeColour{201, 201, 201}));
}

TEST_F(ThemePaletteTest, ApplyingAThemeSwitchesEveryEntryAndTheFlag) {
  ApplyColourTheme(true);
  EXPECT_TRUE(ThemePalette.IsDark());
  EXPECT_EQ(ThemePalette.Colours(), DarkThemeColours());
  EXPECT_EQ(ThemePalette[26], (ThemeColour{141, 172, 204}));
  EXPECT_EQ(ThemePalette[26], ThemePalette[17]);

  ApplyColourTheme(false);
  EXPECT_FALSE(ThemePalette.IsDark());
  EXPECT_EQ(ThemePalette.Colours(), LightThemeColours());
  EXPECT_EQ(ThemePalette[26], (ThemeColour{104, 130, 157}));
}

// The editor relies on these entries repeating others in both themes.
TEST_F(ThemePaletteTest, RepeatedEntriesMatchTheirOriginalsInBothThemes) {
  for (const ThemeColours* colours : {&DarkThemeColours(), &LightThemeColours()}) {
    const ThemeColours& c = *colours;
    EXPECT_EQ(c[8], c[4]);
    EXPECT_EQ(c[14], c[0]);
    EXPECT_EQ(c[22], c[21]);
    EXPECT_EQ(c[23], c[17]);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(c[26 + i], c[17 + i]) << "entry " << 26 + i;
    }
  }
  EXPECT_EQ(DarkThemeColours()[34], (ThemeColour{93, 61, 66}));
  EXPECT_EQ(LightThemeColours()[34], (ThemeColour{255, 183, 183}));
}

// Instances may apply a theme on a host thread while the main thread draws;
// every read must see one whole theme.
TEST_F(ThemePaletteTest, ReadsDuringThemeSwitchesSeeOneWholeTheme) {
  std::atomic<bool> stop{false};
  std::thread switcher([&] {
    for (int i = 0; i < 2000; ++i) {
      ApplyColourTheme(i % 2 == 0);
    }
    stop = true;
  });
  while (!stop) {
    const ThemeColours& colours = ThemePalette.Colours();
    ASSERT_TRUE(colours == DarkThemeColours() || colours == LightThemeColours());
  }
  switcher.join();
}

}  // namespace
}  // namespace orvane
