#pragma once

#include <cstdint>

#include "common/ptr_list.h"
#include "framework/core/key_press.h"
#include "framework/core/midi_msg.h"
#include "framework/core/param.h"
#include "framework/core/state_chunk.h"

namespace plugkit {

// Where a parameter change came from.
enum EParamSource { kReset = 0, kHost = 1, kPresetRecall = 2, kUI = 3, kDelegate = 4 };

// The part of the plug-in object that the user interface talks to: the
// parameter list, the editor's size limits and the default behaviour of
// every editor-facing operation. Everything here runs on the main thread.
class IEditorDelegate {
public:
  static constexpr int kDefaultMinSize = 10;
  static constexpr int kDefaultMaxSize = 100000;

  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int paramIdx) const { return mParams.Get(paramIdx); }
  // The size the editor opens at; 0 until the plug-in base sets it.
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }

  // Editor lifetime. The base has no view: it notifies and answers null.
  virtual void* OpenEditor(void* parent);
  virtual void CloseEditor() { OnEditorClosed(); }
  virtual void OnEditorResizedByHost(int, int) {}
  // Pushes every parameter's normalised value to the editor.
  virtual void OnEditorOpened() { PushAllParamValuesToEditor(); }
  virtual void OnEditorClosed() {}

  // Notifications.
  virtual void OnParamValueChanged(int paramIdx, EParamSource source, int sampleOffset = -1);
  virtual void OnParamValue(int) {}
  virtual void OnParamValueShownInEditor(int, EParamSource) {}
  virtual void OnAllParamsReset(EParamSource source);
  virtual void OnMidiShownInEditor(const IMidiMsg&) {}
  virtual void OnSysExShownInEditor(const ISysExMsg&) {}
  virtual bool OnCustomMessage(int, int, int, const void*) { return false; }
  virtual void OnStateRestored() { PushAllParamValuesToEditor(); }
  virtual bool OnHostKeyDown(const IKeyPress&) { return false; }
  virtual bool OnHostKeyUp(const IKeyPress&) { return false; }

  // Plug-in to editor.
  virtual void PushControlValue(int, double) {}
  virtual void PushControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data) {
    OnCustomMessage(msgTag, ctrlTag, dataSize, data);
  }
  virtual void PushCustomMessage(int msgTag, int dataSize, const void* data) {
    OnCustomMessage(msgTag, kNoTag, dataSize, data);
  }
  virtual void PushMidiToEditor(const IMidiMsg& msg) { OnMidiShownInEditor(msg); }
  virtual void PushSysExToEditor(const ISysExMsg& msg) { OnSysExShownInEditor(msg); }
  virtual void PushParamValueToEditor(int paramIdx, double value, bool normalized);

  // Editor to plug-in and host; the API base gives the real bodies.
  virtual void ReportAllParamValuesToHost() {}
  virtual void BeginParamEditFromEditor(int) {}
  // Stores the parameter's plain value for a normalised one, snapped and clamped.
  virtual void SetParamFromEditor(int paramIdx, double normalizedValue);
  virtual void EndParamEditFromEditor(int) {}
  virtual bool RequestEditorResize(int, int, bool) { return false; }
  virtual void SendMidiFromEditor(const IMidiMsg&) {}
  virtual void SendSysExFromEditor(const ISysExMsg&) {}
  virtual void SendCustomMessageFromEditor(int, int, int, const void*) {}
  virtual void QueueMidiFromEditor(const IMidiMsg&) {}
  virtual void QueueSysExFromEditor(const ISysExMsg&) {}

  // Editor size: clamps into the limits and answers whether it already fitted.
  virtual bool ConstrainEditorSize(int& width, int& height) const;
  virtual bool WriteEditorSize(IStateChunk&) const { return true; }
  virtual int ReadEditorSize(const IStateChunk&, int startPos) { return startPos; }
  virtual void ApplyScreenScale(float) {}

protected:
  static constexpr int kNoTag = -1;

  PtrList<IParam> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = kDefaultMinSize;
  int mMaxWidth = kDefaultMaxSize;
  int mMinHeight = kDefaultMinSize;
  int mMaxHeight = kDefaultMaxSize;

private:
  void PushAllParamValuesToEditor();
};

}  // namespace plugkit
