#include "plugin/theme_palette.h"

#include <atomic>
#include <cassert>

namespace orvane {
namespace {

// Entries 26 to 29 repeat the four preamp-stage colours 17 to 20.
constexpr std::size_t kStageColoursFirst = 17;
constexpr std::size_t kStageColourCopiesFirst = 26;
constexpr std::size_t kStageColourCount = 4;

constexpr ThemeColours WithStageColourCopies(ThemeColours colours) {
  for (std::size_t i = 0; i < kStageColourCount; ++i) {
    colours[kStageColourCopiesFirst + i] = colours[kStageColoursFirst + i];
  }
  return colours;
}

constexpr ThemeColours kDarkColours = WithStageColourCopies({{
    {40, 43, 46},    {53, 57, 61},    {66, 70, 74},    {48, 52, 56},    {231, 229, 222},
    {240, 240, 236}, {180, 181, 178}, {20, 22, 24},    {231, 229, 222}, {114, 119, 123},
    {216, 218, 220}, {56, 60, 64},    {72, 76, 80},    {112, 117, 121}, {40, 43, 46},
    {88, 93, 97},    {89, 94, 98},    {141, 172, 204}, {208, 145, 145}, {150, 178, 145},
    {185, 148, 188}, {179, 179, 179}, {179, 179, 179}, {141, 172, 204}, {193, 164, 103},
    {176, 165, 146}, {},              {},              {},              {},
    {71, 81, 91},    {91, 83, 69},    {76, 80, 73},    {106, 99, 80},   {93, 61, 66},
}});

constexpr ThemeColours kLightColours = WithStageColourCopies({{
    {201, 201, 201}, {173, 173, 173}, {223, 220, 213}, {236, 233, 226}, {0, 0, 0},
    {255, 255, 255}, {77, 77, 77},    {45, 45, 45},    {0, 0, 0},       {141, 141, 141},
    {230, 230, 230}, {154, 154, 154}, {206, 204, 197}, {173, 173, 173}, {201, 201, 201},
    {247, 246, 239}, {189, 189, 189}, {104, 130, 157}, {157, 104, 104}, {104, 131, 101},
    {137, 104, 138}, {98, 98, 98},    {98, 98, 98},    {104, 130, 157}, {164, 137, 80},
    {108, 99, 86},   {},              {},              {},              {},
    {226, 234, 242}, {242, 234, 217}, {228, 236, 226}, {240, 232, 210}, {255, 183, 183},
}});

// Light until a theme is applied.
std::atomic<bool> gDarkTheme{false};

}  // namespace

const ThemeColours& DarkThemeColours() { return kDarkColours; }

const ThemeColours& LightThemeColours() { return kLightColours; }

ThemeColour ThemePaletteView::operator[](std::size_t entry) const {
  assert(entry < kThemeColourCount);
  return Colours()[entry];
}

const ThemeColours& ThemePaletteView::Colours() const {
  return IsDark() ? kDarkColours : kLightColours;
}

bool ThemePaletteView::IsDark() const { return gDarkTheme.load(std::memory_order_acquire); }

void ApplyColourTheme(bool dark) { gDarkTheme.store(dark, std::memory_order_release); }

}  // namespace orvane
