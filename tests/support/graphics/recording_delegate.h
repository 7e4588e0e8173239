#pragma once

// The delegate side of an editor for the graphics core's tests: real
// parameters (construct with their number, then Init them through GetParam),
// real size limits, and a log of what the editor asks of the plug-in.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::testing {

// Holds the log as a base that is destroyed after the delegate base, so a
// context that the delegate base deletes can still log.
struct LogHolder {
  std::vector<std::string> mLog;
};

// Logs, in mLog: "begin edit 3", "set param 3 0.250000", "end edit 3",
// "send midi 144 48 127", "request resize 1392x783 platform", "layout",
// "make graphics", "opened", "closed", "shown 3 4", "midi shown 176".
// Opening an editor makes a RecordingGraphics of the editor size sharing the log.
class RecordingDelegate : public LogHolder, public graphics::IGEditorDelegate {
public:
  explicit RecordingDelegate(int nParams = 0);

  void SetLimits(int minWidth, int maxWidth, int minHeight, int maxHeight);
  // What RequestEditorResize answers; by default whether a platform resize was asked for.
  void AnswerResizeRequests(std::optional<bool> answer) { mResizeAnswer = answer; }
  int ConstrainCount() const { return mConstrainCount; }
  RecordingGraphics* Graphics() { return static_cast<RecordingGraphics*>(GetUI()); }

  void OnEditorOpened() override;
  void OnEditorClosed() override;
  void OnParamValueShownInEditor(int paramIdx, EParamSource source) override;
  void OnMidiShownInEditor(const IMidiMsg& msg) override;
  void BeginParamEditFromEditor(int paramIdx) override;
  void SetParamFromEditor(int paramIdx, double normalizedValue) override;
  void EndParamEditFromEditor(int paramIdx) override;
  void SendMidiFromEditor(const IMidiMsg& msg) override;
  bool RequestEditorResize(int width, int height, bool needsPlatformResize) override;
  bool ConstrainEditorSize(int& width, int& height) const override;
  // Logs, then runs the layout function the test set (SetLayoutFunc).
  void RunEditorLayout(graphics::IGraphics* graphics) override;

private:
  std::optional<bool> mResizeAnswer;
  mutable int mConstrainCount = 0;
};

}  // namespace plugkit::testing
