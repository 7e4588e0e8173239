#include "editor_host_support.h"

#include <gtest/gtest.h>

#include "host/editor_script.h"

namespace orvane::testing {

HostedEditor::HostedEditor(const host::ComponentBundle& bundle) {
  OSStatus status = noErr;
  instance = host::AudioUnitInstance::Open(bundle, status);
  EXPECT_EQ(status, noErr);
  if (!instance) return;
  std::string error;
  session = host::EditorSession::Open(instance->Unit(), 1.0, error);
  EXPECT_NE(session, nullptr) << error;
  if (!session) return;
  session->SetReporter([this](const std::string& line) { dialogs.push_back(line); });
  EXPECT_TRUE(session->WaitForFrame(host::kFirstFrameLimitSeconds));
  session->Settle();
}

HostedEditor::~HostedEditor() { session.reset(); }

void HostedEditor::Run(const std::string& lines) {
  const host::ScriptReading reading = host::ReadEditorScript(lines);
  ASSERT_FALSE(reading.error) << reading.error->Message();
  for (const host::ScriptLine& line : reading.steps) session->Apply(line.step);
  session->Settle();
}

std::string EditViewClick() { return "click " + ScriptText(EditViewSwitch()) + "\n"; }
std::string PlayViewClick() { return "click " + ScriptText(PlayViewSwitch()) + "\n"; }

}  // namespace orvane::testing
