#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>

#include "common/heap_buf.h"
#include "common/str_buf.h"

namespace plugkit {

// The nearest multiple of step (halves away from zero); a step not above 0
// leaves the value as it is.
double SnapToStep(double value, double step);

// One host-visible parameter: type, range, step, unit, names, the shape that
// maps between plain and normalised (0..1) values, and its display and
// parsing rules. Only the value is shared between threads (one atomic word);
// everything else is set during construction.
class IParam {
public:
  enum EParamType { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };
  enum EParamUnit {
    kUnitPercentage = 0,
    kUnitSeconds = 1,
    kUnitMilliseconds = 2,
    kUnitDB = 4,
    kUnitDegrees = 8,
    kUnitFrequency = 12,
    kUnitCustom = 21
  };
  enum EFlags { kFlagsNone = 0, kFlagStepped = 2, kFlagNegateDisplay = 4, kFlagSignDisplay = 8 };
  // How a host may draw the value scale; follows from the shape.
  enum EDisplayType {
    kDisplayLinear = 0,
    kDisplayLog = 1,
    kDisplaySquared = 3,
    kDisplaySquareRoot = 4,
    kDisplayCubed = 5,
    kDisplayCubeRoot = 6
  };
  enum EShapeKind { kShapeLinear = 0, kShapePowCurve = 1, kShapeExp = 2, kShapeOther = 3 };

  static constexpr int kMaxNameLength = 32;  // name, label, group and display texts, terminator included
  static constexpr int kMaxFormattedLength = 32;
  static constexpr int kMaxJsonPieceLength = 8192;
  static constexpr int kMaxDisplayPrecision = 6;

  using DisplayFunc = std::function<void(double value, StrBuf& out)>;

  class Shape {
  public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    virtual void Init(const IParam&) {}
    virtual int GetDisplayType() const = 0;
    virtual double NormalizedToValue(double normalized, const IParam& param) const = 0;
    virtual double ValueToNormalized(double value, const IParam& param) const = 0;
  };

  class ShapeLinear : public Shape {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeLinear>(*this); }
    int GetDisplayType() const override { return kDisplayLinear; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
  };

  // value = min + n^exponent (max - min)
  class ShapePowCurve : public Shape {
  public:
    explicit ShapePowCurve(double exponent) : mExponent(exponent) {}
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapePowCurve>(*this); }
    int GetDisplayType() const override;
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
    double GetExponent() const { return mExponent; }

  private:
    double mExponent;
  };

  // value = exp(add + n mul), fitted to the range on Init.
  class ShapeExp : public Shape {
  public:
    static constexpr double kSmallestLowBound = 1e-8;  // stands in for a range start at or below 0

    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeExp>(*this); }
    void Init(const IParam& param) override;
    int GetDisplayType() const override { return kDisplayLog; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;

  private:
    double mMul = 1.0;
    double mAdd = 1.0;
  };

  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // The general initialiser; the type becomes float unless already set.
  void Init(const char* name, const char* label, int flags, const char* group, const Shape& shape, EParamUnit unit,
            DisplayFunc displayFunc, double defaultValue, double min, double max, double step);

