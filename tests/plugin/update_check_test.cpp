#include "plugin/update_check.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include <gtest/gtest.h>
#include <standin/testing/objects.h>

#include "loopback_http_server.h"
#include "plugin/update_address.h"
#include "plugin/update_answer.h"
#include "plugin/update_check_globals.h"
#include "scoped_test_folder.h"
#include "update_check_reset.h"

namespace orvane {
namespace {

using testing::HttpAnswer;
using testing::LoopbackHttpServer;
using testing::ScopedEnvironmentVariable;

// Short enough that a silent server ends a test quickly.
constexpr UpdateCheckTimeouts kShortTimeouts{std::chrono::milliseconds(1000), std::chrono::milliseconds(300)};
// Only a guard against a hung test; never a measured expectation.
constexpr auto kGenerousWait = std::chrono::seconds(30);

std::string AnswerWithVersion(const std::string& version) { return R"({"current_version": ")" + version + R"("})"; }

// A valid answer padded with a second key to exactly size bytes.
std::string AnswerOfSize(std::size_t size) {
  const std::string start = R"({"current_version": "1.0.5", "pad": ")";
  const std::string end = R"("})";
  return start + std::string(size - start.size() - end.size(), 'x') + end;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

struct Outcome {
  bool available = false;
  std::string latestVersion;
};

Outcome PublishedOutcome() {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  const std::lock_guard lock(globals.mutex);
  return {globals.available, globals.latestVersion};
}

