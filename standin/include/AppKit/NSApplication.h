#pragma once

// The application object of the process. Main thread only.

#include <AppKit/NSResponder.h>
#include <Foundation/NSObjCRuntime.h>

// Readies AppKit for a process that is not an application of its own (a
// plug-in's host); answers true and may be called any number of times.
bool NSApplicationLoad();

namespace NS {

// What a modal panel or alert answers.
typedef Integer ModalResponse;
enum : ModalResponse {
  ModalResponseCancel = 0,
  ModalResponseOK = 1,
};

class NS_CLASS_EXPORT Application : public Responder {
public:
  // Not owned by the caller.
  static Application* sharedApplication();

  // The event being dispatched (not owned by the caller); null outside a dispatch.
  Event* currentEvent() const { return currentEvent_; }

protected:
  ~Application() override = default;

private:
  friend class Window;
  Application();

  Event* currentEvent_ = nullptr;
};

}  // namespace NS
