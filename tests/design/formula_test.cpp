#include "design/formula.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane {
namespace {

double Evaluate(const std::string& text, double x = 0.0) {
  double result = 0.0;
  std::string error;
  EXPECT_TRUE(EvaluateFormula(text, x, true, result, error)) << text << ": " << error;
  return result;
}

std::string FailureOf(const std::string& text, double x = 0.0, bool allowX = true) {
  double result = 0.0;
  std::string error;
  EXPECT_FALSE(EvaluateFormula(text, x, allowX, result, error)) << text << " gave " << result;
  return error;
}

TEST(Formula, Values) {
  EXPECT_DOUBLE_EQ(Evaluate("x * 2.55", 100), 255.0);
  EXPECT_EQ(Evaluate(" ( x + 1 ) * ( 2 - 1 ) ", 4), 5.0);
  EXPECT_EQ(Evaluate("-x^2", 3), -9.0);
  EXPECT_EQ(Evaluate("2^3^2"), 512.0);
  EXPECT_EQ(Evaluate("2^-1"), 0.5);
  EXPECT_EQ(Evaluate("0x10"), 16.0);
  EXPECT_EQ(Evaluate("--5"), 5.0);
  EXPECT_EQ(Evaluate("+-+5"), -5.0);
  EXPECT_EQ(Evaluate("X / 4", 10), 2.5);
  EXPECT_EQ(Evaluate("10 - 4 - 3"), 3.0);
  EXPECT_EQ(Evaluate("64 / 4 / 2"), 8.0);
  EXPECT_EQ(Evaluate("1 + 2 * 3"), 7.0);
  EXPECT_EQ(Evaluate(".5e1"), 5.0);
  EXPECT_EQ(Evaluate("1e-400"), 0.0);
  EXPECT_EQ(Evaluate("\t3\n"), 3.0);
}

TEST(Formula, Messages) {
  EXPECT_EQ(FailureOf("1 / (x - 50)", 50), "Division by zero in formula");
  EXPECT_EQ(FailureOf("1 / -0"), "Division by zero in formula");
  EXPECT_EQ(FailureOf("1e400"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("10^400"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("1e308 * 10"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("1e308 + 1e308"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("inf"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("nan"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("(-8)^0.5"), "Formula result must be finite");
  EXPECT_EQ(FailureOf("x", 0, false), "Switch values must be numeric constants");
  EXPECT_EQ(FailureOf("1 2"), "Unexpected character in formula");
  EXPECT_EQ(FailureOf("x # note", 1), "Unexpected character in formula");
  EXPECT_EQ(FailureOf(""), "Expected a number, 'x', or parenthesized expression");
  EXPECT_EQ(FailureOf("2 * abc"), "Expected a number, 'x', or parenthesized expression");
  EXPECT_EQ(FailureOf("()"), "Expected a number, 'x', or parenthesized expression");
  EXPECT_EQ(FailureOf("(1 + 2"), "Missing ')' in formula");
  EXPECT_EQ(FailureOf("(1 + 2 x"), "Missing ')' in formula");
  // The first failure wins: the division fails before the bad text is reached.
  EXPECT_EQ(FailureOf("1/0 )"), "Division by zero in formula");
}

TEST(Formula, DeepNestingIsRefusedAndSignRunsCostNoStack) {
  const int limit = kMaxFormulaNesting;
  const std::string deepest = std::string(limit, '(') + "1" + std::string(limit, ')');
  EXPECT_EQ(Evaluate(deepest), 1.0);
  const std::string tooDeep = std::string(limit + 1, '(') + "1" + std::string(limit + 1, ')');
  EXPECT_EQ(FailureOf(tooDeep), "Formula is nested too deeply");
  EXPECT_EQ(FailureOf(std::string(100000, '(')), "Formula is nested too deeply");

  std::string powerChain = "1";
  for (int i = 0; i < limit; ++i) powerChain += "^1";
  EXPECT_EQ(Evaluate(powerChain), 1.0);
  EXPECT_EQ(FailureOf(powerChain + "^1"), "Formula is nested too deeply");
  std::string signedPowers = "1";
  for (int i = 0; i < 10000; ++i) signedPowers += "^-1";
  EXPECT_EQ(FailureOf(signedPowers), "Formula is nested too deeply");

  EXPECT_EQ(Evaluate(std::string(100000, '-') + "5"), 5.0);
  EXPECT_EQ(Evaluate(std::string(100001, '-') + "5"), -5.0);
  EXPECT_EQ(Evaluate(std::string(50000, '+') + "- 5"), -5.0);
}

// Finds or makes a locale whose decimal separator is a comma; empty when the
// machine has none and cannot build one.
std::string DecimalCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      std::setlocale(LC_NUMERIC, "C");
      return name;
    }
  }
  if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE")) return {};
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orvane-formula-locale";
  std::filesystem::create_directories(folder);
  const std::string command =
      "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
  if (!std::filesystem::exists(folder / "de_DE.UTF-8") && std::system(command.c_str()) != 0) return {};
  setenv("LOCPATH", folder.c_str(), 1);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) return {};
  std::setlocale(LC_NUMERIC, "C");
  return "de_DE.UTF-8";
}

TEST(Formula, NumbersReadTheSameUnderADecimalCommaLocale) {
  const std::string name = DecimalCommaLocale();
  if (name.empty()) GTEST_SKIP() << "no decimal-comma locale on this machine";
  ASSERT_NE(std::setlocale(LC_ALL, name.c_str()), nullptr);
  ASSERT_EQ(std::strtod("2.55", nullptr), 2.0);  // the locale really breaks plain strtod
  double result = 0.0;
  std::string error;
  const bool read = EvaluateFormula("x * 2.55", 100, true, result, error);
  CompiledFormula compiled;
  const FormulaError compileError = CompiledFormula::Compile("2.5 * x", true, compiled);
  std::setlocale(LC_ALL, "C");
  EXPECT_TRUE(read) << error;
  EXPECT_DOUBLE_EQ(result, 255.0);
  ASSERT_EQ(compileError, FormulaError::kNone);
  double compiledResult = 0.0;
  EXPECT_EQ(compiled.Evaluate(2, compiledResult), FormulaError::kNone);
  EXPECT_EQ(compiledResult, 5.0);
}

// The corpus of the differential test: values, every failure, and failures
// that depend on x.
const std::vector<std::string> kDifferentialCorpus = {
    "x", "x * 2.55", "-x^2", "2^3^2", "2^-1", "0x10", "--5", "+-+5", "1 / (x - 50)", "100 / x",
    "(x - 50) * (x - 50) / 25", "x^0.5", "(x - 3)^0.5", "1e400", "10^400", "1e308 * x", "1e308 + x * 1e307",
    "inf", "nan", "0x1p3 + x", "1 2", "", "(", "(x", "x)", "1/0 )", "x/(x-x)", "-(-(-x))", "2^x^2",
    "1e-400 * x", "((((x))))", "x * -x", "1/x + 1e400", "x - x - x", "3 * (x ^ 2 - 10) / (x + 1)",
    std::string(300, '(') + "x" + std::string(300, ')'), std::string(1000, '-') + "x"};

TEST(Formula, CompiledAndTextEvaluationAgree) {
  const std::vector<double> xs = {0, 1, 2, 3, 49.5, 50, 50.25, 99, 100, -1, 1e300};
  for (const std::string& text : kDifferentialCorpus) {
    for (const bool allowX : {true, false}) {
      CompiledFormula compiled;
      const FormulaError compileError = CompiledFormula::Compile(text, allowX, compiled);
      for (const double x : xs) {
        double textResult = -1.0;
        const FormulaError textError = EvaluateFormulaText(text, x, allowX, textResult);
        if (compileError != FormulaError::kNone) {
          EXPECT_NE(textError, FormulaError::kNone) << text << " at " << x;
          continue;
        }
        double compiledResult = -1.0;
        const FormulaError compiledError = compiled.Evaluate(x, compiledResult);
        EXPECT_EQ(compiledError, textError) << text << " at " << x;
        if (textError == FormulaError::kNone) {
          EXPECT_EQ(compiledResult, textResult) << text << " at " << x;
        }
      }
    }
  }
}

TEST(Formula, CompileReportsReadingErrorsOnly) {
  CompiledFormula compiled;
  EXPECT_EQ(CompiledFormula::Compile("1 / 0", true, compiled), FormulaError::kNone);
  double result = 0.0;
  EXPECT_EQ(compiled.Evaluate(0, result), FormulaError::kDivisionByZero);
  EXPECT_EQ(CompiledFormula::Compile("x", false, compiled), FormulaError::kSwitchValueNotConstant);
  EXPECT_FALSE(compiled.IsCompiled());
  EXPECT_EQ(compiled.Evaluate(0, result), FormulaError::kInvalid);
  EXPECT_EQ(CompiledFormula::Compile("(1", true, compiled), FormulaError::kMissingParenthesis);
}

}  // namespace
}  // namespace orvane
