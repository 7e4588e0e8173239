// One update check per process, however many instances the host opens. Its
// own executable: the first instance of a process decides.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <standin/testing/bundles.h>

#include "host/audio_unit_instance.h"
#include "host/component_bundle.h"
#include "loopback_http_server.h"
#include "scoped_test_folder.h"
#include "support/test_paths.h"

namespace orvane::testing {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(10);
constexpr int kPollLimit = 1000;  // generous: the check runs on a thread of its own
constexpr auto kSecondCheckGrace = std::chrono::milliseconds(200);

TEST(ProductUpdateCheck, SecondInstanceStartsNoSecondCheck) {
  LoopbackHttpServer server(
      "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 28\r\nConnection: close\r\n\r\n"
      "{\"current_version\": \"9.9.9\"}");
  ScopedTestFolder home;
  ScopedEnvironmentVariable homeVariable("HOME", home.Path().string());
  ScopedEnvironmentVariable address("ORVANE_UPDATE_URL", server.BaseUrl());
  standin::testing::RegisterBundle(ORVANE_PRODUCT_BUNDLE);
  std::string error;
  auto bundle = host::ComponentBundle::Load(ORVANE_PRODUCT_BUNDLE, error);
  ASSERT_NE(bundle, nullptr) << error;

  OSStatus status = noErr;
  auto first = host::AudioUnitInstance::Open(*bundle, status);
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < kPollLimit && server.ConnectionCount() < 1; ++i) std::this_thread::sleep_for(kPollStep);
  ASSERT_EQ(server.ConnectionCount(), 1);

  auto second = host::AudioUnitInstance::Open(*bundle, status);
  ASSERT_NE(second, nullptr);
  second.reset();
  auto third = host::AudioUnitInstance::Open(*bundle, status);
  std::this_thread::sleep_for(kSecondCheckGrace);
  EXPECT_EQ(server.ConnectionCount(), 1);
}

}  // namespace
}  // namespace orvane::testing
