// The AudioUnit properties of IPluginAU: the read path behind GetPropertyInfo
// and GetProperty, the writes, the listeners that hear of every write, and
// the class-info state dictionary.

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/str_buf.h"
#include "framework/au/cf_text.h"
#include "framework/au/channel_layout_tags.h"
#include "framework/au/class_info.h"
#include "framework/au/factory_presets.h"
#include "framework/au/parameter_info.h"
#include "framework/au/plugin_au.h"
#include "framework/au/stream_format.h"
#include "framework/au/view_factory.h"

namespace plugkit {
namespace {

constexpr OSStatus kInvalidProperty = kAudioUnitErr_InvalidProperty;
constexpr OSStatus kInvalidElement = kAudioUnitErr_InvalidElement;
constexpr OSStatus kInvalidValue = kAudioUnitErr_InvalidPropertyValue;
constexpr OSStatus kCoreFoundationUnknownErr = -4960;

constexpr UInt32 kMaxFramesPerSlice = 65536;
constexpr double kInfiniteSeconds = std::numeric_limits<double>::infinity();
// The shortest host-callback record a host may pass: its user-data word.
constexpr UInt32 kMinHostCallbacksSize = sizeof(void*);
constexpr const char* kMidiOutputName = "midiOut";
// The longest name a host may ask for short of the full name.
constexpr SInt32 kMaxShortNameLength = IParam::kMaxNameLength - 1;

bool IsGlobal(AudioUnitScope scope) { return scope == kAudioUnitScope_Global; }

// Where a read answers: the size it reports, the writable flag and, when the
// caller passed a buffer, the bytes. A buffer whose given size is too small
// receives nothing.
class PropertyReply {
public:
  PropertyReply(void* data, const UInt32* capacity, UInt32& size, Boolean& writable)
      : mData(data), mCapacity(capacity), mSize(size), mWritable(writable) {}

  bool HasData() const { return mData != nullptr; }
  template <class T>
  T* Data() const {
    return static_cast<T*>(mData);
  }

  // Reports size and flag without writing anything.
  OSStatus Describe(UInt32 size, bool writable = false) {
    mSize = size;
    mWritable = writable;
    return noErr;
  }

  // Reports size and flag; true when the caller's buffer should be written
  // now, else Status() says why not (no buffer, or one too small).
  bool Begin(UInt32 size, bool writable = false) {
    Describe(size, writable);
    mStatus = noErr;
    if (!HasData()) return false;
    if (mCapacity != nullptr && *mCapacity < size) {
      mStatus = kInvalidValue;
      return false;
    }
    return true;
  }
  OSStatus Status() const { return mStatus; }

  template <class T>
  OSStatus Answer(const T& value, bool writable = false) {
    if (!Begin(sizeof(T), writable)) return Status();
    std::memcpy(mData, &value, sizeof(T));
    return noErr;
  }
  template <class T>
  OSStatus AnswerArray(const std::vector<T>& values, bool writable = false) {
    if (!Begin(static_cast<UInt32>(values.size() * sizeof(T)), writable)) return Status();
    if (!values.empty()) std::memcpy(mData, values.data(), values.size() * sizeof(T));
    return noErr;
  }

private:
  void* mData;
  const UInt32* mCapacity;
  UInt32& mSize;
  Boolean& mWritable;
  OSStatus mStatus = noErr;
};

CFArrayRef CreateStringArray(const std::vector<std::string>& texts) {
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, static_cast<CFIndex>(texts.size()),
                                                 &kCFTypeArrayCallBacks);
  if (array == nullptr) return nullptr;
  for (const std::string& text : texts) {
    CFStringRef string = CreateCFString(text.c_str());
    if (string == nullptr) continue;
    CFArrayAppendValue(array, string);
    CFRelease(string);
  }
  return array;
}

// At most count UTF-8 characters of text.
std::string FirstCharacters(const char* text, SInt32 count) {
  std::string kept;
  for (const char* cursor = text; *cursor != '\0'; ++cursor) {
    const bool startsCharacter = (static_cast<unsigned char>(*cursor) & 0xC0) != 0x80;
    if (startsCharacter && count-- <= 0) break;
    kept.push_back(*cursor);
  }
  return kept;
}

}  // namespace

// The handlers behind each property id, with the wrapper's fields at hand.
struct AUPropertyHandlers {
  using Reply = PropertyReply;

