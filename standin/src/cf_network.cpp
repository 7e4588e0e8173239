// HTTP messages and read streams over libcurl.

#include <CFNetwork/CFNetwork.h>

#include <curl/curl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "cf_object.h"
#include "cf_string.h"

namespace {

constexpr char kHttpScheme[] = "http://";
constexpr char kHttpsScheme[] = "https://";
constexpr char kAllowedProtocols[] = "http,https";
constexpr char kCloseConnectionHeader[] = "Connection: close";
// Loopback addresses never go through a proxy from the environment.
constexpr char kNeverProxied[] = "localhost,127.0.0.1,::1";
constexpr char kGetMethod[] = "GET";
// Characters besides letters and digits that an HTTP method may hold.
constexpr std::string_view kTokenPunctuation = "!#$%&'*+-.^_`|~";

// Used when the caller sets no timeout of its own.
constexpr double kDefaultConnectTimeoutSeconds = 30.0;
constexpr double kDefaultTotalTimeoutSeconds = 60.0;
constexpr double kMillisecondsPerSecond = 1000.0;
// Longer timeouts are refused rather than overflowing libcurl's millisecond count.
constexpr double kMaxTimeoutSeconds = 24.0 * 60.0 * 60.0;

bool IsToken(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  kTokenPunctuation.find(c) != std::string_view::npos;
         });
}

bool IsHttpAddress(const std::string& url) {
  return url.starts_with(kHttpScheme) || url.starts_with(kHttpsScheme);
}

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

struct CFHTTPMessageObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override {
    return isRequest ? method + " " + url + " " + httpVersion : httpVersion + " " + std::to_string(statusCode);
  }

  bool isRequest = false;
  std::string method;
  std::string url;
  std::string httpVersion;
  CFIndex statusCode = 0;
};

struct CFReadStreamObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  enum class State { NotOpen, Open, AtEnd, Closed, Error };

  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override { return "read stream for " + method + " " + url; }

  std::string method;
  std::string url;
  std::string httpVersion;
  bool persistentConnection = true;
  double connectTimeoutSeconds = kDefaultConnectTimeoutSeconds;
  double totalTimeoutSeconds = kDefaultTotalTimeoutSeconds;

  State state = State::NotOpen;
  bool transferred = false;
  std::string body;
  std::size_t delivered = 0;
  CFIndex responseStatus = 0;  // 0 until a status line arrived
};

namespace {

CFStringRef MakeConstant(const char* text) { return CFStringMakeConstantString(text); }

long Milliseconds(double seconds) { return static_cast<long>(std::ceil(seconds * kMillisecondsPerSecond)); }

size_t AppendCappedBody(char* data, size_t size, size_t count, void* userData) {
  auto* body = static_cast<std::string*>(userData);
  const size_t bytes = size * count;
  if (body->size() + bytes > static_cast<size_t>(kCFReadStreamStandinMaxBodyBytes)) {
    return 0;  // makes libcurl abort the transfer with a write error
  }
  body->append(data, bytes);
  return bytes;
}

struct CurlEasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Sends the stream's request and stores the answer; true when it completed.
bool PerformTransfer(CFReadStreamObject& stream) {
  InitialiseCurlOnce();
  const std::unique_ptr<CURL, CurlEasyDeleter> easy(curl_easy_init());
  if (!easy) {
    return false;
  }
  std::unique_ptr<curl_slist, CurlListDeleter> headers;
  if (!stream.persistentConnection) {
    headers.reset(curl_slist_append(nullptr, kCloseConnectionHeader));
  }
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, stream.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(handle, CURLOPT_NOPROXY, kNeverProxied);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION,
                   stream.httpVersion == standin::cf::StringText(kCFHTTPVersion1_0) ? CURL_HTTP_VERSION_1_0
                                                                                    : CURL_HTTP_VERSION_1_1);
  if (stream.method == kGetMethod) {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, stream.method.c_str());
  }
  if (headers) {
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
  }
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, Milliseconds(stream.connectTimeoutSeconds));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, Milliseconds(stream.totalTimeoutSeconds));
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendCappedBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &stream.body);

  const CURLcode result = curl_easy_perform(handle);
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  stream.responseStatus = status;
  return result == CURLE_OK;
}

bool PropertyIs(CFStringRef name, CFStringRef property) { return CFEqual(name, property); }

bool ReadPositiveSeconds(CFTypeRef value, double& seconds) {
  if (value == nullptr || CFGetTypeID(value) != CFNumberGetTypeID()) {
    return false;
  }
  double asked = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberDoubleType, &asked);
  if (!(asked > 0) || asked > kMaxTimeoutSeconds) {
    return false;
  }
  seconds = asked;
  return true;
}

}  // namespace

