#pragma once

#include <cstdint>

#include "common/str_buf.h"

namespace plugkit::graphics {

// One face of an sfnt font file (a single font or a collection): where its
// head, name, hhea and fdsc tables lie, its family and style names and its
// vertical metrics. The bytes are read only while the record is constructed,
// every read checked against their size: a face, table directory, head or
// hhea field outside them leaves the record invalid, and a name record or
// string outside them reads as an empty name. A plain record; any thread.
class FontFaceInfo {
public:
  FontFaceInfo(const void* data, int size, int faceIdx);

  // The bytes begin as a collection of fonts ("ttcf") rather than a single font.
  static bool IsCollection(const void* data, int size);

  // The bytes were present and the face has head, name and hhea tables.
  bool IsValid() const;

  // Table offsets from the start of the file; 0 when the table is absent.
  uint32_t GetHeadLocation() const { return mHeadLocation; }
  uint32_t GetNameLocation() const { return mNameLocation; }
  uint32_t GetHheaLocation() const { return mHheaLocation; }
  uint32_t GetFdscLocation() const { return mFdscLocation; }

  const StrBuf& GetFamily() const { return mFamily; }
  const StrBuf& GetStyle() const { return mStyle; }
  uint16_t GetMacStyle() const { return mMacStyle; }
  uint16_t GetUnitsPerEM() const { return mUnitsPerEM; }
  int16_t GetAscender() const { return mAscender; }
  int16_t GetDescender() const { return mDescender; }
  int16_t GetLineGap() const { return mLineGap; }

protected:
  // Points the record at another copy of the same bytes (or at none).
  void RepointBytes(const unsigned char* data) { mData = data; }

private:
  void Read(int size, int faceIdx);

  const unsigned char* mData;  // not owned; read only by the constructor
  uint32_t mHeadLocation = 0;
  uint32_t mNameLocation = 0;
  uint32_t mHheaLocation = 0;
  uint32_t mFdscLocation = 0;
  StrBuf mFamily;
  StrBuf mStyle;
  uint16_t mMacStyle = 0;
  uint16_t mUnitsPerEM = 0;
  int16_t mAscender = 0;
  int16_t mDescender = 0;
  int16_t mLineGap = 0;
};

}  // namespace plugkit::graphics
