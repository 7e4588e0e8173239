#include "framework/au/plugin_au.h"

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>

#include "framework/api_and_host_codes.h"

namespace plugkit {

namespace {

constexpr int kVersionParts = 3;
constexpr uint32_t kMajorMask = 0xFFFF;
constexpr uint32_t kMinorMask = 0xFF;
constexpr uint32_t kPatchMask = 0xFF;
constexpr int kMajorShift = 16;
constexpr int kMinorShift = 8;

// Reads the decimal digits at `text`, moving past them; saturates rather than wraps.
uint64_t ReadDecimal(const char*& text) {
  constexpr uint64_t kCeiling = std::numeric_limits<uint32_t>::max();
  uint64_t value = 0;
  while (*text >= '0' && *text <= '9') {
    value = std::min(value * 10 + static_cast<uint64_t>(*text - '0'), kCeiling);
    ++text;
  }
  return value;
}

// "a.b.c" (any one-character separators, missing parts 0) packed as the
// host-version word: a in the upper 16 bits, then b and c in a byte each.
uint32_t PackBundleVersion(const char* text) {
  uint64_t parts[kVersionParts] = {};
  for (int i = 0; i < kVersionParts && text; ++i) {
    parts[i] = ReadDecimal(text);
    if (*text == '\0') break;
    ++text;  // the separator
  }
  return static_cast<uint32_t>(((parts[0] & kMajorMask) << kMajorShift) | ((parts[1] & kMinorMask) << kMinorShift) |
                               (parts[2] & kPatchMask));
}

// The UTF-8 form of a CF string; empty for null or a value of another type.
void CopyUTF8(CFTypeRef value, StrBuf& out) {
  out.Set("");
  if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return;
  const auto string = static_cast<CFStringRef>(value);
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  if (size <= 0) return;
  std::string buffer(static_cast<size_t>(size), '\0');
  if (CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) out.Set(buffer.c_str());
}

constexpr OSStatus kSuccess = noErr;
constexpr OSStatus kInvalidProperty = kAudioUnitErr_InvalidProperty;

bool IsGlobal(AudioUnitScope scope) { return scope == kAudioUnitScope_Global; }

}  // namespace

IPluginAU::IPluginAU(const InstanceInfo& info, const PluginConfig& config)
    : IPluginAPIBase(config, kAPIAU), IPluginProcessor(config, kAPIAU) {
  mViewClassName.Set(info.mCocoaViewFactoryClassName ? info.mCocoaViewFactoryClassName : "");

  int nInputBuses = MaxNBuses(kInput);
  // A configuration without input channels gets no input bus.
  if (nInputBuses == 1 && MaxNChannelsForBus(kInput, 0) == 0) nInputBuses = 0;
  for (int i = 0; i < nInputBuses; ++i) mInputConnections.Add(new AUInputConnection);
  CreateBuses(kInput, nInputBuses);
  CreateBuses(kOutput, MaxNBuses(kOutput));

  AssessInputConnections();
  SetBlockSize(kDefaultBlockSize);
  ResizeScratchBuffers();
  InitLatencyDelay();
  StartIdleTimer();
}

IPluginAU::~IPluginAU() {
  mInputConnections.Empty(true);
  mInputBuses.Empty(true);
  mOutputBuses.Empty(true);
  mPropertyListeners.Empty(true);
  mRenderNotify.Empty(true);
}

void IPluginAU::CreateBuses(ERoute direction, int count) {
  int firstChannel = 0;
  for (int i = 0; i < count; ++i) {
    auto* bus = new AUBusRecord;
    bus->plugChannels = std::abs(MaxNChannelsForBus(direction, i));
    bus->firstChannel = firstChannel;
    firstChannel += bus->plugChannels;
    Buses(direction).Add(bus);
  }
}

void IPluginAU::ResizeScratchBuffers() {
  for (auto [direction, scratch] : {std::pair{kInput, &mInputScratch}, std::pair{kOutput, &mOutputScratch}}) {
    scratch->Resize(MaxNChannels(direction) * GetBlockSize());
    std::fill_n(scratch->Get(), scratch->GetSize(), 0.0f);
  }
}

// Lifecycle -----------------------------------------------------------------------

OSStatus IPluginAU::Initialize() {
  if (GetHost() == kHostUninit) IdentifyHostFromMainBundle();

  const int nIn = HostChannelSum(kInput);
  const int nOut = HostChannelSum(kOutput);
  const bool legal = NBuses(kOutput) > 0 ? (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut) : LegalIO(nIn, -1);
  if (!legal) return badComponentSelector;

  mIsActive = true;
  OnAllParamsReset(kReset);
  SetActive(true);
  return noErr;
}

OSStatus IPluginAU::Uninitialize() {
  mIsActive = false;
  SetActive(false);
  return noErr;
}

OSStatus IPluginAU::Reset(AudioUnitScope, AudioUnitElement) {
  OnProcessorReset();
  return noErr;
}

void IPluginAU::IdentifyHostFromMainBundle() {
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  if (!mainBundle) {
    IdentifyHost("", 0);
    return;
  }
  StrBuf identifier;
  CopyUTF8(CFBundleGetIdentifier(mainBundle), identifier);
  StrBuf version;
  CopyUTF8(CFBundleGetValueForInfoDictionaryKey(mainBundle, CFSTR("CFBundleVersion")), version);
  IdentifyHost(identifier.Get(), PackBundleVersion(version.Get()));
}

int IPluginAU::HostChannelSum(ERoute direction) const {
  int sum = -1;
  for (int i = 0; i < NBuses(direction); ++i) {
    const AUBusRecord* bus = GetBus(direction, i);
    if (bus->hostChannels >= 0) sum = std::max(sum, 0) + bus->hostChannels;
  }
  return sum;
}

// Parameters ----------------------------------------------------------------------

OSStatus IPluginAU::GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                                 AudioUnitParameterValue* outValue) {
  if (!IsGlobal(scope) || !outValue || id >= static_cast<UInt32>(NParams())) return kInvalidProperty;
  *outValue = static_cast<AudioUnitParameterValue>(GetParam(static_cast<int>(id))->Value());
  return noErr;
}

