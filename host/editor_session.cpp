#include "host/editor_session.h"

#include <AppKit/NSPasteboard.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/NSNotification.h>
#include <QuartzCore/CAMetalLayer.h>
#include <standin/testing/appkit.h>
#include <standin/testing/metal.h>
#include <standin/testing/run_loop.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <variant>

#include "host/cf_text.h"

namespace orvane::host {
namespace {

// Short enough that a frame is seen soon after the frame timer presents it.
constexpr CFTimeInterval kPumpStepSeconds = 1.0 / 120.0;
constexpr double kMillisecondsPerSecond = 1000.0;

// The name of the view-factory class the unit reports; empty with the reason
// in `error` when it reports none.
std::string ViewClassName(AudioUnit unit, std::string& error) {
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  const OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr) {
    error = "it reports no Cocoa view (status " + std::to_string(status) + ")";
    return {};
  }
  std::string name = CFStringText(info.mCocoaAUViewClass[0]).value_or("");
  if (info.mCocoaAUViewBundleLocation != nullptr) CFRelease(info.mCocoaAUViewBundleLocation);
  if (info.mCocoaAUViewClass[0] != nullptr) CFRelease(info.mCocoaAUViewClass[0]);
  if (name.empty()) error = "its Cocoa view has no class name";
  return name;
}

// The view the named factory gives for the unit, with a reference of the
// caller's; null with the reason in `error`.
NS::Ref<NS::View> AskFactoryForView(const std::string& className, AudioUnit unit, std::string& error) {
  const NS::Class factoryClass = NS::ClassFromString(className.c_str());
  if (!factoryClass) {
    error = "its view class " + className + " is not registered";
    return nullptr;
  }
  // A host lets the factory go once it has the view.
  const auto factory = NS::Ref<NS::Object>::Adopt(factoryClass.alloc()->init());
  auto* protocol = dynamic_cast<AUCocoaUIBase*>(factory.get());
  if (protocol == nullptr) {
    error = "its view class " + className + " is no Cocoa view factory";
    return nullptr;
  }
  const NS::Size noPreference{};
  auto view = NS::Ref<NS::View>::Retain(protocol->uiViewForAudioUnitWithSize(unit, noPreference));
  if (!view) error = "its view factory " + className + " gave no view";
  return view;
}

// The safe answer: Cancel, else No, else the last button (an alert's only
// button, OK, among them).
std::size_t SafeButton(const std::vector<std::string>& buttons) {
  for (const char* safe : {"Cancel", "No"}) {
    const auto found = std::find(buttons.begin(), buttons.end(), safe);
    if (found != buttons.end()) return static_cast<std::size_t>(found - buttons.begin());
  }
  return buttons.empty() ? 0 : buttons.size() - 1;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string joined;
  for (const std::string& part : parts) joined += (joined.empty() ? "" : separator) + part;
  return joined;
}

std::string DescribeItems(const std::vector<standin::testing::MenuItemDescription>& items) {
  std::vector<std::string> described;
  for (const auto& item : items) {
    if (item.separator) {
      described.push_back("-");
      continue;
    }
    std::string text = Quoted(item.title);
    if (item.state != 0) text = "*" + text;
    if (!item.enabled) text = "(" + text + ")";
    if (item.hasSubmenu) text += " > " + DescribeItems(item.submenu);
    described.push_back(text);
  }
  return "[" + Joined(described, ", ") + "]";
}

// The title of the item a path leads to; empty when it leads nowhere.
std::string ItemTitle(const std::vector<standin::testing::MenuItemDescription>& items, const std::vector<long>& path) {
  const std::vector<standin::testing::MenuItemDescription>* level = &items;
  std::string title;
  for (const long index : path) {
    if (index < 0 || static_cast<std::size_t>(index) >= level->size()) return {};
    const auto& item = (*level)[static_cast<std::size_t>(index)];
    title = item.title;
    level = &item.submenu;
  }
  return title;
}

std::string PathText(const std::vector<long>& path) {
  std::vector<std::string> indices;
  for (const long index : path) indices.push_back(std::to_string(index));
  return Joined(indices, " ");
}

std::string DescribeMenu(const standin::testing::MenuRun& run) {
  std::string line = "menu ";
  if (!run.title.empty()) line += Quoted(run.title) + " ";
  line += DescribeItems(run.items) + ": ";
  if (run.chose) return line + "chose " + PathText(run.answer) + " " + Quoted(ItemTitle(run.items, run.answer));
  if (!run.answer.empty()) return line + "dismissed (the script's choice " + PathText(run.answer) + " cannot be chosen)";
  return line + "dismissed";
}

std::string DescribePanel(const standin::testing::PanelRecord& panel) {
  std::string line = panel.kind == standin::testing::PanelKind::Save ? "save dialog" : "open dialog";
  if (!panel.title.empty()) line += " " + Quoted(panel.title);
  line += " in " + (panel.directory.empty() ? std::string("the default folder") : Quoted(panel.directory));
  line += ", types " + (panel.allowedFileTypes ? Joined(*panel.allowedFileTypes, ", ") : std::string("any"));
  return line + ": " + (panel.answer ? "chose " + Quoted(*panel.answer) : std::string("cancelled"));
}

NS::EventModifierFlags ModifierFlags(const ScriptModifiers& modifiers) {
  NS::EventModifierFlags flags = 0;
  if (modifiers.shift) flags |= NS::EventModifierFlagShift;
  if (modifiers.control) flags |= NS::EventModifierFlagControl;
  if (modifiers.alt) flags |= NS::EventModifierFlagOption;
  if (modifiers.command) flags |= NS::EventModifierFlagCommand;
  return flags;
}

standin::testing::EditingKey EditingKeyOf(NamedKey key) {
  using standin::testing::EditingKey;
  switch (key) {
    case NamedKey::kReturn:
      return EditingKey::Return;
    case NamedKey::kTab:
      return EditingKey::Tab;
    case NamedKey::kEscape:
      return EditingKey::Escape;
    case NamedKey::kBackspace:
      return EditingKey::Backspace;
    case NamedKey::kDelete:
      return EditingKey::ForwardDelete;
    case NamedKey::kLeft:
      return EditingKey::Left;
    case NamedKey::kRight:
      return EditingKey::Right;
    case NamedKey::kUp:
      return EditingKey::Up;
    case NamedKey::kDown:
      return EditingKey::Down;
    case NamedKey::kHome:
      return EditingKey::Home;
    case NamedKey::kEnd:
      return EditingKey::End;
  }
  return EditingKey::Return;
}

// The key as a keyboard gives it: Shift with a lower-case letter types the capital.
standin::testing::Key KeyOf(const KeyStep& step) {
  standin::testing::Key key;
  if (const auto* named = std::get_if<NamedKey>(&step.key)) {
    key = standin::testing::KeyFor(EditingKeyOf(*named));
  } else {
    char32_t character = std::get<char32_t>(step.key);
    if (step.modifiers.shift && character >= U'a' && character <= U'z') character = character - U'a' + U'A';
    key = standin::testing::KeyForCharacter(character);
  }
  key.modifiers |= ModifierFlags(step.modifiers);
  return key;
}

NS::Point PointOf(const ScriptPoint& point) { return NS::Point{point.x, point.y}; }

void Require(bool delivered) {
  if (!delivered)
    throw EditorSessionError(EditorSessionError::Kind::kInput, "the editor's view is no longer in its window");
}

}  // namespace

