#pragma once

#include <cstdint>

namespace plugkit {

// One short MIDI message and the sample offset in its block at which it
// applies. Eight bytes, so queues carry it by value.
struct IMidiMsg {
  int32_t mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}
};
static_assert(sizeof(IMidiMsg) == 8);

// A view of a system-exclusive message: its sample offset and its bytes,
// which belong to whoever built the view.
struct ISysExMsg {
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;

  ISysExMsg() = default;
  ISysExMsg(int32_t offset, const uint8_t* data, int32_t size) : mOffset(offset), mSize(size), mData(data) {}
};

}  // namespace plugkit
