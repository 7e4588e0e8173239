#include "plugin/update_check.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <type_traits>

#include <CFNetwork/CFNetwork.h>
#include <CoreFoundation/CoreFoundation.h>

#include "plugin/product_version.h"
#include "plugin/update_address.h"
#include "plugin/update_answer.h"
#include "plugin/update_check_globals.h"
#include "plugin/version_list.h"

namespace orvane {
namespace {

constexpr CFIndex kHttpStatusOk = 200;

struct CFReleaser {
  void operator()(const void* ref) const { CFRelease(ref); }
};
// Owns one reference of a CF object.
template <typename Ref>
using CFOwned = std::unique_ptr<std::remove_pointer_t<Ref>, CFReleaser>;

// Closes an opened stream on every way out.
class StreamCloser {
public:
  explicit StreamCloser(CFReadStreamRef stream) : mStream(stream) {}
  ~StreamCloser() { CFReadStreamClose(mStream); }
  StreamCloser(const StreamCloser&) = delete;
  StreamCloser& operator=(const StreamCloser&) = delete;

private:
  CFReadStreamRef mStream;
};

bool SetTimeoutProperty(CFReadStreamRef stream, CFStringRef property, std::chrono::milliseconds timeout) {
  const double seconds = std::chrono::duration<double>(timeout).count();
  const CFOwned<CFNumberRef> value(CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &seconds));
  return value && CFReadStreamSetProperty(stream, property, value.get());
}

CFOwned<CFReadStreamRef> CreateRequestStream(const std::string& url, const UpdateCheckTimeouts& timeouts) {
  const CFOwned<CFStringRef> urlText(CFStringCreateWithCString(kCFAllocatorDefault, url.c_str(), kCFStringEncodingUTF8));
  const CFOwned<CFURLRef> address(urlText ? CFURLCreateWithString(kCFAllocatorDefault, urlText.get(), nullptr) : nullptr);
  if (!address) {
    return nullptr;
  }
  const CFOwned<CFHTTPMessageRef> request(
      CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("GET"), address.get(), kCFHTTPVersion1_1));
  if (!request) {
    return nullptr;
  }
  CFOwned<CFReadStreamRef> stream(CFReadStreamCreateForHTTPRequest(kCFAllocatorDefault, request.get()));
  if (!stream ||
      !CFReadStreamSetProperty(stream.get(), kCFStreamPropertyHTTPAttemptPersistentConnection, kCFBooleanFalse) ||
      !SetTimeoutProperty(stream.get(), kCFStreamPropertyStandinConnectTimeout, timeouts.connect) ||
      !SetTimeoutProperty(stream.get(), kCFStreamPropertyStandinTotalTimeout, timeouts.total)) {
    return nullptr;
  }
  return stream;
}

// Reads to the end; false on a read error or a body beyond kMaxUpdateAnswerBytes.
bool ReadAnswerBody(CFReadStreamRef stream, std::string& body) {
  UInt8 chunk[kUpdateReadChunkBytes];
  while (true) {
    const CFIndex count = CFReadStreamRead(stream, chunk, static_cast<CFIndex>(sizeof chunk));
    if (count < 0) {
      return false;
    }
    if (count == 0) {
      return true;
    }
    if (body.size() + static_cast<std::size_t>(count) > kMaxUpdateAnswerBytes) {
      return false;
    }
    body.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(count));
  }
}

bool AnsweredWithStatusOk(CFReadStreamRef stream) {
  const CFOwned<CFTypeRef> header(CFReadStreamCopyProperty(stream, kCFStreamPropertyHTTPResponseHeader));
  if (!header || CFGetTypeID(header.get()) != CFHTTPMessageGetTypeID()) {
    return false;
  }
  const auto response = static_cast<CFHTTPMessageRef>(const_cast<void*>(header.get()));
  return CFHTTPMessageGetResponseStatusCode(response) == kHttpStatusOk;
}

void PublishResult(bool available, const std::string& latestVersion) {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  {
    const std::lock_guard lock(globals.mutex);
    globals.available = available;
    globals.latestVersion = available ? latestVersion : std::string();
  }
  globals.done.store(1, std::memory_order_seq_cst);
}

void RunUpdateCheck() { CheckForUpdateThread(kUpdateCheckTimeouts); }

std::thread StartThread(void (*body)()) { return std::thread(body); }

}  // namespace

bool FetchLatestVersion(std::string& out, const UpdateCheckTimeouts& timeouts) {
  std::string url;
  if (!UpdateRequestUrlFromEnvironment(url)) {
    return false;
  }
  const CFOwned<CFReadStreamRef> stream = CreateRequestStream(url, timeouts);
  if (!stream || !CFReadStreamOpen(stream.get())) {
    return false;
  }
  std::string body;
  {
    const StreamCloser closer(stream.get());
    if (!ReadAnswerBody(stream.get(), body) || !AnsweredWithStatusOk(stream.get())) {
      return false;
    }
  }
  return ParseUpdateAnswer(body, out);
}

bool IsNewerThanProductVersion(const std::string& remote) {
  VersionList remoteVersion;
  VersionList localVersion;
  if (!ParseVersionString(remote, remoteVersion) || !ParseVersionString(kProductVersionText, localVersion)) {
    return false;
  }
  const std::size_t length = std::max(remoteVersion.size(), localVersion.size());
  PadVersion(remoteVersion, length);
  PadVersion(localVersion, length);
  return VersionLess(localVersion, remoteVersion);
}

void CheckForUpdateThread(const UpdateCheckTimeouts& timeouts) {
  std::string remote;
  bool available = false;
  try {
    available = FetchLatestVersion(remote, timeouts) && IsNewerThanProductVersion(remote);
  } catch (...) {
    available = false;  // whatever went wrong, no update is known
  }
  try {
    PublishResult(available, remote);
  } catch (...) {
    PublishResult(false, std::string());  // keeping the text failed; publish without it
  }
}

void StartUpdateCheckOnce() { StartUpdateCheckOnce(StartThread); }

void StartUpdateCheckOnce(const UpdateThreadStarter& startThread) {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  std::uint8_t notStarted = 0;
  if (!globals.started.compare_exchange_strong(notStarted, 1, std::memory_order_acq_rel)) {
    return;
  }
  try {
    globals.thread = startThread(RunUpdateCheck);
  } catch (...) {
    PublishResult(false, std::string());
  }
}

}  // namespace orvane