// Notes the size the editor gives its view when it is not the window's: the
// host fits its window to it once the call that caused it has returned.
class EditorSession::ViewSizeWatcher : public NS::Object {
public:
  ViewSizeWatcher(NS::View* view, NS::Window* window) : mView(view), mWindow(window) {
    NS::NotificationCenter::defaultCenter()->addObserverSelectorNameObject(
        this, NS_SELECTOR(ViewSizeWatcher, viewFrameDidChange), NSViewFrameDidChangeNotification, view);
  }
  void Stop() { NS::NotificationCenter::defaultCenter()->removeObserver(this); }

  void viewFrameDidChange(NS::Object*) {
    const NS::Size size = mView->frame().size;
    if (!(size == mWindow->contentView()->frame().size)) mRequested = size;
  }
  std::optional<NS::Size> TakeRequest() { return std::exchange(mRequested, std::nullopt); }

private:
  NS::View* mView;
  NS::Window* mWindow;
  std::optional<NS::Size> mRequested;
};

std::unique_ptr<EditorSession> EditorSession::Open(AudioUnit unit, NS::CGFloat backingScale, std::string& error) {
  const std::string className = ViewClassName(unit, error);
  if (className.empty()) return nullptr;
  // The editor reads the main screen's scale as it opens, the window's once in it.
  standin::testing::SetMainScreen(NS::Screen::mainScreen()->frame().size, backingScale);
  NS::Ref<NS::View> view = AskFactoryForView(className, unit, error);
  if (!view) return nullptr;
  const NS::Size size = view->frame().size;
  auto window = NS::Ref<NS::Window>::Adopt(
      standin::testing::MakeHostWindow(NS::MakeRect(0, 0, size.width, size.height), backingScale));
  window->contentView()->addSubview(view.get());
  return std::unique_ptr<EditorSession>(new EditorSession(std::move(view), std::move(window)));
}

