#pragma once

#include <string>
#include <vector>

#include "graphics/control.h"
#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::testing {

// A control that logs what reaches it.
class LoggingControl : public graphics::IControl {
public:
  LoggingControl(const graphics::IRECT& bounds, std::vector<std::string>& log, const char* name,
                 int paramIdx = kNoParameter)
      : IControl(bounds, paramIdx), mLog(log), mName(name) {}
  LoggingControl(const graphics::IRECT& bounds, std::vector<std::string>& log, const char* name,
                 std::initializer_list<int> paramIndices)
      : IControl(bounds, paramIndices), mLog(log), mName(name) {}

  void Draw(graphics::IGraphics&) override {}
  void OnInit() override { Log("init"); }
  void OnResize() override { Log("resize"); }
  void OnRescale() override { Log("rescale"); }
  void OnAttached() override { Log("attached"); }
  void OnMidi(const IMidiMsg& msg) override { Log("midi " + std::to_string(msg.mStatus)); }
  void OnMessageFromDelegate(int msgTag, int dataSize, const void*) override {
    Log("message " + std::to_string(msgTag) + " " + std::to_string(dataSize));
  }
  bool OnKeyDown(float x, float y, const IKeyPress& key) override {
    Log("key down " + std::string(key.mUtf8) + " at " + std::to_string(static_cast<int>(x)) + "," +
        std::to_string(static_cast<int>(y)));
    return mHandlesKeys;
  }
  bool OnKeyUp(float, float, const IKeyPress& key) override {
    Log("key up " + std::string(key.mUtf8));
    return mHandlesKeys;
  }

  bool mHandlesKeys = true;

private:
  void Log(const std::string& what) { mLog.push_back(mName + " " + what); }

  std::vector<std::string>& mLog;
  std::string mName;
};

// Holds the log as a base that is destroyed after the delegate base, so a
// context that the delegate base deletes can still log.
struct LogHolder {
  std::vector<std::string> mLog;
};

// The delegate side of an editor: the product's editor size, a make-graphics
// function creating headless contexts and a logged layout.
class TestDelegate : public LogHolder, public graphics::IGEditorDelegate {
public:
  explicit TestDelegate(int nParams = 0) : IGEditorDelegate(nParams) {
    mEditorWidth = 1392;
    mEditorHeight = 783;
    SetMakeGraphicsFunc([this] {
      mLog.push_back("make graphics");
      return new RecordingGraphics(*this, GetEditorWidth(), GetEditorHeight(), 60, 1.f, &mLog);
    });
    SetLayoutFunc([this](graphics::IGraphics*) { mLog.push_back("layout"); });
  }

  void SetLimits(int minWidth, int maxWidth, int minHeight, int maxHeight) {
    mMinWidth = minWidth;
    mMaxWidth = maxWidth;
    mMinHeight = minHeight;
    mMaxHeight = maxHeight;
  }
  RecordingGraphics* Graphics() { return static_cast<RecordingGraphics*>(GetUI()); }

  void OnEditorOpened() override {
    mLog.push_back("opened");
    IGEditorDelegate::OnEditorOpened();
  }
  void OnEditorClosed() override { mLog.push_back("closed"); }
  void OnParamValueShownInEditor(int paramIdx, EParamSource source) override {
    mLog.push_back("shown " + std::to_string(paramIdx) + " " + std::to_string(source));
  }
  void OnMidiShownInEditor(const IMidiMsg& msg) override { mLog.push_back("midi shown " + std::to_string(msg.mStatus)); }
  bool RequestEditorResize(int width, int height, bool needsPlatformResize) override {
    mLog.push_back("request resize " + std::to_string(width) + "x" + std::to_string(height) +
                   (needsPlatformResize ? " platform" : ""));
    return needsPlatformResize;
  }
  void SetParamFromEditor(int paramIdx, double normalizedValue) override {
    mLog.push_back("set param " + std::to_string(paramIdx) + " " + std::to_string(normalizedValue));
    IGEditorDelegate::SetParamFromEditor(paramIdx, normalizedValue);
  }
};

}  // namespace plugkit::testing
