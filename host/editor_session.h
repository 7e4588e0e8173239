#pragma once

// A component's editor opened as a host opens it: the view-factory class the
// unit names (kAudioUnitProperty_CocoaUI) is instantiated by name and asked
// for a view, which goes into a host window of the view's size on a main
// screen of the requested backing scale. The editor draws on the main run
// loop, which the session pumps (on the real clock in auhost, on the manual
// one in tests). Ending the session removes the view as a host does, which
// closes the editor.
//
// The session drives the editor as a user would (editor script steps through
// the headless AppKit) and answers every dialog itself: the script's answer
// when one is queued, otherwise the safe one (an alert's Cancel or No, or its
// only button; a file dialog cancelled; a menu dismissed), so that nothing
// is written unless a script says so. Each dialog goes to the reporter with
// the answer it got.
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

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/editor_script.h"

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
// An editor has settled when this many idle periods have passed since the
// last input or resize and it presented no frame for this many frame periods.
inline constexpr CFTimeInterval kIdlePeriodSeconds = 0.020;
inline constexpr int kSettleIdlePeriods = 12;
inline constexpr CFTimeInterval kFramePeriodSeconds = 1.0 / 60.0;
inline constexpr int kSettleFramePeriods = 3;
inline constexpr CFTimeInterval kSettleLimitSeconds = 10.0;
// The main-run-loop time after each input step, so that the editor has drawn
// before the next step points at what it drew.
inline constexpr CFTimeInterval kAfterInputSeconds = kSettleFramePeriods * kFramePeriodSeconds;

// A step the editor did not go along with.
class EditorSessionError : public std::runtime_error {
public:
  enum class Kind {
    kDidNotSettle,  // frames kept coming for kSettleLimitSeconds
    kSizeNotTaken,  // the editor did not take the size asked for
    kInput,         // the view left its window, or the clipboard refused the text
    kScreenshot,    // a screenshot could not be written
  };
  EditorSessionError(Kind kind, const std::string& message) : std::runtime_error(message), mKind(kind) {}
  Kind GetKind() const { return mKind; }

private:
  Kind mKind;
};

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

  // Each dialog the session answered, one line each, as it is answered.
  using Reporter = std::function<void(const std::string& line)>;
  void SetReporter(Reporter reporter) { mReporter = std::move(reporter); }
  // Writes a script's screenshots; by default a PNG file, failing with
  // Kind::kScreenshot.
  using ScreenshotWriter = std::function<void(const std::string& path, const standin::testing::Image& image)>;
  void SetScreenshotWriter(ScreenshotWriter writer) { mScreenshotWriter = std::move(writer); }

  // Pumps the main run loop until the layer has presented a frame beyond
  // those it had presented when called; false when none came within `limit`
  // seconds of run-loop time, or the view has no Metal layer.
  bool WaitForFrame(CFTimeInterval limit);
  // Pumps the main run loop for `seconds` of its clock, answering dialogs.
  void Pump(CFTimeInterval seconds);
  // Pumps until the editor has settled (above); throws Kind::kDidNotSettle.
  void Settle();
  // Sizes the host window, and so the view, in points and settles; throws
  // Kind::kSizeNotTaken when the editor then shows another size. When the
  // editor sizes its view to something else than the window, as one with a
  // smallest size does, the session fits its window to the view, as hosts do.
  void Resize(int width, int height);
  // Carries out one script step; throws EditorSessionError, and what the
  // screenshot writer throws.
  void Apply(const ScriptStep& step);

  // The image the layer shows, in device pixels, top row first; empty before
  // the first frame.
  standin::testing::Image Capture() const;

  // The script's answers that no dialog has taken yet, as "alert yes".
  std::vector<std::string> UnusedAnswers() const;

private:
  EditorSession(NS::Ref<NS::View> view, NS::Ref<NS::Window> window);

  struct StepRunner;
  friend struct StepRunner;
  class ViewSizeWatcher;

  void PumpStep(CFTimeInterval seconds);
  // What happened on the last pass: frames, sheets to answer, menus and panels to report.
  void NoteWhatHappened();
  // Sheets, and modal panels as they run, take the script's file answers in turn.
  void AnswerSheets();
  std::optional<std::string> TakeFileAnswer();
  void ReportMenus();
  void ReportPanels();
  std::size_t AnswerAlert(const std::vector<std::string>& buttons, const std::string& caption,
                          const std::string& text);
  bool Settled() const;
  void Report(const std::string& line) const;
  void NoteInput();
  void FitWindowToView();

  NS::Ref<NS::View> mView;
  NS::Ref<NS::Window> mWindow;
  NS::Ref<ViewSizeWatcher> mViewSizeWatcher;
  CFAbsoluteTime mLastInput = 0.0;
  CFAbsoluteTime mLastFrame = 0.0;
  long mFramesSeen = 0;
  std::size_t mMenuRunsSeen = 0;
  std::size_t mPanelsSeen = 0;
  std::optional<NS::Point> mPointer;  // where the last pointer step left it
  std::deque<AlertButton> mAlertAnswers;
  std::deque<std::optional<std::string>> mFileAnswers;  // absolute paths; none cancels
  std::deque<std::vector<long>> mMenuAnswers;           // handed on; taken as menus run
  Reporter mReporter;
  ScreenshotWriter mScreenshotWriter;
};

}  // namespace orvane::host
