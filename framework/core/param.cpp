#include "framework/core/param.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "common/c_locale.h"
#include "common/utf8_text.h"

namespace plugkit {

namespace {

// A step counts as whole when it is within this fraction of an integer, so
// that 0.07 * 100 = 7.000000000000001 still reads as 7.
constexpr double kWholeTolerance = 1e-9;

bool IsWhole(double x) { return std::fabs(x - std::round(x)) <= kWholeTolerance * std::max(1.0, std::fabs(x)); }

double RangeFraction(double value, const IParam& param) {
  const double range = param.GetMax() - param.GetMin();
  return range != 0.0 ? (value - param.GetMin()) / range : 0.0;
}

const char* TypeName(IParam::EParamType type) {
  switch (type) {
    case IParam::kTypeBool: return "bool";
    case IParam::kTypeInt: return "int";
    case IParam::kTypeEnum: return "enum";
    case IParam::kTypeDouble: return "float";
    case IParam::kTypeNone: break;
  }
  return nullptr;
}

constexpr int kNotesPerOctave = 12;
constexpr const char* kNoteNames[kNotesPerOctave] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                                     "F#", "G ", "G#", "A ", "A#", "B "};

}  // namespace

// Shapes -------------------------------------------------------------------

double IParam::ShapeLinear::NormalizedToValue(double normalized, const IParam& param) const {
  return param.GetMin() + normalized * (param.GetMax() - param.GetMin());
}

double IParam::ShapeLinear::ValueToNormalized(double value, const IParam& param) const {
  return RangeFraction(value, param);
}

int IParam::ShapePowCurve::GetDisplayType() const {
  if (mExponent > 2.5) return kDisplayCubeRoot;
  if (mExponent > 1.5) return kDisplaySquareRoot;
  if (mExponent < 0.4) return kDisplayCubed;
  if (mExponent < 2.0 / 3.0) return kDisplaySquared;
  return kDisplayLinear;
}

double IParam::ShapePowCurve::NormalizedToValue(double normalized, const IParam& param) const {
  return param.GetMin() + std::pow(normalized, mExponent) * (param.GetMax() - param.GetMin());
}

double IParam::ShapePowCurve::ValueToNormalized(double value, const IParam& param) const {
  return std::pow(RangeFraction(value, param), 1.0 / mExponent);
}

void IParam::ShapeExp::Init(const IParam& param) {
  const double low = param.GetMin() > 0.0 ? param.GetMin() : kSmallestLowBound;
  mAdd = std::log(low);
  mMul = std::log(param.GetMax() / low);
}

double IParam::ShapeExp::NormalizedToValue(double normalized, const IParam&) const {
  return std::exp(mAdd + normalized * mMul);
}

double IParam::ShapeExp::ValueToNormalized(double value, const IParam&) const {
  return mMul != 0.0 ? (std::log(value) - mAdd) / mMul : 0.0;
}

// Construction ---------------------------------------------------------------

IParam::IParam() : mShape(std::make_unique<ShapeLinear>()) {}

int IParam::PrecisionForStep(double step) {
  double scaled = step;
  for (int digits = 0; digits < kMaxDisplayPrecision; ++digits, scaled *= 10.0)
    if (IsWhole(scaled)) return digits;
  return kMaxDisplayPrecision;
}

void IParam::Init(const char* name, const char* label, int flags, const char* group, const Shape& shape,
                  EParamUnit unit, DisplayFunc displayFunc, double defaultValue, double min, double max,
                  double step) {
  if (mType == kTypeNone) mType = kTypeDouble;
  CopyTextCut(mName, kMaxNameLength, name);
  CopyTextCut(mLabel, kMaxNameLength, label);
  CopyTextCut(mParamGroup, kMaxNameLength, group);
  mMin = min;
  mMax = std::max(max, min + step);
  mStep = step;
  mDefault = defaultValue;
  mUnit = unit;
  mFlags = flags;
  mDisplayFunction = std::move(displayFunc);
  Set(Constrain(defaultValue));
  mDisplayPrecision = PrecisionForStep(step);
  mShape = shape.Clone();
  mShape->Init(*this);
}

void IParam::InitTyped(EParamType type, const char* name, const char* label, int flags, const char* group,
                       const Shape& shape, EParamUnit unit, double defaultValue, double min, double max,
                       double step) {
  if (mType == kTypeNone) mType = type;
  Init(name, label, flags, group, shape, unit, nullptr, defaultValue, min, max, step);
}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, int flags, const char* group,
                      const char* offText, const char* onText) {
  InitTyped(kTypeBool, name, label, flags | kFlagStepped, group, ShapeLinear(), kUnitCustom, defaultValue ? 1.0 : 0.0,
            0.0, 1.0, 1.0);
  if (offText) SetDisplayText(0.0, offText);
  if (onText) SetDisplayText(1.0, onText);
}

