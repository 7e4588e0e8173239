// The HTTP read stream of the stand-in, against a loopback server.
#include <CFNetwork/CFNetwork.h>

#include <string>

#include <gtest/gtest.h>
#include <standin/testing/objects.h>

#include "loopback_http_server.h"

namespace {

using orvane::testing::HttpAnswer;
using orvane::testing::LoopbackHttpServer;

constexpr CFIndex kChunk = 256;
constexpr double kShortTotalSeconds = 0.3;

CFURLRef MakeUrl(const std::string& text) {
  const CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
  const CFURLRef url = CFURLCreateWithString(kCFAllocatorDefault, string, nullptr);
  CFRelease(string);
  return url;
}

CFReadStreamRef MakeStream(const std::string& url, CFStringRef version = kCFHTTPVersion1_1) {
  const CFURLRef address = MakeUrl(url);
  const CFHTTPMessageRef request = CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("GET"), address, version);
  CFRelease(address);
  if (request == nullptr) {
    return nullptr;
  }
  const CFReadStreamRef stream = CFReadStreamCreateForHTTPRequest(kCFAllocatorDefault, request);
  CFRelease(request);
  return stream;
}

struct Fetched {
  bool readFailed = false;
  std::string body;
  CFIndex status = 0;
};

Fetched ReadToEnd(CFReadStreamRef stream) {
  Fetched fetched;
  EXPECT_TRUE(CFReadStreamOpen(stream));
  UInt8 buffer[kChunk];
  while (true) {
    const CFIndex count = CFReadStreamRead(stream, buffer, kChunk);
    if (count < 0) {
      fetched.readFailed = true;
      break;
    }
    if (count == 0) {
      break;
    }
    fetched.body.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count));
  }
  if (CFTypeRef header = CFReadStreamCopyProperty(stream, kCFStreamPropertyHTTPResponseHeader)) {
    EXPECT_EQ(CFGetTypeID(header), CFHTTPMessageGetTypeID());
    fetched.status = CFHTTPMessageGetResponseStatusCode(static_cast<CFHTTPMessageRef>(const_cast<void*>(header)));
    CFRelease(header);
  }
  CFReadStreamClose(stream);
  return fetched;
}

TEST(CFNetworkStandinTest, DeliversTheBodyInPiecesAndTheStatusAfterwards) {
  const std::string body(3 * kChunk + 17, 'b');
  const LoopbackHttpServer server(HttpAnswer(203, body));
  const long objectsBefore = standin::testing::LiveObjectCount();
  const CFReadStreamRef stream = MakeStream(server.BaseUrl() + "/some/path?q=1");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(CFReadStreamCopyProperty(stream, kCFStreamPropertyHTTPResponseHeader), nullptr);

  const Fetched fetched = ReadToEnd(stream);
  EXPECT_FALSE(fetched.readFailed);
  EXPECT_EQ(fetched.body, body);
  EXPECT_EQ(fetched.status, 203);
  CFRelease(stream);
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsBefore);
  ASSERT_EQ(server.RequestHeads().size(), 1u);
  EXPECT_TRUE(server.RequestHeads()[0].starts_with("GET /some/path?q=1 HTTP/1.1\r\n"));
}

TEST(CFNetworkStandinTest, SendsTheAskedHttpVersion) {
  const LoopbackHttpServer server(HttpAnswer(200, "x"));
  const CFReadStreamRef stream = MakeStream(server.BaseUrl() + "/", kCFHTTPVersion1_0);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadToEnd(stream).body, "x");
  CFRelease(stream);
  ASSERT_EQ(server.RequestHeads().size(), 1u);
  EXPECT_TRUE(server.RequestHeads()[0].starts_with("GET / HTTP/1.0\r\n"));
}

TEST(CFNetworkStandinTest, BodyBeyondTheLimitIsAReadError) {
  for (const CFIndex size : {kCFReadStreamStandinMaxBodyBytes, kCFReadStreamStandinMaxBodyBytes + 1}) {
    const LoopbackHttpServer server(HttpAnswer(200, std::string(static_cast<std::size_t>(size), 'z')));
    const CFReadStreamRef stream = MakeStream(server.BaseUrl() + "/big");
    const Fetched fetched = ReadToEnd(stream);
    const bool withinLimit = size <= kCFReadStreamStandinMaxBodyBytes;
    EXPECT_EQ(fetched.readFailed, !withinLimit) << size;
    EXPECT_EQ(fetched.body.size(), withinLimit ? static_cast<std::size_t>(size) : 0u) << size;
    CFRelease(stream);
  }
}

