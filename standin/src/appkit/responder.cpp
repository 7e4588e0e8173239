#include <AppKit/NSApplication.h>
#include <AppKit/NSResponder.h>

namespace NS {

#define STANDIN_PASS_TO_NEXT_RESPONDER(method)                    \
  void Responder::method(Event* event) {                          \
    if (Responder* next = nextResponder()) next->method(event);   \
  }

STANDIN_PASS_TO_NEXT_RESPONDER(mouseDown)
STANDIN_PASS_TO_NEXT_RESPONDER(mouseUp)
STANDIN_PASS_TO_NEXT_RESPONDER(mouseDragged)
STANDIN_PASS_TO_NEXT_RESPONDER(rightMouseDown)
STANDIN_PASS_TO_NEXT_RESPONDER(rightMouseUp)
STANDIN_PASS_TO_NEXT_RESPONDER(rightMouseDragged)
STANDIN_PASS_TO_NEXT_RESPONDER(mouseMoved)
STANDIN_PASS_TO_NEXT_RESPONDER(mouseEntered)
STANDIN_PASS_TO_NEXT_RESPONDER(mouseExited)
STANDIN_PASS_TO_NEXT_RESPONDER(scrollWheel)
STANDIN_PASS_TO_NEXT_RESPONDER(keyDown)
STANDIN_PASS_TO_NEXT_RESPONDER(keyUp)

#undef STANDIN_PASS_TO_NEXT_RESPONDER

Application::Application() { makeImmortal(); }

Application* Application::sharedApplication() {
  static Application* const application = new Application;
  return application;
}

}  // namespace NS

bool NSApplicationLoad() {
  NS::Application::sharedApplication();
  return true;
}