  void InitBool(const char* name, bool defaultValue, const char* label = "", int flags = 0, const char* group = "",
                const char* offText = "off", const char* onText = "on");
  template <class... Texts>
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label, int flags, const char* group,
                const char* firstText, Texts... moreTexts) {
    const char* const texts[] = {firstText, moreTexts...};
    InitEnumWithTexts(name, defaultValue, nEnums, label, flags, group, texts, 1 + sizeof...(moreTexts));
  }
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "", int flags = 0,
                const char* group = "") {
    InitEnumWithTexts(name, defaultValue, nEnums, label, flags, group, nullptr, 0);
  }
  void InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts, int flags = 0,
                const char* group = "");
  void InitInt(const char* name, int defaultValue, int min, int max, const char* label = "", int flags = 0,
               const char* group = "");
  void InitFrequency(const char* name, double defaultValue, double min, double max, double step, int flags = 0,
                     const char* group = "");
  void InitSeconds(const char* name, double defaultValue, double min, double max, double step, int flags = 0,
                   const char* group = "");
  void InitMilliseconds(const char* name, double defaultValue, double min, double max, int flags = 0,
                        const char* group = "");
  void InitPitch(const char* name, int defaultValue, int minNote, int maxNote, int flags = 0, const char* group = "",
                 bool middleCisC4 = true);
  void InitGain(const char* name, double defaultValue, double min, double max, double step, int flags = 0,
                const char* group = "");
  void InitPercentage(const char* name, double defaultValue, double min, double max, int flags = 0,
                      const char* group = "");
  void InitAngleDegrees(const char* name, double defaultValue, double min, double max, int flags = 0,
                        const char* group = "");
  // Everything from other; the name with the first search replaced, the group newGroup when given.
  void InitFrom(const IParam& other, const char* search = nullptr, const char* replace = nullptr,
                const char* newGroup = nullptr);

  double Value() const { return mValue.load(); }
  void Set(double value) { mValue.store(value); }
  // Snapped to the step when stepped, then clamped to the range.
  double Constrain(double value) const;
  // The nearest multiple of the step (halves away from zero).
  double Snap(double value) const;
  double Clamp(double value) const;
  // Through the shape, clamped to [0, 1].
  double ToNormalized(double value) const;
  double FromNormalized(double normalized) const;
  double GetNormalized() const { return ToNormalized(Constrain(Value())); }

  EParamType Type() const { return mType; }
  EParamUnit Unit() const { return mUnit; }
  int GetFlags() const { return mFlags; }
  bool GetStepped() const { return (mFlags & kFlagStepped) != 0; }
  bool GetNegateDisplay() const { return (mFlags & kFlagNegateDisplay) != 0; }
  bool GetSignDisplay() const { return (mFlags & kFlagSignDisplay) != 0; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  void GetBounds(double& min, double& max) const {
    min = mMin;
    max = mMax;
  }
  double GetStep() const { return mStep; }
  double GetDefault() const { return mDefault; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  void SetDisplayPrecision(int precision) { mDisplayPrecision = precision; }
  const Shape& GetShape() const { return *mShape; }
  EShapeKind ShapeKind() const;
  double PowCurveExponent() const;
  const DisplayFunc& GetDisplayFunc() const { return mDisplayFunction; }

  const char* Name() const { return mName; }
  const char* Group() const { return mParamGroup; }
  // "" while the current value (truncated) has a display text, else the label.
  const char* Label() const;

  void SetDisplayText(double value, const char* text);
  int DisplayTextCount() const { return mDisplayTexts.GetSize(); }
  const char* GetDisplayText(int index, double* value = nullptr) const;
  // The text of the first entry whose value equals value exactly, else "".
  const char* DisplayTextForValue(double value) const;
  bool MapDisplayText(const char* text, double* value) const;

  void FormatValue(double value, bool normalized, StrBuf& out, bool withDisplayText = true) const;
  void GetDisplay(StrBuf& out, bool withDisplayText = true) const { FormatValue(Value(), false, out, withDisplayText); }
  // Never answers a non-finite value: non-numbers read as 0 before negation, snapping and clamping.
  double ParseValue(const char* text) const;

  void AppendJson(StrBuf& json, int index) const;

private:
  struct DisplayText {
    double mValue;
    char mText[kMaxNameLength];
  };

  void InitEnumWithTexts(const char* name, int defaultValue, int nEnums, const char* label, int flags,
                         const char* group, const char* const* texts, int nTexts);
  void InitTyped(EParamType type, const char* name, const char* label, int flags, const char* group,
                 const Shape& shape, EParamUnit unit, double defaultValue, double min, double max, double step);
  const DisplayText* FindDisplayText(double value) const;
  static int PrecisionForStep(double step);

  EParamType mType = kTypeNone;
  EParamUnit mUnit = kUnitCustom;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = kFlagsNone;
  char mName[kMaxNameLength] = {};
  char mLabel[kMaxNameLength] = {};
  char mParamGroup[kMaxNameLength] = {};
  std::unique_ptr<Shape> mShape;
  DisplayFunc mDisplayFunction;
  TypedBuf<DisplayText> mDisplayTexts{HeapBuf::kLargeGranularity};
};

}  // namespace plugkit