TEST(CFNetworkStandinTest, RedirectsAreNotFollowed) {
  const LoopbackHttpServer target(HttpAnswer(200, "moved"));
  const LoopbackHttpServer redirect("HTTP/1.1 302 Found\r\nLocation: " + target.BaseUrl() +
                                    "/\r\nContent-Length: 0\r\n\r\n");
  const CFReadStreamRef stream = MakeStream(redirect.BaseUrl() + "/");
  const Fetched fetched = ReadToEnd(stream);
  EXPECT_EQ(fetched.status, 302);
  EXPECT_EQ(fetched.body, "");
  EXPECT_EQ(target.ConnectionCount(), 0);
  CFRelease(stream);
}

TEST(CFNetworkStandinTest, TotalTimeoutEndsASilentRequest) {
  const LoopbackHttpServer server("", LoopbackHttpServer::Behaviour::NeverAnswer);
  const CFReadStreamRef stream = MakeStream(server.BaseUrl() + "/");
  const CFNumberRef seconds = CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &kShortTotalSeconds);
  EXPECT_TRUE(CFReadStreamSetProperty(stream, kCFStreamPropertyStandinTotalTimeout, seconds));
  EXPECT_TRUE(CFReadStreamSetProperty(stream, kCFStreamPropertyStandinConnectTimeout, seconds));
  CFRelease(seconds);
  const Fetched fetched = ReadToEnd(stream);
  EXPECT_TRUE(fetched.readFailed);
  EXPECT_EQ(fetched.status, 0);
  CFRelease(stream);
}

TEST(CFNetworkStandinTest, RefusesMalformedRequestsAndMisuse) {
  const CFURLRef fileUrl = MakeUrl("file:///etc/hostname");
  const CFURLRef httpUrl = MakeUrl("http://127.0.0.1:1/");
  EXPECT_EQ(CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("GET"), fileUrl, kCFHTTPVersion1_1), nullptr);
  EXPECT_EQ(CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR(""), httpUrl, kCFHTTPVersion1_1), nullptr);
  EXPECT_EQ(CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("G T"), httpUrl, kCFHTTPVersion1_1), nullptr);
  EXPECT_EQ(CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("GET"), httpUrl, CFSTR("HTTP/2")), nullptr);
  EXPECT_EQ(CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("GET"), nullptr, kCFHTTPVersion1_1), nullptr);
  EXPECT_EQ(CFReadStreamCreateForHTTPRequest(kCFAllocatorDefault, nullptr), nullptr);
  CFRelease(fileUrl);

  const CFHTTPMessageRef request =
      CFHTTPMessageCreateRequest(kCFAllocatorDefault, CFSTR("GET"), httpUrl, kCFHTTPVersion1_1);
  CFRelease(httpUrl);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(CFHTTPMessageGetResponseStatusCode(request), 0);  // a request has no status
  const CFReadStreamRef stream = CFReadStreamCreateForHTTPRequest(kCFAllocatorDefault, request);
  CFRelease(request);

  UInt8 buffer[kChunk];
  EXPECT_EQ(CFReadStreamRead(stream, buffer, kChunk), -1);  // not open yet
  EXPECT_FALSE(CFReadStreamSetProperty(stream, CFSTR("no such property"), kCFBooleanTrue));
  EXPECT_FALSE(CFReadStreamSetProperty(stream, kCFStreamPropertyHTTPAttemptPersistentConnection, CFSTR("no")));
  EXPECT_FALSE(CFReadStreamSetProperty(stream, kCFStreamPropertyStandinTotalTimeout, kCFBooleanTrue));
  for (const double seconds : {0.0, -1.0, 1e300}) {
    const CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &seconds);
    EXPECT_FALSE(CFReadStreamSetProperty(stream, kCFStreamPropertyStandinConnectTimeout, number)) << seconds;
    CFRelease(number);
  }
  EXPECT_TRUE(CFReadStreamOpen(stream));
  EXPECT_FALSE(CFReadStreamOpen(stream));
  EXPECT_FALSE(CFReadStreamSetProperty(stream, kCFStreamPropertyHTTPAttemptPersistentConnection, kCFBooleanFalse));
  CFReadStreamClose(stream);
  EXPECT_EQ(CFReadStreamRead(stream, buffer, kChunk), -1);  // closed
  CFRelease(stream);
}

}  // namespace