EditorSession::EditorSession(NS::Ref<NS::View> view, NS::Ref<NS::Window> window)
    : mView(std::move(view)),
      mWindow(std::move(window)),
      mViewSizeWatcher(NS::Ref<ViewSizeWatcher>::Adopt(new ViewSizeWatcher(mView.get(), mWindow.get()))),
      mLastInput(CFAbsoluteTimeGetCurrent()),
      mLastFrame(mLastInput),
      mFramesSeen(PresentedFrames()),
      mMenuRunsSeen(standin::testing::MenuRuns().size()),
      mPanelsSeen(standin::testing::PanelLog().size()) {
  standin::testing::SetAlertResponder([this](const standin::testing::AlertRecord& alert) {
    return AnswerAlert(alert.buttons, alert.messageText, alert.informativeText);
  });
  standin::testing::SetPanelResponder([this](const standin::testing::PanelRecord&) { return TakeFileAnswer(); });
}

EditorSession::~EditorSession() {
  standin::testing::SetAlertResponder({});
  standin::testing::SetPanelResponder({});
  mViewSizeWatcher->Stop();
  if (mView->superview() != nullptr) standin::testing::RemoveViewAsHost(mView.get());
}

CA::MetalLayer* EditorSession::Layer() const { return dynamic_cast<CA::MetalLayer*>(mView->layer()); }

long EditorSession::PresentedFrames() const {
  CA::MetalLayer* layer = Layer();
  return layer != nullptr ? standin::testing::PresentedFrameCount(layer) : 0;
}

bool EditorSession::WaitForFrame(CFTimeInterval limit) {
  if (Layer() == nullptr) return false;
  const long presented = PresentedFrames();
  const CFAbsoluteTime deadline = CFAbsoluteTimeGetCurrent() + limit;
  // A frame that took past the deadline to draw still counts.
  while (PresentedFrames() == presented) {
    if (CFAbsoluteTimeGetCurrent() >= deadline) return false;
    PumpStep(kPumpStepSeconds);
  }
  return true;
}

void EditorSession::Pump(CFTimeInterval seconds) {
  const CFAbsoluteTime end = CFAbsoluteTimeGetCurrent() + seconds;
  for (CFAbsoluteTime now = CFAbsoluteTimeGetCurrent(); now < end; now = CFAbsoluteTimeGetCurrent())
    PumpStep(std::min(kPumpStepSeconds, end - now));
}

void EditorSession::Settle() {
  const CFAbsoluteTime deadline = CFAbsoluteTimeGetCurrent() + kSettleLimitSeconds;
  while (!Settled()) {
    if (CFAbsoluteTimeGetCurrent() >= deadline) {
      char limit[32];
      std::snprintf(limit, sizeof limit, "%g", kSettleLimitSeconds);
      throw EditorSessionError(EditorSessionError::Kind::kDidNotSettle,
                               std::string("the editor did not settle within ") + limit + " s");
    }
    PumpStep(kPumpStepSeconds);
  }
}

bool EditorSession::Settled() const {
  const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
  return now - mLastInput >= kSettleIdlePeriods * kIdlePeriodSeconds &&
         now - mLastFrame >= kSettleFramePeriods * kFramePeriodSeconds;
}

void EditorSession::Resize(int width, int height) {
  standin::testing::ResizeWindow(mWindow.get(), NS::Size{static_cast<NS::CGFloat>(width),
                                                         static_cast<NS::CGFloat>(height)});
  FitWindowToView();
  NoteInput();
  Settle();
  const NS::Size taken = mView->frame().size;
  if (taken.width != width || taken.height != height) {
    char shown[64];
    std::snprintf(shown, sizeof shown, "%g x %g", taken.width, taken.height);
    throw EditorSessionError(EditorSessionError::Kind::kSizeNotTaken, "the editor did not take the size " +
                                                                          std::to_string(width) + "x" +
                                                                          std::to_string(height) + "; it is " + shown);
  }
}

