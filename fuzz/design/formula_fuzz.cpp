// Formulas are user text: the evaluator must give a finite value or a
// message, and the compiled form must agree with the text evaluation.
// The first byte picks x and whether x is allowed; the rest is the formula.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "design/formula.h"

namespace {

constexpr double kXs[] = {0.0, 1.0, 50.0, 100.0, 33.25, -1.0, 1e300, -0.0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool allowX = (data[0] & 0x80) == 0;
  const double x = kXs[data[0] % (sizeof kXs / sizeof kXs[0])];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  double fromText = 0.0;
  const orvane::FormulaError textError = orvane::EvaluateFormulaText(text, x, allowX, fromText);
  if (textError == orvane::FormulaError::kNone && !std::isfinite(fromText)) std::abort();

  orvane::CompiledFormula compiled;
  const orvane::FormulaError compileError = orvane::CompiledFormula::Compile(text, allowX, compiled);
  if (compileError != orvane::FormulaError::kNone) {
    // A formula that does not read cannot evaluate either.
    if (textError == orvane::FormulaError::kNone || compiled.IsCompiled()) std::abort();
    return 0;
  }
  double fromCompiled = 0.0;
  if (compiled.Evaluate(x, fromCompiled) != textError) std::abort();
  if (textError == orvane::FormulaError::kNone && !(fromCompiled == fromText)) std::abort();
  return 0;
}
