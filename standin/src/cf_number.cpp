#include "cf_object.h"

#include <CoreFoundation/CFNumber.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

struct CFBooleanObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kBooleanTypeID;
  explicit CFBooleanObject(bool value) : Object(standin::cf::Lifetime::Immortal), value(value) {}
  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override { return value ? "true" : "false"; }
  const bool value;
};

// Integers are kept exactly as 64-bit values, floats as doubles.
struct CFNumberObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kNumberTypeID;

  CFNumberObject(CFNumberType sizedType, std::int64_t integer)
      : type(sizedType), isFloat(false), integerValue(integer), floatValue(0.0) {}
  CFNumberObject(CFNumberType sizedType, double real)
      : type(sizedType), isFloat(true), integerValue(0), floatValue(real) {}

  CFTypeID TypeID() const override { return kTypeID; }
  bool Equals(const Object& other) const override;
  CFHashCode Hash() const override;
  std::string Describe() const override;

  const CFNumberType type;
  const bool isFloat;
  const std::int64_t integerValue;
  const double floatValue;
};

namespace {

CFNumberType SizedType(CFNumberType type) {
  switch (type) {
    case kCFNumberCharType: return kCFNumberSInt8Type;
    case kCFNumberShortType: return kCFNumberSInt16Type;
    case kCFNumberIntType: return kCFNumberSInt32Type;
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType: return kCFNumberSInt64Type;
    case kCFNumberFloatType: return kCFNumberFloat32Type;
    case kCFNumberDoubleType: return kCFNumberFloat64Type;
    default: return type;
  }
}

bool IsKnownSizedType(CFNumberType type) {
  return type >= kCFNumberSInt8Type && type <= kCFNumberFloat64Type;
}

bool IsFloatType(CFNumberType sizedType) {
  return sizedType == kCFNumberFloat32Type || sizedType == kCFNumberFloat64Type;
}

template <typename T>
T Read(const void* value) {
  T result;
  std::memcpy(&result, value, sizeof result);
  return result;
}

template <typename T>
void Write(void* out, T value) {
  std::memcpy(out, &value, sizeof value);
}

// 2^63 as a double: the first value that no int64 holds.
constexpr double kInt64Limit = 9223372036854775808.0;

// True when d is a whole number that an int64 holds exactly.
bool DoubleToInt64(double d, std::int64_t& out) {
  if (!(d >= -kInt64Limit && d < kInt64Limit)) return false;
  out = static_cast<std::int64_t>(d);
  return static_cast<double>(out) == d;
}

// Truncation toward zero, saturating at the int64 range (NaN gives 0).
std::int64_t SaturatingTruncate(double d) {
  if (std::isnan(d)) return 0;
  if (d <= -kInt64Limit) return std::numeric_limits<std::int64_t>::min();
  if (d >= kInt64Limit) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(d);
}

template <typename Narrow>
bool WriteInteger(void* out, std::int64_t value) {
  constexpr auto lowest = static_cast<std::int64_t>(std::numeric_limits<Narrow>::min());
  constexpr auto highest = static_cast<std::int64_t>(std::numeric_limits<Narrow>::max());
  const std::int64_t clamped = value < lowest ? lowest : (value > highest ? highest : value);
  Write(out, static_cast<Narrow>(clamped));
  return clamped == value;
}

bool WriteAsInteger(const CFNumberObject& number, CFNumberType sizedType, void* out) {
  std::int64_t value = number.integerValue;
  bool exact = true;
  if (number.isFloat) {
    exact = DoubleToInt64(number.floatValue, value);
    if (!exact) value = SaturatingTruncate(number.floatValue);
  }
  switch (sizedType) {
    case kCFNumberSInt8Type: return WriteInteger<std::int8_t>(out, value) && exact;
    case kCFNumberSInt16Type: return WriteInteger<std::int16_t>(out, value) && exact;
    case kCFNumberSInt32Type: return WriteInteger<std::int32_t>(out, value) && exact;
    default: Write(out, value); return exact;
  }
}

bool WriteAsFloat(const CFNumberObject& number, CFNumberType sizedType, void* out) {
  const double value =
      number.isFloat ? number.floatValue : static_cast<double>(number.integerValue);
  bool exact = true;
  if (!number.isFloat) {
    std::int64_t back = 0;
    exact = DoubleToInt64(value, back) && back == number.integerValue;
  }
  if (sizedType == kCFNumberFloat32Type) {
    const auto narrow = static_cast<float>(value);
    Write(out, narrow);
    return exact && (std::isnan(value) || static_cast<double>(narrow) == value);
  }
  Write(out, value);
  return exact;
}

}  // namespace

bool CFNumberObject::Equals(const Object& other) const {
  const auto& that = static_cast<const CFNumberObject&>(other);
  if (!isFloat && !that.isFloat) return integerValue == that.integerValue;
  if (isFloat && that.isFloat) return floatValue == that.floatValue;
  const CFNumberObject& real = isFloat ? *this : that;
  const CFNumberObject& whole = isFloat ? that : *this;
  std::int64_t asInteger = 0;
  return DoubleToInt64(real.floatValue, asInteger) && asInteger == whole.integerValue;
}

CFHashCode CFNumberObject::Hash() const {
  // Equal numbers hash alike whichever way they are stored.
  std::int64_t asInteger = integerValue;
  if (isFloat && !DoubleToInt64(floatValue, asInteger)) {
    return standin::cf::HashBytes(&floatValue, sizeof floatValue);
  }
  return standin::cf::HashBytes(&asInteger, sizeof asInteger);
}

std::string CFNumberObject::Describe() const {
  char text[64];
  if (isFloat) {
    std::snprintf(text, sizeof text, "%.17g", floatValue);
  } else {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(integerValue));
  }
  return text;
}

extern "C" {

const CFBooleanRef kCFBooleanTrue = new CFBooleanObject(true);
const CFBooleanRef kCFBooleanFalse = new CFBooleanObject(false);

CFTypeID CFBooleanGetTypeID(void) { return standin::cf::kBooleanTypeID; }

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  const auto* object = standin::cf::As<CFBooleanObject>(boolean);
  return object != nullptr && object->value;
}

CFTypeID CFNumberGetTypeID(void) { return standin::cf::kNumberTypeID; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value) {
  const CFNumberType sized = SizedType(type);
  if (value == nullptr || !IsKnownSizedType(sized)) return nullptr;
  switch (sized) {
    case kCFNumberSInt8Type: return new CFNumberObject(sized, std::int64_t{Read<std::int8_t>(value)});
    case kCFNumberSInt16Type: return new CFNumberObject(sized, std::int64_t{Read<std::int16_t>(value)});
    case kCFNumberSInt32Type: return new CFNumberObject(sized, std::int64_t{Read<std::int32_t>(value)});
    case kCFNumberSInt64Type: return new CFNumberObject(sized, Read<std::int64_t>(value));
    case kCFNumberFloat32Type: return new CFNumberObject(sized, double{Read<float>(value)});
    default: return new CFNumberObject(sized, Read<double>(value));
  }
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  const auto* object = standin::cf::As<CFNumberObject>(number);
  return object == nullptr ? 0 : object->type;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  const auto* object = standin::cf::As<CFNumberObject>(number);
  return object != nullptr && object->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value) {
  const auto* object = standin::cf::As<CFNumberObject>(number);
  const CFNumberType sized = SizedType(type);
  if (object == nullptr || value == nullptr || !IsKnownSizedType(sized)) return false;
  return IsFloatType(sized) ? WriteAsFloat(*object, sized, value)
                            : WriteAsInteger(*object, sized, value);
}

}  // extern "C"
