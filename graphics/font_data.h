#pragma once

#include "common/heap_buf.h"
#include "graphics/font_face_info.h"

namespace plugkit::graphics {

// A font file's bytes in a copy of its own, with the face chosen in them and
// that face's information. A copy that cannot be made leaves no bytes and an
// invalid record. Handed around by owning pointer; any thread.
class FontData : public FontFaceInfo {
public:
  static constexpr int kNoFace = -1;

  FontData(const void* data, int size, int faceIdx);
  FontData(const FontData&) = delete;
  FontData& operator=(const FontData&) = delete;

  const unsigned char* GetBytes() const { return static_cast<const unsigned char*>(mBytes.Get()); }
  int GetSize() const { return mBytes.GetSize(); }
  // kNoFace when no face of the file matched what was asked for.
  int GetFaceIdx() const { return mFaceIdx; }

private:
  HeapBuf mBytes{HeapBuf::kLargeGranularity};
  int mFaceIdx;
};

}  // namespace plugkit::graphics
