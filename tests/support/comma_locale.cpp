#include "support/comma_locale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>

namespace orvane::testing {

namespace {

// Only the numeric category is defined; localedef fills in the rest (-c).
constexpr const char* kLocaleSource =
    "LC_NUMERIC\n"
    "decimal_point \",\"\n"
    "thousands_sep \"\"\n"
    "grouping -1\n"
    "END LC_NUMERIC\n";

std::string BuildCommaLocale() {
  char folderTemplate[] = "/tmp/orvane-locale-XXXXXX";
  const char* folder = mkdtemp(folderTemplate);
  if (!folder) return {};
  std::error_code ignored;
  const std::filesystem::path source = std::filesystem::path(folder) / "comma.src";
  const std::filesystem::path output = std::filesystem::path(folder) / "comma.UTF-8";
  std::ofstream(source) << kLocaleSource;
  const std::string command =
      "localedef -c -i '" + source.string() + "' -f UTF-8 '" + output.string() + "' >/dev/null 2>&1";
  std::system(command.c_str());
  if (std::filesystem::exists(output / "LC_NUMERIC", ignored)) return output.string();
  std::filesystem::remove_all(folder, ignored);
  return {};
}

// Built on first use; its folder is removed when the process ends.
struct CommaLocale {
  CommaLocale() : path(BuildCommaLocale()) {}
  ~CommaLocale() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ignored);
  }
  std::string path;
};

const std::string& CommaLocalePath() {
  static const CommaLocale locale;
  return locale.path;
}

struct CommaDecimalPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

}  // namespace

ScopedCommaDecimalStreamLocale::ScopedCommaDecimalStreamLocale()
    : mPrevious(std::locale::global(std::locale(std::locale::classic(), new CommaDecimalPoint))) {}

ScopedCommaDecimalStreamLocale::~ScopedCommaDecimalStreamLocale() { std::locale::global(mPrevious); }

ScopedCommaDecimalLocale::ScopedCommaDecimalLocale() {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  mPrevious = previous ? previous : "C";
  const std::string& path = CommaLocalePath();
  if (path.empty()) return;
  // setlocale finds a locale by name inside LOCPATH; set it only for this lookup.
  const char* oldLocPath = std::getenv("LOCPATH");
  const std::string savedLocPath = oldLocPath ? oldLocPath : "";
  const std::filesystem::path localePath(path);
  setenv("LOCPATH", localePath.parent_path().c_str(), 1);
  mActive = std::setlocale(LC_NUMERIC, localePath.filename().c_str()) != nullptr;
  if (oldLocPath)
    setenv("LOCPATH", savedLocPath.c_str(), 1);
  else
    unsetenv("LOCPATH");
}

ScopedCommaDecimalLocale::~ScopedCommaDecimalLocale() {
  if (mActive) std::setlocale(LC_NUMERIC, mPrevious.c_str());
}

}  // namespace orvane::testing
