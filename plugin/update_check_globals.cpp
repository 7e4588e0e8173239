#include "plugin/update_check_globals.h"

namespace orvane {
namespace {

// Built by static initialisation, destroyed at process exit.
UpdateCheckGlobals gUpdateCheckGlobals;

}  // namespace

UpdateCheckGlobals::~UpdateCheckGlobals() {
  // The check may outlive every instance; its timeouts bound this wait.
  if (thread.joinable()) {
    thread.join();
  }
}

UpdateCheckGlobals& GetUpdateCheckGlobals() { return gUpdateCheckGlobals; }

}  // namespace orvane
