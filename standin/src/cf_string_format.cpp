// CFStringCreateWithFormat: printf conversions delegated to snprintf one at a
// time, plus %@ for the description of a CF object.

#include "cf_string.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class LengthModifier { None, Char, Short, Long, LongLong, Size, Max, PtrDiff, LongDouble };

struct Conversion {
  std::string flagsWidthPrecision;  // everything between '%' and the length modifier
  LengthModifier length = LengthModifier::None;
  char type = '\0';
  std::size_t end = 0;  // index just past the conversion character
};

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Width or precision: digits, or '*' taken from the arguments.
void ParseCount(const std::string& format, std::size_t& i, std::string& out, va_list& arguments) {
  if (i < format.size() && format[i] == '*') {
    out += std::to_string(va_arg(arguments, int));
    ++i;
    return;
  }
  while (i < format.size() && IsDigit(format[i])) out += format[i++];
}

LengthModifier ParseLength(const std::string& format, std::size_t& i) {
  auto next = [&](char c) { return i < format.size() && format[i] == c; };
  if (next('h')) {
    ++i;
    if (next('h')) { ++i; return LengthModifier::Char; }
    return LengthModifier::Short;
  }
  if (next('l')) {
    ++i;
    if (next('l')) { ++i; return LengthModifier::LongLong; }
    return LengthModifier::Long;
  }
  if (next('q')) { ++i; return LengthModifier::LongLong; }
  if (next('z')) { ++i; return LengthModifier::Size; }
  if (next('j')) { ++i; return LengthModifier::Max; }
  if (next('t')) { ++i; return LengthModifier::PtrDiff; }
  if (next('L')) { ++i; return LengthModifier::LongDouble; }
  return LengthModifier::None;
}

// Parses the conversion that starts at format[start] == '%'.
Conversion ParseConversion(const std::string& format, std::size_t start, va_list& arguments) {
  Conversion conversion;
  std::size_t i = start + 1;
  while (i < format.size() && IsFlag(format[i])) conversion.flagsWidthPrecision += format[i++];
  ParseCount(format, i, conversion.flagsWidthPrecision, arguments);
  if (i < format.size() && format[i] == '.') {
    conversion.flagsWidthPrecision += format[i++];
    ParseCount(format, i, conversion.flagsWidthPrecision, arguments);
  }
  conversion.length = ParseLength(format, i);
  if (i < format.size()) conversion.type = format[i++];
  conversion.end = i;
  return conversion;
}

template <typename Value>
void AppendFormatted(std::string& out, const std::string& spec, Value value) {
  const int size = std::snprintf(nullptr, 0, spec.c_str(), value);
  if (size <= 0) return;
  std::vector<char> text(static_cast<std::size_t>(size) + 1);
  std::snprintf(text.data(), text.size(), spec.c_str(), value);
  out.append(text.data(), static_cast<std::size_t>(size));
}

void AppendSigned(std::string& out, const Conversion& c, va_list& arguments) {
  const std::string spec = "%" + c.flagsWidthPrecision;
  const std::string type(1, c.type);
  switch (c.length) {
    case LengthModifier::Long: AppendFormatted(out, spec + "l" + type, va_arg(arguments, long)); break;
    case LengthModifier::LongLong:
      AppendFormatted(out, spec + "ll" + type, va_arg(arguments, long long));
      break;
    case LengthModifier::Size:
    case LengthModifier::PtrDiff:
      AppendFormatted(out, spec + "t" + type, va_arg(arguments, std::ptrdiff_t));
      break;
    case LengthModifier::Max:
      AppendFormatted(out, spec + "j" + type, va_arg(arguments, std::intmax_t));
      break;
    case LengthModifier::Char:
      AppendFormatted(out, spec + "hh" + type, va_arg(arguments, int));
      break;
    case LengthModifier::Short:
      AppendFormatted(out, spec + "h" + type, va_arg(arguments, int));
      break;
    default: AppendFormatted(out, spec + type, va_arg(arguments, int)); break;
  }
}

