// Writes the factory "Default.orv" from the built-in default design, with a
// fixed creation time so that the committed file changes only when the design
// does. Usage: orvane_make_default_preset <output path>

#include <cstdio>
#include <string>

#include "design/design.h"
#include "design/design_file.h"

namespace {

constexpr char kFixedCreatedAt[] = "2026-01-01T00:00:00Z";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output path>\n", argv[0]);
    return 2;
  }
  orvane::Design design = orvane::MakeDefaultDesign();
  design.createdAt = kFixedCreatedAt;
  std::string error;
  if (!orvane::WriteDesignFile(argv[1], design, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
