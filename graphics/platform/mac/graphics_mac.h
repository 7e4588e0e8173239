#pragma once

// The macOS half of the editor's graphics context: the vector binding drawn
// into the Metal layer of an AppKit view (IGraphicsView_vOrvane_au) that this
// context attaches to the host's view, redraws on a frame timer and detaches
// again. Fonts come from CoreText; their descriptors go into the process-wide
// font-descriptor cache that native text fields read.
//
// Lifetime: the delegate's make-graphics function creates it, the delegate
// deletes it when the editor closes (also when the host removes the view).
// Each context is a user of the font-descriptor cache while it lives.
//
// Threads: main thread only.

#include <memory>

#include "common/str_buf.h"
#include "graphics/vector/graphics_vector.h"

class IGraphicsView_vOrvane_au;

namespace plugkit::graphics {

class IGraphicsMac : public IGraphicsVector {
public:
  IGraphicsMac(IGEditorDelegate& delegate, int width, int height, int fps = kDefaultFPS, float scale = 1.f);
  // Detaches a view still attached before it leaves the font-descriptor
  // cache: detaching runs control destructors and view code, which may use
  // the cache.
  ~IGraphicsMac() override;

  // A new view for this context (an attached one is detached first), drawn
  // through the vector binding at the main screen's scale; the delegate lays
  // the editor out and hears that it opened before the view joins parent
  // (when not null). Answers the view.
  void* AttachEditorView(void* parent) override;
  // The view stops drawing and leaves its superview; the controls and the
  // vector context go with it. A view the host still holds no longer reaches
  // this context.
  void DetachEditorView() override;
  void* PlatformView() override;
  bool HasPlatformView() override;
  // The view takes the window's size without animating; the tooltips follow.
  void ResizePlatformWindow(bool needsPlatformResize) override;
  // One tooltip rectangle per visible control that has a target rectangle,
  // none while the in-window popup menu is open; only with tooltips enabled.
  void UpdateTooltips() override;
  bool IsDarkMode() const override;
  const char* BundleIdentifier() const override { return mBundleIdentifier.Get(); }
  const char* AppGroupIdentifier() const override { return mAppGroupIdentifier.Get(); }
  void SetBundleIdentifier(const char* identifier) { mBundleIdentifier.Set(identifier ? identifier : ""); }
  void SetAppGroupIdentifier(const char* identifier) { mAppGroupIdentifier.Set(identifier ? identifier : ""); }
  void ActivateGLContext() override;
  void DeactivateGLContext() override;

  // Fonts: a "ttf" resource of the bundle (or the shared resources folder, or
  // a path), bytes copied, an installed family; cached descriptors stay under
  // their id for the process.
  PlatformFontPtr LoadPlatformFontFromResource(const char* fontID, const char* fileNameOrResID) override;
  PlatformFontPtr LoadPlatformFontFromData(const char* fontID, const void* data, int dataSize) override;
  PlatformFontPtr LoadPlatformFontByName(const char* fontID, const char* fontName, ETextStyle style) override;
  void CachePlatformFont(const char* fontID, PlatformFont& font) override;

