// The render thread takes a mute request before it adopts a snapshot, so an
// audible switch must post its mute before the change is published: a block
// that starts in between would otherwise play the change unmuted.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "editing_test_support.h"

namespace orvane::testing {
namespace {

using Edit = std::function<void(EditingOrvane&, const std::string& designFile)>;

struct AudibleSwitch {
  const char* what;
  Edit prepare;
  Edit change;
};

void PrintTo(const AudibleSwitch& edit, std::ostream* os) { *os << edit.what; }

void ZeroDna(EditingOrvane& plugin, std::size_t from, std::size_t to) {
  plugin.Edit([&](PluginStateDocument& document) {
    std::fill(document.design.amplifier.dna.begin() + static_cast<std::ptrdiff_t>(from),
              document.design.amplifier.dna.begin() + static_cast<std::ptrdiff_t>(to), 0);
  });
}

const Edit kNothing = [](EditingOrvane&, const std::string&) {};

// Long enough for any machine to reach the mute; only a fault waits this out.
constexpr auto kGiveUpAfter = std::chrono::seconds(10);

class MuteBeforePublish : public EditingTest, public ::testing::WithParamInterface<AudibleSwitch> {
protected:
  void SetUp() override {
    designFile = WriteDesign(sandbox.UserFolder(), "Opened.orv", "Opened").string();
    GetParam().prepare(*plugin, designFile);
    plugin->Settle();
  }

  // Polls the mute word while the test holds the snapshot mutex.
  std::uint64_t AwaitMuteWord() const {
    const auto giveUp = std::chrono::steady_clock::now() + kGiveUpAfter;
    while (plugin->MuteWord() == 0 && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::yield();
    }
    return plugin->MuteWord();
  }

  std::string designFile;
};

TEST_P(MuteBeforePublish, TheMuteIsPendingWhileTheCommitWaitsToPublish) {
  const RuntimeSnapshot* before = plugin->RenderBlock();
  std::unique_lock snapshotLock(plugin->mSnapshotMutex);  // no commit can publish now
  std::thread editing([&] { GetParam().change(*plugin, designFile); });
  EXPECT_EQ(AwaitMuteWord(), kStandardMuteWord);
  snapshotLock.unlock();
  editing.join();

  // The first block after the change both mutes and adopts it.
  const RuntimeSnapshot* after = plugin->RenderBlock();
  EXPECT_NE(after, before);
  EXPECT_EQ(plugin->MuteWord(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, MuteBeforePublish,
    ::testing::Values(
        AudibleSwitch{"section", kNothing,
                      [](EditingOrvane& plugin, const std::string&) { plugin.SetSectionEnabled(0, false); }},
        AudibleSwitch{"oversampling", kNothing,
                      [](EditingOrvane& plugin, const std::string&) { plugin.SetOversampling(4); }},
        AudibleSwitch{"stage copy",
                      [](EditingOrvane& plugin, const std::string&) {
                        ZeroDna(plugin, 11, 22);
                        plugin.Edit([](PluginStateDocument& document) { document.design.amplifier.dna[0] = 1; });
                      },
                      [](EditingOrvane& plugin, const std::string&) { plugin.CopyPreampStageDna(1, 0); }},
        AudibleSwitch{"stage bytes", [](EditingOrvane& plugin, const std::string&) { ZeroDna(plugin, 22, 33); },
                      [](EditingOrvane& plugin, const std::string&) {
                        std::array<std::uint8_t, kDnaPreampStageSize> bytes{};
                        bytes.fill(1);
                        plugin.SetPreampStageDna(2, bytes);
                      }},
        AudibleSwitch{"tone stack", [](EditingOrvane& plugin, const std::string&) { ZeroDna(plugin, 44, 60); },
                      [](EditingOrvane& plugin, const std::string&) {
                        std::array<std::uint8_t, kDnaToneStackSize> bytes{};
                        bytes.fill(3);
                        plugin.SetToneStackDna(bytes);
                      }},
        AudibleSwitch{"power amp", [](EditingOrvane& plugin, const std::string&) { ZeroDna(plugin, 60, 73); },
                      [](EditingOrvane& plugin, const std::string&) {
                        std::array<std::uint8_t, kDnaPowerAmpSize> bytes{};
                        bytes.fill(3);
                        plugin.SetPowerAmpDna(bytes);
                      }},
        AudibleSwitch{"player switch",
                      [](EditingOrvane& plugin, const std::string&) { plugin.SetScriptAndValues(kPlayerScript); },
                      [](EditingOrvane& plugin, const std::string&) { plugin.SetPlayerControlValue(0, 1.0); }},
        AudibleSwitch{"open", kNothing,
                      [](EditingOrvane& plugin, const std::string& file) { plugin.OpenDesignFile(file, true); }},
        AudibleSwitch{"new design", kNothing, [](EditingOrvane& plugin, const std::string&) { plugin.NewDesign(); }}));

// Switching the amplifier publishes no snapshot: the render thread reads the
// flag at the start of a block, so the mute must be waiting before the flag
// changes.
class AmplifierSwitchWatch : public EditingOrvane {
public:
  void PostMuteRequest(int fadeOutMs, int holdMs, int fadeInMs) override {
    ampEnabledAtPosts.push_back(mRenderer.AmpEnabled());
    EditingOrvane::PostMuteRequest(fadeOutMs, holdMs, fadeInMs);
  }
  std::vector<bool> ampEnabledAtPosts;
};

TEST(AmplifierSwitch, TheMuteIsPostedWhileTheOldStateStillHolds) {
  standin::testing::ScopedManualClock clock;
  ProductSandbox sandbox;
  AmplifierSwitchWatch plugin;
  plugin.SetAmplifierEnabled(false);
  plugin.SetAmplifierEnabled(false);
  plugin.SetAmplifierEnabled(true);
  EXPECT_EQ(plugin.ampEnabledAtPosts, (std::vector<bool>{true, false}));
  EXPECT_TRUE(plugin.mRenderer.AmpEnabled());
}

}  // namespace
}  // namespace orvane::testing
