#include "design/formula.h"

#include <locale.h>
#include <stdlib.h>

#include <array>
#include <cmath>
#include <cstdlib>

namespace orvane {
namespace {

using OpCode = CompiledFormula::OpCode;

// Numbers read the same whatever locale the host process runs in.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

FormulaError ApplyBinary(OpCode code, double a, double b, double& out) {
  switch (code) {
    case OpCode::kAdd: out = a + b; break;
    case OpCode::kSubtract: out = a - b; break;
    case OpCode::kMultiply: out = a * b; break;
    case OpCode::kDivide:
      if (b == 0.0) return FormulaError::kDivisionByZero;
      out = a / b;
      break;
    case OpCode::kPower: out = std::pow(a, b); break;
    default: return FormulaError::kInvalid;
  }
  return std::isfinite(out) ? FormulaError::kNone : FormulaError::kNotFinite;
}

// Computes while reading.
class ValueBackend {
public:
  using Value = double;
  explicit ValueBackend(double x) : mX(x) {}

  FormulaError Number(double number, Value& out) const {
    out = number;
    return std::isfinite(number) ? FormulaError::kNone : FormulaError::kNotFinite;
  }
  FormulaError X(Value& out) const {
    out = mX;
    return FormulaError::kNone;
  }
  FormulaError Binary(OpCode code, Value a, Value b, Value& out) const { return ApplyBinary(code, a, b, out); }
  void Negate(Value& value) const { value = -value; }
  FormulaError Finish(Value value) const {
    return std::isfinite(value) ? FormulaError::kNone : FormulaError::kNotFinite;
  }

private:
  double mX;
};

// Emits the postfix program in the order the value backend computes, so the
// first failing operation is the same in both.
class CompileBackend {
public:
  struct Value {};

  FormulaError Number(double number, Value&) { return Push({OpCode::kConstant, number}); }
  FormulaError X(Value&) { return Push({OpCode::kX, 0.0}); }
  FormulaError Binary(OpCode code, Value, Value, Value&) {
    mOps.push_back({code, 0.0});
    --mDepth;
    return FormulaError::kNone;
  }
  void Negate(Value&) { mOps.push_back({OpCode::kNegate, 0.0}); }
  FormulaError Finish(Value) const { return FormulaError::kNone; }

  std::vector<CompiledFormula::Op>& Ops() { return mOps; }

private:
  FormulaError Push(CompiledFormula::Op op) {
    if (++mDepth > CompiledFormula::kStackCapacity) return FormulaError::kNestedTooDeeply;
    mOps.push_back(op);
    return FormulaError::kNone;
  }

  std::vector<CompiledFormula::Op> mOps;
  std::size_t mDepth = 0;
};

// Recursive descent over the text; stops at the first failure.
template <typename Backend>
class FormulaReader {
public:
  using Value = typename Backend::Value;

  FormulaReader(const std::string& text, bool allowX, Backend& backend)
      : mPos(text.c_str()), mEnd(text.c_str() + text.size()), mAllowX(allowX), mBackend(backend) {}

  FormulaError Read(Value& value) {
    if (!Expression(value)) return mError == FormulaError::kNone ? FormulaError::kInvalid : mError;
    SkipSpace();
    if (mPos != mEnd) return FormulaError::kUnexpectedCharacter;
    return mBackend.Finish(value);
  }

private:
  bool Fail(FormulaError error) {
    if (mError == FormulaError::kNone) mError = error;
    return false;
  }
  bool Check(FormulaError error) { return error == FormulaError::kNone || Fail(error); }

  void SkipSpace() {
    while (mPos != mEnd && IsSpace(*mPos)) ++mPos;
  }
  bool Accept(char c) {
    SkipSpace();
    if (mPos == mEnd || *mPos != c) return false;
    ++mPos;
    return true;
  }
  bool Enter() { return ++mDepth <= kMaxFormulaNesting || Fail(FormulaError::kNestedTooDeeply); }
  void Leave() { --mDepth; }

  bool Expression(Value& out) {
    if (!Term(out)) return false;
    for (;;) {
      OpCode code;
      if (Accept('+')) code = OpCode::kAdd;
      else if (Accept('-')) code = OpCode::kSubtract;
      else return true;
      Value right{};
      if (!Term(right) || !Check(mBackend.Binary(code, out, right, out))) return false;
    }
  }

  bool Term(Value& out) {
    if (!Unary(out)) return false;
    for (;;) {
      OpCode code;
      if (Accept('*')) code = OpCode::kMultiply;
      else if (Accept('/')) code = OpCode::kDivide;
      else return true;
      Value right{};
      if (!Unary(right) || !Check(mBackend.Binary(code, out, right, out))) return false;
    }
  }

