#pragma once

// A recording graphics context whose platform view is an NS::View, as the
// platform context's is: the view closes the editor when its host takes it out
// of the window, and the context takes it out when the editor closes.

#include <AppKit/NSView.h>

#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::testing {

class EditorView : public NS::View {
public:
  explicit EditorView(graphics::IGEditorDelegate& delegate) : mDelegate(&delegate) {}

  void viewDidMoveToSuperview() override {
    if (superview() == nullptr && mDelegate != nullptr) mDelegate->CloseEditor();
  }
  // The context detaches the view itself; no close comes back from it.
  void ForgetDelegate() { mDelegate = nullptr; }

private:
  graphics::IGEditorDelegate* mDelegate;
};

class ViewGraphics : public RecordingGraphics {
public:
  ViewGraphics(graphics::IGEditorDelegate& delegate, int width, int height)
      : RecordingGraphics(delegate, width, height) {}
  ~ViewGraphics() override { DetachEditorView(); }

  void* AttachEditorView(void* parent) override {
    DetachEditorView();
    mView = new EditorView(*GetDelegate());
    mView->initWithFrame(NS::MakeRect(0, 0, Width(), Height()));
    GetDelegate()->RunEditorLayout(this);
    GetDelegate()->OnEditorOpened();
    if (parent != nullptr) static_cast<NS::View*>(parent)->addSubview(mView);
    return mView;
  }
  void DetachEditorView() override {
    if (mView == nullptr) return;
    EditorView* view = mView;
    mView = nullptr;
    view->ForgetDelegate();
    view->removeFromSuperview();
    view->release();
  }
  void* PlatformView() override { return mView; }

private:
  EditorView* mView = nullptr;
};

}  // namespace plugkit::testing
