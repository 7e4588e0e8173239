#pragma once

namespace plugkit {

// Copies src into a fixed field of fieldSize bytes (terminator included). A
// text that does not fit is cut before the first UTF-8 character that would
// not fit whole, so the field never ends inside a character.
void CopyTextCut(char* field, int fieldSize, const char* src);

// The number of bytes of text to keep so that at most maxBytes bytes remain
// and no UTF-8 character is split.
int Utf8CutLength(const char* text, int maxBytes);

}  // namespace plugkit