  static OSStatus Read(IPluginAU& plugin, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                       Reply& reply);
  static OSStatus Write(IPluginAU& plugin, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                        const void* data, UInt32 size);

  // Reads.
  static OSStatus ReadClassInfo(IPluginAU& plugin, Reply& reply);
  static OSStatus ReadParameterList(IPluginAU& plugin, AudioUnitScope scope, Reply& reply);
  static OSStatus ReadParameterInfo(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element, Reply& reply);
  static OSStatus ReadStreamFormat(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element, Reply& reply);
  static OSStatus ReadElementCount(IPluginAU& plugin, AudioUnitScope scope, Reply& reply);
  static OSStatus ReadSeconds(IPluginAU& plugin, AudioUnitScope scope, double samples, Reply& reply);
  static OSStatus ReadValueStrings(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element, Reply& reply);
  static OSStatus ReadRenderCallback(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element, Reply& reply);
  static OSStatus ReadFactoryPresets(IPluginAU& plugin, Reply& reply);
  static OSStatus ReadCurrentPreset(IPluginAU& plugin, Reply& reply);
  static OSStatus ReadElementName(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element, Reply& reply);
  static OSStatus ReadCocoaUI(IPluginAU& plugin, Reply& reply);
  static OSStatus ReadLayoutTags(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element, Reply& reply);
  static OSStatus ReadStringFromValue(IPluginAU& plugin, AudioUnitScope scope, Reply& reply);
  static OSStatus ReadParameterName(IPluginAU& plugin, AudioUnitScope scope, Reply& reply);
  static OSStatus ReadClumpName(IPluginAU& plugin, AudioUnitScope scope, Reply& reply);
  static OSStatus ReadValueFromString(IPluginAU& plugin, AudioUnitScope scope, Reply& reply);
  static OSStatus ReadMidiOutputInfo(Reply& reply);

  // Writes, each after its size was checked.
  static OSStatus WriteSampleRate(IPluginAU& plugin, Float64 rate);
  static OSStatus WriteStreamFormat(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                    const AudioStreamBasicDescription& format);
  static OSStatus WriteConnection(IPluginAU& plugin, AudioUnitScope scope, const AudioUnitConnection& connection);
  static OSStatus WriteRenderCallback(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                      const AURenderCallbackStruct& callback);
  static OSStatus WriteMaxFrames(IPluginAU& plugin, UInt32 frames);
  static OSStatus WriteBypass(IPluginAU& plugin, UInt32 value);
  static OSStatus WriteContextName(IPluginAU& plugin, CFStringRef name);
  static OSStatus WriteHostCallbacks(IPluginAU& plugin, AudioUnitScope scope, const void* data, UInt32 size);
  static OSStatus WriteHostIdentifier(IPluginAU& plugin, const AUHostVersionIdentifier& identifier);

  // The bus record a stream-format property addresses; the global scope
  // stands for the output buses.
  static AUBusRecord* StreamBus(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element);
  static bool IsParamID(const IPluginAU& plugin, AudioUnitParameterID id) {
    return id < static_cast<AudioUnitParameterID>(plugin.NParams());
  }
};

// Read path -------------------------------------------------------------------------

