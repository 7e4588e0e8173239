#include "common/utf8_text.h"

#include <cstring>

namespace plugkit {

void CopyTextCut(char* field, int fieldSize, const char* src) {
  if (!field || fieldSize <= 0) return;
  const int keep = Utf8CutLength(src, fieldSize - 1);
  if (keep > 0) std::memmove(field, src, static_cast<size_t>(keep));
  field[keep] = '\0';
}

}  // namespace plugkit
