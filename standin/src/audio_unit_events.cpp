// AudioUnit event notifications, recorded for tests and hosts.

#include <AudioToolbox/AudioUnitUtilities.h>
#include <standin/testing/audio_unit_events.h>

#include <deque>
#include <mutex>

namespace {

// Enough for any test; a long-running host keeps only the newest events.
constexpr std::size_t kMaxRecordedEvents = 4096;

class EventRecorder {
public:
  static EventRecorder& Shared() {
    static EventRecorder* recorder = new EventRecorder;
    return *recorder;
  }

  void Record(const AudioUnitEvent& event) {
    const std::lock_guard lock(mMutex);
    if (mEvents.size() == kMaxRecordedEvents)
      mEvents.pop_front();
    mEvents.push_back(event);
  }

  std::vector<AudioUnitEvent> Events() {
    const std::lock_guard lock(mMutex);
    return {mEvents.begin(), mEvents.end()};
  }

  void Clear() {
    const std::lock_guard lock(mMutex);
    mEvents.clear();
  }

private:
  std::mutex mMutex;
  std::deque<AudioUnitEvent> mEvents;
};

}  // namespace

extern "C" OSStatus AUEventListenerNotify(AUEventListenerRef /*inSendingListener*/,
                                          void* /*inSendingObject*/, const AudioUnitEvent* inEvent) {
  if (!inEvent)
    return kAudioUnitErr_InvalidPropertyValue;
  EventRecorder::Shared().Record(*inEvent);
  return noErr;
}

namespace standin::testing {

std::vector<AudioUnitEvent> RecordedAudioUnitEvents() {
  return EventRecorder::Shared().Events();
}

void ClearRecordedAudioUnitEvents() {
  EventRecorder::Shared().Clear();
}

}  // namespace standin::testing
