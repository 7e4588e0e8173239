// Save and open panels: run modally or as sheets, answered by the testing API.

#include <AppKit/NSOpenPanel.h>
#include <AppKit/NSSavePanel.h>
#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSRef.h>
#include <standin/testing/appkit.h>
#include <strings.h>

#include <algorithm>
#include <deque>
#include <filesystem>

#include "appkit/dialog_records.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

using testing::PanelAnswer;

struct Sheet {
  NS::Ref<NS::SavePanel> panel;
  NS::Ref<NS::Window> window;  // null for a panel of its own
  std::function<void(NS::ModalResponse)> handler;
  std::optional<std::size_t> logIndex;  // once it shows
};

struct Panels {
  std::deque<PanelAnswer> answers;
  std::vector<testing::PanelRecord> log;
  std::deque<Sheet> sheets;  // in the order begun
  testing::PanelResponder responder;
};

Panels& State() {
  static auto* const panels = new Panels;  // outlives static destructors
  return *panels;
}

bool IsAcceptable(const PanelAnswer& answer) { return !answer || (!answer->empty() && answer->front() == '/'); }

std::vector<std::string> Strings(CFArrayRef array) {
  std::vector<std::string> strings;
  for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
    strings.push_back(cf::StringText(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, i))));
  }
  return strings;
}

std::string PathOf(CFURLRef url) {
  if (url == nullptr) return {};
  const CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  std::string text = cf::StringText(path);
  if (path != nullptr) CFRelease(path);
  return text;
}

template <typename Ref>
void Replace(Ref& held, Ref value) {
  if (value != nullptr) CFRetain(value);
  if (held != nullptr) CFRelease(held);
  held = value;
}

auto FirstSheetOf(const NS::Window* window) {
  std::deque<Sheet>& sheets = State().sheets;
  return std::find_if(sheets.begin(), sheets.end(),
                      [window](const Sheet& sheet) { return sheet.window.get() == window; });
}

}  // namespace

struct PanelAccess {
  static testing::PanelRecord Record(const NS::SavePanel& panel, testing::PanelMode mode, const NS::Window* window) {
    testing::PanelRecord record;
    record.kind = panel.isOpenPanel() ? testing::PanelKind::Open : testing::PanelKind::Save;
    record.mode = mode;
    record.window = window;
    if (panel.allowedFileTypes_ != nullptr) record.allowedFileTypes = Strings(panel.allowedFileTypes_);
    record.directory = PathOf(panel.directoryURL_);
    record.nameField = cf::StringText(panel.nameField_);
    record.title = cf::StringText(panel.title_);
    record.allowsOtherFileTypes = panel.allowsOtherFileTypes_;
    record.canChooseFiles = panel.canChooseFiles_;
    record.canChooseDirectories = panel.canChooseDirectories_;
    record.resolvesAliases = panel.resolvesAliases_;
    record.canCreateDirectories = panel.canCreateDirectories_;
    record.level = panel.level_;
    return record;
  }

  // A run begins: false (a validation error) when the panel already shows.
  static bool Begin(NS::SavePanel& panel) {
    CheckMainThread();
    if (panel.showing_) {
      CountValidationError();
      return false;
    }
    panel.showing_ = true;
    Replace(panel.url_, CFURLRef{});
    return true;
  }

  // The panel closes with the answer; answers the path it chose.
  static PanelAnswer Close(NS::SavePanel& panel, const PanelAnswer& answer) {
    panel.showing_ = false;
    if (!answer) return std::nullopt;
    const std::string path = panel.isOpenPanel() ? *answer : WithAllowedExtension(panel, *answer);
    std::error_code error;
    const bool folder = std::filesystem::is_directory(path, error);
    const CFStringRef text = cf::MakeString(path);
    const CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, text, kCFURLPOSIXPathStyle, folder);
    CFRelease(text);
    Replace(panel.url_, url);
    CFRelease(url);
    return path;
  }

private:
  // What a save panel enforces: a name without one of the allowed extensions gets the first.
  static std::string WithAllowedExtension(const NS::SavePanel& panel, std::string path) {
    if (panel.allowsOtherFileTypes_ || panel.allowedFileTypes_ == nullptr) return path;
    const std::vector<std::string> types = Strings(panel.allowedFileTypes_);
    if (types.empty()) return path;
    const std::string extension = std::filesystem::path(path).extension().string();
    const bool allowed = !extension.empty() && std::any_of(types.begin(), types.end(), [&](const std::string& type) {
      return strcasecmp(type.c_str(), extension.c_str() + 1) == 0;
    });
    if (!allowed) path += "." + types.front();
    return path;
  }
};

namespace {

void Show(Sheet& sheet) {
  Panels& panels = State();
  sheet.logIndex = panels.log.size();
  panels.log.push_back(PanelAccess::Record(*sheet.panel, testing::PanelMode::Sheet, sheet.window.get()));
}

}  // namespace

void ResetPanels() {
  // Destroyed after the state is clean again: a window or panel released here may call back.
  const Panels old = std::exchange(State(), Panels{});
}

}  // namespace standin::appkit