  // Sign runs are consumed in a loop, so any number of them costs no stack.
  bool Unary(Value& out) {
    bool negate = false;
    for (;;) {
      if (Accept('+')) continue;
      if (Accept('-')) {
        negate = !negate;
        continue;
      }
      break;
    }
    if (!Primary(out)) return false;
    if (Accept('^')) {
      // The exponent is itself a unary: 2^-1 is 0.5 and 2^3^2 is 2^9.
      if (!Enter()) return false;
      Value exponent{};
      const bool read = Unary(exponent);
      Leave();
      if (!read || !Check(mBackend.Binary(OpCode::kPower, out, exponent, out))) return false;
    }
    if (negate) mBackend.Negate(out);
    return true;
  }

  bool Primary(Value& out) {
    if (Accept('(')) {
      if (!Enter()) return false;
      const bool read = Expression(out);
      Leave();
      if (!read) return false;
      return Accept(')') || Fail(FormulaError::kMissingParenthesis);
    }
    if (Accept('x') || Accept('X')) {
      if (!mAllowX) return Fail(FormulaError::kSwitchValueNotConstant);
      return Check(mBackend.X(out));
    }
    SkipSpace();
    char* numberEnd = nullptr;
    const locale_t locale = CLocale();
    const double number = locale != static_cast<locale_t>(nullptr) ? strtod_l(mPos, &numberEnd, locale)
                                                                   : std::strtod(mPos, &numberEnd);
    if (numberEnd == mPos || numberEnd > mEnd) return Fail(FormulaError::kExpectedOperand);
    mPos = numberEnd;
    return Check(mBackend.Number(number, out));
  }

  const char* mPos;
  const char* mEnd;
  bool mAllowX;
  Backend& mBackend;
  int mDepth = 0;
  FormulaError mError = FormulaError::kNone;
};

}  // namespace

const char* FormulaErrorMessage(FormulaError error) {
  switch (error) {
    case FormulaError::kNone: return "";
    case FormulaError::kInvalid: return "Invalid formula";
    case FormulaError::kUnexpectedCharacter: return "Unexpected character in formula";
    case FormulaError::kNotFinite: return "Formula result must be finite";
    case FormulaError::kDivisionByZero: return "Division by zero in formula";
    case FormulaError::kMissingParenthesis: return "Missing ')' in formula";
    case FormulaError::kSwitchValueNotConstant: return "Switch values must be numeric constants";
    case FormulaError::kExpectedOperand: return "Expected a number, 'x', or parenthesized expression";
    case FormulaError::kNestedTooDeeply: return "Formula is nested too deeply";
  }
  return "Invalid formula";
}

FormulaError EvaluateFormulaText(const std::string& text, double x, bool allowX, double& result) noexcept {
  ValueBackend backend(x);
  FormulaReader<ValueBackend> reader(text, allowX, backend);
  double value = 0.0;
  const FormulaError error = reader.Read(value);
  if (error == FormulaError::kNone) result = value;
  return error;
}

bool EvaluateFormula(const std::string& text, double x, bool allowX, double& result, std::string& error) {
  const FormulaError failure = EvaluateFormulaText(text, x, allowX, result);
  if (failure != FormulaError::kNone) {
    error = FormulaErrorMessage(failure);
    return false;
  }
  error.clear();
  return true;
}

FormulaError CompiledFormula::Compile(const std::string& text, bool allowX, CompiledFormula& out) {
  out.mOps.clear();
  CompileBackend backend;
  FormulaReader<CompileBackend> reader(text, allowX, backend);
  CompileBackend::Value value;
  const FormulaError error = reader.Read(value);
  if (error == FormulaError::kNone) out.mOps = std::move(backend.Ops());
  return error;
}

FormulaError CompiledFormula::Evaluate(double x, double& result) const noexcept {
  if (mOps.empty()) return FormulaError::kInvalid;
  std::array<double, kStackCapacity> stack;
  std::size_t size = 0;
  for (const Op& op : mOps) {
    switch (op.code) {
      case OpCode::kConstant:
        if (!std::isfinite(op.constant)) return FormulaError::kNotFinite;
        stack[size++] = op.constant;
        break;
      case OpCode::kX: stack[size++] = x; break;
      case OpCode::kNegate: stack[size - 1] = -stack[size - 1]; break;
      default: {
        const double b = stack[--size];
        const double a = stack[size - 1];
        const FormulaError error = ApplyBinary(op.code, a, b, stack[size - 1]);
        if (error != FormulaError::kNone) return error;
      }
    }
  }
  const double value = stack[size - 1];
  if (!std::isfinite(value)) return FormulaError::kNotFinite;
  result = value;
  return FormulaError::kNone;
}

}  // namespace orvane
