#include "common/str_buf.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/c_locale.h"

namespace plugkit {

namespace {

const char kEmptyText[] = "";

int TextLength(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

}  // namespace

const char* StrBuf::Get() const {
  return mBuf.GetSize() > 0 ? static_cast<const char*>(mBuf.Get()) : kEmptyText;
}

int StrBuf::GetLength() const { return TextLength(Get()); }

bool StrBuf::Set(int offset, const char* src, int srcLen, int trailKeep) {
  if (offset == 0 && srcLen == 0 && trailKeep == 0) {
    mBuf.Resize(1);
    if (mBuf.GetSize() != 1) return false;
    Data()[0] = '\0';
    return true;
  }
  const int length = GetLength();
  if (!src || offset < 0 || srcLen < 1 || trailKeep < 0 || offset > length || trailKeep > length - offset)
    return false;

  // A source inside our own buffer would move under us; work from a copy.
  const char* const begin = static_cast<const char*>(mBuf.Get());
  char* sourceCopy = nullptr;
  if (begin && src >= begin && src < begin + mBuf.GetAllocated()) {
    sourceCopy = static_cast<char*>(std::malloc(static_cast<size_t>(srcLen)));
    if (!sourceCopy) return false;
    std::memcpy(sourceCopy, src, static_cast<size_t>(srcLen));
    src = sourceCopy;
  }

  const long long wanted = static_cast<long long>(offset) + srcLen + trailKeep + 1;
  const int newSize = wanted > 0x7fffffff ? -1 : static_cast<int>(wanted);
  bool written = false;
  if (newSize > 0) {
    if (newSize > mBuf.GetSize()) mBuf.Resize(newSize);
    if (mBuf.GetSize() >= newSize) {
      char* data = Data();
      std::memmove(data + offset + srcLen, data + offset, static_cast<size_t>(trailKeep));
      std::memcpy(data + offset, src, static_cast<size_t>(srcLen));
      data[newSize - 1] = '\0';
      mBuf.Resize(newSize);
      written = true;
    }
  }
  std::free(sourceCopy);
  return written;
}

bool StrBuf::Set(const char* text) { return Set(0, text ? text : kEmptyText, TextLength(text), 0); }

bool StrBuf::Append(const char* text) { return Set(GetLength(), text, TextLength(text), 0); }

bool StrBuf::Insert(int position, const char* text) {
  const int length = GetLength();
  return Set(position, text, TextLength(text), length - position);
}

bool StrBuf::WriteFormatted(int offset, int maxLength, const char* format, va_list args) {
  if (maxLength < 0 || !format) return false;
  const long long wanted = static_cast<long long>(offset) + maxLength + 1;
  if (wanted > 0x7fffffff) return false;
  const int limit = static_cast<int>(wanted);
  mBuf.Resize(limit);
  if (mBuf.GetSize() != limit) return false;

  int written;
  {
    ScopedCLocale cLocale;
    written = std::vsnprintf(Data() + offset, static_cast<size_t>(maxLength) + 1, format, args);
  }
  if (written < 0) {
    // An encoding error: keep only the text before offset.
    Data()[offset] = '\0';
    mBuf.Resize(offset + 1);
    return false;
  }
  mBuf.Resize(offset + std::min(written, maxLength) + 1);
  return true;
}

bool StrBuf::SetFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const bool ok = WriteFormatted(0, maxLength, format, args);
  va_end(args);
  return ok;
}

bool StrBuf::SetFormattedV(int maxLength, const char* format, va_list args) {
  return WriteFormatted(0, maxLength, format, args);
}

bool StrBuf::AppendFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const bool ok = WriteFormatted(GetLength(), maxLength, format, args);
  va_end(args);
  return ok;
}

}  // namespace plugkit