OSStatus AUPropertyHandlers::Read(IPluginAU& plugin, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, Reply& reply) {
  switch (id) {
    case kAudioUnitProperty_ClassInfo:
      return ReadClassInfo(plugin, reply);
    case kAudioUnitProperty_MakeConnection:
      if (!IsGlobal(scope) && scope != kAudioUnitScope_Input) return kInvalidProperty;
      return reply.Describe(sizeof(AudioUnitConnection), true);
    case kAudioUnitProperty_SampleRate:
      return reply.Answer(Float64{plugin.GetSampleRate()}, true);
    case kAudioUnitProperty_ParameterList:
      return ReadParameterList(plugin, scope, reply);
    case kAudioUnitProperty_ParameterInfo:
      return ReadParameterInfo(plugin, scope, element, reply);
    case kAudioUnitProperty_FastDispatch:
      return kInvalidElement;
    case kAudioUnitProperty_StreamFormat:
      return ReadStreamFormat(plugin, scope, element, reply);
    case kAudioUnitProperty_ElementCount:
      return ReadElementCount(plugin, scope, reply);
    case kAudioUnitProperty_Latency:
      return ReadSeconds(plugin, scope, plugin.GetLatency(), reply);
    case kAudioUnitProperty_SupportedNumChannels:
      if (!IsGlobal(scope)) return kInvalidProperty;
      return reply.AnswerArray(SupportedChannelCounts(plugin));
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!IsGlobal(scope)) return kInvalidProperty;
      return reply.Answer(static_cast<UInt32>(plugin.GetBlockSize()), true);
    case kAudioUnitProperty_ParameterValueStrings:
      return ReadValueStrings(plugin, scope, element, reply);
    case kAudioUnitProperty_AudioChannelLayout:
      return kInvalidValue;
    case kAudioUnitProperty_TailTime:
      return ReadSeconds(plugin, scope, plugin.GetTailIsInfinite() ? kInfiniteSeconds : plugin.GetTailSize(), reply);
    case kAudioUnitProperty_BypassEffect:
      if (!IsGlobal(scope)) return kInvalidProperty;
      return reply.Answer(UInt32{plugin.GetBypassed() ? 1u : 0u}, true);
    case kAudioUnitProperty_LastRenderError:
      if (!IsGlobal(scope)) return kInvalidProperty;
      return reply.Answer(OSStatus{noErr});
    case kAudioUnitProperty_SetRenderCallback:
      return ReadRenderCallback(plugin, scope, element, reply);
    case kAudioUnitProperty_FactoryPresets:
      return ReadFactoryPresets(plugin, reply);
    case kAudioUnitProperty_HostCallbacks:
      if (!IsGlobal(scope)) return kInvalidProperty;
      return reply.Describe(sizeof(HostCallbackInfo), true);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      return ReadCurrentPreset(plugin, reply);
    case kAudioUnitProperty_ElementName:
      return ReadElementName(plugin, scope, element, reply);
    case kAudioUnitProperty_CocoaUI:
      return ReadCocoaUI(plugin, reply);
    case kAudioUnitProperty_SupportedChannelLayoutTags:
      return ReadLayoutTags(plugin, scope, element, reply);
    case kAudioUnitProperty_ParameterStringFromValue:
      return ReadStringFromValue(plugin, scope, reply);
    case kAudioUnitProperty_ParameterIDName:
      return ReadParameterName(plugin, scope, reply);
    case kAudioUnitProperty_ParameterClumpName:
      return ReadClumpName(plugin, scope, reply);
    case kAudioUnitProperty_ParameterValueFromString:
      return ReadValueFromString(plugin, scope, reply);
    case kAudioUnitProperty_MIDIOutputCallbackInfo:
      return ReadMidiOutputInfo(reply);
    case kAudioUnitProperty_MIDIOutputCallback:
      reply.Describe(sizeof(AUMIDIOutputCallbackStruct), true);
      return reply.HasData() ? kInvalidProperty : noErr;
    case kAudioUnitProperty_SupportsMPE:
      return reply.Answer(UInt32{plugin.DoesMPE() ? 1u : 0u});
    case kMusicDeviceProperty_InstrumentCount:
      if (!IsGlobal(scope) || plugin.GetPlugType() != kInstrument) return kInvalidProperty;
      return reply.Answer(UInt32{1});
    case kAUPluginObjectProperty:
      return reply.Answer(static_cast<void*>(&plugin));
    default:
      return kInvalidProperty;
  }
}

OSStatus AUPropertyHandlers::ReadClassInfo(IPluginAU& plugin, Reply& reply) {
  if (!reply.Begin(sizeof(CFPropertyListRef), reply.HasData())) return reply.Status();
  return plugin.GetClassInfo(reply.Data<CFPropertyListRef>());
}

OSStatus AUPropertyHandlers::ReadParameterList(IPluginAU& plugin, AudioUnitScope scope, Reply& reply) {
  if (!IsGlobal(scope)) return reply.Describe(0);
  std::vector<AudioUnitParameterID> ids(static_cast<size_t>(plugin.NParams()));
  for (size_t idx = 0; idx < ids.size(); ++idx) ids[idx] = static_cast<AudioUnitParameterID>(idx);
  return reply.AnswerArray(ids);
}

