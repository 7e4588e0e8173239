#pragma once

// The events that units sent through AUEventListenerNotify, oldest first.

#include <AudioToolbox/AudioUnitUtilities.h>

#include <vector>

namespace standin::testing {

std::vector<AudioUnitEvent> RecordedAudioUnitEvents();
void ClearRecordedAudioUnitEvents();

}  // namespace standin::testing
