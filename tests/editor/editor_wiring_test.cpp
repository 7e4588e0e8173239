// The editor as the plug-in opens it: the layout on the recording graphics
// double, and each callback of the editor control reaching the plug-in core.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editing_test_support.h"
#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "plugin/settings_file.h"

namespace fs = std::filesystem;

namespace orvane::testing {
namespace {

using OrvanePresets::Collection;
using plugkit::testing::RecordingGraphics;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A channel switch whose first position turns preamp 2 off.
constexpr char kChannelScript[] = "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\npreamp2 = 0, 1, 1\n";

// Records every mute word as it is posted.
class WiredOrvane : public EditingOrvane {
public:
  void PostMuteRequest(int fadeOutMs, int holdMs, int fadeInMs) override {
    EditingOrvane::PostMuteRequest(fadeOutMs, holdMs, fadeInMs);
    mutePosts.push_back(MuteWord());
  }
  std::vector<std::uint64_t> mutePosts;
};

class EditorWiring : public ::testing::Test {
protected:
  // Opens the editor through the plug-in's own layout; prepare sees the
  // graphics context before the layout runs.
  void OpenEditor(const std::function<void(RecordingGraphics&)>& prepare = {}) {
    plugin->SetMakeGraphicsFunc([this, prepare] {
      auto* graphics = new RecordingGraphics(*plugin, kOrvaneEditorWidth, kOrvaneEditorHeight);
      if (prepare) prepare(*graphics);
      return graphics;
    });
    plugin->OpenEditor(nullptr);
  }
  OrvaneGUIControl& Editor() { return *plugin->mEditorControl; }

