#pragma once

#include <string>
#include <vector>

#include "framework/plugin_api_base.h"
#include "framework/plugin_config.h"

namespace plugkit::testing {

// The product's configuration with a chosen parameter count.
inline PluginConfig MakeTestConfig(int nParams = 0) {
  PluginConfig config;
  config.nParams = nParams;
  config.nPresets = 1;
  config.channelIOStr = "1-2 1-1";
  config.pluginName = "Orvane";
  config.productName = "Orvane";
  config.mfrName = "Vellumtone";
  config.vendorVersion = 0x00010004;
  config.uniqueID = MakeFourCC("Orvn");
  config.mfrID = MakeFourCC("Vltn");
  config.plugDoesMidiIn = true;
  config.plugDoesChunks = true;
  config.plugHasUI = true;
  config.plugWidth = 1392;
  config.plugHeight = 783;
  config.plugMinWidth = 464;
  config.plugMaxWidth = 4176;
  config.plugMinHeight = 261;
  config.plugMaxHeight = 2349;
  config.plugHostResize = true;
  config.bundleID = "com.vellumtone.orvane";
  config.appGroupID = "group.com.vellumtone.orvane";
  return config;
}

// An API base that logs what the idle tick and the editor calls deliver, and
// stands in for the wrapper's render and MIDI paths on the other queue ends.
class TestPlugin : public IPluginAPIBase {
public:
  explicit TestPlugin(const PluginConfig& config = MakeTestConfig()) : IPluginAPIBase(config, kAPIAU) {}

  void OnIdle() override { mLog.push_back("idle"); }
  void PushParamValueToEditor(int paramIdx, double value, bool normalized) override {
    mLog.push_back("param " + std::to_string(paramIdx) + " " + std::to_string(value) + (normalized ? " n" : ""));
    mParamValues.push_back(value);
  }
  void PushMidiToEditor(const IMidiMsg& msg) override {
    mLog.push_back("midi " + std::to_string(msg.mStatus));
    mMidi.push_back(msg);
  }
  void PushSysExToEditor(const ISysExMsg& msg) override {
    mLog.push_back("sysex " + std::to_string(msg.mSize));
    mSysEx.emplace_back(msg.mData, msg.mData + msg.mSize);
  }
  void OnParamValueChanged(int paramIdx, EParamSource source, int sampleOffset) override {
    mLog.push_back("changed " + std::to_string(paramIdx) + " " + std::to_string(source) + " " +
                   std::to_string(sampleOffset));
  }
  void OnParamValueShownInEditor(int paramIdx, EParamSource source) override {
    mLog.push_back("shown " + std::to_string(paramIdx) + " " + std::to_string(source));
  }
  void NotifyHostParamValue(int paramIdx, double normalized) override {
    mLog.push_back("host value " + std::to_string(paramIdx) + " " + std::to_string(normalized));
  }
  void NotifyHostGestureBegin(int paramIdx) override { mLog.push_back("begin " + std::to_string(paramIdx)); }
  void NotifyHostGestureEnd(int paramIdx) override { mLog.push_back("end " + std::to_string(paramIdx)); }
  bool ResizeHostView(int width, int height) override {
    mLog.push_back("host resize " + std::to_string(width) + "x" + std::to_string(height));
    return true;
  }
  void OnHostIdentified() override { mLog.push_back("identified " + std::to_string(GetHost())); }
  void OnHostVersionKnown() override { mLog.push_back("version " + std::to_string(GetHostVersion(false))); }

  // The other ends of the queues, as the wrapper's render and MIDI paths use them.
  bool PushMidiFromProcessor(const IMidiMsg& msg) { return mMidiMsgsFromProcessor.Push(msg); }
  bool PushSysExFromProcessor(const ISysExMsg& msg) {
    SysExData record;
    return MakeSysExRecord(msg, record) && mSysExDataFromProcessor.Push(record);
  }
  bool PopMidiForRender(IMidiMsg& msg) { return mMidiMsgsFromEditor.Pop(msg); }
  // Copies the record into the render path's buffer, as the render path does.
  bool PopSysExForRender() { return mSysExDataFromEditor.Pop(mSysExBuf); }
  const SysExData& RenderSysExBuf() const { return mSysExBuf; }
  uint64_t ParamQueueSize() const { return mParamChangeFromProcessor.ElementsAvailable(); }
  uint64_t MidiToEditorQueueSize() const { return mMidiMsgsFromProcessor.ElementsAvailable(); }
  uint64_t SysExToEditorQueueSize() const { return mSysExDataFromProcessor.ElementsAvailable(); }
  uint64_t MidiToRenderQueueSize() const { return mMidiMsgsFromEditor.ElementsAvailable(); }
  uint64_t SysExToRenderQueueSize() const { return mSysExDataFromEditor.ElementsAvailable(); }
  int MinWidth() const { return mMinWidth; }
  int MaxWidth() const { return mMaxWidth; }
  int MinHeight() const { return mMinHeight; }
  int MaxHeight() const { return mMaxHeight; }

  std::vector<std::string> mLog;
  std::vector<double> mParamValues;
  std::vector<IMidiMsg> mMidi;
  std::vector<std::vector<uint8_t>> mSysEx;
};

}  // namespace plugkit::testing
