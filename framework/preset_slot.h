#pragma once

#include "common/utf8_text.h"
#include "framework/core/state_chunk.h"

namespace plugkit {

// One of the plug-in base's fixed preset slots: a name and a saved state.
struct IPresetSlot {
  static constexpr int kMaxNameLength = 256;  // terminator included

  void SetName(const char* name) { CopyTextCut(mName, kMaxNameLength, name); }

  bool mInitialized = false;
  char mName[kMaxNameLength] = "empty";
  IStateChunk mChunk;
};

}  // namespace plugkit