  standin::testing::ScopedManualClock clock;
  ProductSandbox sandbox;
  std::unique_ptr<WiredOrvane> plugin = std::make_unique<WiredOrvane>();
};

void WriteUserPresets(const ProductSandbox& sandbox) {
  for (const auto& [file, name] : {std::pair{"a.orv", "Alpha"}, {"b.orv", "Beta"}, {"c.orv", "Gamma"}})
    WriteDesign(sandbox.UserFolder(), file, name);
}

void ShowUserPresets(WiredOrvane& plugin, const ProductSandbox& sandbox) {
  WriteUserPresets(sandbox);
  plugin.ChangePresetCollection(Collection::kUser);
}

template <std::size_t N>
std::array<unsigned char, N> Filled(unsigned char value) {
  std::array<unsigned char, N> bytes{};
  bytes.fill(value);
  return bytes;
}

bool DnaRangeIs(const Design& design, std::size_t from, std::size_t to, unsigned char value) {
  const DnaBytes& dna = design.amplifier.dna;
  return std::all_of(dna.begin() + static_cast<std::ptrdiff_t>(from), dna.begin() + static_cast<std::ptrdiff_t>(to),
                     [value](unsigned char byte) { return byte == value; });
}

struct CallbackCase {
  const char* what;
  std::function<void(WiredOrvane&, const ProductSandbox&)> arrange;
  std::function<void(OrvaneGUIControl&)> call;
  bool commits;
  int mutes;
  // "{user}" and "{factory}" stand for the sandbox's preset folders.
  std::vector<std::string> dialogs;
  std::function<void(WiredOrvane&, OrvaneGUIControl&)> check;
};

void PrintTo(const CallbackCase& row, std::ostream* os) { *os << row.what; }

std::string WithFolders(std::string text, const ProductSandbox& sandbox) {
  for (const auto& [name, folder] : {std::pair{std::string("{user}"), sandbox.UserFolder()},
                                     std::pair{std::string("{factory}"), sandbox.FactoryFolder()}}) {
    if (const auto at = text.find(name); at != std::string::npos) text.replace(at, name.size(), folder.string());
  }
  return text;
}

const auto kNothing = [](WiredOrvane&, const ProductSandbox&) {};
const auto kNoCheck = [](WiredOrvane&, OrvaneGUIControl&) {};

class Callbacks : public EditorWiring, public ::testing::WithParamInterface<CallbackCase> {};

TEST_P(Callbacks, EachEndsInTheCoreOperation) {
  const CallbackCase& row = GetParam();
  OpenEditor();
  plugin->Settle();
  row.arrange(*plugin, sandbox);
  const RuntimeSnapshot* before = plugin->RenderBlock();
  plugin->mutePosts.clear();
  plugin->Graphics().Log().clear();

  row.call(Editor());

  EXPECT_EQ(plugin->mutePosts, std::vector<std::uint64_t>(static_cast<std::size_t>(row.mutes), kStandardMuteWord));
  std::vector<std::string> dialogs;
  for (const std::string& dialog : row.dialogs) dialogs.push_back(WithFolders(dialog, sandbox));
  EXPECT_EQ(plugin->DialogLog(), dialogs);
  row.check(*plugin, Editor());
  EXPECT_EQ(plugin->RenderBlock() != before, row.commits);
}

INSTANTIATE_TEST_SUITE_P(
    Editor, Callbacks,
    ::testing::Values(
        CallbackCase{"open asks for a file", kNothing, [](OrvaneGUIControl& e) { e.onOpenDesign(); }, false, 0,
                     {"choose file 0:  in  (orv)"}, kNoCheck},
        CallbackCase{"save with a factory preset active does nothing", kNothing,
                     [](OrvaneGUIControl& e) { e.onSaveDesign(); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_TRUE(p.mActivePresetFactory); }},
        CallbackCase{"save without a file path asks in the user folder",
                     [](WiredOrvane& p, const ProductSandbox&) {
                       p.mActivePresetFactory = false;
                       p.mCurrentDesignPath.clear();
                     },
                     [](OrvaneGUIControl& e) { e.onSaveDesign(); }, false, 0,
                     {"choose file 1: Untitled.orv in {user} (orv)"}, kNoCheck},
        CallbackCase{"save as asks in the user folder with the factory collection shown", kNothing,
                     [](OrvaneGUIControl& e) { e.onSaveDesignAs(); }, false, 0,
                     {"choose file 1: Untitled.orv in {user} (orv)"}, kNoCheck},
        CallbackCase{"player view",
                     [](WiredOrvane& p, const ProductSandbox&) {
                       fs::remove(GetSettingsPath());
                       p.mInputMeter->ClearDirty();
                       p.mOutputMeter->ClearDirty();
                     },
                     [](OrvaneGUIControl& e) { e.onPlayerViewChanged(false); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_FALSE(p.LiveState().playerView);
                       EXPECT_TRUE(fs::exists(GetSettingsPath()));
                       EXPECT_TRUE(p.mInputMeter->IsDirty());
                       EXPECT_TRUE(p.mOutputMeter->IsDirty());
                     }},
        CallbackCase{"amplifier off then on mutes twice", kNothing,
                     [](OrvaneGUIControl& e) {
                       e.onAmplifierEnabledChanged(false);
                       e.onAmplifierEnabledChanged(true);
                     },
                     false, 2, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_TRUE(p.LiveState().amplifierEnabled);
                       EXPECT_TRUE(p.mRenderer.AmpEnabled());
                     }},
        CallbackCase{"amplifier at its own value only writes the state",
                     [](WiredOrvane& p, const ProductSandbox&) {
                       p.Edit([](PluginStateDocument& d) { d.state.amplifierEnabled = false; });
                     },
                     [](OrvaneGUIControl& e) { e.onAmplifierEnabledChanged(true); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_TRUE(p.LiveState().amplifierEnabled); }},
        CallbackCase{"section off, section 6 ignored", kNothing,
                     [](OrvaneGUIControl& e) {
                       e.onSectionEnabledChanged(6, false);
                       e.onSectionEnabledChanged(1, false);
                     },
                     true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_FALSE(p.LiveDesign().amplifier.sections[1]);
                       EXPECT_TRUE(p.mPresetModified);
                     }},
        CallbackCase{"tone-stack position clamped", kNothing,
                     [](OrvaneGUIControl& e) { e.onToneStackPositionChanged(-3); }, true, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().amplifier.toneStackPosition, 1);
                     }},
        CallbackCase{"section trim of +75 dB stored as +60", kNothing,
                     [](OrvaneGUIControl& e) { e.onSectionTrimChanged(5, 75.0); }, true, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().amplifier.bypassGainDb[5], 60.0);
                     }},
        CallbackCase{"section trim of NaN ignored", kNothing,
                     [](OrvaneGUIControl& e) { e.onSectionTrimChanged(0, kNaN); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().amplifier.bypassGainDb[0], 0.0);
                     }},
        CallbackCase{"oversampling 3, 16, 0 and the active factor change nothing", kNothing,
                     [](OrvaneGUIControl& e) {
                       for (const int factor : {3, 16, 0, 1}) e.onOversamplingChanged(factor);
                     },
                     false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveState().oversampling, 1); }},
        CallbackCase{"oversampling 4", kNothing, [](OrvaneGUIControl& e) { e.onOversamplingChanged(4); }, true, 1,
                     {}, [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveState().oversampling, 4); }},
        CallbackCase{"DNA byte, index 73 ignored", kNothing,
                     [](OrvaneGUIControl& e) {
                       e.onDnaByteChanged(73, 1);
                       e.onDnaByteChanged(0, 200);
                     },
                     true, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveDesign().amplifier.dna[0], 200); }},
        CallbackCase{"preamp stage copied",
                     [](WiredOrvane& p, const ProductSandbox&) {
                       p.Edit([](PluginStateDocument& d) { d.design.amplifier.dna[33] ^= 0xFF; });
                     },
                     [](OrvaneGUIControl& e) { e.onCopyPreampStage(3, 0); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       const DnaBytes dna = p.LiveDesign().amplifier.dna;
                       EXPECT_TRUE(std::equal(dna.begin(), dna.begin() + 11, dna.begin() + 33));
                     }},
        CallbackCase{"preamp stage DNA", kNothing,
                     [](OrvaneGUIControl& e) { e.onPreampStageDnaChanged(1, Filled<11>(3)); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_TRUE(DnaRangeIs(p.LiveDesign(), 11, 22, 3)); }},
        CallbackCase{"tone-stack DNA", kNothing,
                     [](OrvaneGUIControl& e) { e.onToneStackDnaChanged(Filled<16>(7)); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_TRUE(DnaRangeIs(p.LiveDesign(), 44, 60, 7)); }},
        CallbackCase{"power-amp DNA", kNothing, [](OrvaneGUIControl& e) { e.onPowerAmpDnaChanged(Filled<13>(9)); },
                     true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_TRUE(DnaRangeIs(p.LiveDesign(), 60, 73, 9)); }},
        CallbackCase{"knob 150 stored as 100, knob 7 ignored", kNothing,
                     [](OrvaneGUIControl& e) {
                       e.onKnobChanged(7, 10.0);
                       e.onKnobChanged(2, 150.0);
                     },
                     true, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveDesign().amplifier.knobs[2], 100.0); }},
        CallbackCase{"input trim of -30 dB applied as -24 dB", kNothing,
                     [](OrvaneGUIControl& e) { e.onGainChanged(true, -30.0); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().trims.inputGainDb, -24.0);
                       EXPECT_DOUBLE_EQ(p.mRenderer.InputGain(), std::pow(10.0, -24.0 / 20.0));
                     }},
        CallbackCase{"output trim of -130 dB stored as -120 dB", kNothing,
                     [](OrvaneGUIControl& e) { e.onGainChanged(false, -130.0); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().trims.outputGainDb, -120.0);
                       EXPECT_DOUBLE_EQ(p.mRenderer.OutputGain(), 1e-6);
                     }},
        CallbackCase{"script", kNothing, [](OrvaneGUIControl& e) { e.onScriptChanged(kPlayerScript); }, true, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl& e) {
                       EXPECT_EQ(p.LiveDesign().script, kPlayerScript);
                       EXPECT_EQ(p.LiveState().playerControlValues, (std::vector<double>{0.0, 50.0, 0.0}));
                       EXPECT_EQ(e.mScriptText, kPlayerScript);
                     }},
        CallbackCase{"player switch",
                     [](WiredOrvane& p, const ProductSandbox&) { p.SetScriptAndValues(kPlayerScript); },
                     [](OrvaneGUIControl& e) { e.onPlayerControlChanged(2, 2.0); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveState().playerControlValues[2], 2.0); }},
        CallbackCase{"controller slots",
                     [](WiredOrvane& p, const ProductSandbox&) { p.SendControlChange(20, 99); },
                     [](OrvaneGUIControl&) {}, false, 0, {},
                     [](WiredOrvane&, OrvaneGUIControl& e) {
                       EXPECT_EQ(e.getMidiCcState(20) & 0x7F, 99u);
                       EXPECT_GE(e.getMidiCcState(20), 0x100u);
                       EXPECT_EQ(e.getMidiCcState(128), 0u);
                       EXPECT_EQ(e.getMidiCcState(-1), 0u);
                     }},
        CallbackCase{"host sample rate",
                     [](WiredOrvane& p, const ProductSandbox&) { p.mRenderer.PublishHostSampleRate(44100.0); },
                     [](OrvaneGUIControl&) {}, false, 0, {},
                     [](WiredOrvane&, OrvaneGUIControl& e) { EXPECT_EQ(e.getSampleRate(), 44100.0); }},
        CallbackCase{"name marks the preset modified without a commit", kNothing,
                     [](OrvaneGUIControl& e) { e.onDesignNameChanged("Other"); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl& e) {
                       EXPECT_EQ(p.LiveDesign().name, "Other");
                       EXPECT_TRUE(p.mPresetModified);
                       EXPECT_TRUE(e.mPresetModified);
                     }},
        CallbackCase{"description", kNothing, [](OrvaneGUIControl& e) { e.onDesignDescriptionChanged("Notes"); },
                     false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().description, "Notes");
                       EXPECT_TRUE(p.mPresetModified);
                     }},
        CallbackCase{"previous preset", ShowUserPresets, [](OrvaneGUIControl& e) { e.onPreviousPreset(); }, true, 1,
                     {}, [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveDesign().name, "Gamma"); }},
        CallbackCase{"next preset", ShowUserPresets, [](OrvaneGUIControl& e) { e.onNextPreset(); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveDesign().name, "Beta"); }},
        CallbackCase{"select preset", ShowUserPresets, [](OrvaneGUIControl& e) { e.onSelectPreset(2); }, true, 1,
                     {}, [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveDesign().name, "Gamma"); }},
        CallbackCase{"factory presets while shown ask nothing",
                     [](WiredOrvane& p, const ProductSandbox&) { p.SetDesignName("Edited"); },
                     [](OrvaneGUIControl& e) { e.onShowFactoryPresets(); }, false, 0, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) { EXPECT_EQ(p.LiveDesign().name, "Edited"); }},
        CallbackCase{"user presets",
                     [](WiredOrvane&, const ProductSandbox& sandbox) { WriteUserPresets(sandbox); },
                     [](OrvaneGUIControl& e) { e.onShowUserPresets(); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.mPresetCollection, Collection::kUser);
                       EXPECT_EQ(p.LiveDesign().name, "Alpha");
                     }},
        CallbackCase{"new design", kNothing, [](OrvaneGUIControl& e) { e.onNewDesign(); }, true, 1, {},
                     [](WiredOrvane& p, OrvaneGUIControl&) {
                       EXPECT_EQ(p.LiveDesign().name, "Untitled");
                       EXPECT_EQ(p.mPresetCollection, Collection::kUser);
                     }}));

