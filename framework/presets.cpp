#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/plugin_base.h"

namespace plugkit {

namespace {

constexpr const char* kUserPresetName = "user preset";
constexpr uint8_t kInitializedBit = 1;

}  // namespace

bool IPluginBase::SaveStateIntoNewUserPreset(IPresetSlot& slot) {
  int userPresets = 0;
  for (int i = 0; i < NPresets(); ++i)
    if (std::strstr(mPresets.Get(i)->mName, kUserPresetName)) ++userPresets;

  StrBuf name;
  name.SetFormatted(IPresetSlot::kMaxNameLength, "%s %d", kUserPresetName, userPresets + 1);
  slot.mInitialized = true;
  slot.SetName(name.Get());
  slot.mChunk.Clear();
  if (WriteState(slot.mChunk)) return true;

  // Leave the slot as it was so it does not claim a state it never got.
  slot.mInitialized = false;
  slot.SetName("empty");
  slot.mChunk.Clear();
  return false;
}

bool IPluginBase::RecallPreset(int idx) {
  IPresetSlot* slot = mPresets.Get(idx);
  if (!slot) return false;
  if (!slot->mInitialized) {
    if (!SaveStateIntoNewUserPreset(*slot)) return false;
  } else if (ReadState(slot->mChunk, 0) < 1) {
    return false;
  }
  mCurrentPresetIdx = idx;
  OnPresetRecalled();
  OnStateRestored();
  return true;
}

bool IPluginBase::RecallPresetByName(const char* name) {
  if (!name || !*name) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RecallPreset(i);
  return false;
}

const char* IPluginBase::GetPresetName(int idx) const {
  const IPresetSlot* slot = mPresets.Get(idx);
  return slot ? slot->mName : "";
}

bool IPluginBase::ModifyCurrentPreset(const char* newName) {
  IPresetSlot* slot = mPresets.Get(mCurrentPresetIdx);
  if (!slot) return false;
  slot->mChunk.Clear();
  const bool written = WriteState(slot->mChunk);
  if (newName && *newName) slot->SetName(newName);
  return written;
}

void IPluginBase::DropUnusedPresets() {
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

bool IPluginBase::SerializePresets(IStateChunk& chunk) const {
  const int startSize = chunk.Size();
  for (int i = 0; i < NPresets(); ++i) {
    const IPresetSlot& slot = *mPresets.Get(i);
    const uint8_t flag = slot.mInitialized ? kInitializedBit : 0;
    const bool written = chunk.PutStr(slot.mName) && chunk.Put(flag) && (!slot.mInitialized || chunk.PutChunk(slot.mChunk));
    if (!written) {
      chunk.Resize(startSize);
      return false;
    }
  }
  return true;
}

int IPluginBase::UnserializePresetSlot(IPresetSlot& slot, const IStateChunk& chunk, int pos) {
  int32_t nameLength = 0;
  pos = chunk.Get(&nameLength, pos);
  if (pos < 0 || !chunk.Holds(pos, nameLength)) {
    slot.mName[0] = '\0';
    return -1;
  }
  const int kept = std::min<int>(nameLength, IPresetSlot::kMaxNameLength - 1);
  const auto* nameBytes = reinterpret_cast<const char*>(chunk.GetData() + pos);
  const size_t copied = kept > 0 ? strnlen(nameBytes, static_cast<size_t>(kept)) : 0;
  std::memcpy(slot.mName, nameBytes, copied);
  slot.mName[copied] = '\0';
  pos += nameLength;

  uint8_t flag = 0;
  if (chunk.Holds(pos, 1)) pos = chunk.Get(&flag, pos);
  if (!(flag & kInitializedBit)) {
    slot.mInitialized = false;
    return pos;
  }
  pos = ReadState(chunk, pos);
  if (pos < 0) return -1;
  slot.mChunk.Clear();
  slot.mInitialized = WriteState(slot.mChunk);
  return pos;
}

int IPluginBase::UnserializePresets(const IStateChunk& chunk, int startPos) {
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i) pos = UnserializePresetSlot(*mPresets.Get(i), chunk, pos);
  RecallPreset(mCurrentPresetIdx);
  return pos;
}

}  // namespace plugkit
