#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvane {

struct ThemeColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  constexpr bool operator==(const ThemeColour&) const = default;
};

inline constexpr std::size_t kThemeColourCount = 35;
using ThemeColours = std::array<ThemeColour, kThemeColourCount>;

const ThemeColours& DarkThemeColours();
const ThemeColours& LightThemeColours();

// The process-wide palette the editor draws with. It always holds exactly the
// colours of one theme, so it is read through the theme flag rather than kept
// as a second copy: instances may apply a theme on a host thread while the
// main thread draws, and a single atomic flag cannot be read half-written.
class ThemePaletteView {
public:
  // entry: 0 to kThemeColourCount - 1.
  ThemeColour operator[](std::size_t entry) const;
  const ThemeColours& Colours() const;
  bool IsDark() const;
};

inline constexpr ThemePaletteView ThemePalette{};

// Switches the process-wide palette to the dark or the light colours.
void ApplyColourTheme(bool dark);

}  // namespace orvane
