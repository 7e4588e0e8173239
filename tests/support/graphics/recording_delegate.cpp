#include "support/graphics/recording_delegate.h"

namespace plugkit::testing {

namespace {
constexpr int kEditorWidth = 1392;
constexpr int kEditorHeight = 783;
constexpr int kEditorFPS = 60;
}  // namespace

RecordingDelegate::RecordingDelegate(int nParams) : IGEditorDelegate(nParams) {
  mEditorWidth = kEditorWidth;
  mEditorHeight = kEditorHeight;
  SetMakeGraphicsFunc([this] {
    mLog.push_back("make graphics");
    return new RecordingGraphics(*this, GetEditorWidth(), GetEditorHeight(), kEditorFPS, 1.f, &mLog);
  });
}

void RecordingDelegate::SetLimits(int minWidth, int maxWidth, int minHeight, int maxHeight) {
  mMinWidth = minWidth;
  mMaxWidth = maxWidth;
  mMinHeight = minHeight;
  mMaxHeight = maxHeight;
}

void RecordingDelegate::OnEditorOpened() {
  mLog.push_back("opened");
  IGEditorDelegate::OnEditorOpened();
}

void RecordingDelegate::OnEditorClosed() { mLog.push_back("closed"); }

void RecordingDelegate::OnParamValueShownInEditor(int paramIdx, EParamSource source) {
  mLog.push_back("shown " + std::to_string(paramIdx) + " " + std::to_string(source));
}

void RecordingDelegate::OnMidiShownInEditor(const IMidiMsg& msg) {
  mLog.push_back("midi shown " + std::to_string(msg.mStatus));
}

void RecordingDelegate::BeginParamEditFromEditor(int paramIdx) {
  mLog.push_back("begin edit " + std::to_string(paramIdx));
}

void RecordingDelegate::SetParamFromEditor(int paramIdx, double normalizedValue) {
  mLog.push_back("set param " + std::to_string(paramIdx) + " " + std::to_string(normalizedValue));
  IGEditorDelegate::SetParamFromEditor(paramIdx, normalizedValue);
}

void RecordingDelegate::EndParamEditFromEditor(int paramIdx) { mLog.push_back("end edit " + std::to_string(paramIdx)); }

void RecordingDelegate::SendMidiFromEditor(const IMidiMsg& msg) {
  mLog.push_back("send midi " + std::to_string(msg.mStatus) + " " + std::to_string(msg.mData1) + " " +
                 std::to_string(msg.mData2));
}

bool RecordingDelegate::RequestEditorResize(int width, int height, bool needsPlatformResize) {
  mLog.push_back("request resize " + std::to_string(width) + "x" + std::to_string(height) +
                 (needsPlatformResize ? " platform" : ""));
  return mResizeAnswer.value_or(needsPlatformResize);
}

bool RecordingDelegate::ConstrainEditorSize(int& width, int& height) const {
  ++mConstrainCount;
  return IGEditorDelegate::ConstrainEditorSize(width, height);
}

void RecordingDelegate::RunEditorLayout(graphics::IGraphics* graphics) {
  mLog.push_back("layout");
  IGEditorDelegate::RunEditorLayout(graphics);
}

}  // namespace plugkit::testing
