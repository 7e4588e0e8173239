#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The user's preferences outside any host project: the colour theme and the
// date of the last update notice, in one small JSON file.
inline constexpr char kSettingsFileName[] = "Vellumtone.Orvane.settings.json";
inline constexpr char kSettingsFormat[] = "com.vellumtone.orvane.settings";
inline constexpr int kSettingsVersion = 1;

// The settings file inside an application-support folder; empty when the
// folder is empty (then the settings are neither read nor written).
std::string SettingsPathInFolder(const std::string& applicationSupportFolder);

// The settings file in the user's application-support folder.
std::string GetSettingsPath();

// Applies what the text of a settings file holds: a theme of exactly "dark" or
// "light", and the last-notice date, when the text is a current settings
// document; anything else changes nothing.
void ApplySettingsText(std::string_view text);

// Applies what a settings file at path holds: a theme of exactly "dark" or
// "light", and the last-notice date. Any missing, unreadable, malformed or
// foreign file changes nothing and is not reported.
void ReadSettingsFile(const std::string& path);

// Writes the current theme and last-notice date to path, creating its folders.
// The old file is replaced only once the new one is completely written, so a
// failure leaves it as it was. True when the new file is in place.
bool WriteSettingsFile(const std::string& path);

// ReadSettingsFile and WriteSettingsFile at GetSettingsPath; nothing happens
// when there is no path. Failures are not reported.
void ReadSettings();
void WriteSettings();

}  // namespace orvane