void IParam::InitEnumWithTexts(const char* name, int defaultValue, int nEnums, const char* label, int flags,
                               const char* group, const char* const* texts, int nTexts) {
  InitTyped(kTypeEnum, name, label, flags | kFlagStepped, group, ShapeLinear(), kUnitCustom, defaultValue, 0.0,
            nEnums - 1, 1.0);
  for (int i = 0; i < std::min(nEnums, nTexts); ++i)
    if (texts[i]) SetDisplayText(i, texts[i]);
}

void IParam::InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts, int flags,
                      const char* group) {
  const int count = static_cast<int>(texts.size());
  InitEnumWithTexts(name, defaultValue, count, "", flags, group, texts.begin(), count);
}

void IParam::InitInt(const char* name, int defaultValue, int min, int max, const char* label, int flags,
                     const char* group) {
  InitTyped(kTypeInt, name, label, flags | kFlagStepped, group, ShapeLinear(), kUnitCustom, defaultValue, min, max,
            1.0);
}

void IParam::InitFrequency(const char* name, double defaultValue, double min, double max, double step, int flags,
                           const char* group) {
  InitTyped(kTypeDouble, name, "Hz", flags, group, ShapeExp(), kUnitFrequency, defaultValue, min, max, step);
}

void IParam::InitSeconds(const char* name, double defaultValue, double min, double max, double step, int flags,
                         const char* group) {
  InitTyped(kTypeDouble, name, "Seconds", flags, group, ShapeLinear(), kUnitSeconds, defaultValue, min, max, step);
}

void IParam::InitMilliseconds(const char* name, double defaultValue, double min, double max, int flags,
                              const char* group) {
  InitTyped(kTypeDouble, name, "ms", flags, group, ShapeLinear(), kUnitMilliseconds, defaultValue, min, max, 1.0);
}

void IParam::InitPitch(const char* name, int defaultValue, int minNote, int maxNote, int flags, const char* group,
                       bool middleCisC4) {
  InitEnum(name, defaultValue, maxNote - minNote + 1, "", flags, group);
  const int octaveOffset = middleCisC4 ? 1 : 2;
  StrBuf noteText;
  for (int note = minNote; note <= maxNote; ++note) {
    const int nameIndex = ((note % kNotesPerOctave) + kNotesPerOctave) % kNotesPerOctave;
    noteText.SetFormatted(kMaxNameLength, "%s%i", kNoteNames[nameIndex], note / kNotesPerOctave - octaveOffset);
    SetDisplayText(note - minNote, noteText.Get());
  }
}

void IParam::InitGain(const char* name, double defaultValue, double min, double max, double step, int flags,
                      const char* group) {
  InitTyped(kTypeDouble, name, "dB", flags, group, ShapeLinear(), kUnitDB, defaultValue, min, max, step);
}

void IParam::InitPercentage(const char* name, double defaultValue, double min, double max, int flags,
                            const char* group) {
  InitTyped(kTypeDouble, name, "%", flags, group, ShapeLinear(), kUnitPercentage, defaultValue, min, max, 1.0);
}

void IParam::InitAngleDegrees(const char* name, double defaultValue, double min, double max, int flags,
                              const char* group) {
  InitTyped(kTypeDouble, name, "degrees", flags, group, ShapeLinear(), kUnitDegrees, defaultValue, min, max, 1.0);
}

void IParam::InitFrom(const IParam& other, const char* search, const char* replace, const char* newGroup) {
  if (mType == kTypeNone) mType = other.mType;
  StrBuf name(other.mName);
  const char* found = search && *search ? std::strstr(other.mName, search) : nullptr;
  if (found) {
    const int at = static_cast<int>(found - other.mName);
    if (at > 0)
      name.Set(0, other.mName, at, 0);
    else
      name.Set("");
    if (replace) name.Append(replace);
    name.Append(found + std::strlen(search));
  }
  const DisplayFunc displayFunc = other.mDisplayFunction;
  Init(name.Get(), other.mLabel, other.mFlags, newGroup ? newGroup : other.mParamGroup, *other.mShape, other.mUnit,
       displayFunc, other.mDefault, other.mMin, other.mMax, other.mStep);
}

// Values -----------------------------------------------------------------------

double SnapToStep(double value, double step) { return step > 0.0 ? std::round(value / step) * step : value; }

double IParam::Snap(double value) const { return SnapToStep(value, mStep); }

double IParam::Clamp(double value) const { return std::min(std::max(value, mMin), mMax); }

double IParam::Constrain(double value) const { return Clamp(GetStepped() ? Snap(value) : value); }

double IParam::ToNormalized(double value) const {
  return std::clamp(mShape->ValueToNormalized(value, *this), 0.0, 1.0);
}