OSStatus AUPropertyHandlers::ReadParameterInfo(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                               Reply& reply) {
  if (!IsGlobal(scope)) return kInvalidProperty;
  if (!IsParamID(plugin, element)) return kInvalidElement;
  if (!reply.Begin(sizeof(AudioUnitParameterInfo))) return reply.Status();
  FillParameterInfo(plugin, static_cast<int>(element), *reply.Data<AudioUnitParameterInfo>());
  return noErr;
}

AUBusRecord* AUPropertyHandlers::StreamBus(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element) {
  if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
    return nullptr;
  const ERoute direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  if (element >= static_cast<AudioUnitElement>(plugin.NBuses(direction))) return nullptr;
  return plugin.Buses(direction).Get(static_cast<int>(element));
}

OSStatus AUPropertyHandlers::ReadStreamFormat(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                              Reply& reply) {
  if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
    return kInvalidProperty;
  const AUBusRecord* bus = StreamBus(plugin, scope, element);
  if (bus == nullptr) return kInvalidElement;
  const int nChans = bus->hostChannels >= 0 ? bus->hostChannels : bus->plugChannels;
  return reply.Answer(CanonicalStreamFormat(plugin.GetSampleRate(), nChans), true);
}

OSStatus AUPropertyHandlers::ReadElementCount(IPluginAU& plugin, AudioUnitScope scope, Reply& reply) {
  UInt32 count = 0;
  if (scope == kAudioUnitScope_Global) count = 1;
  if (scope == kAudioUnitScope_Input) count = static_cast<UInt32>(plugin.NBuses(kInput));
  if (scope == kAudioUnitScope_Output) count = static_cast<UInt32>(plugin.NBuses(kOutput));
  return reply.Answer(count);
}

OSStatus AUPropertyHandlers::ReadSeconds(IPluginAU& plugin, AudioUnitScope scope, double samples, Reply& reply) {
  if (!IsGlobal(scope)) return kInvalidProperty;
  return reply.Answer(Float64{samples / plugin.GetSampleRate()});
}

OSStatus AUPropertyHandlers::ReadValueStrings(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                              Reply& reply) {
  if (!IsGlobal(scope)) return kInvalidProperty;
  if (!IsParamID(plugin, element)) return kInvalidElement;
  const IParam& param = *plugin.GetParam(static_cast<int>(element));
  if (param.DisplayTextCount() == 0) {
    reply.Describe(0);
    return kInvalidProperty;
  }
  if (!reply.Begin(sizeof(CFArrayRef))) return reply.Status();
  std::vector<std::string> texts;
  for (int value = 0; value < param.DisplayTextCount(); ++value) texts.emplace_back(param.DisplayTextForValue(value));
  *reply.Data<CFArrayRef>() = CreateStringArray(texts);
  return noErr;
}

OSStatus AUPropertyHandlers::ReadRenderCallback(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                                Reply& reply) {
  if (!IsGlobal(scope) && scope != kAudioUnitScope_Input) return kInvalidProperty;
  if (element >= static_cast<AudioUnitElement>(plugin.mInputConnections.GetSize())) return kInvalidElement;
  return reply.Describe(sizeof(AURenderCallbackStruct), true);
}

OSStatus AUPropertyHandlers::ReadFactoryPresets(IPluginAU& plugin, Reply& reply) {
  if (!reply.Begin(sizeof(CFArrayRef))) return reply.Status();
  CFArrayRef presets = CreateFactoryPresetArray(plugin);
  if (presets == nullptr) return kCoreFoundationUnknownErr;
  *reply.Data<CFArrayRef>() = presets;
  return noErr;
}

OSStatus AUPropertyHandlers::ReadCurrentPreset(IPluginAU& plugin, Reply& reply) {
  if (!reply.Begin(sizeof(AUPreset), true)) return reply.Status();
  const int presetIdx = plugin.GetCurrentPresetIdx();
  *reply.Data<AUPreset>() = AUPreset{presetIdx, CreateCFString(plugin.GetPresetName(presetIdx))};
  return noErr;
}

OSStatus AUPropertyHandlers::ReadElementName(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                             Reply& reply) {
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output) return kAudioUnitErr_InvalidScope;
  const ERoute direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  const int nBuses = plugin.NBuses(direction);
  if (element >= static_cast<AudioUnitElement>(nBuses)) return kInvalidElement;
  if (!reply.HasData()) {
    reply.Describe(sizeof(CFStringRef));
    return kInvalidProperty;
  }
  if (!reply.Begin(sizeof(CFStringRef))) return reply.Status();
  StrBuf name;
  plugin.GetBusName(direction, static_cast<int>(element), nBuses, name);
  *reply.Data<CFStringRef>() = CreateCFString(name.Get());
  return noErr;
}