void EditorSession::FitWindowToView() {
  if (const auto requested = mViewSizeWatcher->TakeRequest()) {
    standin::testing::ResizeWindow(mWindow.get(), *requested);
    NoteInput();
  }
}

// Carries out each kind of step.
struct EditorSession::StepRunner {
  EditorSession& session;

  NS::View* View() const { return session.mView.get(); }
  NS::Window* Window() const { return session.mWindow.get(); }
  void PointerAt(const ScriptPoint& point) { session.mPointer = PointOf(point); }
  // Keys go with the pointer's last position; before any, the window's centre.
  void PlacePointerForKeys() {
    if (session.mPointer) return;
    const NS::Size size = Window()->contentView()->frame().size;
    const NS::Point centre{size.width / 2, size.height / 2};
    Require(standin::testing::MovePointer(View(), centre));
    session.mPointer = centre;
  }
  void Input() {
    session.NoteWhatHappened();
    session.NoteInput();
    session.Pump(kAfterInputSeconds);
  }

  void operator()(const MoveStep& step) {
    Require(standin::testing::MovePointer(View(), PointOf(step.at)));
    PointerAt(step.at);
    Input();
  }
  void operator()(const ClickStep& step) {
    using standin::testing::MouseButton;
    const NS::Point at = PointOf(step.at);
    const MouseButton button = step.button == ScriptButton::kRight ? MouseButton::Right : MouseButton::Left;
    const NS::EventModifierFlags flags = ModifierFlags(step.modifiers);
    Require(standin::testing::MovePointer(View(), at, flags));
    for (long clickCount = 1; clickCount <= (step.twice ? 2 : 1); ++clickCount) {
      Require(standin::testing::PressButton(View(), at, button, clickCount, flags));
      Require(standin::testing::ReleaseButton(View(), at, button, clickCount, flags));
    }
    PointerAt(step.at);
    Input();
  }
  void operator()(const DragStep& step) {
    const NS::EventModifierFlags flags = ModifierFlags(step.modifiers);
    const NS::Point from = PointOf(step.from);
    const NS::Point to = PointOf(step.to);
    Require(standin::testing::MovePointer(View(), from, flags));
    Require(standin::testing::PressButton(View(), from, standin::testing::MouseButton::Left, 1, flags));
    Require(standin::testing::DragTo(View(), to, step.steps, flags));
    Require(standin::testing::ReleaseButton(View(), to, standin::testing::MouseButton::Left, 1, flags));
    PointerAt(step.to);
    Input();
  }
  void operator()(const WheelStep& step) {
    const NS::EventModifierFlags flags = ModifierFlags(step.modifiers);
    Require(standin::testing::MovePointer(View(), PointOf(step.at), flags));
    Require(standin::testing::Scroll(View(), PointOf(step.at), step.delta, flags));
    PointerAt(step.at);
    Input();
  }
  void operator()(const KeyStep& step) {
    PlacePointerForKeys();
    const standin::testing::Key key = KeyOf(step);
    Require(standin::testing::PressKey(Window(), key));
    Require(standin::testing::ReleaseKey(Window(), key));
    Input();
  }
  void operator()(const TypeStep& step) {
    PlacePointerForKeys();
    Require(standin::testing::TypeText(Window(), step.text));
    Input();
  }
  void operator()(const MenuAnswerStep& step) {
    if (step.path.empty())
      standin::testing::QueueMenuDismissal();
    else
      standin::testing::QueueMenuChoice(step.path);
    session.mMenuAnswers.push_back(step.path);
  }
  void operator()(const AlertAnswerStep& step) { session.mAlertAnswers.push_back(step.button); }
  void operator()(const FileAnswerStep& step) {
    session.mFileAnswers.push_back(step.path ? std::optional<std::string>(std::filesystem::absolute(*step.path))
                                             : std::nullopt);
  }
  void operator()(const ClipboardStep& step) {
    NS::Pasteboard* const pasteboard = NS::Pasteboard::generalPasteboard();
    const CFStringRef text = CFStringCreateWithBytes(kCFAllocatorDefault,
                                                     reinterpret_cast<const UInt8*>(step.text.data()),
                                                     static_cast<CFIndex>(step.text.size()), kCFStringEncodingUTF8,
                                                     false);
    pasteboard->clearContents();
    const bool written = text != nullptr && pasteboard->setStringForType(text, NSStringPboardType);
    if (text != nullptr) CFRelease(text);
    if (!written)
      throw EditorSessionError(EditorSessionError::Kind::kInput, "the clipboard did not take the text");
  }
  void operator()(const WaitStep& step) { session.Pump(step.milliseconds / kMillisecondsPerSecond); }
  void operator()(const SizeStep& step) { session.Resize(step.width, step.height); }
  void operator()(const ScreenshotStep& step) {
    session.Settle();
    const standin::testing::Image image = session.Capture();
    if (session.mScreenshotWriter) {
      session.mScreenshotWriter(step.path, image);
    } else if (!standin::testing::WritePng(image, step.path)) {
      throw EditorSessionError(EditorSessionError::Kind::kScreenshot, "cannot write the screenshot " + step.path);
    }
  }
};

