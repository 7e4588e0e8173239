#pragma once

// How an auhost command fails: a message for the user and the exit code that
// tells scripts which input was at fault.

#include <stdexcept>
#include <string>

namespace orvane::auhost {

enum class ExitCode : int {
  kSuccess = 0,
  kComponentError = 1,  // the component refused a call
  kUsage = 2,           // the command line itself is wrong
  kBundle = 3,          // the bundle is missing or cannot be loaded
  kAudioFile = 4,       // an audio file cannot be read or written
  kDesignFile = 5,      // a design file is missing or invalid
  kStateFile = 6,       // a state file is missing, malformed or refused
  kNoEditor = 7,        // the component gives no editor view
  kNoFrame = 8,         // the editor presented no frame in time
  kImageFile = 9,       // an image file cannot be written
  kScript = 10,         // an editor script cannot be read or has a bad line
};

class Failure : public std::runtime_error {
public:
  Failure(ExitCode code, const std::string& message) : std::runtime_error(message), mCode(code) {}
  ExitCode Code() const { return mCode; }

private:
  ExitCode mCode;
};

}  // namespace orvane::auhost
