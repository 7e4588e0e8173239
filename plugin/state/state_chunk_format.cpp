#include "plugin/state/state_chunk_format.h"

#include <cstring>
#include <limits>

namespace orvane {

bool AppendStateChunkText(plugkit::IStateChunk& chunk, const std::string& text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() - kStateChunkHeaderBytes)) return false;
  const auto length = static_cast<std::uint32_t>(text.size());
  return chunk.Put(kStateChunkMagic) && chunk.Put(kStateChunkVersion) && chunk.Put(length) &&
         chunk.PutBytes(text.data(), static_cast<int>(length));
}

bool ReadStateChunkText(const plugkit::IStateChunk& chunk, int pos, std::string& text, int& end) {
  if (pos < 0) return false;
  std::uint32_t magic = 0;
  std::uint32_t version = 0;
  std::uint32_t length = 0;
  int next = chunk.Get(&magic, pos);
  if (next < 0 || magic != kStateChunkMagic) return false;
  next = chunk.Get(&version, next);
  if (next < 0 || version != kStateChunkVersion) return false;
  next = chunk.Get(&length, next);
  if (next < 0 || length == 0) return false;
  // In 64 bits: a length near 2^32 must not wrap the end back into the chunk.
  const std::int64_t textEnd = static_cast<std::int64_t>(next) + static_cast<std::int64_t>(length);
  if (textEnd > chunk.Size()) return false;
  const auto* bytes = reinterpret_cast<const char*>(chunk.GetData() + next);
  const void* zero = std::memchr(bytes, 0, length);
  const std::size_t textLength = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : length;
  text.assign(bytes, textLength);
  end = static_cast<int>(textEnd);
  return true;
}

}  // namespace orvane
