#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace orvane::testing {

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class ScopedTestFolder {
public:
  ScopedTestFolder();
  ~ScopedTestFolder();
  ScopedTestFolder(const ScopedTestFolder&) = delete;
  ScopedTestFolder& operator=(const ScopedTestFolder&) = delete;

  const std::filesystem::path& Path() const { return mPath; }

private:
  std::filesystem::path mPath;
};

// Sets (or, with no value, unsets) an environment variable and restores the
// previous state when the object goes.
class ScopedEnvironmentVariable {
public:
  ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
  std::string mName;
  std::optional<std::string> mPrevious;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace orvane::testing