extern "C" {

const CFStringRef kCFHTTPVersion1_0 = MakeConstant("HTTP/1.0");
const CFStringRef kCFHTTPVersion1_1 = MakeConstant("HTTP/1.1");
const CFStringRef kCFStreamPropertyHTTPAttemptPersistentConnection =
    MakeConstant("kCFStreamPropertyHTTPAttemptPersistentConnection");
const CFStringRef kCFStreamPropertyHTTPResponseHeader = MakeConstant("kCFStreamPropertyHTTPResponseHeader");
const CFStringRef kCFStreamPropertyStandinConnectTimeout = MakeConstant("kCFStreamPropertyStandinConnectTimeout");
const CFStringRef kCFStreamPropertyStandinTotalTimeout = MakeConstant("kCFStreamPropertyStandinTotalTimeout");

CFTypeID CFHTTPMessageGetTypeID(void) { return CFHTTPMessageObject::kTypeID; }

CFHTTPMessageRef CFHTTPMessageCreateRequest(CFAllocatorRef, CFStringRef requestMethod, CFURLRef url,
                                            CFStringRef httpVersion) {
  const std::string& method = standin::cf::StringText(requestMethod);
  if (url == nullptr || !IsToken(method) ||
      !(CFEqual(httpVersion, kCFHTTPVersion1_0) || CFEqual(httpVersion, kCFHTTPVersion1_1))) {
    return nullptr;
  }
  const std::string address = standin::cf::StringText(CFURLGetString(url));
  if (!IsHttpAddress(address)) {
    return nullptr;
  }
  auto* message = new CFHTTPMessageObject;
  message->isRequest = true;
  message->method = method;
  message->url = address;
  message->httpVersion = standin::cf::StringText(httpVersion);
  return message;
}

CFIndex CFHTTPMessageGetResponseStatusCode(CFHTTPMessageRef response) {
  const auto* message = standin::cf::As<CFHTTPMessageObject>(response);
  return message != nullptr && !message->isRequest ? message->statusCode : 0;
}

CFTypeID CFReadStreamGetTypeID(void) { return CFReadStreamObject::kTypeID; }

CFReadStreamRef CFReadStreamCreateForHTTPRequest(CFAllocatorRef, CFHTTPMessageRef request) {
  const auto* message = standin::cf::As<CFHTTPMessageObject>(request);
  if (message == nullptr || !message->isRequest) {
    return nullptr;
  }
  auto* stream = new CFReadStreamObject;
  stream->method = message->method;
  stream->url = message->url;
  stream->httpVersion = message->httpVersion;
  return stream;
}

Boolean CFReadStreamSetProperty(CFReadStreamRef streamRef, CFStringRef propertyName, CFTypeRef propertyValue) {
  auto* stream = standin::cf::AsMutable<CFReadStreamObject>(streamRef);
  if (stream == nullptr || stream->state != CFReadStreamObject::State::NotOpen) {
    return false;
  }
  if (PropertyIs(propertyName, kCFStreamPropertyHTTPAttemptPersistentConnection)) {
    if (propertyValue == nullptr || CFGetTypeID(propertyValue) != CFBooleanGetTypeID()) {
      return false;
    }
    stream->persistentConnection = CFBooleanGetValue(static_cast<CFBooleanRef>(propertyValue));
    return true;
  }
  if (PropertyIs(propertyName, kCFStreamPropertyStandinConnectTimeout)) {
    return ReadPositiveSeconds(propertyValue, stream->connectTimeoutSeconds);
  }
  if (PropertyIs(propertyName, kCFStreamPropertyStandinTotalTimeout)) {
    return ReadPositiveSeconds(propertyValue, stream->totalTimeoutSeconds);
  }
  return false;
}

CFTypeRef CFReadStreamCopyProperty(CFReadStreamRef streamRef, CFStringRef propertyName) {
  const auto* stream = standin::cf::As<CFReadStreamObject>(streamRef);
  if (stream == nullptr || !PropertyIs(propertyName, kCFStreamPropertyHTTPResponseHeader) ||
      stream->responseStatus == 0) {
    return nullptr;
  }
  auto* response = new CFHTTPMessageObject;
  response->httpVersion = stream->httpVersion;
  response->statusCode = stream->responseStatus;
  return response;
}

Boolean CFReadStreamOpen(CFReadStreamRef streamRef) {
  auto* stream = standin::cf::AsMutable<CFReadStreamObject>(streamRef);
  if (stream == nullptr || stream->state != CFReadStreamObject::State::NotOpen) {
    return false;
  }
  stream->state = CFReadStreamObject::State::Open;
  return true;
}

CFIndex CFReadStreamRead(CFReadStreamRef streamRef, UInt8* buffer, CFIndex bufferLength) {
  auto* stream = standin::cf::AsMutable<CFReadStreamObject>(streamRef);
  using State = CFReadStreamObject::State;
  if (stream == nullptr || bufferLength < 0 || (buffer == nullptr && bufferLength > 0)) {
    return -1;
  }
  if (stream->state == State::Open && !stream->transferred) {
    stream->transferred = true;
    if (!PerformTransfer(*stream)) {
      stream->state = State::Error;
    }
  }
  if (stream->state == State::AtEnd) {
    return 0;
  }
  if (stream->state != State::Open) {
    return -1;
  }
  const std::size_t remaining = stream->body.size() - stream->delivered;
  const std::size_t count = std::min(remaining, static_cast<std::size_t>(bufferLength));
  if (count > 0) {
    std::memcpy(buffer, stream->body.data() + stream->delivered, count);
  }
  stream->delivered += count;
  if (count == 0 && bufferLength > 0) {
    stream->state = State::AtEnd;
  }
  return static_cast<CFIndex>(count);
}

void CFReadStreamClose(CFReadStreamRef streamRef) {
  if (auto* stream = standin::cf::AsMutable<CFReadStreamObject>(streamRef)) {
    stream->state = CFReadStreamObject::State::Closed;
    stream->body.clear();
    stream->body.shrink_to_fit();
  }
}

}  // extern "C"