namespace NS {

SavePanel::~SavePanel() {
  for (CFTypeRef held : {CFTypeRef(allowedFileTypes_), CFTypeRef(directoryURL_), CFTypeRef(nameField_),
                         CFTypeRef(title_), CFTypeRef(url_)}) {
    if (held != nullptr) CFRelease(held);
  }
}

SavePanel* SavePanel::savePanel() { return static_cast<SavePanel*>((new SavePanel)->autorelease()); }

void SavePanel::setAllowedFileTypes(CFArrayRef types) {
  CFArrayRef copy = nullptr;
  if (types != nullptr) {
    std::vector<const void*> values;
    for (CFIndex i = 0; i < CFArrayGetCount(types); ++i) values.push_back(CFArrayGetValueAtIndex(types, i));
    copy = CFArrayCreate(kCFAllocatorDefault, values.data(), CFIndex(values.size()), &kCFTypeArrayCallBacks);
  }
  if (allowedFileTypes_ != nullptr) CFRelease(allowedFileTypes_);
  allowedFileTypes_ = copy;
}

void SavePanel::setDirectoryURL(CFURLRef url) { standin::appkit::Replace(directoryURL_, url); }

void SavePanel::setNameFieldStringValue(CFStringRef name) {
  standin::appkit::Replace(nameField_, name != nullptr ? name : CFSTR(""));
}

void SavePanel::setTitle(CFStringRef title) { standin::appkit::Replace(title_, title != nullptr ? title : CFSTR("")); }

ModalResponse SavePanel::runModal() {
  using standin::appkit::PanelAccess;
  if (!PanelAccess::Begin(*this)) return ModalResponseCancel;
  auto& panels = standin::appkit::State();
  const std::size_t logIndex = panels.log.size();
  panels.log.push_back(PanelAccess::Record(*this, standin::testing::PanelMode::Modal, nullptr));
  standin::testing::PanelAnswer answer;
  if (!panels.answers.empty()) {
    answer = std::move(panels.answers.front());
    panels.answers.pop_front();
  } else if (panels.responder) {
    // The responder may run a panel of its own: it and the record are copies.
    const standin::testing::PanelResponder responder = panels.responder;
    const standin::testing::PanelRecord shown = panels.log[logIndex];
    answer = responder(shown);
    if (!standin::appkit::IsAcceptable(answer)) answer.reset();
  }
  standin::testing::PanelRecord& record = panels.log[logIndex];
  record.answer = PanelAccess::Close(*this, answer);
  return record.answer ? ModalResponseOK : ModalResponseCancel;
}

void SavePanel::beginSheetModalForWindowCompletionHandler(Window* window, std::function<void(ModalResponse)> handler) {
  if (!standin::appkit::PanelAccess::Begin(*this)) return;
  // A window shows one sheet at a time; panels without a window show at once.
  const bool showsNow =
      window == nullptr || standin::appkit::FirstSheetOf(window) == standin::appkit::State().sheets.end();
  auto& sheets = standin::appkit::State().sheets;
  sheets.push_back(
      standin::appkit::Sheet{Ref<SavePanel>::Retain(this), Ref<Window>::Retain(window), std::move(handler), {}});
  if (showsNow) standin::appkit::Show(sheets.back());
}

OpenPanel::OpenPanel() { setCanCreateDirectories(false); }

OpenPanel* OpenPanel::openPanel() { return static_cast<OpenPanel*>((new OpenPanel)->autorelease()); }

}  // namespace NS

namespace standin::testing {

bool QueuePanelAnswer(PanelAnswer answer) {
  if (!appkit::IsAcceptable(answer)) return false;
  appkit::State().answers.push_back(std::move(answer));
  return true;
}

bool AnswerSheet(const NS::Window* window, const PanelAnswer& answer) {
  appkit::CheckMainThread();
  if (!appkit::IsAcceptable(answer)) return false;
  auto& panels = appkit::State();
  const auto found = appkit::FirstSheetOf(window);
  if (found == panels.sheets.end()) return false;
  appkit::Sheet sheet = std::move(*found);
  panels.sheets.erase(found);
  const PanelAnswer chosen = appkit::PanelAccess::Close(*sheet.panel, answer);
  panels.log[*sheet.logIndex].answer = chosen;
  const NS::ModalResponse response = chosen ? NS::ModalResponseOK : NS::ModalResponseCancel;
  // Never inside the call that answers: the handler runs on the main run loop, the panel held until then.
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes,
                        [panel = sheet.panel, handler = std::move(sheet.handler), response] {
                          if (handler) handler(response);
                        });
  if (window != nullptr) {
    const auto next = appkit::FirstSheetOf(window);
    if (next != panels.sheets.end()) appkit::Show(*next);
  }
  return true;
}

std::size_t PendingSheetCount(const NS::Window* window) {
  const auto& sheets = appkit::State().sheets;
  return static_cast<std::size_t>(std::count_if(
      sheets.begin(), sheets.end(), [window](const appkit::Sheet& sheet) { return sheet.window.get() == window; }));
}

std::vector<PanelRecord> PanelLog() { return appkit::State().log; }

void SetPanelResponder(PanelResponder responder) { appkit::State().responder = std::move(responder); }

}  // namespace standin::testing
