#pragma once

// Modal alerts: a message, an informative text and buttons. Without a display
// the testing API answers them (standin/testing/appkit.h). Main thread only.

#include <AppKit/NSApplication.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

#include <vector>

namespace NS {

// runModal answers AlertFirstButtonReturn + n for the button added n-th (from 0).
enum : ModalResponse {
  AlertFirstButtonReturn = 1000,
  AlertSecondButtonReturn = 1001,
  AlertThirdButtonReturn = 1002,
};

class NS_CLASS_EXPORT Alert : public Object {
public:
  Alert() = default;
  Alert* init() override { return this; }

  // A null text counts as "". Not owned by the caller.
  void setMessageText(CFStringRef text);
  CFStringRef messageText() const { return messageText_; }
  void setInformativeText(CFStringRef text);
  CFStringRef informativeText() const { return informativeText_; }
  // Buttons appear in the order they are added; a null title counts as "".
  void addButtonWithTitle(CFStringRef title);

  // Shows the alert and answers the button pressed. An alert with no buttons
  // of its own shows one "OK" button.
  ModalResponse runModal();

protected:
  ~Alert() override;

private:
  CFStringRef messageText_ = CFSTR("");
  CFStringRef informativeText_ = CFSTR("");
  std::vector<CFStringRef> buttonTitles_;  // one reference each
};

}  // namespace NS
