#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "support/graphics/recording_graphics.h"
#include "plugin/settings_file.h"
#include "plugin/update_check_globals.h"
#include "product_test_support.h"
#include "update_check_reset.h"

namespace orvane::testing {
namespace {

using ::testing::HasSubstr;

constexpr char kNotice[] =
    "alert 0: Update available: Orvane 1.2.0 is available.\n\nYou are using version 1.0.4.\n"
    "Visit http://127.0.0.1:8123 to download the latest version.";

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[11];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

// The results of the update check as its thread leaves them. The instances'
// own check (started at construction, with no server to ask) ends first.
void FinishUpdateCheck(bool available, const std::string& lastNoticeDate = "") {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  if (globals.thread.joinable()) globals.thread.join();
  {
    const std::lock_guard lock(globals.mutex);
    globals.available = available;
    globals.latestVersion = "1.2.0";
    globals.lastNoticeDate = lastNoticeDate;
  }
  globals.done.store(1, std::memory_order_release);
}

std::vector<std::string> AlertsIn(const std::vector<std::string>& log) {
  std::vector<std::string> alerts;
  for (const std::string& line : log)
    if (line.rfind("alert", 0) == 0) alerts.push_back(line);
  return alerts;
}

class OrvaneIdleTick : public ::testing::Test {
protected:
  OrvaneIdleTick() { ResetProcessWideState(); }
  ~OrvaneIdleTick() override { ResetProcessWideState(); }

  static std::vector<std::string>& LogOf(TestOrvane& instance) {
    return static_cast<plugkit::testing::RecordingGraphics*>(instance.GetUI())->Log();
  }

  ProductSandbox sandbox{true};
  std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
  // Set after construction, so no check asks it; the notice names it.
  ScopedEnvironmentVariable updateServer{"ORVANE_UPDATE_URL", std::string("http://127.0.0.1:8123/")};
};

TEST_F(OrvaneIdleTick, NoticeShowsOnceWithAnOpenEditorAndRemembersTheDay) {
  FinishUpdateCheck(true, "2001-01-01");
  plugin->OpenHeadlessEditor();
  plugin->OnIdle();
  plugin->OnIdle();
  EXPECT_EQ(AlertsIn(LogOf(*plugin)), std::vector<std::string>{kNotice});

  // A second instance of the process shows nothing more.
  auto second = sandbox.MakeInstance();
  second->OpenHeadlessEditor();
  second->OnIdle();
  EXPECT_TRUE(AlertsIn(LogOf(*second)).empty());

  EXPECT_EQ(GetUpdateCheckGlobals().lastNoticeDate, Today());
  std::ifstream settings(GetSettingsPath());
  std::stringstream text;
  text << settings.rdbuf();
  EXPECT_THAT(text.str(), HasSubstr(Today()));
}

TEST_F(OrvaneIdleTick, NoNoticeWithoutAnEditorUntilOneOpens) {
  FinishUpdateCheck(true);
  for (int tick = 0; tick < 5; ++tick) plugin->OnIdle();
  EXPECT_EQ(GetUpdateCheckGlobals().noticeHandled.load(), 0);
  EXPECT_TRUE(GetUpdateCheckGlobals().lastNoticeDate.empty());

  plugin->OpenHeadlessEditor();
  plugin->OnIdle();
  EXPECT_EQ(AlertsIn(LogOf(*plugin)), std::vector<std::string>{kNotice});
}

TEST_F(OrvaneIdleTick, NoticeShownTodaySuppressesItForTheRestOfTheProcess) {
  FinishUpdateCheck(true, Today());
  plugin->OpenHeadlessEditor();
  plugin->OnIdle();
  EXPECT_EQ(GetUpdateCheckGlobals().noticeHandled.load(), 1);
  // Even when the day changes later, the decision stands.
  {
    const std::lock_guard lock(GetUpdateCheckGlobals().mutex);
    GetUpdateCheckGlobals().lastNoticeDate = "2001-01-01";
  }
  plugin->OnIdle();
  EXPECT_TRUE(AlertsIn(LogOf(*plugin)).empty());
}

TEST_F(OrvaneIdleTick, NothingToTellOrNotYetKnown) {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  if (globals.thread.joinable()) globals.thread.join();
  globals.done.store(0);
  plugin->OpenHeadlessEditor();
  plugin->OnIdle();  // the check has not finished: the decision waits
  EXPECT_EQ(globals.noticeHandled.load(), 0);

  FinishUpdateCheck(false);
  plugin->OnIdle();
  EXPECT_EQ(GetUpdateCheckGlobals().noticeHandled.load(), 1);
  EXPECT_TRUE(AlertsIn(LogOf(*plugin)).empty());
}

TEST_F(OrvaneIdleTick, EditorIdleWorkRunsEachTick) {
  plugin->OpenHeadlessEditor();
  plugin->mEditorControl->getSampleRate = [] { return 96000.0; };
  plugin->OnIdle();
  EXPECT_EQ(plugin->mEditorControl->mLastSampleRate, 96000.0);
}

class OrvaneMeterRefresh : public OrvaneIdleTick {
protected:
  void SetUp() override {
    plugin->OpenHeadlessEditor();
    meter = plugin->mOutputMeter;
    meter->mLevelSource = [this] { return std::array<float, 2>{-50.f, outputLevel}; };
  }

  // Shows `from`, then offers `to` for two ticks; whether the meter redrew.
  bool Redrawn(float from, float to) {
    meter->mLevel = from;
    meter->ClearDirty();
    outputLevel = to;
    plugin->OnIdle();
    plugin->OnIdle();
    return meter->IsDirty();
  }

  OrvaneLevelMeterControl* meter = nullptr;
  float outputLevel = -120.f;
};

TEST_F(OrvaneMeterRefresh, CrossingZeroRedrawsSmallStepsDoNot) {
  EXPECT_TRUE(Redrawn(-0.1f, 0.0f));
  EXPECT_EQ(meter->mLevel, 0.0f);
  EXPECT_FALSE(Redrawn(-20.0f, -20.3f));
  EXPECT_EQ(meter->mLevel, -20.0f);
  EXPECT_TRUE(Redrawn(-20.0f, -20.5f));
  EXPECT_TRUE(Redrawn(0.2f, -0.01f));
}

TEST_F(OrvaneMeterRefresh, EachMeterRefreshesEverySecondTickFromItsOwnChannel) {
  meter->mLevel = -120.f;
  outputLevel = -6.f;
  meter->ClearDirty();
  plugin->OnIdle();
  EXPECT_FALSE(meter->IsDirty());
  plugin->OnIdle();
  EXPECT_TRUE(meter->IsDirty());
  EXPECT_EQ(meter->mLevel, -6.f);

  // Without a source the meter falls to the floor.
  meter->mLevelSource = nullptr;
  plugin->OnIdle();
  plugin->OnIdle();
  EXPECT_EQ(meter->mLevel, OrvaneLevelMeterControl::kFloorDb);
}

}  // namespace
}  // namespace orvane::testing
