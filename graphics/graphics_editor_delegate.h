#pragma once

#include <functional>
#include <memory>

#include "framework/core/editor_delegate.h"

namespace plugkit::graphics {

class IGraphics;

// The editor delegate that owns the graphics context drawing the editor: it
// creates it through a stored function, restores the saved size, attaches it
// to the host's view, forwards values, messages, MIDI and keys to it, and
// keeps the editor size in the state chunk. Main thread only.
class IGEditorDelegate : public IEditorDelegate {
public:
  using MakeGraphicsFunc = std::function<IGraphics*()>;
  using LayoutFunc = std::function<void(IGraphics*)>;

  // What EvaluateHostViewSize answers to the view's host-size question.
  enum EHostViewSizeAnswer { kAskAgain = 0, kAdoptHostSize = 1, kKeepSize = 2 };

  explicit IGEditorDelegate(int nParams);
  ~IGEditorDelegate() override;

  void* OpenEditor(void* parent) override;
  // Saves the size, detaches the view and deletes the context. Re-entry (from
  // OnEditorClosed or the view's removal) returns at once.
  void CloseEditor() override;
  void OnEditorResizedByHost(int width, int height) override;
  void ApplyScreenScale(float scale) override;

  void PushControlValue(int ctrlTag, double normalizedValue) override;
  void PushControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data) override;
  void PushParamValueToEditor(int paramIdx, double value, bool normalized) override;
  void PushMidiToEditor(const IMidiMsg& msg) override;
  bool OnHostKeyDown(const IKeyPress& key) override;
  bool OnHostKeyUp(const IKeyPress& key) override;

  // Editor-size chunk: int32 width, int32 height, float32 draw scale.
  bool WriteEditorSize(IStateChunk& chunk) const override;
  // The position after the 12 bytes, or -1 when they do not fit (missing
  // fields read as 0). Resizes an open editor, else remembers the size.
  int ReadEditorSize(const IStateChunk& chunk, int startPos) override;

  virtual int EvaluateHostViewSize(int width, int height);
  virtual IGraphics* CreateEditorGraphics();
  virtual void RunEditorLayout(IGraphics* graphics);
  virtual IGraphics* EditorGraphicsPointer() { return mGraphics.get(); }
  IGraphics* GetUI() const { return mGraphics.get(); }

  void SetMakeGraphicsFunc(MakeGraphicsFunc func) { mMakeGraphicsFunc = std::move(func); }
  void SetLayoutFunc(LayoutFunc func) { mLayoutFunc = std::move(func); }

  int GetLastWidth() const { return mLastWidth; }
  int GetLastHeight() const { return mLastHeight; }
  float GetLastScale() const { return mLastScale; }

private:
  bool HostKey(const IKeyPress& key, bool isUp);

  MakeGraphicsFunc mMakeGraphicsFunc;
  LayoutFunc mLayoutFunc;
  std::unique_ptr<IGraphics> mGraphics;
  int mLastWidth = 0;
  int mLastHeight = 0;
  float mLastScale = 0.f;
  bool mClosing = false;
};

}  // namespace plugkit::graphics
