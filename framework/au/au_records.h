#pragma once

#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/AudioUnitProperties.h>

#include <cstdint>

namespace plugkit {

// One bus of either direction.
struct AUBusRecord {
  static constexpr int32_t kUnsetChannels = -1;

  bool connected = false;
  // What the host set through the stream format; kUnsetChannels until then.
  int32_t hostChannels = kUnsetChannels;
  // The largest channel count any channel configuration gives the bus.
  int32_t plugChannels = 0;
  // The bus's first channel among all channels of its direction.
  int32_t firstChannel = 0;
};

// How an input bus is fed.
enum EAUConnectionKind : int32_t {
  kNotConnected = 0,
  kDirectFastProc = 1,
  kDirectNoFastProc = 2,
  kRenderCallback = 3,
};

// One per input bus; all zero while nothing feeds the bus.
struct AUInputConnection {
  void* upstreamObject = nullptr;
  AudioUnit upstreamUnit = nullptr;
  uint32_t upstreamOutput = 0;
  AudioUnitRenderProc upstreamRenderProc = nullptr;
  AURenderCallbackStruct renderCallback{};
  int32_t kind = kNotConnected;
};

struct AUPropertyListener {
  AudioUnitPropertyID propID = 0;
  AudioUnitPropertyListenerProc listenerProc = nullptr;
  void* procArgs = nullptr;
};

struct AURenderNotify {
  AURenderCallback renderNotify = nullptr;
  void* userData = nullptr;
};

}  // namespace plugkit
