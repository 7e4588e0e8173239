#include "design/design_file.h"

#include <fstream>
#include <ios>

#include "common/replace_file.h"
#include "design/design_json.h"

namespace orvane {
namespace {

using nlohmann::json;

constexpr char kCouldNotOpen[] = "Could not open design file";
constexpr char kCouldNotReadPrefix[] = "Could not read Orvane design: ";
constexpr char kCouldNotCreate[] = "Could not create design file";
constexpr char kCouldNotWrite[] = "Could not write design file";
constexpr char kCouldNotSerializePrefix[] = "Could not serialize Orvane design: ";

constexpr int kJsonIndent = 2;

}  // namespace

bool ReadDesignFile(const std::string& path, Design& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    error = kCouldNotOpen;
    return false;
  }
  return ReadDesignStream(in, out, error);
}

bool ReadDesignStream(std::istream& in, Design& out, std::string& error) {
  json document;
  try {
    in >> document;
  } catch (const json::exception& e) {
    error = std::string(kCouldNotReadPrefix) + e.what();
    return false;
  } catch (const std::ios_base::failure& e) {
    error = std::string(kCouldNotReadPrefix) + e.what();
    return false;
  }
  return ParseDesignJson(document, out, error);
}

bool WriteDesignFile(const std::string& path, const Design& design, std::string& error) {
  if (!ValidateDesign(design, error)) return false;
  std::string text;
  try {
    text = BuildDesignJson(design).dump(kJsonIndent);
  } catch (const json::exception& e) {
    error = std::string(kCouldNotSerializePrefix) + e.what();
    return false;
  }
  text.push_back('\n');

  // A failure at any point leaves the old file as it was.
  switch (plugkit::ReplaceFileContents(path, text)) {
    case plugkit::EReplaceFileResult::kReplaced:
      error.clear();
      return true;
    case plugkit::EReplaceFileResult::kCouldNotCreate:
      error = kCouldNotCreate;
      return false;
    case plugkit::EReplaceFileResult::kCouldNotWrite:
      break;
  }
  error = kCouldNotWrite;
  return false;
}

}  // namespace orvane