OSStatus IPluginAU::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                                 AudioUnitParameterValue value, UInt32 bufferOffset) {
  if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
  return ApplyParameterFromHost(id, value, bufferOffset) ? kSuccess : kInvalidProperty;
}

OSStatus IPluginAU::ScheduleParameters(const AudioUnitParameterEvent* events, UInt32 count) {
  if (!events) return count == 0 ? kSuccess : kInvalidProperty;
  for (UInt32 i = 0; i < count; ++i) {
    const AudioUnitParameterEvent& event = events[i];
    if (event.eventType != kParameterEvent_Immediate) continue;
    if (!IsGlobal(event.scope)) return kAudioUnitErr_InvalidProperty;
    if (!ApplyParameterFromHost(event.parameter, event.eventValues.immediate.value,
                                event.eventValues.immediate.bufferOffset))
      return kAudioUnitErr_InvalidProperty;
  }
  return noErr;
}

bool IPluginAU::ApplyParameterFromHost(AudioUnitParameterID id, AudioUnitParameterValue value, UInt32 bufferOffset) {
  if (id >= static_cast<UInt32>(NParams())) return false;
  const double hostValue = value;
  // A value that is not a number would poison the parameter and everything downstream.
  if (!std::isfinite(hostValue)) return true;
  const int paramIdx = static_cast<int>(id);
  IParam* param = GetParam(paramIdx);
  param->Set(param->Constrain(hostValue));
  QueueParamValueForEditor(paramIdx, hostValue, false);
  OnParamValueChanged(paramIdx, kHost, static_cast<int>(bufferOffset));
  return true;
}

// Listeners and notifications ----------------------------------------------------

OSStatus IPluginAU::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const AUPropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->propID == id && listener->listenerProc == proc) return noErr;
  }
  auto* listener = new (std::nothrow) AUPropertyListener{id, proc, userData};
  if (listener && !mPropertyListeners.Add(listener)) delete listener;
  return noErr;
}

