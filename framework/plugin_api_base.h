#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/str_buf.h"
#include "framework/core/midi_msg.h"
#include "framework/plugin_base.h"
#include "framework/plugin_config.h"
#include "framework/spsc_queue.h"
#include "framework/timer.h"

namespace plugkit {

// A parameter value on its way from the host's parameter thread to the editor.
struct ParamChange {
  int32_t mIdx = 0;
  double mValue = 0.0;
};

// A system-exclusive message copied into a queue record.
struct SysExData {
  static constexpr int kMaxSize = 512;

  int32_t mOffset = 0;
  int32_t mSize = 0;
  uint8_t mData[kMaxSize] = {};
};

// Copies a message into a record; false (record untouched) when its size is
// negative or larger than a record holds.
bool MakeSysExRecord(const ISysExMsg& msg, SysExData& record);

// The layer between the plug-in base and a plug-in API wrapper: the 20 ms idle
// timer that drives the user-interface side, the queues that carry parameter
// values, MIDI and SysEx between the host's threads and the editor, host
// identification, and the default editor-to-host operations.
//
// Queue threads, one producer and one consumer each: parameter values from
// the host's parameter thread to the main thread; MIDI and SysEx from the
// editor (main thread) to the render thread; MIDI from the MIDI-event caller
// to the main thread; SysEx towards the editor.
//
// The idle tick reaches the plug-in only between OpenIdleTickGate and
// StopIdleTimer: the wrapper opens the gate once construction has finished and
// stops the timer before destruction begins.
class IPluginAPIBase : public IPluginBase {
public:
  static constexpr uint32_t kIdleTimerPeriodMs = 20;
  static constexpr int kParamChangeQueueCapacity = 512;
  static constexpr int kMidiQueueCapacity = 32;
  static constexpr int kSysExQueueCapacity = 4;
  static constexpr int kMaxConfigNameLength = 128;

  IPluginAPIBase(const PluginConfig& config, EAPI api);
  ~IPluginAPIBase() override;

  // Idle timer and its gate.
  void StartIdleTimer();
  void OpenIdleTickGate() { mIdleTickGateOpen.store(true, std::memory_order_release); }
  // Closes the gate and stops the timer; safe to call again and from any thread.
  void StopIdleTimer();
  // Drains the parameter, MIDI and SysEx queues towards the editor, then OnIdle.
  void OnIdleTick(Timer& timer);
  virtual void OnIdle() {}

  // Host to editor (host's parameter thread): a plain or normalised value,
  // constrained to the parameter; dropped when the queue is full.
  virtual void QueueParamValueForEditor(int paramIdx, double value, bool normalized);
  // Editor to plug-in: stores the value, tells the host, then OnParamValueChanged from the editor.
  void SetParameterValue(int paramIdx, double normalizedValue);
  void ReportAllParamValuesToHost() override;
  // Every parameter's value matches data[start + i] in single precision.
  virtual bool StateMatches(const double* data, int startIdx) const;
  virtual void ListParamIndices(int count, std::vector<int>& indices) const;

  // Editor to host.
  void BeginParamEditFromEditor(int paramIdx) override { NotifyHostGestureBegin(paramIdx); }
  void SetParamFromEditor(int paramIdx, double normalizedValue) override;
  void EndParamEditFromEditor(int paramIdx) override { NotifyHostGestureEnd(paramIdx); }
  bool RequestEditorResize(int width, int height, bool needsPlatformResize) override;
  void SendMidiFromEditor(const IMidiMsg& msg) override { QueueMidiFromEditor(msg); }
  void SendSysExFromEditor(const ISysExMsg& msg) override { QueueSysExFromEditor(msg); }
  void SendCustomMessageFromEditor(int msgTag, int ctrlTag, int dataSize, const void* data) override {
    OnCustomMessage(msgTag, ctrlTag, dataSize, data);
  }
  // Towards the render thread; dropped when the queue is full. A SysEx message
  // that does not fit a record is dropped too: a cut message must not reach a device.
  void QueueMidiFromEditor(const IMidiMsg& msg) override { mMidiMsgsFromEditor.Push(msg); }
  void QueueSysExFromEditor(const ISysExMsg& msg) override;

  // What the API wrapper overrides.
  virtual void NotifyHostParamListChanged() {}
  virtual void NotifyHostPresetChanged() {}
  virtual void GetHostContextName(StrBuf&) {}
  virtual void NotifyHostGestureBegin(int) {}
  virtual void NotifyHostGestureEnd(int) {}
  virtual void NotifyHostParamValue(int, double) {}
  virtual bool ResizeHostView(int, int) { return false; }

  // Host identification: stores the name and packed version, classifies the
  // host, then OnHostIdentified and OnHostVersionKnown.
  void IdentifyHost(const char* hostName, uint32_t hostVersion);
  virtual void OnHostIdentified() {}
  virtual void OnHostVersionKnown() {}

protected:
  StrBuf mParamDisplayStr;
  std::unique_ptr<Timer> mTimer;
  SpscQueue<ParamChange, kParamChangeQueueCapacity> mParamChangeFromProcessor;
  SpscQueue<IMidiMsg, kMidiQueueCapacity> mMidiMsgsFromEditor;
  SpscQueue<IMidiMsg, kMidiQueueCapacity> mMidiMsgsFromProcessor;
  SpscQueue<SysExData, kSysExQueueCapacity> mSysExDataFromEditor;
  SpscQueue<SysExData, kSysExQueueCapacity> mSysExDataFromProcessor;
  // The render path copies each record it pops from the editor's SysEx queue here.
  SysExData mSysExBuf{};

private:
  std::atomic<bool> mIdleTickGateOpen{false};
};

}  // namespace plugkit
