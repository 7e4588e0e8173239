#include <AppKit/NSAlert.h>
#include <standin/testing/appkit.h>

#include <deque>
#include <utility>

#include "appkit/dialog_records.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

struct Alerts {
  std::deque<std::size_t> answers;
  std::vector<testing::AlertRecord> log;
  testing::AlertResponder responder;
};

Alerts& State() {
  static auto* const alerts = new Alerts;  // outlives static destructors
  return *alerts;
}

CFStringRef Retained(CFStringRef text) {
  return static_cast<CFStringRef>(CFRetain(text != nullptr ? text : CFSTR("")));
}

void Replace(CFStringRef& held, CFStringRef text) {
  const CFStringRef old = held;
  held = Retained(text);
  CFRelease(old);
}

// The button the test chose, queued or by its responder; the first when it
// chose none or one that is not there.
std::size_t NextAnswer(const testing::AlertRecord& alert) {
  Alerts& alerts = State();
  std::size_t index = 0;
  if (!alerts.answers.empty()) {
    index = alerts.answers.front();
    alerts.answers.pop_front();
  } else if (alerts.responder) {
    // The responder may run an alert of its own; it is called from a copy.
    const testing::AlertResponder responder = alerts.responder;
    index = responder(alert);
  }
  return index < alert.buttons.size() ? index : 0;
}

}  // namespace

void ResetAlerts() { State() = Alerts{}; }

}  // namespace standin::appkit

namespace NS {

Alert::~Alert() {
  CFRelease(messageText_);
  CFRelease(informativeText_);
  for (CFStringRef title : buttonTitles_) CFRelease(title);
}

void Alert::setMessageText(CFStringRef text) { standin::appkit::Replace(messageText_, text); }

void Alert::setInformativeText(CFStringRef text) { standin::appkit::Replace(informativeText_, text); }

void Alert::addButtonWithTitle(CFStringRef title) {
  standin::appkit::CheckMainThread();
  buttonTitles_.push_back(standin::appkit::Retained(title));
}

ModalResponse Alert::runModal() {
  standin::appkit::CheckMainThread();
  standin::testing::AlertRecord record{
      standin::cf::StringText(messageText_), standin::cf::StringText(informativeText_), {}, AlertFirstButtonReturn};
  for (CFStringRef title : buttonTitles_) record.buttons.push_back(standin::cf::StringText(title));
  if (record.buttons.empty()) record.buttons.push_back("OK");
  record.answer = AlertFirstButtonReturn + static_cast<ModalResponse>(standin::appkit::NextAnswer(record));
  standin::appkit::State().log.push_back(record);
  return record.answer;
}

}  // namespace NS

namespace standin::testing {

void QueueAlertAnswer(std::size_t buttonIndex) { appkit::State().answers.push_back(buttonIndex); }

std::vector<AlertRecord> AlertLog() { return appkit::State().log; }

void SetAlertResponder(AlertResponder responder) { appkit::State().responder = std::move(responder); }

}  // namespace standin::testing
