#pragma once

#include <cstdint>
#include <type_traits>

#include "common/heap_buf.h"

namespace plugkit {

// A growable byte chunk that state, parameter values and presets are appended
// to in the machine's byte order. Reads name a position and answer the
// position after what they read, or -1 when the chunk ends too early.
class IStateChunk {
public:
  static constexpr int kGranularity = 4096;

  IStateChunk() : mBytes(kGranularity) {}

  int Size() const { return mBytes.GetSize(); }
  uint8_t* GetData() { return static_cast<uint8_t*>(mBytes.Get()); }
  const uint8_t* GetData() const { return static_cast<const uint8_t*>(mBytes.Get()); }

  // Sets the size (new bytes are uninitialised); answers the size reached.
  int Resize(int newSize);
  void Clear() { mBytes.Resize(0); }

  // Appends; false (and nothing appended) when the chunk cannot grow.
  bool PutBytes(const void* data, int size);
  bool PutChunk(const IStateChunk& other) { return PutBytes(other.GetData(), other.Size()); }
  // An int32 length followed by the text's bytes without terminator.
  bool PutStr(const char* text);

  template <class T>
  bool Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return PutBytes(&value, static_cast<int>(sizeof(T)));
  }

  int GetBytes(void* out, int size, int startPos) const;

  template <class T>
  int Get(T* out, int startPos) const {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(out, static_cast<int>(sizeof(T)), startPos);
  }

  // True when size bytes starting at startPos lie inside the chunk.
  bool Holds(int startPos, int size) const;

private:
  HeapBuf mBytes;
};

}  // namespace plugkit