OSStatus IPluginAU::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const AUPropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->propID == id && listener->listenerProc == proc) {
      mPropertyListeners.Delete(i, true);
      break;
    }
  }
  return noErr;
}

OSStatus IPluginAU::RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                                       void* userData) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const AUPropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->propID == id && listener->listenerProc == proc && listener->procArgs == userData) {
      mPropertyListeners.Delete(i, true);
      break;
    }
  }
  return noErr;
}

OSStatus IPluginAU::AddRenderNotify(AURenderCallback proc, void* refCon) {
  auto* notify = new (std::nothrow) AURenderNotify{proc, refCon};
  if (notify && !mRenderNotify.Add(notify)) delete notify;
  return noErr;
}

OSStatus IPluginAU::RemoveRenderNotify(AURenderCallback proc, void*) {
  for (int i = 0; i < mRenderNotify.GetSize(); ++i) {
    if (mRenderNotify.Get(i)->renderNotify == proc) {
      mRenderNotify.Delete(i, true);
      break;
    }
  }
  return noErr;
}

// MIDI ----------------------------------------------------------------------------

OSStatus IPluginAU::MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame) {
  if (!DoesMIDIIn()) return badComponentSelector;
  const IMidiMsg msg(static_cast<int32_t>(offsetSampleFrame), static_cast<uint8_t>(status),
                     static_cast<uint8_t>(data1), static_cast<uint8_t>(data2));
  HandleMidiInput(msg);
  // Full queue: the editor misses this one message, nothing else does.
  mMidiMsgsFromProcessor.Push(msg);
  return noErr;
}

OSStatus IPluginAU::SysEx(const UInt8* data, UInt32 length) {
  if (!DoesMIDIIn()) return badComponentSelector;
  if ((!data && length > 0) || length > static_cast<UInt32>(std::numeric_limits<int32_t>::max()))
    return kAudioUnitErr_InvalidParameter;
  HandleSysExInput(ISysExMsg(0, data, static_cast<int32_t>(length)));
  return noErr;
}

// Connections ---------------------------------------------------------------------

void IPluginAU::ClearConnections() {
  for (int i = 0; i < mInputConnections.GetSize(); ++i) *mInputConnections.Get(i) = AUInputConnection{};
  for (ERoute direction : {kInput, kOutput}) {
    for (int i = 0; i < NBuses(direction); ++i) {
      AUBusRecord* bus = Buses(direction).Get(i);
      bus->connected = false;
      bus->hostChannels = AUBusRecord::kUnsetChannels;
    }
  }
}

void IPluginAU::AssessInputConnections() {
  SetChannelConnections(kInput, 0, MaxNChannels(kInput), false);
  for (int i = 0; i < NBuses(kInput); ++i) {
    AUInputConnection* connection = mInputConnections.Get(i);
    AUBusRecord* bus = mInputBuses.Get(i);
    if (connection->upstreamRenderProc && connection->upstreamObject) {
      connection->kind = kDirectFastProc;
    } else if (connection->upstreamUnit) {
      connection->kind = kDirectNoFastProc;
    } else if (connection->renderCallback.inputProc) {
      connection->kind = kRenderCallback;
    } else {
      connection->kind = kNotConnected;
    }
    if (connection->kind == kNotConnected) {
      bus->connected = false;
      continue;
    }
    bus->connected = true;
    if (bus->hostChannels == AUBusRecord::kUnsetChannels) bus->hostChannels = bus->plugChannels;
    SetChannelConnections(kInput, bus->firstChannel, bus->hostChannels, true);
    SetChannelConnections(kInput, bus->firstChannel + bus->hostChannels,
                          std::max(0, bus->plugChannels - bus->hostChannels), false);
  }
}

const char* IPluginAU::ConnectionKindName(int kind) {
  switch (kind) {
    case kDirectFastProc: return "DirectFastProc";
    case kDirectNoFastProc: return "DirectNoFastProc";
    case kRenderCallback: return "RenderCallback";
    default: return "NotConnected";
  }
}

}  // namespace plugkit