  // Native text entry through the view (nothing without one). Opening a
  // second closes the first without an answer; the typed text of the one
  // open reaches the core's newest request. EndTextEntry closes it, the
  // request forgotten.
  void ShowPlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int maxLength,
                             const char* str) override;
  void EndTextEntry() override;
  // Answers null at once, isAsync set: the menu runs on the next pass of the
  // main run loop, after the asking event handler has returned, and its
  // answer (after the chosen menu's completion function) goes to
  // SetPopupMenuResult; null when dismissed or no view is there then. The
  // menu runs, and answers, only while this context exists, still waits for
  // that control's answer and has not been asked for another platform menu
  // since; the menu must live as long as the request is pending.
  IPopupMenu* ShowPlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) override;

  // Dialogs. The alert is application-modal whether or not a view exists.
  // File and folder dialogs need a view: without one they only empty the
  // file name (folder). With a completion they run as a sheet on the view's
  // window and answer on a later pass of the main run loop, in fresh strings
  // (the caller's keep what they held, less the file name); without one they
  // are modal and answer in the caller's strings. A folder starting with "~"
  // starts the panel in the home folder.
  EMsgBoxResult ShowAlert(const char* text, const char* caption, EMsgBoxType type,
                          IMsgBoxCompletionHandlerFunc completion = nullptr) override;
  void ChooseFile(StrBuf& fileName, StrBuf& folder, EFileAction action, const char* extensions,
                  IFileDialogCompletionHandlerFunc completion = nullptr) override;
  // An empty folder starts (and stays, in the caller's string) at "~/Desktop".
  void ChooseFolder(StrBuf& folder, IFolderDialogCompletionHandlerFunc completion = nullptr) override;
  // The shared colour panel, through the view; the prompt is not shown. The
  // panel keeps calling func while it is open, also after the asker is gone.
  bool ChooseColor(IColor& color, const char* prompt = "", IColorPickerHandlerFunc func = nullptr) override;

  // The general pasteboard: plain text, or a file as its URL.
  bool ClipboardText(StrBuf& text) override;
  bool SetClipboardText(const char* text) override;
  bool SetClipboardFile(const char* path) override;
  // An address starting with "http://" or "https://" (any case) opens as a
  // web address, anything else as a file path; false when nothing opens.
  bool OpenLink(const char* url) override;
  const char* PlatformName() const override { return "Cocoa"; }
  // Opens the file (or, with select, its folder with the file selected) in
  // the file viewer; false for a file that does not exist.
  bool RevealInFinder(const char* path, bool select) override;

  // Native views over the editor, bounds in GUI coordinates; attaching needs
  // the editor view.
  void AttachPlatformView(const IRECT& bounds, void* view) override;
  void RemovePlatformView(void* view) override;
  void HidePlatformView(void* view, bool hide) override;

  // The pointer: in GUI coordinates with a view, in screen coordinates without.
  void MousePosition(float& x, float& y) const override;
  // Hiding notes where the pointer is (as the stored cursor position and the
  // lock position); while hidden with lock, the view puts the pointer back
  // there after every event, so drags go on without it wandering off. Nothing
  // in an XPC service process, or when the state does not change.
  void HideCursor(bool hide, bool lock) override;
  // The pointer to a point of the GUI, then noted as in hiding; nothing for
  // tablet input.
  void MoveCursorTo(float x, float y) override;
  // With a view, the view shows the cursor of the kind.
  int SetCursor(int kind) override;
  // The view applies this to every pointer position (GUI coordinates), with
  // its previous position: a hidden, locked pointer not from a tablet is put
  // back where it was hidden and the previous position becomes the stored
  // one; otherwise both become the new position.
  void ApplyCursorLock(float x, float y, float& prevX, float& prevY);
  // Drags the file out of the view from the mouse event being handled, its
  // icon over iconBounds; the hover and the capture end. False when no drag
  // could start (no view, no such event).
  bool StartFileDrag(const char* path, const IRECT& iconBounds) override;

  // Set from attaching a view until the view's timer has settled the host's
  // view size with the delegate.
  bool HostSizeCheckPending() const { return mHostSizeCheckPending; }
  void EndHostSizeCheck() { mHostSizeCheckPending = false; }

private:
  // The pointer's location, rounded to whole screen points, becomes the lock
  // position and the stored cursor position.
  void StorePointerLocation();

  IGraphicsView_vOrvane_au* mView = nullptr;  // one reference
  bool mHostSizeCheckPending = false;
  // Where the cursor was hidden, in whole screen points.
  double mCursorLockX = 0.0;
  double mCursorLockY = 0.0;
  StrBuf mBundleIdentifier;
  StrBuf mAppGroupIdentifier;
  // Numbers the platform menus asked for, so that a queued menu knows it is the newest.
  unsigned mPopupMenuRequests = 0;
  // Work queued for later holds it weakly: expired, this context is gone.
  const std::shared_ptr<IGraphicsMac*> mLiveness = std::make_shared<IGraphicsMac*>(this);
};

// The product's context: its bundle and application-group identifiers and
// the shared resources folder "Orvane". The caller owns it.
IGraphicsMac* MakeMacGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale);

}  // namespace plugkit::graphics
