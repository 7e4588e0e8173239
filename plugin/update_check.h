#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

namespace orvane {

// How long the request may take; the check's thread is joined at process exit,
// so these bound how long a dead server can hold up a host that quits.
struct UpdateCheckTimeouts {
  std::chrono::milliseconds connect;
  std::chrono::milliseconds total;
};
inline constexpr UpdateCheckTimeouts kUpdateCheckTimeouts{std::chrono::seconds(5), std::chrono::seconds(10)};

// The answer body is read in pieces of this size.
inline constexpr std::size_t kUpdateReadChunkBytes = 256;

// Asks the server named by ORVANE_UPDATE_URL for the latest version: an HTTP/1.1
// GET without a persistent connection, status 200 only, a body of at most
// kMaxUpdateAnswerBytes holding the answer document. False on any failure,
// including when no address is set (then nothing is requested).
bool FetchLatestVersion(std::string& out, const UpdateCheckTimeouts& timeouts = kUpdateCheckTimeouts);

// True when remote parses as a version after this build's own.
bool IsNewerThanProductVersion(const std::string& remote);

// The body of the check's thread: fetches, compares, stores the result under
// the process mutex and then sets the done flag. Never throws; every failure
// ends with no update known.
void CheckForUpdateThread(const UpdateCheckTimeouts& timeouts = kUpdateCheckTimeouts);

// Creates the thread that runs body; may throw std::system_error.
using UpdateThreadStarter = std::function<std::thread(void (*body)())>;

// Starts the check on its own thread unless this process already did; safe to
// call from several threads at once. When the thread cannot be created the
// check counts as done with no update known, and it is not retried.
void StartUpdateCheckOnce();
void StartUpdateCheckOnce(const UpdateThreadStarter& startThread);

}  // namespace orvane
