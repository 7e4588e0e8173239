#include "editor_host_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "host/editor_script.h"

namespace orvane::testing {

std::string ScriptPoint(ViewPoint point) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.2f", point.x, point.y);
  return text;
}

long PixelsOfColour(const standin::testing::Image& image, const IRECT& area, ThemeColour colour) {
  long count = 0;
  for (int y = static_cast<int>(area.T); y < static_cast<int>(area.B) && y < image.height; ++y) {
    for (int x = static_cast<int>(area.L); x < static_cast<int>(area.R) && x < image.width; ++x) {
      const std::uint8_t* pixel = image.pixel(x, y);
      if (pixel[0] == colour.red && pixel[1] == colour.green && pixel[2] == colour.blue) ++count;
    }
  }
  return count;
}

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

const DrawnEditorLayout& EditLayout() {
  static const DrawnEditorLayout layout = DrawEditorLayout(false);
  return layout;
}

std::string EditViewClick() { return "click " + ScriptPoint(At(EditLayout().viewSwitch, 0.5, 0.75)) + "\n"; }
std::string PlayViewClick() { return "click " + ScriptPoint(At(EditLayout().viewSwitch, 0.5, 0.25)) + "\n"; }

}  // namespace orvane::testing