void EditorSession::Apply(const ScriptStep& step) { std::visit(StepRunner{*this}, step); }

standin::testing::Image EditorSession::Capture() const {
  CA::MetalLayer* layer = Layer();
  return layer != nullptr ? standin::testing::LayerFrontImage(layer) : standin::testing::Image();
}

std::vector<std::string> EditorSession::UnusedAnswers() const {
  std::vector<std::string> unused;
  for (const auto& path : mMenuAnswers) unused.push_back(path.empty() ? "menu dismiss" : "menu " + PathText(path));
  for (const AlertButton button : mAlertAnswers) unused.push_back("alert " + std::string(AlertButtonName(button)));
  for (const auto& path : mFileAnswers) unused.push_back(path ? "file " + *path : "file cancel");
  return unused;
}

void EditorSession::PumpStep(CFTimeInterval seconds) {
  standin::testing::RunFor(seconds);
  NoteWhatHappened();
}

void EditorSession::NoteWhatHappened() {
  const long presented = PresentedFrames();
  if (presented != mFramesSeen) {
    mFramesSeen = presented;
    mLastFrame = CFAbsoluteTimeGetCurrent();
  }
  FitWindowToView();
  AnswerSheets();
  ReportMenus();
  ReportPanels();
}

void EditorSession::NoteInput() { mLastInput = CFAbsoluteTimeGetCurrent(); }

// Sheets on the host window, and panels begun without a window.
void EditorSession::AnswerSheets() {
  for (const NS::Window* window : {static_cast<const NS::Window*>(mWindow.get()), static_cast<const NS::Window*>(nullptr)}) {
    while (standin::testing::PendingSheetCount(window) > 0) {
      if (!standin::testing::AnswerSheet(window, TakeFileAnswer())) standin::testing::AnswerSheet(window, std::nullopt);
    }
  }
}

std::optional<std::string> EditorSession::TakeFileAnswer() {
  if (mFileAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(mFileAnswers.front());
  mFileAnswers.pop_front();
  return answer;
}

void EditorSession::ReportMenus() {
  const std::vector<standin::testing::MenuRun> runs = standin::testing::MenuRuns();
  for (; mMenuRunsSeen < runs.size(); ++mMenuRunsSeen) {
    // A run takes the oldest answer handed on.
    if (!mMenuAnswers.empty()) mMenuAnswers.pop_front();
    Report(DescribeMenu(runs[mMenuRunsSeen]));
  }
}

void EditorSession::ReportPanels() {
  const std::vector<standin::testing::PanelRecord> panels = standin::testing::PanelLog();
  for (; mPanelsSeen < panels.size(); ++mPanelsSeen) Report(DescribePanel(panels[mPanelsSeen]));
}

std::size_t EditorSession::AnswerAlert(const std::vector<std::string>& buttons, const std::string& caption,
                                       const std::string& text) {
  std::size_t answer = SafeButton(buttons);
  std::string note;
  if (!mAlertAnswers.empty()) {
    // A script names buttons in lower case.
    const std::string wanted(AlertButtonName(mAlertAnswers.front()));
    mAlertAnswers.pop_front();
    const auto found =
        std::find_if(buttons.begin(), buttons.end(), [&](const std::string& title) { return SameLetters(title, wanted); });
    if (found != buttons.end())
      answer = static_cast<std::size_t>(found - buttons.begin());
    else
      note = " (the script's answer " + wanted + " is not one of its buttons)";
  }
  Report("alert " + Quoted(caption) + " " + Quoted(text) + " [" + Joined(buttons, ", ") + "]: answered " +
         (answer < buttons.size() ? buttons[answer] : std::string("OK")) + note);
  return answer;
}

void EditorSession::Report(const std::string& line) const {
  if (mReporter) mReporter(line);
}

}  // namespace orvane::host
