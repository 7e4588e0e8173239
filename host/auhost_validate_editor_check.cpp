#include "host/auhost_validate_editor_check.h"

#include <AudioUnit/AudioUnitProperties.h>

#include <cstdio>
#include <string>

#include "host/auhost_validate_harness.h"
#include "host/editor_session.h"

namespace orvane::auhost::validate {
namespace {

constexpr NS::CGFloat kScreenScale = 1.0;

std::string SecondsText(CFTimeInterval seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", seconds);
  return text;
}

bool ReportsCocoaView(AudioUnit unit) {
  UInt32 size = 0;
  Boolean writable = false;
  return AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable) ==
             noErr &&
         size > 0;
}

void OpenPresentAndClose(AudioUnit unit, int cycle) {
  const std::string which = "opening " + std::to_string(cycle) + ": ";
  std::string error;
  auto session = host::EditorSession::Open(unit, kScreenScale, error);
  if (!session) Fail(which + "the editor did not open: " + error);
  if (!session->WaitForFrame(host::kFirstFrameLimitSeconds))
    Fail(which + "the editor presented no frame within " + SecondsText(host::kFirstFrameLimitSeconds));
  session->Pump(kEditorFrameTicks * host::kFramePeriodSeconds);
}

}  // namespace

void EditorOpensAndCloses(const host::ComponentBundle& bundle) {
  auto unit = ReadyUnit(bundle);
  if (!ReportsCocoaView(unit->Unit())) return;
  OpenPresentAndClose(unit->Unit(), 1);
  const LiveCounts afterFirst = SettledLiveCounts();
  for (int cycle = 2; cycle <= kEditorCycles; ++cycle) OpenPresentAndClose(unit->Unit(), cycle);
  RequireSameLiveCounts(afterFirst, SettledLiveCounts(),
                        "from after opening 1 to after opening " + std::to_string(kEditorCycles));
}

}  // namespace orvane::auhost::validate
