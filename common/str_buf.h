#pragma once

#include <cstdarg>

#include "common/heap_buf.h"

namespace plugkit {

// A growable NUL-terminated string. Its size counts the terminator; a string
// that was never set has size 0 and reads as "". Edits that cannot grow the
// buffer leave the text unchanged and report false.
class StrBuf {
public:
  static constexpr int kGranularity = 128;

  StrBuf() : mBuf(kGranularity) {}
  explicit StrBuf(const char* text) : mBuf(kGranularity) { Set(text); }

  const char* Get() const;
  int GetLength() const;
  int GetSize() const { return mBuf.GetSize(); }

  // The general edit: writes srcLen bytes of src at offset after moving the
  // trailKeep bytes found at offset up by srcLen, and cuts the text there.
  bool Set(int offset, const char* src, int srcLen, int trailKeep);
  bool Set(const char* text);
  bool Append(const char* text);
  bool Insert(int position, const char* text);

  // printf-style text in the C locale, cut to maxLength characters.
  bool SetFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  bool AppendFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // SetFormatted with the arguments in a list. An encoding error leaves "".
  bool SetFormattedV(int maxLength, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

private:
  bool WriteFormatted(int offset, int maxLength, const char* format, va_list args);
  char* Data() { return static_cast<char*>(mBuf.Get()); }

  HeapBuf mBuf;
};

}  // namespace plugkit
