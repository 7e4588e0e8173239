#pragma once

// A component's editor opened as a host opens it: the view-factory class the
// unit names (kAudioUnitProperty_CocoaUI) is instantiated by name and asked
// for a view, which goes into a host window of the view's size on a main
// screen of the requested backing scale. The editor draws on the main run
// loop, which the caller pumps here (on the real clock in auhost, on the
// manual one in tests). Ending the session removes the view as a host does,
// which closes the editor.
//
// Generic over components: it sees the editor only through the stand-in
// AppKit and Metal objects and their testing API.
//
// Main thread only (the thread that pumps the main run loop).

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CFDate.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSRef.h>
#include <standin/testing/images.h>

#include <memory>
#include <string>

namespace NS {
class View;
class Window;
}  // namespace NS

namespace CA {
class MetalLayer;
}

namespace orvane::host {

// How long a host waits for an editor's first frame before it gives up.
inline constexpr CFTimeInterval kFirstFrameLimitSeconds = 10.0;

class EditorSession {
public:
  // Null with the reason in `error` when the unit names no view class, the
  // class is not registered or is no view factory, or the factory gives no
  // view. The unit must outlive the session.
  static std::unique_ptr<EditorSession> Open(AudioUnit unit, NS::CGFloat backingScale, std::string& error);

  // Removes the view from its window, as a host closing the editor does.
  ~EditorSession();
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

  NS::View* View() const { return mView.get(); }
  NS::Window* Window() const { return mWindow.get(); }
  // The layer the editor presents its frames in; null when the view has none.
  CA::MetalLayer* Layer() const;
  long PresentedFrames() const;

  // Pumps the main run loop until the layer has presented a frame beyond
  // those it had presented when called; false when none came within `limit`
  // seconds of run-loop time, or the view has no Metal layer.
  bool WaitForFrame(CFTimeInterval limit);
  // The image the layer shows, in device pixels, top row first; empty before
  // the first frame.
  standin::testing::Image Capture() const;

private:
  EditorSession(NS::Ref<NS::View> view, NS::Ref<NS::Window> window);

  NS::Ref<NS::View> mView;
  NS::Ref<NS::Window> mWindow;
};

}  // namespace orvane::host
