#include "framework/core/state_chunk.h"

#include <cstring>

namespace plugkit {

int IStateChunk::Resize(int newSize) {
  mBytes.Resize(newSize);
  return Size();
}

bool IStateChunk::PutBytes(const void* data, int size) {
  if (size < 0 || (size > 0 && !data)) return false;
  const int oldSize = Size();
  const long long wanted = static_cast<long long>(oldSize) + size;
  if (wanted > 0x7fffffff) return false;
  mBytes.Resize(static_cast<int>(wanted));
  if (Size() != wanted) return false;
  if (size > 0) std::memcpy(GetData() + oldSize, data, static_cast<size_t>(size));
  return true;
}

bool IStateChunk::PutStr(const char* text) {
  const int32_t length = text ? static_cast<int32_t>(std::strlen(text)) : 0;
  const int oldSize = Size();
  if (Put(length) && PutBytes(text, length)) return true;
  Resize(oldSize);
  return false;
}

bool IStateChunk::Holds(int startPos, int size) const {
  return startPos >= 0 && size >= 0 && static_cast<long long>(startPos) + size <= Size();
}

int IStateChunk::GetBytes(void* out, int size, int startPos) const {
  if (!Holds(startPos, size) || (size > 0 && !out)) return -1;
  if (size > 0) std::memcpy(out, GetData() + startPos, static_cast<size_t>(size));
  return startPos + size;
}

}  // namespace plugkit