OSStatus AUPropertyHandlers::ReadCocoaUI(IPluginAU& plugin, Reply& reply) {
  if (!plugin.HasUI()) return kInvalidProperty;
  CFStringRef bundleID = CreateCFString(plugin.GetBundleID());
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID);
  if (bundleID != nullptr) CFRelease(bundleID);
  // A host must never be handed a view location that leads nowhere.
  if (bundle == nullptr) return kInvalidProperty;
  if (!reply.Begin(sizeof(AudioUnitCocoaViewInfo))) return reply.Status();
  CFURLRef location = CFBundleCopyBundleURL(bundle);
  if (location == nullptr) return kInvalidProperty;
  *reply.Data<AudioUnitCocoaViewInfo>() = AudioUnitCocoaViewInfo{location, {CreateCFString(plugin.GetViewClassName())}};
  return noErr;
}

OSStatus AUPropertyHandlers::ReadLayoutTags(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                            Reply& reply) {
  const bool isBusScope = scope == kAudioUnitScope_Input || scope == kAudioUnitScope_Output;
  if (reply.HasData() && !isBusScope) return kInvalidProperty;
  std::vector<AudioChannelLayoutTag> tags;
  if (isBusScope) {
    tags = SupportedLayoutTags(plugin, scope == kAudioUnitScope_Input ? kInput : kOutput, static_cast<int>(element));
  }
  return reply.AnswerArray(tags, !tags.empty());
}

// The four parameter-text requests answer in every scope, but only the global
// scope reads the request and fills in the answer.
OSStatus AUPropertyHandlers::ReadStringFromValue(IPluginAU& plugin, AudioUnitScope scope, Reply& reply) {
  if (!reply.Begin(sizeof(AudioUnitParameterStringFromValue)) || !IsGlobal(scope)) return reply.Status();
  auto& request = *reply.Data<AudioUnitParameterStringFromValue>();
  if (!IsParamID(plugin, request.inParamID)) return kInvalidElement;
  const IParam& param = *plugin.GetParam(static_cast<int>(request.inParamID));
  const double value = request.inValue != nullptr ? *request.inValue : param.Value();
  StrBuf text;
  param.FormatValue(value, false, text, true);
  request.outString = CreateCFString(text.Get());
  return noErr;
}

OSStatus AUPropertyHandlers::ReadParameterName(IPluginAU& plugin, AudioUnitScope scope, Reply& reply) {
  if (!reply.Begin(sizeof(AudioUnitParameterIDName)) || !IsGlobal(scope)) return reply.Status();
  auto& request = *reply.Data<AudioUnitParameterIDName>();
  if (!IsParamID(plugin, request.inID)) return kInvalidElement;
  const char* name = plugin.GetParam(static_cast<int>(request.inID))->Name();
  if (request.inDesiredLength == kAudioUnitParameterName_Full) {
    request.outName = CreateCFString(name);
  } else {
    const SInt32 length = std::clamp(request.inDesiredLength, SInt32{0}, kMaxShortNameLength);
    request.outName = CreateCFString(FirstCharacters(name, length).c_str());
  }
  return noErr;
}

OSStatus AUPropertyHandlers::ReadClumpName(IPluginAU& plugin, AudioUnitScope scope, Reply& reply) {
  if (!reply.Begin(sizeof(AudioUnitParameterNameInfo)) || !IsGlobal(scope)) return reply.Status();
  auto& request = *reply.Data<AudioUnitParameterNameInfo>();
  if (request.inID < 1 || request.inID > static_cast<AudioUnitParameterID>(plugin.NParamGroups()))
    return kAudioUnitErr_PropertyNotInUse;
  request.outName = CreateCFString(plugin.GetParamGroupName(static_cast<int>(request.inID) - 1));
  return noErr;
}

