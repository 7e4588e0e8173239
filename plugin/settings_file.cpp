#include "plugin/settings_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string_view>

#include <nlohmann/json.hpp>

#include "common/replace_file.h"
#include "framework/core/paths.h"
#include "plugin/theme_palette.h"
#include "plugin/update_check_globals.h"

namespace orvane {
namespace {

constexpr char kFormatKey[] = "format";
constexpr char kLastUpdateNoticeDateKey[] = "lastUpdateNoticeDate";
constexpr char kSettingsVersionKey[] = "settingsVersion";
constexpr char kThemeKey[] = "theme";
constexpr char kDarkThemeName[] = "dark";
constexpr char kLightThemeName[] = "light";

constexpr int kJsonIndent = 2;
constexpr char kJsonIndentCharacter = ' ';

std::string UserApplicationSupportFolder() {
  plugkit::StrBuf folder;
  plugkit::ApplicationSupportFolder(folder, /*system=*/false);
  return folder.Get();
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return false;
  }
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      return false;
    }
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
  } catch (const std::exception&) {
    return false;  // the stream library reports some read errors by throwing
  }
}

bool IsCurrentSettingsDocument(const nlohmann::json& root) {
  if (!root.is_object()) {
    return false;
  }
  const auto format = root.find(kFormatKey);
  const auto version = root.find(kSettingsVersionKey);
  return format != root.end() && format->is_string() && *format == kSettingsFormat &&
         version != root.end() && version->is_number() && *version == kSettingsVersion;
}

void ApplySettingsDocument(const nlohmann::json& root) {
  const auto theme = root.find(kThemeKey);
  if (theme != root.end() && theme->is_string()) {
    if (*theme == kDarkThemeName) {
      ApplyColourTheme(true);
    } else if (*theme == kLightThemeName) {
      ApplyColourTheme(false);
    }
  }
  const auto date = root.find(kLastUpdateNoticeDateKey);
  if (date != root.end() && date->is_string()) {
    UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
    const std::lock_guard lock(globals.mutex);
    globals.lastNoticeDate = date->get<std::string>();
  }
}

std::string BuildSettingsText() {
  nlohmann::json root = nlohmann::json::object();  // keys come out sorted
  root[kFormatKey] = kSettingsFormat;
  root[kSettingsVersionKey] = kSettingsVersion;
  root[kThemeKey] = ThemePalette.IsDark() ? kDarkThemeName : kLightThemeName;
  {
    UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
    const std::lock_guard lock(globals.mutex);
    root[kLastUpdateNoticeDateKey] = globals.lastNoticeDate;
  }
  // Replacing invalid UTF-8 keeps a bad date from costing the whole file.
  std::string text = root.dump(kJsonIndent, kJsonIndentCharacter, /*ensure_ascii=*/false,
                               nlohmann::json::error_handler_t::replace);
  text.push_back('\n');
  return text;
}

}  // namespace

std::string SettingsPathInFolder(const std::string& applicationSupportFolder) {
  if (applicationSupportFolder.empty()) {
    return {};
  }
  return (std::filesystem::path(applicationSupportFolder) / kSettingsFileName).string();
}

std::string GetSettingsPath() { return SettingsPathInFolder(UserApplicationSupportFolder()); }

void ApplySettingsText(std::string_view text) {
  const nlohmann::json root = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (IsCurrentSettingsDocument(root)) {
    ApplySettingsDocument(root);
  }
}

void ReadSettingsFile(const std::string& path) {
  std::string contents;
  if (!path.empty() && ReadWholeFile(path, contents)) {
    ApplySettingsText(contents);
  }
}

bool WriteSettingsFile(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::error_code error;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) {
    std::filesystem::create_directories(parent, error);
    if (error) {
      return false;
    }
  }
  return plugkit::ReplaceFileContents(path, BuildSettingsText()) == plugkit::EReplaceFileResult::kReplaced;
}

void ReadSettings() { ReadSettingsFile(GetSettingsPath()); }

void WriteSettings() { WriteSettingsFile(GetSettingsPath()); }

}  // namespace orvane
