#include "scoped_test_folder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orvane::testing {

ScopedTestFolder::ScopedTestFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary folder");
  }
  mPath = pattern;
}

ScopedTestFolder::~ScopedTestFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(mPath, ignored);
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value)
    : mName(std::move(name)) {
  if (const char* previous = std::getenv(mName.c_str())) {
    mPrevious = previous;
  }
  if (value) {
    ::setenv(mName.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(mName.c_str());
  }
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  if (mPrevious) {
    ::setenv(mName.c_str(), mPrevious->c_str(), 1);
  } else {
    ::unsetenv(mName.c_str());
  }
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace orvane::testing