void AppendUnsigned(std::string& out, const Conversion& c, va_list& arguments) {
  const std::string spec = "%" + c.flagsWidthPrecision;
  const std::string type(1, c.type);
  switch (c.length) {
    case LengthModifier::Long:
      AppendFormatted(out, spec + "l" + type, va_arg(arguments, unsigned long));
      break;
    case LengthModifier::LongLong:
      AppendFormatted(out, spec + "ll" + type, va_arg(arguments, unsigned long long));
      break;
    case LengthModifier::Size:
    case LengthModifier::PtrDiff:
      AppendFormatted(out, spec + "z" + type, va_arg(arguments, std::size_t));
      break;
    case LengthModifier::Max:
      AppendFormatted(out, spec + "j" + type, va_arg(arguments, std::uintmax_t));
      break;
    case LengthModifier::Char:
      AppendFormatted(out, spec + "hh" + type, va_arg(arguments, unsigned int));
      break;
    case LengthModifier::Short:
      AppendFormatted(out, spec + "h" + type, va_arg(arguments, unsigned int));
      break;
    default: AppendFormatted(out, spec + type, va_arg(arguments, unsigned int)); break;
  }
}

void AppendFloating(std::string& out, const Conversion& c, va_list& arguments) {
  const std::string spec = "%" + c.flagsWidthPrecision;
  if (c.length == LengthModifier::LongDouble) {
    AppendFormatted(out, spec + "L" + c.type, va_arg(arguments, long double));
  } else {
    AppendFormatted(out, spec + c.type, va_arg(arguments, double));
  }
}

void AppendText(std::string& out, const Conversion& c, const char* text) {
  AppendFormatted(out, "%" + c.flagsWidthPrecision + "s", text == nullptr ? "(null)" : text);
}

// Appends one conversion; false when the conversion character is unknown.
bool AppendConversion(std::string& out, const Conversion& c, va_list& arguments) {
  switch (c.type) {
    case '%': out += '%'; return true;
    case 'd': case 'i': AppendSigned(out, c, arguments); return true;
    case 'u': case 'x': case 'X': case 'o': AppendUnsigned(out, c, arguments); return true;
    case 'c': AppendFormatted(out, "%" + c.flagsWidthPrecision + "c", va_arg(arguments, int)); return true;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
      AppendFloating(out, c, arguments);
      return true;
    case 's': AppendText(out, c, va_arg(arguments, const char*)); return true;
    case 'p': AppendFormatted(out, "%" + c.flagsWidthPrecision + "p", va_arg(arguments, void*)); return true;
    case '@': {
      const std::string description = standin::cf::DescriptionOf(va_arg(arguments, CFTypeRef));
      AppendText(out, c, description.c_str());
      return true;
    }
    default: return false;
  }
}

}  // namespace

extern "C" {

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, CFDictionaryRef,
                                                 CFStringRef format, va_list arguments) {
  if (standin::cf::As<CFStringObject>(format) == nullptr) return nullptr;
  const std::string& pattern = standin::cf::StringText(format);
  va_list remaining;
  va_copy(remaining, arguments);
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] != '%') {
      out += pattern[i++];
      continue;
    }
    const Conversion conversion = ParseConversion(pattern, i, remaining);
    // An unknown conversion is copied as written and consumes no argument.
    if (!AppendConversion(out, conversion, remaining)) {
      out.append(pattern, i, conversion.end - i);
    }
    i = conversion.end;
  }
  va_end(remaining);
  return standin::cf::MakeString(std::move(out));
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFDictionaryRef formatOptions,
                                     CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  CFStringRef result =
      CFStringCreateWithFormatAndArguments(allocator, formatOptions, format, arguments);
  va_end(arguments);
  return result;
}

}  // extern "C"
