#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "graphics/control.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {

class IGEditorDelegate;

// Message boxes: the button sets and the answers (the platform's values).
enum EMsgBoxType { kMB_OK = 0, kMB_OKCANCEL = 1, kMB_YESNOCANCEL = 3, kMB_YESNO = 4, kMB_RETRYCANCEL = 5 };
enum EMsgBoxResult { kNoResult = 0, kOK = 1, kCANCEL = 2, kRETRY = 4, kYES = 6, kNO = 7 };
using IMsgBoxCompletionHandlerFunc = std::function<void(EMsgBoxResult)>;

// File dialogs: what the chosen file is for, and the answer (the chosen file's
// full path, empty when cancelled, and its folder).
enum EFileAction { kFileOpen = 0, kFileSave = 1 };
using IFileDialogCompletionHandlerFunc = std::function<void(const StrBuf& fileName, const StrBuf& folder)>;

// The editor's graphics context: one per open editor window. It owns the
// controls, maps tags to them, keeps the draw scale (the user's zoom) and the
// screen (backing) scale, and applies size changes. The platform view and the
// renderer derive from it. Main thread only.
class IGraphics {
public:
  using KeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
  using ControlFunc = std::function<void(IControl*)>;

  static constexpr int kDefaultFPS = 60;
  static constexpr float kMinDrawScale = 0.5f;
  static constexpr float kMaxDrawScale = 4.0f;
  static constexpr int kControlListGranularity = 4096;
  static constexpr uint64_t kMouseTouchId = 0;

  IGraphics(IGEditorDelegate& delegate, int width, int height, int fps = kDefaultFPS, float scale = 1.f);
  virtual ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Platform: the view that shows this context. Attaching lays the editor out
  // through the delegate and answers the view.
  virtual void* AttachEditorView(void* parent) = 0;
  virtual void DetachEditorView() = 0;
  virtual void* PlatformView() = 0;
  virtual float PlatformWindowScale() const { return 1.f; }
  virtual void ResizePlatformWindow(bool needsPlatformResize) = 0;
  virtual void UpdateLayerFramebuffer() = 0;
  // The pointer's position in this context's coordinates.
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  // A modal alert titled with the caption; answers the button chosen and also
  // passes it to the completion. Without a platform nothing is shown and the
  // answer is kNoResult.
  virtual EMsgBoxResult ShowAlert(const char* text, const char* caption, EMsgBoxType type,
                                  IMsgBoxCompletionHandlerFunc completion = nullptr);
  // A file dialog starting in `folder` and proposing `fileName`; `extensions`
  // lists the allowed ones separated by spaces. With a completion the dialog
  // answers later, on the main thread; without one it is modal and leaves the
  // chosen path in `fileName` (empty when cancelled) and its folder in
  // `folder`. Without a platform view it only empties `fileName`.
  virtual void ChooseFile(StrBuf& fileName, StrBuf& folder, EFileAction action, const char* extensions,
                          IFileDialogCompletionHandlerFunc completion = nullptr);

  // Controls. A duplicate tag (>= 0) leaves the control with the caller and answers null.
  IControl* AttachControl(IControl* control, int tag = -1, const char* group = "");
  // A panel filling the whole context with the pattern, inserted below every
  // other control and not entered in the tag map.
  IControl* AttachPanelBackground(const IPaint& pattern);
  void RemoveAllControls();
  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int index) const { return mControls.Get(index); }
  IControl* GetControlWithTag(int tag) const;
  int GetControlTag(const IControl* control) const;
  void ForAllControlsFunc(const ControlFunc& func);
  void ForAllControls(void (IControl::*method)());
  void ForAllControls(void (IControl::*method)(bool, int), bool flag, int index);
  void ForStandardControls(const ControlFunc& func);
  // The controls with a value linked to the parameter.
  void ForMatchingControls(int paramIdx, const ControlFunc& func);
  void SetAllControlsDirty();
  void SetAllControlsClean();
  // Every other control linked to the caller's parameter at valIdx takes its value.
  void UpdatePeers(IControl* caller, int valIdx);

  // Pointer capture, one control per touch.
  bool ControlIsCaptured(const IControl* control) const;
  void ReleaseMouseCapture() { mCapturedMap.clear(); }

  // Keyboard: the control under the point (not the background) first, then the key handler.
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  void SetKeyHandlerFunc(KeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }
  int GetMouseControlIdx(float x, float y) const;

  // Size and scale. Width and height are unscaled; the window is
  // width x draw scale x platform window scale.
  void Resize(int width, int height, float scale, bool needsPlatformResize);
  void SetScreenScale(float scale);
  void SetLayoutOnResize(bool layoutOnResize) { mLayoutOnResize = layoutOnResize; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int WindowWidth() const;
  int WindowHeight() const;
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetScreenScale() const { return mScreenScale; }
  float GetBackingPixelScale() const { return mScreenScale * mDrawScale; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }

private:
  bool OnKey(float x, float y, const IKeyPress& key, bool isUp);
  void ResizeWindowThroughDelegate(bool needsPlatformResize);

  PtrList<IControl> mControls{kControlListGranularity};
  std::unordered_map<int, IControl*> mTagMap;
  std::unordered_map<uint64_t, IControl*> mCapturedMap;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  bool mLayoutOnResize = false;
  KeyHandlerFunc mKeyHandlerFunc;
  IGEditorDelegate* mDelegate;
};

}  // namespace plugkit::graphics
