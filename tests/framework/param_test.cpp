#include "framework/core/param.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/comma_locale.h"

namespace plugkit {
namespace {

std::string Format(const IParam& param, double value, bool normalized = false, bool withDisplayText = true) {
  StrBuf out;
  param.FormatValue(value, normalized, out, withDisplayText);
  return out.Get();
}

void InitWithStep(IParam& param, double step, int flags = 0, double min = 0.0, double max = 100.0) {
  param.Init("P", "", flags, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr, 0.0, min, max, step);
}

TEST(IParamTest, NewParameterHasDefaults) {
  IParam param;
  EXPECT_EQ(param.Type(), IParam::kTypeNone);
  EXPECT_EQ(param.Unit(), IParam::kUnitCustom);
  EXPECT_EQ(param.Value(), 0.0);
  EXPECT_EQ(param.GetMin(), 0.0);
  EXPECT_EQ(param.GetMax(), 1.0);
  EXPECT_EQ(param.GetStep(), 1.0);
  EXPECT_EQ(param.ShapeKind(), IParam::kShapeLinear);
  EXPECT_STREQ(param.Name(), "");
}

TEST(IParamTest, DisplayPrecisionFollowsTheStep) {
  IParam param;
  const struct {
    double step;
    int precision;
  } cases[] = {{1.0, 0}, {5.0, 0}, {0.25, 2}, {0.1, 1}, {1.0 / 3.0, 6}, {0.07, 2}, {0.001, 3}, {0.00001, 5}};
  for (const auto& c : cases) {
    InitWithStep(param, c.step);
    EXPECT_EQ(param.GetDisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParamTest, InitRaisesMaxToMinPlusStepAndConstrainsTheDefault) {
  IParam param;
  param.Init("P", "", IParam::kFlagStepped, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr, 7.3, 2.0, 2.5,
             1.0);
  EXPECT_EQ(param.GetMin(), 2.0);
  EXPECT_EQ(param.GetMax(), 3.0);
  EXPECT_EQ(param.Value(), 3.0);
  EXPECT_EQ(param.GetDefault(), 7.3);
  EXPECT_EQ(param.Type(), IParam::kTypeDouble);
}

TEST(IParamTest, LongNamesAreCutAtACharacterBoundary) {
  IParam param;
  const std::string thirty(30, 'a');
  const std::string name = thirty + "\xC3\xA9";  // 32 bytes: the é does not fit
  param.InitGain(name.c_str(), 0.0, -1.0, 1.0, 0.1, 0, (std::string(31, 'g') + "h").c_str());
  EXPECT_EQ(std::string(param.Name()), thirty);
  EXPECT_EQ(std::string(param.Group()), std::string(31, 'g'));
  IParam same;
  same.InitGain((std::string(29, 'b') + "\xC3\xA9").c_str(), 0.0, -1.0, 1.0, 0.1);
  EXPECT_EQ(std::string(same.Name()), std::string(29, 'b') + "\xC3\xA9");
}

TEST(IParamTest, TypedInitialisersSetTypeUnitLabelShapeAndTexts) {
  IParam boolean;
  boolean.InitBool("On", true, "", 0, "", "no", "yes");
  EXPECT_EQ(boolean.Type(), IParam::kTypeBool);
  EXPECT_TRUE(boolean.GetStepped());
  EXPECT_EQ(boolean.Value(), 1.0);
  EXPECT_EQ(Format(boolean, 0.0), "no");
  EXPECT_EQ(Format(boolean, 1.0), "yes");

  IParam mode;
  mode.InitEnum("Mode", 1, 3, "", 0, "", "a", "b", "c");
  EXPECT_EQ(mode.Type(), IParam::kTypeEnum);
  EXPECT_EQ(mode.GetMax(), 2.0);
  EXPECT_EQ(mode.DisplayTextCount(), 3);
  double value = -1.0;
  EXPECT_STREQ(mode.GetDisplayText(2, &value), "c");
  EXPECT_EQ(value, 2.0);

  IParam listed;
  listed.InitEnum("Listed", 0, {"x", "y"});
  EXPECT_EQ(listed.GetMax(), 1.0);
  EXPECT_STREQ(listed.DisplayTextForValue(1.0), "y");

  IParam count;
  count.InitInt("Count", 4, 1, 8, "n");
  EXPECT_EQ(count.Type(), IParam::kTypeInt);
  EXPECT_TRUE(count.GetStepped());

  IParam freq;
  freq.InitFrequency("Freq", 1000.0, 20.0, 20000.0, 1.0);
  EXPECT_EQ(freq.Unit(), IParam::kUnitFrequency);
  EXPECT_EQ(freq.ShapeKind(), IParam::kShapeExp);
  EXPECT_STREQ(freq.Label(), "Hz");

  IParam seconds, ms, gain, percent, angle;
  seconds.InitSeconds("S", 1.0, 0.0, 10.0, 0.1);
  ms.InitMilliseconds("Ms", 5.0, 0.0, 100.0);
  gain.InitGain("G", 0.0, -12.0, 12.0, 0.5);
  percent.InitPercentage("Pc", 50.0, 0.0, 100.0);
  angle.InitAngleDegrees("A", 0.0, 0.0, 360.0);
  EXPECT_STREQ(seconds.Label(), "Seconds");
  EXPECT_EQ(seconds.Unit(), IParam::kUnitSeconds);
  EXPECT_STREQ(ms.Label(), "ms");
  EXPECT_EQ(ms.Unit(), IParam::kUnitMilliseconds);
  EXPECT_STREQ(gain.Label(), "dB");
  EXPECT_EQ(gain.Unit(), IParam::kUnitDB);
  EXPECT_STREQ(percent.Label(), "%");
  EXPECT_EQ(percent.Unit(), IParam::kUnitPercentage);
  EXPECT_STREQ(angle.Label(), "degrees");
  EXPECT_EQ(angle.Unit(), IParam::kUnitDegrees);
  EXPECT_EQ(angle.Type(), IParam::kTypeDouble);

  IParam keepsType;
  keepsType.InitInt("I", 0, 0, 10);
  keepsType.InitGain("G", 0.0, -1.0, 1.0, 0.1);
  EXPECT_EQ(keepsType.Type(), IParam::kTypeInt);
}

TEST(IParamTest, PitchNamesNotesByOctave) {
  IParam pitch;
  pitch.InitPitch("Note", 0, 60, 61);
  EXPECT_EQ(pitch.Type(), IParam::kTypeEnum);
  EXPECT_EQ(pitch.GetMax(), 1.0);
  EXPECT_STREQ(pitch.GetDisplayText(0), "C 4");
  EXPECT_STREQ(pitch.GetDisplayText(1), "C#4");

  IParam lower;
  lower.InitPitch("Note", 0, 59, 60, 0, "", false);
  EXPECT_STREQ(lower.GetDisplayText(0), "B 2");
  EXPECT_STREQ(lower.GetDisplayText(1), "C 3");
}

TEST(IParamTest, LabelIsHiddenWhileTheValueHasADisplayText) {
  IParam param;
  param.InitInt("I", 0, 0, 10, "steps");
  param.SetDisplayText(3.0, "three");
  EXPECT_STREQ(param.Label(), "steps");
  param.Set(3.7);
  EXPECT_STREQ(param.Label(), "");
  double value = 0.0;
  EXPECT_TRUE(param.MapDisplayText("three", &value));
  EXPECT_EQ(value, 3.0);
  EXPECT_FALSE(param.MapDisplayText("four", &value));
  EXPECT_STREQ(param.DisplayTextForValue(3.0000001), "");
}

TEST(IParamTest, ShapesMapBothWaysAndReportTheirDisplayType) {
  IParam linear;
  InitWithStep(linear, 0.01, 0, -10.0, 10.0);
  EXPECT_DOUBLE_EQ(linear.FromNormalized(0.25), -5.0);
  EXPECT_DOUBLE_EQ(linear.ToNormalized(5.0), 0.75);
  EXPECT_EQ(linear.GetShape().GetDisplayType(), IParam::kDisplayLinear);

  IParam curved;
  curved.Init("C", "", 0, "", IParam::ShapePowCurve(3.0), IParam::kUnitCustom, nullptr, 0.0, 0.0, 8.0, 0.001);
  EXPECT_DOUBLE_EQ(curved.FromNormalized(0.5), 1.0);
  EXPECT_NEAR(curved.ToNormalized(1.0), 0.5, 1e-12);
  EXPECT_EQ(curved.ShapeKind(), IParam::kShapePowCurve);
  EXPECT_EQ(curved.PowCurveExponent(), 3.0);
  EXPECT_EQ(linear.PowCurveExponent(), 0.0);

  const struct {
    double exponent;
    int displayType;
  } types[] = {{3.0, 6}, {2.0, 4}, {0.3, 5}, {0.5, 3}, {1.0, 0}, {0.7, 0}};
  for (const auto& t : types)
    EXPECT_EQ(IParam::ShapePowCurve(t.exponent).GetDisplayType(), t.displayType) << t.exponent;

  IParam freq;
  freq.InitFrequency("F", 1000.0, 20.0, 20000.0, 1.0);
  EXPECT_NEAR(freq.FromNormalized(0.0), 20.0, 1e-9);
  EXPECT_NEAR(freq.FromNormalized(1.0), 20000.0, 1e-6);
  EXPECT_NEAR(freq.FromNormalized(0.5), std::sqrt(20.0 * 20000.0), 1e-9);
  EXPECT_NEAR(freq.ToNormalized(632.4555320336759), 0.5, 1e-12);
  EXPECT_EQ(freq.GetShape().GetDisplayType(), IParam::kDisplayLog);

  IParam fromZero;
  fromZero.InitFrequency("F", 1.0, 0.0, 100.0, 1.0);
  EXPECT_NEAR(fromZero.FromNormalized(0.0), 1e-8, 1e-20);
}

TEST(IParamTest, FormatValueShowsNoNegativeZeroAndHonoursSignAndNegation) {
  IParam whole;
  InitWithStep(whole, 1.0, 0, -10.0, 10.0);
  EXPECT_EQ(Format(whole, -0.0), "0");
  EXPECT_EQ(Format(whole, 2.6), "3");
  EXPECT_EQ(Format(whole, -2.5), "-3");

  IParam hundredths;
  InitWithStep(hundredths, 0.01, 0, -10.0, 10.0);
  EXPECT_EQ(Format(hundredths, -0.0), "0.00");
  EXPECT_EQ(Format(hundredths, 1.5), "1.50");

  IParam signedParam;
  InitWithStep(signedParam, 0.1, IParam::kFlagSignDisplay, -10.0, 10.0);
  EXPECT_EQ(Format(signedParam, 3.0), "+3.0");
  EXPECT_EQ(Format(signedParam, -3.0), "-3.0");
  EXPECT_EQ(Format(signedParam, 0.0), "0.0");

  IParam negated;
  InitWithStep(negated, 0.1, IParam::kFlagNegateDisplay, -10.0, 10.0);
  EXPECT_EQ(Format(negated, 2.0), "-2.0");
  EXPECT_EQ(Format(negated, 0.0), "0.0");
}

TEST(IParamTest, FormatValueUsesDisplayTextsFunctionsAndNormalisedInput) {
  IParam param;
  InitWithStep(param, 1.0, IParam::kFlagStepped, 0.0, 10.0);
  param.SetDisplayText(10.0, "max");
  EXPECT_EQ(Format(param, 10.0), "max");
  EXPECT_EQ(Format(param, 10.0, false, false), "10");
  EXPECT_EQ(Format(param, 1.0, true), "max");
  EXPECT_EQ(Format(param, 0.44, true, false), "4");

  param.Init("P", "", 0, "", IParam::ShapeLinear(), IParam::kUnitCustom,
             [](double value, StrBuf& out) { out.SetFormatted(16, "<%g>", value); }, 0.0, 0.0, 10.0, 1.0);
  EXPECT_EQ(Format(param, 2.0), "<2>");
}

TEST(IParamTest, ParseValueReadsNumbersDisplayTextsAndNeverAnswersNonFinite) {
  IParam range;
  InitWithStep(range, 0.01, 0, 1.0, 10.0);
  EXPECT_EQ(range.ParseValue("abc"), 1.0);
  EXPECT_EQ(range.ParseValue("5.25"), 5.25);
  EXPECT_EQ(range.ParseValue(" 7.5 dB"), 7.5);
  EXPECT_EQ(range.ParseValue("99"), 10.0);
  EXPECT_EQ(range.ParseValue("nan"), 1.0);
  EXPECT_EQ(range.ParseValue("inf"), 10.0);
  EXPECT_EQ(range.ParseValue("-inf"), 1.0);
  EXPECT_EQ(range.ParseValue(""), 1.0);
  EXPECT_EQ(range.ParseValue(nullptr), 1.0);

  IParam symmetric;
  InitWithStep(symmetric, 0.5, IParam::kFlagStepped, -10.0, 10.0);
  EXPECT_EQ(symmetric.ParseValue("abc"), 0.0);
  EXPECT_EQ(symmetric.ParseValue("NaN"), 0.0);
  EXPECT_EQ(symmetric.ParseValue("1.3"), 1.5);
  EXPECT_EQ(symmetric.ParseValue("1e400"), 10.0);
  for (const char* text : {"nan", "-nan", "inf", "infinity", "1e999", "-1e999", "0x1p9999"})
    EXPECT_TRUE(std::isfinite(symmetric.ParseValue(text))) << text;

  IParam negated;
  InitWithStep(negated, 0.1, IParam::kFlagNegateDisplay, -10.0, 10.0);
  EXPECT_DOUBLE_EQ(negated.ParseValue("2"), -2.0);

  IParam mode;
  mode.InitEnum("Mode", 0, 3, "", 0, "", "a", "b", "c");
  EXPECT_EQ(mode.ParseValue("c"), 2.0);
  EXPECT_EQ(mode.ParseValue("2"), 0.0);
}

TEST(IParamTest, FormattingAndParsingIgnoreTheProcessLocale) {
  IParam gain;
  gain.InitGain("Gain", 0.0, -12.0, 12.0, 0.25);
  orvane::testing::ScopedCommaDecimalLocale commaLocale;
  if (!commaLocale.Active()) GTEST_SKIP() << "no locale with a decimal comma can be built here";
  EXPECT_EQ(Format(gain, -1.5), "-1.50");
  EXPECT_EQ(gain.ParseValue("2.75"), 2.75);
  EXPECT_EQ(gain.ParseValue("2,75"), 2.0);
  StrBuf json;
  gain.AppendJson(json, 0);
  EXPECT_NE(std::string(json.Get()).find("\"min\":-12.000000, "), std::string::npos);
}

TEST(IParamTest, AppendJsonWritesTheExactText) {
  IParam gain;
  gain.InitGain("Gain", 0.0, -12.0, 12.0, 0.5);
  StrBuf json("[");
  gain.AppendJson(json, 3);
  EXPECT_STREQ(json.Get(),
               "[{\"id\":3, \"name\":\"Gain\", \"type\":\"float\", \"min\":-12.000000, \"max\":12.000000, "
               "\"default\":0.000000, \"display_type\":0, \"rate\":\"control\"}");

  IParam untyped;
  StrBuf bare;
  untyped.AppendJson(bare, 0);
  EXPECT_STREQ(bare.Get(),
               "{\"id\":0, \"name\":\"\", \"min\":0.000000, \"max\":1.000000, \"default\":0.000000, "
               "\"display_type\":0, \"rate\":\"control\"}");

  IParam freq;
  freq.InitFrequency("F", 100.0, 20.0, 2000.0, 1.0);
  StrBuf freqJson;
  freq.InitEnum("E", 0, {"a"});  // keeps the float type set first
  freq.AppendJson(freqJson, 1);
  EXPECT_NE(std::string(freqJson.Get()).find("\"type\":\"float\""), std::string::npos);
}

TEST(IParamTest, InitFromCopiesEverythingAndRenames) {
  IParam source;
  source.InitGain("Gain A", 1.0, -12.0, 12.0, 0.5, IParam::kFlagSignDisplay, "Group A");
  IParam clone;
  clone.InitFrom(source, "A", "B", "Group B");
  EXPECT_STREQ(clone.Name(), "Gain B");
  EXPECT_STREQ(clone.Group(), "Group B");
  EXPECT_STREQ(clone.Label(), "dB");
  EXPECT_EQ(clone.Type(), IParam::kTypeDouble);
  EXPECT_EQ(clone.Unit(), IParam::kUnitDB);
  EXPECT_EQ(clone.GetFlags(), IParam::kFlagSignDisplay);
  EXPECT_EQ(clone.GetMin(), -12.0);
  EXPECT_EQ(clone.GetStep(), 0.5);
  EXPECT_EQ(clone.GetDefault(), 1.0);

  IParam kept;
  kept.InitFrom(source, "missing", "x");
  EXPECT_STREQ(kept.Name(), "Gain A");
  EXPECT_STREQ(kept.Group(), "Group A");
  IParam removed;
  removed.InitFrom(source, "Gain ", nullptr);
  EXPECT_STREQ(removed.Name(), "A");
}

}  // namespace
}  // namespace plugkit
