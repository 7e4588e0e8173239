#include "editing_test_support.h"

#include <gtest/gtest.h>

namespace orvane::testing {

namespace {

// A second of blocks is the longest the start-up settle can last.
constexpr int kSettleBlockLimit = 48000 / 64 + 1;

}  // namespace

plugkit::testing::RecordingGraphics& EditingOrvane::Graphics() {
  auto* graphics = dynamic_cast<plugkit::testing::RecordingGraphics*>(GetUI());
  if (graphics == nullptr) throw std::logic_error("no headless editor is open");
  return *graphics;
}

void EditingOrvane::Settle() {
  for (int block = 0; block < kSettleBlockLimit && mRenderer.SettleState() != SettleMonitor::State::kDone; ++block) {
    RenderBlock();
  }
  ASSERT_EQ(mRenderer.SettleState(), SettleMonitor::State::kDone);
  RenderBlock();  // takes anything posted before
  ASSERT_EQ(MuteWord(), 0u);
}

std::vector<std::string> EditingOrvane::DialogLog() {
  std::vector<std::string> dialogs;
  for (const std::string& entry : Graphics().Log()) {
    if (entry.rfind("alert", 0) == 0 || entry.rfind("choose file", 0) == 0) dialogs.push_back(entry);
  }
  return dialogs;
}

}  // namespace orvane::testing
