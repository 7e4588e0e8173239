#include "host/auhost_design_file.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "design/design_file.h"
#include "host/auhost_failure.h"
#include "host/auhost_json_text.h"
#include "host/auhost_path_problems.h"

namespace orvane::auhost {
namespace {

using nlohmann::json;

// The product's reader's texts that auhost puts in its own words.
constexpr std::string_view kCouldNotOpen = "Could not open design file";
constexpr std::string_view kLibraryErrorPrefixes[] = {"Could not read Orvane design: ", "Invalid Orvane design: "};

// What the reader converts a field to, each taking what the library's
// conversion takes: a double any JSON number but no boolean (the library
// turns booleans only into the other arithmetic types), a bool only a
// boolean, a string only a string. kAny: the reader checks the field itself.
enum class Kind { kAny, kString, kDouble, kBoolean };

struct Field {
  std::string path;  // keys joined with '.'
  Kind kind;
};

// Every field the reader requires, in its order, but for the optional player
// values, which are checked after the strings.
std::vector<Field> RequiredFields() {
  std::vector<Field> fields = {{"format", Kind::kAny}, {"formatVersion", Kind::kAny}};
  for (const char* key : {"name", "author", "createdAt", "description", "script"})
    fields.push_back({key, Kind::kString});
  return fields;
}

std::vector<Field> AmplifierAndTrimFields() {
  std::vector<Field> fields = {{"amplifier.dna", Kind::kAny}};
  for (const std::string_view knob : kKnobNames)
    fields.push_back({"amplifier.knobs." + std::string(knob), Kind::kDouble});
  for (const std::string_view section : kSectionNames)
    fields.push_back({"amplifier.sections." + std::string(section), Kind::kBoolean});
  for (const std::string_view section : kSectionNames)
    fields.push_back({"amplifier.bypassGainDb." + std::string(section), Kind::kDouble});
  fields.push_back({"trims.inputGainDb", Kind::kDouble});
  fields.push_back({"trims.outputGainDb", Kind::kDouble});
  return fields;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool IsOfKind(const json& value, Kind kind) {
  switch (kind) {
    case Kind::kAny:
      return true;
    case Kind::kString:
      return value.is_string();
    case Kind::kDouble:
      return value.is_number();
    case Kind::kBoolean:
      return value.is_boolean();
  }
  return true;
}

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kString:
      return "a string";
    case Kind::kDouble:
      return "a number";
    case Kind::kBoolean:
      return "true or false";
    case Kind::kAny:
      break;
  }
  return "a value";
}

std::string ProblemWith(const json& document, const Field& field) {
  const json* value = &document;
  std::string walked;
  std::istringstream keys(field.path);
  for (std::string key; std::getline(keys, key, '.');) {
    if (!value->is_object()) return Quoted(walked) + " must be an object";
    walked += (walked.empty() ? "" : ".") + key;
    const auto found = value->find(key);
    if (found == value->end()) return Quoted(walked) + " is missing";
    value = &*found;
  }
  if (!IsOfKind(*value, field.kind)) return Quoted(walked) + " must be " + KindName(field.kind);
  return {};
}

std::string PlayerValuesProblem(const json& document) {
  const auto values = document.find("playerControlValues");
  if (values == document.end() || !values->is_array()) return {};
  for (std::size_t i = 0; i < values->size(); ++i)
    if (!IsOfKind((*values)[i], Kind::kDouble))
      return "\"playerControlValues[" + std::to_string(i) + "]\" must be a number";
  return {};
}

std::string FirstProblem(const json& document, const std::vector<Field>& fields) {
  for (const Field& field : fields)
    if (std::string problem = ProblemWith(document, field); !problem.empty()) return problem;
  return {};
}

bool IsLibraryError(const std::string& error) {
  return std::any_of(std::begin(kLibraryErrorPrefixes), std::end(kLibraryErrorPrefixes),
                     [&](std::string_view prefix) { return error.starts_with(prefix); });
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// auhost's words for what the reader refused; the reader's own texts stay.
std::string ReasonFor(const std::string& path, const std::string& error) {
  const std::string problem = ReadingProblem(path);
  if (error == kCouldNotOpen) return problem.empty() ? error : error + ": " + problem;
  if (!IsLibraryError(error)) return error;
  if (!problem.empty()) return problem;
  const std::string ownWords = DesignTextProblem(FileText(path));
  return ownWords.empty() ? error : ownWords;
}

}  // namespace

Design ReadUserDesignFile(const std::string& path) {
  Design design;
  std::string error;
  if (!ReadDesignFile(path, design, error))
    throw Failure(ExitCode::kDesignFile, "bad design file " + path + ": " + ReasonFor(path, error));
  return design;
}

std::string DesignTextProblem(std::string_view text) {
  // Read as the product reads it: the first value, whatever follows it.
  json document;
  if (std::string problem = ReadJsonText(text, JsonExtent::kFirstValue, document); !problem.empty())
    return "it " + problem;
  return DesignFieldProblem(document);
}

std::string DesignFieldProblem(const json& document) {
  if (!document.is_object()) return {};
  if (std::string problem = FirstProblem(document, RequiredFields()); !problem.empty()) return problem;
  if (std::string problem = PlayerValuesProblem(document); !problem.empty()) return problem;
  return FirstProblem(document, AmplifierAndTrimFields());
}

}  // namespace orvane::auhost
