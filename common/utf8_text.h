#pragma once

namespace plugkit {

// Copies src into a fixed field of fieldSize bytes (terminator included). A
// text that does not fit is cut before the first UTF-8 character that would
// not fit whole, so the field never ends inside a character.
void CopyTextCut(char* field, int fieldSize, const char* src);

// The number of bytes of text to keep so that at most maxBytes bytes remain
// and no UTF-8 character is split. Usable in constant expressions.
constexpr int Utf8CutLength(const char* text, int maxBytes) {
  if (!text || maxBytes <= 0) return 0;
  int length = 0;
  while (length < maxBytes && text[length]) ++length;
  if (text[length] == '\0') return length;
  // Cut: step back over the continuation bytes of the character that did not fit.
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}

}  // namespace plugkit