OSStatus AUPropertyHandlers::ReadValueFromString(IPluginAU& plugin, AudioUnitScope scope, Reply& reply) {
  if (!reply.Begin(sizeof(AudioUnitParameterValueFromString)) || !IsGlobal(scope)) return reply.Status();
  auto& request = *reply.Data<AudioUnitParameterValueFromString>();
  if (!IsParamID(plugin, request.inParamID)) return kInvalidElement;
  std::string text;
  if (!CopyCFStringText(request.inString, text)) return kInvalidProperty;
  const IParam& param = *plugin.GetParam(static_cast<int>(request.inParamID));
  request.outValue = static_cast<AudioUnitParameterValue>(param.ParseValue(text.c_str()));
  return noErr;
}

OSStatus AUPropertyHandlers::ReadMidiOutputInfo(Reply& reply) {
  if (!reply.Begin(sizeof(CFArrayRef))) return reply.Status();
  *reply.Data<CFArrayRef>() = CreateStringArray({kMidiOutputName});
  return noErr;
}

// Writes ----------------------------------------------------------------------------

namespace {

// The host's structure of type T, when it passed one whole.
template <class T>
const T* Record(const void* data, UInt32 size) {
  return data != nullptr && size >= sizeof(T) ? static_cast<const T*>(data) : nullptr;
}

}  // namespace

OSStatus AUPropertyHandlers::Write(IPluginAU& plugin, AudioUnitPropertyID id, AudioUnitScope scope,
                                   AudioUnitElement element, const void* data, UInt32 size) {
  switch (id) {
    case kAudioUnitProperty_ClassInfo: {
      const auto* info = Record<CFPropertyListRef>(data, size);
      return info ? plugin.SetClassInfo(*info) : kInvalidProperty;
    }
    case kAudioUnitProperty_MakeConnection: {
      const auto* connection = Record<AudioUnitConnection>(data, size);
      return connection ? WriteConnection(plugin, scope, *connection) : kInvalidProperty;
    }
    case kAudioUnitProperty_SampleRate: {
      const auto* rate = Record<Float64>(data, size);
      return rate ? WriteSampleRate(plugin, *rate) : kInvalidProperty;
    }
    case kAudioUnitProperty_StreamFormat: {
      const auto* format = Record<AudioStreamBasicDescription>(data, size);
      return format ? WriteStreamFormat(plugin, scope, element, *format) : kInvalidProperty;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      const auto* frames = Record<UInt32>(data, size);
      return frames ? WriteMaxFrames(plugin, *frames) : kInvalidProperty;
    }
    case kAudioUnitProperty_BypassEffect: {
      const auto* value = Record<UInt32>(data, size);
      return value ? WriteBypass(plugin, *value) : kInvalidProperty;
    }
    case kAudioUnitProperty_SetRenderCallback: {
      const auto* callback = Record<AURenderCallbackStruct>(data, size);
      return callback ? WriteRenderCallback(plugin, scope, element, *callback) : kInvalidProperty;
    }
    case kAudioUnitProperty_ContextName: {
      const auto* name = Record<CFStringRef>(data, size);
      return name ? WriteContextName(plugin, *name) : kInvalidProperty;
    }
    case kAudioUnitProperty_HostCallbacks:
      return WriteHostCallbacks(plugin, scope, data, size);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      const auto* preset = Record<AUPreset>(data, size);
      if (preset == nullptr) return kInvalidProperty;
      plugin.RecallPreset(preset->presetNumber);
      return noErr;
    }
    case kAudioUnitProperty_OfflineRender: {
      const auto* value = Record<UInt32>(data, size);
      if (value == nullptr) return kInvalidProperty;
      plugin.SetRenderingOffline(*value != 0);
      return noErr;
    }
    case kAudioUnitProperty_AUHostIdentifier: {
      const auto* identifier = Record<AUHostVersionIdentifier>(data, size);
      return identifier ? WriteHostIdentifier(plugin, *identifier) : kInvalidProperty;
    }
    case kAudioUnitProperty_MIDIOutputCallback: {
      const auto* callback = Record<AUMIDIOutputCallbackStruct>(data, size);
      if (callback == nullptr) return kInvalidProperty;
      plugin.mMidiOutputCallback = *callback;
      return noErr;
    }
    default:
      return kInvalidProperty;
  }
}

OSStatus AUPropertyHandlers::WriteSampleRate(IPluginAU& plugin, Float64 rate) {
  if (!IsUsableSampleRate(rate)) return kInvalidProperty;
  plugin.SetSampleRate(rate);
  plugin.OnProcessorReset();
  return noErr;
}

