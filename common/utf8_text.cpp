#include "common/utf8_text.h"

#include <cstring>

namespace plugkit {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

int Utf8CutLength(const char* text, int maxBytes) {
  if (!text || maxBytes <= 0) return 0;
  int length = 0;
  while (length < maxBytes && text[length]) ++length;
  if (text[length] == '\0') return length;
  // Cut: step back over the continuation bytes of the character that did not fit.
  while (length > 0 && IsContinuationByte(text[length])) --length;
  return length;
}

void CopyTextCut(char* field, int fieldSize, const char* src) {
  if (!field || fieldSize <= 0) return;
  const int keep = Utf8CutLength(src, fieldSize - 1);
  if (keep > 0) std::memmove(field, src, static_cast<size_t>(keep));
  field[keep] = '\0';
}

}  // namespace plugkit