double IParam::FromNormalized(double normalized) const { return mShape->NormalizedToValue(normalized, *this); }

IParam::EShapeKind IParam::ShapeKind() const {
  const Shape* shape = mShape.get();
  if (dynamic_cast<const ShapeLinear*>(shape)) return kShapeLinear;
  if (dynamic_cast<const ShapePowCurve*>(shape)) return kShapePowCurve;
  if (dynamic_cast<const ShapeExp*>(shape)) return kShapeExp;
  return kShapeOther;
}

double IParam::PowCurveExponent() const {
  const auto* curve = dynamic_cast<const ShapePowCurve*>(mShape.get());
  return curve ? curve->GetExponent() : 0.0;
}

// Display texts ----------------------------------------------------------------

void IParam::SetDisplayText(double value, const char* text) {
  DisplayText entry{value, {}};
  CopyTextCut(entry.mText, kMaxNameLength, text);
  mDisplayTexts.Add(entry);
}

const IParam::DisplayText* IParam::FindDisplayText(double value) const {
  for (int i = 0; i < DisplayTextCount(); ++i)
    if (mDisplayTexts.Get()[i].mValue == value) return &mDisplayTexts.Get()[i];
  return nullptr;
}

const char* IParam::GetDisplayText(int index, double* value) const {
  if (index < 0 || index >= DisplayTextCount()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[index];
  if (value) *value = entry.mValue;
  return entry.mText;
}

const char* IParam::DisplayTextForValue(double value) const {
  const DisplayText* entry = FindDisplayText(value);
  return entry ? entry->mText : "";
}

bool IParam::MapDisplayText(const char* text, double* value) const {
  if (!text) return false;
  for (int i = 0; i < DisplayTextCount(); ++i) {
    const DisplayText& entry = mDisplayTexts.Get()[i];
    if (std::strcmp(entry.mText, text) == 0) {
      if (value) *value = entry.mValue;
      return true;
    }
  }
  return false;
}

const char* IParam::Label() const { return FindDisplayText(std::trunc(Value())) ? "" : mLabel; }

// Formatting and parsing ---------------------------------------------------------

void IParam::FormatValue(double value, bool normalized, StrBuf& out, bool withDisplayText) const {
  if (normalized) value = Constrain(FromNormalized(value));
  if (mDisplayFunction) {
    mDisplayFunction(value, out);
    return;
  }
  if (withDisplayText) {
    if (const DisplayText* entry = FindDisplayText(value)) {
      out.SetFormatted(kMaxFormattedLength, "%s", entry->mText);
      return;
    }
  }
  // Comparing with 0 also catches -0.0, which must never show as "-0".
  const double shown = value == 0.0 ? 0.0 : (GetNegateDisplay() ? -value : value);
  if (mDisplayPrecision == 0) {
    const double rounded = std::round(shown);
    if (rounded >= INT_MIN && rounded <= INT_MAX)
      out.SetFormatted(kMaxFormattedLength, "%d", static_cast<int>(rounded));
    else
      out.SetFormatted(kMaxFormattedLength, "%.0f", rounded);
  } else if (GetSignDisplay() && shown != 0.0) {
    out.SetFormatted(kMaxFormattedLength, "%+.*f", mDisplayPrecision, shown);
  } else {
    out.SetFormatted(kMaxFormattedLength, "%.*f", mDisplayPrecision, shown);
  }
}

double IParam::ParseValue(const char* text) const {
  double value = 0.0;
  if (MapDisplayText(text, &value)) return value;
  if (mType == kTypeBool || mType == kTypeEnum) return 0.0;
  value = ParseDoubleCLocale(text);
  if (std::isnan(value)) value = 0.0;
  if (GetNegateDisplay()) value = -value;
  return Constrain(value);
}

void IParam::AppendJson(StrBuf& json, int index) const {
  json.AppendFormatted(kMaxJsonPieceLength, "{");
  json.AppendFormatted(kMaxJsonPieceLength, "\"id\":%i, ", index);
  json.AppendFormatted(kMaxJsonPieceLength, "\"name\":\"%s\", ", mName);
  if (const char* typeName = TypeName(mType)) json.AppendFormatted(kMaxJsonPieceLength, "\"type\":\"%s\", ", typeName);
  json.AppendFormatted(kMaxJsonPieceLength, "\"min\":%f, ", mMin);
  json.AppendFormatted(kMaxJsonPieceLength, "\"max\":%f, ", mMax);
  json.AppendFormatted(kMaxJsonPieceLength, "\"default\":%f, ", mDefault);
  json.AppendFormatted(kMaxJsonPieceLength, "\"display_type\":%i, ", mShape->GetDisplayType());
  json.AppendFormatted(kMaxJsonPieceLength, "\"rate\":\"control\"");
  json.AppendFormatted(kMaxJsonPieceLength, "}");
}

}  // namespace plugkit
