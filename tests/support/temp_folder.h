#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("standin-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
    path_ = std::filesystem::canonical(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  std::filesystem::path Write(const std::filesystem::path& relative, const std::string& text) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

private:
  std::filesystem::path path_;
};

// Points HOME somewhere else for a scope.
class ScopedHome {
public:
  explicit ScopedHome(const std::filesystem::path& home) {
    if (const char* previous = std::getenv("HOME")) previous_ = previous;
    setenv("HOME", home.c_str(), 1);
  }
  ~ScopedHome() {
    if (previous_) {
      setenv("HOME", previous_->c_str(), 1);
    } else {
      unsetenv("HOME");
    }
  }
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

private:
  std::optional<std::string> previous_;
};
