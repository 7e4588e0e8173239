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

  // Pointer, menus, text entry, clipboard and links: nothing is shown, the
  // pointer stays where the view last saw it and every answer is neutral.
  void MousePosition(float& x, float& y) const override { StoredCursorPosition(x, y); }
  void HideCursor(bool, bool) override {}
  void ShowPlatformTextEntry(int, const IText&, const IRECT&, int, const char*) override {}
  IPopupMenu* ShowPlatformPopupMenu(IPopupMenu&, const IRECT&, bool& isAsync) override;
  bool ClipboardText(StrBuf& text) override;
  bool SetClipboardText(const char*) override { return false; }
  bool OpenLink(const char*) override { return false; }

  // Set from attaching a view until the view's timer has settled the host's
  // view size with the delegate.
  bool HostSizeCheckPending() const { return mHostSizeCheckPending; }
  void EndHostSizeCheck() { mHostSizeCheckPending = false; }

private:
  IGraphicsView_vOrvane_au* mView = nullptr;  // one reference
  bool mHostSizeCheckPending = false;
  // Where the cursor was hidden, in whole screen points.
  [[maybe_unused]] double mCursorLockX = 0.0;
  [[maybe_unused]] double mCursorLockY = 0.0;
  StrBuf mBundleIdentifier;
  StrBuf mAppGroupIdentifier;
};

// The product's context: its bundle and application-group identifiers and
// the shared resources folder "Orvane". The caller owns it.
IGraphicsMac* MakeMacGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale);

}  // namespace plugkit::graphics
