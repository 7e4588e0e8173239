#include "framework/au/au_legacy_dispatch.h"

#include <AudioUnit/MusicDevice.h>

#include <bit>
#include <cmath>
#include <limits>

namespace plugkit {

namespace {

// Selectors of the old interface that this wrapper does not serve.
constexpr SInt16 kRetiredRenderCallbackSelect = 8;
constexpr SInt16 kRetiredSelectA = 12;
constexpr SInt16 kRetiredSelectB = 13;
constexpr long kFirstCanDoSelector = kAudioUnitInitializeSelect;
constexpr long kLastCanDoSelector = kAudioUnitScheduleParametersSelect;

// Reads the argument slots of one call.
class Slots {
public:
  explicit Slots(const ComponentParameters& params) : mSlots(params.params) {}

  UInt32 U32(int slot) const { return static_cast<UInt32>(static_cast<unsigned long>(mSlots[slot])); }
  Float32 F32(int slot) const { return std::bit_cast<Float32>(U32(slot)); }
  template <class T>
  T Pointer(int slot) const {
    return reinterpret_cast<T>(mSlots[slot]);
  }

private:
  const long* mSlots;
};

// The note id is the pitch cut to an integer; pitches outside what an id can
// hold are pinned to its range.
NoteInstanceID NoteIdFromPitch(Float32 pitch) {
  if (!std::isfinite(pitch) || pitch <= 0.0f) return 0;
  constexpr double kLargestId = std::numeric_limits<NoteInstanceID>::max();
  return static_cast<NoteInstanceID>(std::min(std::trunc(static_cast<double>(pitch)), kLargestId));
}

ComponentResult StartNote(const Slots& slots) {
  // Arguments: instrument, group, note id out, offset, note parameters.
  auto* noteId = slots.Pointer<NoteInstanceID*>(3);
  const auto* noteParams = slots.Pointer<const MusicDeviceNoteParams*>(5);
  if (!noteId || !noteParams) return kAudioUnitErr_InvalidParameter;
  *noteId = NoteIdFromPitch(noteParams->mPitch);
  return noErr;
}

}  // namespace

ComponentResult LegacyCanDo(const ComponentParameters& params) {
  const long selector = params.params[0];
  if (selector < kFirstCanDoSelector || selector > kLastCanDoSelector) return 0;
  const bool retired =
      selector == kRetiredRenderCallbackSelect || selector == kRetiredSelectA || selector == kRetiredSelectB;
  return retired ? 0 : 1;
}

ComponentResult DispatchLegacySelector(IPluginAU& plugin, const ComponentParameters& params) {
  const Slots s(params);
  switch (params.what) {
    case kComponentVersionSelect: return plugin.GetPluginVersion(false);
    case kAudioUnitInitializeSelect: return plugin.Initialize();
    case kAudioUnitUninitializeSelect: return plugin.Uninitialize();
    case kAudioUnitGetPropertyInfoSelect:
      return plugin.GetPropertyInfo(s.U32(1), s.U32(2), s.U32(3), s.Pointer<UInt32*>(4), s.Pointer<Boolean*>(5));
    case kAudioUnitGetPropertySelect:
      return plugin.GetProperty(s.U32(1), s.U32(2), s.U32(3), s.Pointer<void*>(4), s.Pointer<UInt32*>(5));
    case kAudioUnitSetPropertySelect:
      return plugin.SetProperty(s.U32(1), s.U32(2), s.U32(3), s.Pointer<const void*>(4), s.U32(5));
    case kAudioUnitGetParameterSelect:
      return plugin.GetParameter(s.U32(1), s.U32(2), s.U32(3), s.Pointer<AudioUnitParameterValue*>(4));
    case kAudioUnitSetParameterSelect:
      return plugin.SetParameter(s.U32(1), s.U32(2), s.U32(3), s.F32(4), s.U32(5));
    case kAudioUnitResetSelect: return plugin.Reset(s.U32(1), s.U32(2));
    case kAudioUnitAddPropertyListenerSelect:
      return plugin.AddPropertyListener(s.U32(1), s.Pointer<AudioUnitPropertyListenerProc>(2), s.Pointer<void*>(3));
    case kAudioUnitRemovePropertyListenerSelect:
      return plugin.RemovePropertyListener(s.U32(1), s.Pointer<AudioUnitPropertyListenerProc>(2));
    case kAudioUnitRenderSelect:
      return plugin.Render(s.Pointer<AudioUnitRenderActionFlags*>(1), s.Pointer<const AudioTimeStamp*>(2), s.U32(3),
                           s.U32(4), s.Pointer<AudioBufferList*>(5));
    case kAudioUnitAddRenderNotifySelect:
      return plugin.AddRenderNotify(s.Pointer<AURenderCallback>(1), s.Pointer<void*>(2));
    case kAudioUnitRemoveRenderNotifySelect:
      return plugin.RemoveRenderNotify(s.Pointer<AURenderCallback>(1), s.Pointer<void*>(2));
    case kAudioUnitScheduleParametersSelect:
      return plugin.ScheduleParameters(s.Pointer<const AudioUnitParameterEvent*>(1), s.U32(2));
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return plugin.RemovePropertyListenerWithUserData(s.U32(1), s.Pointer<AudioUnitPropertyListenerProc>(2),
                                                       s.Pointer<void*>(3));
    case kMusicDeviceMIDIEventSelect: return plugin.MIDIEvent(s.U32(1), s.U32(2), s.U32(3), s.U32(4));
    case kMusicDeviceSysExSelect: return plugin.SysEx(s.Pointer<const UInt8*>(1), s.U32(2));
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
    case kMusicDeviceStopNoteSelect: return noErr;
    case kMusicDeviceStartNoteSelect: return StartNote(s);
    default: return badComponentSelector;
  }
}

}  // namespace plugkit