bool WaitUntilDone() {
  const auto deadline = std::chrono::steady_clock::now() + kGenerousWait;
  while (GetUpdateCheckGlobals().done.load() == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class UpdateCheckTest : public ::testing::Test {
protected:
  void SetUp() override { testing::ResetProcessWideState(); }
  void TearDown() override { testing::ResetProcessWideState(); }

  // Points the check at server for the rest of the test.
  void UseServer(const LoopbackHttpServer& server) { mAddress.emplace(kUpdateUrlVariable, server.BaseUrl()); }

  // Cleared even when the suite runs outside ctest, so no test reaches
  // anything but its own loopback server.
  const ScopedEnvironmentVariable mNoAddress{kUpdateUrlVariable, std::nullopt};
  std::optional<ScopedEnvironmentVariable> mAddress;
};

TEST_F(UpdateCheckTest, FetchSendsOneClosingHttp11GetForTheLatestVersion) {
  const LoopbackHttpServer server(HttpAnswer(200, AnswerWithVersion("1.0.5")));
  UseServer(server);
  const long objectsBefore = standin::testing::LiveObjectCount();

  std::string version;
  ASSERT_TRUE(FetchLatestVersion(version, kShortTimeouts));
  EXPECT_EQ(version, "1.0.5");
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsBefore);

  const std::vector<std::string> heads = server.RequestHeads();
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_TRUE(heads[0].starts_with("GET /downloads/latest_version.json HTTP/1.1\r\n")) << heads[0];
  EXPECT_NE(Lowercase(heads[0]).find("connection: close"), std::string::npos) << heads[0];
}

TEST_F(UpdateCheckTest, FetchRefusesEveryAnswerButAShortJsonOkWithAVersionText) {
  const std::string valid = AnswerWithVersion("1.0.5");
  for (const std::string& answer :
       {HttpAnswer(404, valid), HttpAnswer(500, valid), HttpAnswer(200, AnswerOfSize(kMaxUpdateAnswerBytes + 1)),
        HttpAnswer(200, "<html>not json</html>"), HttpAnswer(200, R"({"current_version": 105})"),
        HttpAnswer(200, ""), std::string("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/\r\n\r\n"),
        std::string("this is not HTTP\r\n\r\n"), std::string()}) {
    const LoopbackHttpServer server(answer);
    UseServer(server);
    const long objectsBefore = standin::testing::LiveObjectCount();
    std::string version = "unchanged";
    EXPECT_FALSE(FetchLatestVersion(version, kShortTimeouts)) << answer;
    EXPECT_EQ(version, "unchanged");
    EXPECT_EQ(server.ConnectionCount(), 1) << answer;
    EXPECT_EQ(standin::testing::LiveObjectCount(), objectsBefore) << answer;
  }
}

TEST_F(UpdateCheckTest, FetchAcceptsABodyOfExactlyTheLimit) {
  const LoopbackHttpServer server(HttpAnswer(200, AnswerOfSize(kMaxUpdateAnswerBytes)));
  UseServer(server);
  std::string version;
  EXPECT_TRUE(FetchLatestVersion(version, kShortTimeouts));
  EXPECT_EQ(version, "1.0.5");
}

TEST_F(UpdateCheckTest, SilentServerEndsWithNoUpdateKnown) {
  const LoopbackHttpServer server("", LoopbackHttpServer::Behaviour::NeverAnswer);
  UseServer(server);
  std::string version;
  EXPECT_FALSE(FetchLatestVersion(version, kShortTimeouts));

  CheckForUpdateThread(kShortTimeouts);
  EXPECT_EQ(GetUpdateCheckGlobals().done.load(), 1);
  EXPECT_FALSE(PublishedOutcome().available);
  EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(UpdateCheckTest, RefusedConnectionEndsWithNoUpdateKnown) {
  const ScopedEnvironmentVariable address(kUpdateUrlVariable,
                                          "http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()));
  CheckForUpdateThread(kShortTimeouts);
  EXPECT_EQ(GetUpdateCheckGlobals().done.load(), 1);
  EXPECT_FALSE(PublishedOutcome().available);
}

TEST_F(UpdateCheckTest, NoUsableAddressMakesNoRequest) {
  const LoopbackHttpServer server(HttpAnswer(200, AnswerWithVersion("9.9.9")));
  const std::string hostAndPort = "127.0.0.1:" + std::to_string(server.Port());
  for (const std::optional<std::string>& base :
       {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>(hostAndPort),
        std::optional<std::string>("ftp://" + hostAndPort), std::optional<std::string>(server.BaseUrl() + "/x")}) {
    const ScopedEnvironmentVariable address(kUpdateUrlVariable, base);
    testing::ResetProcessWideState();
    CheckForUpdateThread(kShortTimeouts);
    EXPECT_EQ(GetUpdateCheckGlobals().done.load(), 1);
    EXPECT_FALSE(PublishedOutcome().available);
  }
  EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST_F(UpdateCheckTest, CheckPublishesOnlyNewerVersions) {
  struct Case {
    std::string remote;
    bool available;
  };
  for (const Case& c : {Case{"1.0.5", true}, Case{"1.1", true}, Case{"1.0.4", false}, Case{"1.0", false},
                        Case{"v1.1", false}, Case{"1.1.1.1.1", false}}) {
    const LoopbackHttpServer server(HttpAnswer(200, AnswerWithVersion(c.remote)));
    UseServer(server);
    testing::ResetProcessWideState();
    CheckForUpdateThread(kShortTimeouts);
    EXPECT_EQ(GetUpdateCheckGlobals().done.load(), 1) << c.remote;
    const Outcome outcome = PublishedOutcome();
    EXPECT_EQ(outcome.available, c.available) << c.remote;
    EXPECT_EQ(outcome.latestVersion, c.available ? c.remote : "") << c.remote;
  }
}

TEST_F(UpdateCheckTest, StartingTwiceRunsOneCheck) {
  const LoopbackHttpServer server(HttpAnswer(200, AnswerWithVersion("1.0.5")));
  UseServer(server);
  StartUpdateCheckOnce();
  StartUpdateCheckOnce();
  ASSERT_TRUE(WaitUntilDone());
  testing::ResetProcessWideState();  // joins the thread
  EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST_F(UpdateCheckTest, StartingFromTwoThreadsAtOnceCreatesOneThread) {
  for (int round = 0; round < 50; ++round) {
    testing::ResetProcessWideState();
    std::atomic<int> threadsCreated{0};
    const UpdateThreadStarter countingStarter = [&](void (*body)()) {
      ++threadsCreated;
      return std::thread(body);
    };
    std::atomic<int> ready{0};
    auto start = [&] {
      ++ready;
      while (ready.load() < 2) {
      }
      StartUpdateCheckOnce(countingStarter);
    };
    std::thread first(start);
    std::thread second(start);
    first.join();
    second.join();
    ASSERT_EQ(threadsCreated.load(), 1) << "round " << round;
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_FALSE(PublishedOutcome().available);  // no address in this test
  }
}

TEST_F(UpdateCheckTest, FailingThreadCreationCountsAsDoneWithoutRetrying) {
  int attempts = 0;
  const UpdateThreadStarter failingStarter = [&](void (*)()) -> std::thread {
    ++attempts;
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                            "thread constructor failed");
  };
  EXPECT_NO_THROW(StartUpdateCheckOnce(failingStarter));
  EXPECT_NO_THROW(StartUpdateCheckOnce(failingStarter));
  EXPECT_EQ(attempts, 1);
  const UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  EXPECT_EQ(globals.started.load(), 1);
  EXPECT_EQ(globals.done.load(), 1);
  EXPECT_FALSE(globals.thread.joinable());
  EXPECT_FALSE(PublishedOutcome().available);
}

}  // namespace
}  // namespace orvane