TEST_F(EditorWiring, AScriptSentFromTheEditorsOwnTextComesBackUnharmed) {
  OpenEditor();
  plugin->Edit([](PluginStateDocument& d) { d.state.playerControlValues = {1.0, 250.0, 1.6}; });
  OrvaneGUIControl& editor = Editor();
  editor.mScriptText = kPlayerScript;  // as typed; the core pushes its text back during the call
  editor.mScriptCaret = 17;

  editor.onScriptChanged(editor.mScriptText);

  EXPECT_EQ(editor.mScriptText, kPlayerScript);
  EXPECT_EQ(plugin->LiveDesign().script, kPlayerScript);
  EXPECT_EQ(editor.mScriptCaret, 17u);
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{1.0, 100.0, 2.0}));
  EXPECT_EQ(editor.mPlayerValues, plugin->LiveState().playerControlValues);
}

TEST_F(EditorWiring, TheLayoutRegistersTheFontsAndBindsEveryCallback) {
  const std::vector<std::string> requested = {
      "LoadPlatformFontFromResource MonoFont_Large iosevka-latin-400-normal.ttf",
      "LoadPlatformFontFromResource MonoFont_Bold iosevka-latin-700-normal.ttf",
      "LoadPlatformFontFromResource Roboto-Regular iosevka-latin-400-normal.ttf"};
  const struct {
    std::optional<std::string> refused;
    std::vector<std::string> loaded;
  } cases[] = {
      {std::nullopt, {"MonoFont_Large", "MonoFont_Bold", "Roboto-Regular"}},
      {"MonoFont_Bold", {"MonoFont_Large", "Roboto-Regular"}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.refused.value_or("none refused"));
    RecordingGraphics* graphics = nullptr;
    OpenEditor([&](RecordingGraphics& g) {
      graphics = &g;
      if (row.refused) g.RefuseFontResource(*row.refused);
    });
    std::vector<std::string> calls;
    for (const std::string& line : graphics->CallLines())
      if (line.rfind("LoadPlatformFontFromResource", 0) == 0) calls.push_back(line);
    EXPECT_EQ(calls, requested);
    EXPECT_EQ(graphics->CachedFonts(), row.loaded);

    ASSERT_NE(plugin->mEditorControl, nullptr);
    ASSERT_NE(plugin->mInputMeter, nullptr);
    ASSERT_NE(plugin->mOutputMeter, nullptr);
    const OrvaneGUIControl& e = Editor();
    const bool bound[] = {
        bool(e.onOpenDesign), bool(e.onSaveDesign), bool(e.onSaveDesignAs), bool(e.onPlayerViewChanged),
        bool(e.onAmplifierEnabledChanged), bool(e.onSectionEnabledChanged), bool(e.onToneStackPositionChanged),
        bool(e.onSectionTrimChanged), bool(e.onOversamplingChanged), bool(e.onDnaByteChanged),
        bool(e.onCopyPreampStage), bool(e.onPreampStageDnaChanged), bool(e.onToneStackDnaChanged),
        bool(e.onPowerAmpDnaChanged), bool(e.onKnobChanged), bool(e.onGainChanged), bool(e.onScriptChanged),
        bool(e.onPlayerControlChanged), bool(e.onPlayerControlsChanged), bool(e.getMidiCcState),
        bool(e.getSampleRate), bool(e.onDesignNameChanged), bool(e.onDesignDescriptionChanged),
        bool(e.onPreviousPreset), bool(e.onNextPreset), bool(e.onSelectPreset), bool(e.onShowFactoryPresets),
        bool(e.onShowUserPresets), bool(e.onNewDesign)};
    EXPECT_EQ(std::count(std::begin(bound), std::end(bound), false), 0);
    plugin->CloseEditor();
  }
}

