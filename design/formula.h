#pragma once

// Formulas of the controls script: arithmetic in x (a slider's position
// 0..100) or constants (a switch's values).
//
//   expression = term { ("+" | "-") term }
//   term       = unary { ("*" | "/") unary }
//   unary      = "+" unary | "-" unary | primary [ "^" unary ]
//   primary    = "(" expression ")" | "x" | "X" | number
//
// The text evaluator reads and computes in one pass and reports the first
// failure it meets. A formula that reads without error can also be compiled
// once into a postfix program that the render thread evaluates without
// parsing numbers, touching strings or allocating; both give the same value
// or the same failure.

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

enum class FormulaError : std::uint8_t {
  kNone,
  kInvalid,
  kUnexpectedCharacter,
  kNotFinite,
  kDivisionByZero,
  kMissingParenthesis,
  kSwitchValueNotConstant,
  kExpectedOperand,
  kNestedTooDeeply,
};

// The user-facing text of a failure; "" for kNone.
const char* FormulaErrorMessage(FormulaError error);

// Parentheses and exponents may nest this deep; deeper is refused rather than
// risking the stack.
inline constexpr int kMaxFormulaNesting = 256;

// Allocation-free evaluation of the text; `result` is set only on success.
FormulaError EvaluateFormulaText(const std::string& text, double x, bool allowX, double& result) noexcept;

// The same with the failure as text: true with a finite `result`, or false
// with `error` set.
bool EvaluateFormula(const std::string& text, double x, bool allowX, double& result, std::string& error);

class CompiledFormula {
public:
  // Fails with the reading error (the one the text evaluator reports when no
  // computation fails before it) and leaves `out` empty.
  static FormulaError Compile(const std::string& text, bool allowX, CompiledFormula& out);

  bool IsCompiled() const { return !mOps.empty(); }

  // Never allocates. An empty formula reports kInvalid.
  FormulaError Evaluate(double x, double& result) const noexcept;

  enum class OpCode : std::uint8_t { kConstant, kX, kAdd, kSubtract, kMultiply, kDivide, kPower, kNegate };
  struct Op {
    OpCode code;
    double constant;  // kConstant only
  };

  // Operand stack the evaluator provides on its own stack; nesting limits
  // keep every compiled formula well within it.
  static constexpr std::size_t kStackCapacity = 1024;

private:
  std::vector<Op> mOps;
};

}  // namespace orvane