OSStatus AUPropertyHandlers::WriteStreamFormat(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                               const AudioStreamBasicDescription& format) {
  AUBusRecord* bus = StreamBus(plugin, scope, element);
  if (bus == nullptr || format.mChannelsPerFrame > static_cast<UInt32>(kMaxBusChannels)) return kInvalidProperty;
  const int nChans = static_cast<int>(format.mChannelsPerFrame);
  // 0 keeps the rate; anything else must be a usable rate.
  const bool rateAcceptable = format.mSampleRate == 0.0 || IsUsableSampleRate(format.mSampleRate);

  bus->hostChannels = 0;
  const bool accepted = IsRenderableStreamFormat(format) && rateAcceptable &&
                        plugin.CheckLegalIOForFormat(scope, element, nChans);
  bool rateChanged = false;
  if (accepted) {
    bus->hostChannels = nChans;
    rateChanged = format.mSampleRate > 0.0 && format.mSampleRate != plugin.GetSampleRate();
    if (rateChanged) plugin.SetSampleRate(format.mSampleRate);
  } else {
    bus->hostChannels = bus->plugChannels;
  }
  plugin.AssessInputConnections();
  if (rateChanged) plugin.OnProcessorReset();
  return accepted ? noErr : kInvalidProperty;
}

OSStatus AUPropertyHandlers::WriteConnection(IPluginAU& plugin, AudioUnitScope scope,
                                             const AudioUnitConnection& connection) {
  if (!IsGlobal(scope) && scope != kAudioUnitScope_Input) return kInvalidProperty;
  if (connection.destInputNumber >= static_cast<UInt32>(plugin.mInputConnections.GetSize())) return kInvalidProperty;
  AUInputConnection* record = plugin.mInputConnections.Get(static_cast<int>(connection.destInputNumber));
  *record = AUInputConnection{};
  OSStatus status = noErr;
  if (connection.sourceAudioUnit != nullptr) {
    AudioStreamBasicDescription format{};
    UInt32 formatSize = sizeof format;
    const bool formatTaken =
        AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                             connection.sourceOutputNumber, &format, &formatSize) == noErr &&
        plugin.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, connection.destInputNumber,
                           &format, sizeof format) == noErr;
    if (formatTaken) {
      record->upstreamUnit = connection.sourceAudioUnit;
      record->upstreamOutput = connection.sourceOutputNumber;
      AudioUnitRenderProc renderProc = nullptr;
      UInt32 procSize = sizeof renderProc;
      if (AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &renderProc, &procSize) == noErr) {
        record->upstreamRenderProc = renderProc;
        record->upstreamObject = reinterpret_cast<void*>(GetComponentInstanceStorage(connection.sourceAudioUnit));
      }
    } else {
      status = kInvalidProperty;
    }
  }
  plugin.AssessInputConnections();
  return status;
}

OSStatus AUPropertyHandlers::WriteRenderCallback(IPluginAU& plugin, AudioUnitScope scope, AudioUnitElement element,
                                                 const AURenderCallbackStruct& callback) {
  if (scope != kAudioUnitScope_Input || element >= static_cast<AudioUnitElement>(plugin.mInputConnections.GetSize()))
    return kInvalidProperty;
  AUInputConnection& record = *plugin.mInputConnections.Get(static_cast<int>(element));
  record = AUInputConnection{};
  if (callback.inputProc != nullptr) record.renderCallback = callback;
  plugin.AssessInputConnections();
  return noErr;
}

OSStatus AUPropertyHandlers::WriteMaxFrames(IPluginAU& plugin, UInt32 frames) {
  if (frames == 0 || frames > kMaxFramesPerSlice) return kInvalidProperty;
  plugin.SetBlockSize(static_cast<int>(frames));
  plugin.ResizeScratchBuffers();
  plugin.OnProcessorReset();
  return noErr;
}

OSStatus AUPropertyHandlers::WriteBypass(IPluginAU& plugin, UInt32 value) {
  plugin.SetBypassed(value != 0);
  plugin.SetActive(value == 0);
  plugin.OnProcessorReset();
  return noErr;
}

OSStatus AUPropertyHandlers::WriteContextName(IPluginAU& plugin, CFStringRef name) {
  std::string text;
  if (CopyCFStringText(name, text)) plugin.mContextName.Set(text.c_str());
  return noErr;
}