TEST_F(EditorWiring, SectionsMappedByTheScriptShowTheirEffectiveStateFromTheFirstFrame) {
  plugin->Edit([](PluginStateDocument& d) {
    d.design.script = kChannelScript;
    d.design.amplifier.sections[3] = false;
    d.state.playerControlValues = {0.0};
  });
  OpenEditor();
  EXPECT_EQ(Editor().mDesignSections, (AmpSections{true, true, true, false, true, true}));
  EXPECT_EQ(Editor().mEffectiveSections, (AmpSections{true, false, true, false, true, true}));
}

// What one idle tick takes from the controllers reaches the plug-in at once:
// one mute for the switches that changed, and each moved control's controller
// gives it back to the user as a single move does.
TEST_F(EditorWiring, ControllerMovesOfOneTickArePublishedTogether) {
  constexpr char kScript[] = "switch,2: \"A\", \"Off\", \"On\"\n[cc20]\nswitch,3: \"B\", \"X\", \"Y\", \"Z\"\n[cc20]\n"
                             "slider: \"C\"\n[cc20]\ngain = x\nslider: \"D\"\n[cc21]\nbass = x\n";
  const struct {
    const char* what;
    std::vector<std::pair<int, int>> messages;  // controller, value
    std::vector<double> values;
    std::size_t mutes;
    bool seen20, seen21;  // after the tick
  } cases[] = {
      {"two switches and two sliders", {{20, 127}, {21, 127}}, {1, 2, 100, 100}, 1, false, false},
      {"a slider", {{21, 127}}, {0, 0, 50, 100}, 0, false, false},
      {"a slider already at the value", {{21, 64}}, {0, 0, 50, 50}, 0, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    plugin = std::make_unique<WiredOrvane>();
    OpenEditor();
    plugin->SetScriptAndValues(kScript);
    plugin->Settle();
    plugin->mutePosts.clear();
    for (const auto& [cc, value] : c.messages) plugin->SendControlChange(cc, value);
    plugin->RenderBlock();
    Editor().UpdatePlots();
    EXPECT_EQ(plugin->LiveState().playerControlValues, c.values);
    EXPECT_EQ(plugin->mutePosts.size(), c.mutes);
    EXPECT_EQ(plugin->mRenderer.MidiCCSeen(20), c.seen20);
    EXPECT_EQ(plugin->mRenderer.MidiCCSeen(21), c.seen21);
    EXPECT_EQ(plugin->RenderBlock()->playerControlValues, c.values);
  }
}

}  // namespace
}  // namespace orvane::testing
