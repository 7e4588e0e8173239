#pragma once

// The catalogue of installed fonts that font descriptors are matched against.

#include <string>
#include <vector>

namespace standin::testing {

// Replaces the catalogue by one holding only the fonts of these folders: a
// configuration made in code, reading no user or system configuration, its
// cache in a temporary folder of its own. False (the catalogue unchanged)
// when it cannot be built.
bool UseFontFolders(const std::vector<std::string>& folders);

// Puts the machine's catalogue back and removes the temporary cache.
void UseSystemFonts();

}  // namespace standin::testing
