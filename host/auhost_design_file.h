#pragma once

// Design files as auhost reads them for the user. The product's reader
// decides; where its answer is the JSON library's own text, or says only that
// the file could not be opened, auhost says what is wrong in its own words.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "design/design.h"

namespace orvane::auhost {

// Throws Failure(kDesignFile) with "bad design file PATH: " and the reason.
Design ReadUserDesignFile(const std::string& path);

// Why the text is not a design document the product's reader takes, as far
// as its JSON and the kinds of its fields go: "it is empty", "it is not JSON
// text (a syntax error at line L, column C)" or DesignFieldProblem's answer.
std::string DesignTextProblem(std::string_view text);

// The first field, in the order the product's reader takes them, that is
// missing or of a kind the reader cannot convert: "\"amplifier.knobs.gain\"
// is missing", "\"name\" must be a string"; empty when there is none.
std::string DesignFieldProblem(const nlohmann::json& document);

}  // namespace orvane::auhost
