// Design files as auhost explains them: whatever the text, the explanation
// ends in a verdict, and wherever the product's reader answers with the JSON
// library's own text, auhost has words of its own for it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "design/design_file.h"
#include "host/auhost_design_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string explained = orvane::auhost::DesignTextProblem(text);
  std::istringstream in(text);
  orvane::Design design;
  std::string error;
  const bool libraryText = !orvane::ReadDesignStream(in, design, error) &&
                           (error.starts_with("Invalid Orvane design: ") ||
                            error.starts_with("Could not read Orvane design: "));
  if (libraryText && explained.empty()) std::abort();
  return 0;
}
