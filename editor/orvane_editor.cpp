#include "editor/orvane_editor.h"

#include <algorithm>
#include <array>
#include <span>

#include "editor/editor_colours.h"
#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "graphics/graphics_context.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "plugin/orvane.h"

namespace orvane {

namespace {

using OrvanePresets::Collection;
using plugkit::graphics::IText;

constexpr int kEditorFramesPerSecond = 60;
constexpr float kEditorDrawScale = 1.f;

constexpr int kPreviousPreset = -1;
constexpr int kNextPreset = +1;

struct EditorFont {
  const char* id;
  const char* file;
};

constexpr char kRegularFontFile[] = "iosevka-latin-400-normal.ttf";
constexpr char kBoldFontFile[] = "iosevka-latin-700-normal.ttf";
constexpr std::array<EditorFont, 3> kEditorFonts{{
    {kEditorFontRegular, kRegularFontFile},
    {kEditorFontBold, kBoldFontFile},
    {IText::kDefaultFont, kRegularFontFile},
}};

// The control with each callback ending in one operation of the plug-in;
// every callback captures the plug-in alone.
OrvaneGUIControl* MakeEditorControl(Orvane& plugin, const IRECT& bounds, const PluginStateDocument& document) {
  const Design& design = document.design;
  const PluginState& state = document.state;
  Orvane* const p = &plugin;
  auto* editor = new OrvaneGUIControl(
      bounds, design.name, design.description,
      [p] { p->PromptForOpenDesign(); },
      [p] { p->SaveDesignFromUI(); },
      [p] { p->PromptForSaveDesignAsInCollection(); },
      [p](bool playerView) { p->SetPlayerView(playerView); },
      [p](bool enabled) { p->SetAmplifierEnabled(enabled); },
      [p](int section, bool enabled) { p->SetSectionEnabled(section, enabled); },
      [p](int position) { p->SetToneStackPosition(position); },
      [p](int section, double gainDb) { p->SetBypassGainDb(section, gainDb); },
      [p](int factor) { p->SetOversampling(factor); },
      [p](int index, unsigned char value) { p->SetDnaByte(index, value); },
      [p](int destination, int source) { p->CopyPreampStageDna(destination, source); },
      [p](int stage, const std::array<unsigned char, kDnaPreampStageSize>& bytes) { p->SetPreampStageDna(stage, bytes); },
      [p](const std::array<unsigned char, kDnaToneStackSize>& bytes) { p->SetToneStackDna(bytes); },
      [p](const std::array<unsigned char, kDnaPowerAmpSize>& bytes) { p->SetPowerAmpDna(bytes); },
      [p](int knob, double value) { p->SetKnob(knob, value); },
      [p](bool input, double gainDb) { p->SetTrimGainDb(input, gainDb); },
      design.amplifier.dna, design.amplifier.knobs, state.oversampling, design.script, state.playerControlValues,
      [p](const std::string& script) { p->SetScriptAndValues(script); },
      [p](int control, double value) { p->SetPlayerControlValue(control, value); },
      [p](int controller) { return p->ReadMidiCCSlot(controller); },
      [p] { return p->HostSampleRate(); },
      [p](const std::string& name) { p->SetDesignName(name); },
      [p](const std::string& description) { p->SetDesignDescription(description); },
      [p] { p->NavigatePreset(kPreviousPreset); },
      [p] { p->NavigatePreset(kNextPreset); },
      [p](int index) { p->SelectPresetFromUI(index); },
      [p] { p->ChangePresetCollection(Collection::kFactory); },
      [p] { p->ChangePresetCollection(Collection::kUser); },
      [p] { p->NewDesignFromUI(); },
      state.playerView, design.trims.inputGainDb, design.trims.outputGainDb);
  editor->onPlayerControlsChanged = [p](std::span<const PlayerValueChange> changes) {
    p->SetPlayerControlValues(changes);
  };
  return editor;
}

// What the control's constructor does not take, each item marked dirty; the
// effective values then follow the script's mappings of the sections.
void PushRestOfDesign(OrvaneGUIControl& editor, const PluginStateDocument& document) {
  const DesignAmplifier& amplifier = document.design.amplifier;
  editor.mDesignSections = amplifier.sections;
  editor.MarkDirty(false);
  editor.mToneStackPosition = std::clamp(amplifier.toneStackPosition, kToneStackFirst, kToneStackLast);
  editor.MarkDirty(false);
  editor.mAmplifierEnabled = document.state.amplifierEnabled;
  editor.mAmplifierAnimation = document.state.amplifierEnabled ? kSwitchOn : kSwitchOff;
  editor.MarkDirty(false);
  editor.mBypassGainDb = amplifier.bypassGainDb;
  editor.MarkDirty(false);
  editor.RefreshEffectiveAmp();
  editor.MarkDirty(false);
}

}  // namespace

plugkit::graphics::IGraphics* OrvaneEditorGraphicsFactory(Orvane& plugin) {
  // Each dimension falls back on its own: a host may have kept only one.
  const int width = plugin.GetLastWidth() < 1 ? kOrvaneEditorWidth : plugin.GetLastWidth();
  const int height = plugin.GetLastHeight() < 1 ? kOrvaneEditorHeight : plugin.GetLastHeight();
  return plugkit::graphics::MakeMacGraphics(plugin, width, height, kEditorFramesPerSecond, kEditorDrawScale);
}

std::array<float, 2> OrvaneLevelSource(const Orvane& plugin) { return plugin.MeterLevels(); }

void OrvaneEditorLayout(Orvane& plugin, plugkit::graphics::IGraphics* graphics) {
  if (graphics == nullptr) return;
  graphics->AttachPanelBackground(plugkit::graphics::IPaint(PaletteColor(kPaletteBackground)));
  // The editor shows the pointing hand over its links while the pointer moves.
  graphics->EnableMouseOver(true);
  // A font that does not load is left out: the editor opens with the others.
  for (const EditorFont& font : kEditorFonts) graphics->LoadFont(font.id, font.file);

  // A restore on a host thread may be writing the live document: copy it under the lock.
  const PluginStateDocument document = plugin.CopyDocument();
  const IRECT bounds(0.f, 0.f, static_cast<float>(graphics->Width()), static_cast<float>(graphics->Height()));
  OrvaneGUIControl* editor = MakeEditorControl(plugin, bounds, document);
  plugin.mEditorControl = editor;
  PushRestOfDesign(*editor, document);

  plugin.RebuildPresetLists();
  graphics->AttachControl(editor, -1, "");

  const auto levelSource = [p = &plugin] { return OrvaneLevelSource(*p); };
  plugin.mInputMeter = new OrvaneLevelMeterControl(bounds, levelSource, OrvaneLevelMeterControl::kInputMeter);
  graphics->AttachControl(plugin.mInputMeter, -1, "");
  plugin.mOutputMeter = new OrvaneLevelMeterControl(bounds, levelSource, OrvaneLevelMeterControl::kOutputMeter);
  graphics->AttachControl(plugin.mOutputMeter, -1, "");
}

}  // namespace orvane