OSStatus AUPropertyHandlers::WriteHostCallbacks(IPluginAU& plugin, AudioUnitScope scope, const void* data,
                                                UInt32 size) {
  if (!IsGlobal(scope) || data == nullptr || size < kMinHostCallbacksSize) return kInvalidProperty;
  // Older hosts pass shorter records; what they leave out stays unset.
  HostCallbackInfo callbacks{};
  std::memcpy(&callbacks, data, std::min<size_t>(size, sizeof callbacks));
  plugin.mHostCallbacks = callbacks;
  return noErr;
}

OSStatus AUPropertyHandlers::WriteHostIdentifier(IPluginAU& plugin, const AUHostVersionIdentifier& identifier) {
  if (plugin.GetHost() != kHostUninit) return noErr;
  const AUNumVersion& version = identifier.hostVersion;
  const uint32_t versionWord = (static_cast<uint32_t>(version.majorRev) << 16) |
                               ((static_cast<uint32_t>(version.minorAndBugRev) & 0xF0) << 4) |
                               (static_cast<uint32_t>(version.minorAndBugRev) & 0x0F);
  std::string name;
  CopyCFStringText(identifier.hostName, name);
  plugin.IdentifyHost(name.c_str(), versionWord);
  return noErr;
}

// IPluginAU -------------------------------------------------------------------------

OSStatus IPluginAU::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    UInt32* outDataSize, Boolean* outWritable) {
  UInt32 size = 0;
  Boolean writable = false;
  PropertyReply reply(nullptr, nullptr, size, writable);
  const OSStatus status = AUPropertyHandlers::Read(*this, id, scope, element, reply);
  if (outDataSize != nullptr) *outDataSize = size;
  if (outWritable != nullptr) *outWritable = writable;
  return status;
}

OSStatus IPluginAU::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                void* outData, UInt32* ioDataSize) {
  UInt32 size = 0;
  Boolean writable = false;
  PropertyReply reply(outData, ioDataSize, size, writable);
  const OSStatus status = AUPropertyHandlers::Read(*this, id, scope, element, reply);
  if (status == noErr && ioDataSize != nullptr) *ioDataSize = size;
  return status;
}

OSStatus IPluginAU::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                const void* inData, UInt32 inDataSize) {
  InformListeners(id, scope);
  return AUPropertyHandlers::Write(*this, id, scope, element, inData, inDataSize);
}

bool IPluginAU::CheckLegalIOForFormat(AudioUnitScope scope, AudioUnitElement element, int nChans) const {
  const ERoute direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  const ERoute other = direction == kInput ? kOutput : kInput;
  int sameDirection = nChans;
  for (int idx = 0; idx < NBuses(direction); ++idx) {
    const AUBusRecord* bus = GetBus(direction, idx);
    if (static_cast<AudioUnitElement>(idx) != element && bus->hostChannels >= 0) sameDirection += bus->hostChannels;
  }
  const int otherDirection = mIsActive ? HostChannelSum(other) : -1;
  return direction == kInput ? LegalIO(sameDirection, otherDirection) : LegalIO(otherDirection, sameDirection);
}

OSStatus IPluginAU::GetClassInfo(CFPropertyListRef* outInfo) {
  if (outInfo == nullptr) return kInvalidProperty;
  IStateChunk chunk;
  const bool written = WriteState(chunk);
  const ClassInfoIdentity identity{GetPluginVersion(false), static_cast<int32_t>(GetAUPluginType()), GetUniqueID(),
                                   GetMfrID()};
  *outInfo = CreateClassInfo(identity, GetPresetName(GetCurrentPresetIdx()), written ? &chunk : nullptr);
  return *outInfo != nullptr ? noErr : kCoreFoundationUnknownErr;
}

OSStatus IPluginAU::SetClassInfo(CFPropertyListRef info) {
  // Everything is read and checked before anything changes.
  ClassInfoContents contents;
  if (!ReadClassInfo(info, contents)) return kInvalidValue;
  const ClassInfoIdentity& identity = contents.identity;
  if (identity.type != static_cast<int32_t>(GetAUPluginType()) || identity.subtype != GetUniqueID() ||
      identity.manufacturer != GetMfrID())
    return kInvalidValue;
  RecallPresetByName(contents.name);
  if (ReadState(contents.data, 0) < 1) return kInvalidValue;
  OnStateRestored();
  return noErr;
}

}  // namespace plugkit
