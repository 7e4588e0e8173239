// Writes the seed corpus of the text fuzzer into the folder named on the
// command line: each seed three layout bytes (size, row width, alignment)
// followed by text with newline pairs, long words, CJK, spaces and malformed
// or cut-off UTF-8.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/renderer/test_fonts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  const std::string seeds[] = {
      std::string("\x0f\x50\x00", 3) + "Hello, world",
      std::string("\x0f\x30\x02", 3) + "ab\r\ncd\n\nef\r\rgh\xC2\x85ij",
      std::string("\x0b\x20\x04", 3) + "averyveryverylongwordthatnevermeetsaspace and more",
      std::string("\x10\x28\x06", 3) + "\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89 \xEA\xB0\x80\xEB\x82\x98 \xEF\xBC\xA1",
      std::string("\x0d\x10\x01", 3) + "   \t leading\x0b\x0c spaces \xC2\xA0 ",
      std::string("\x3f\x00\x03", 3) + "bad \xC3\x28 \xE2\x82 \xF0\x9F\x98 \xFF\xFE cut \xE4\xB8",
  };
  bool ok = true;
  int index = 0;
  for (const std::string& seed : seeds) {
    const orvane::testing::Bytes bytes(seed.begin(), seed.end());
    ok = ok && orvane::testing::WriteFileBytes(folder / ("text-" + std::to_string(index++)), bytes);
  }
  return ok ? 0 : 1;
}
