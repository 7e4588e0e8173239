#pragma once

// A product instance in a sandbox with the members the editing suites read,
// and the headless editor it opens.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include "support/graphics/recording_graphics.h"
#include "product_test_support.h"

namespace orvane::testing {

// The standard switch mute (0, 50, 50) as it reaches the render thread.
inline constexpr std::uint64_t kStandardMuteWord = 0x8000c80006400000ULL;

// Two switches and a slider; the first switch and the slider follow controllers.
inline constexpr char kPlayerScript[] =
    "switch,2: \"Boost\", \"Off\", \"On\"\n[cc20]\n"
    "slider: \"Drive\"\n[cc21]\ngain = x\n"
    "switch,3: \"Voice\", \"A\", \"B\", \"C\"\n";

class EditingOrvane : public TestOrvane {
public:
  using Orvane::mDesignMutex;
  using Orvane::mLastDesignFolder;
  using Orvane::mSnapshotMutex;

  plugkit::testing::RecordingGraphics& Graphics();
  // Renders silence until the start-up settle lets mute requests through.
  void Settle();
  std::uint64_t MuteWord() const { return mRenderer.PendingMuteRequest(); }
  Design LiveDesign() const { return CopyDocument().design; }
  PluginState LiveState() const { return CopyDocument().state; }
  // The alerts and file dialogs the open editor showed, in order.
  std::vector<std::string> DialogLog();
};

class EditingTest : public ::testing::Test {
protected:
  std::unique_ptr<EditingOrvane> MakePlugin() const { return std::make_unique<EditingOrvane>(); }
  // Runs what the main run loop has queued (file dialog answers among it).
  static void Pump() { standin::testing::RunOnce(); }
  std::vector<std::string> DialogLog() { return plugin->DialogLog(); }

  standin::testing::ScopedManualClock clock;
  ProductSandbox sandbox{true};
  std::unique_ptr<EditingOrvane> plugin = MakePlugin();
};

}  // namespace orvane::testing
