#include "editor/orvane_editor.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "graphics/graphics_context.h"
#include "plugin/orvane.h"
#include "plugin/theme_palette.h"

namespace orvane {

namespace {

constexpr std::size_t kBackgroundPaletteEntry = 0;
constexpr int kOpaque = 255;

plugkit::graphics::IColor PaletteColor(std::size_t entry) {
  const ThemeColour colour = ThemePalette[entry];
  return {kOpaque, colour.red, colour.green, colour.blue};
}

}  // namespace

plugkit::graphics::IGraphics* OrvaneEditorGraphicsFactory(Orvane&) { return nullptr; }

void OrvaneEditorLayout(Orvane& plugin, plugkit::graphics::IGraphics* graphics) {
  if (graphics == nullptr) return;
  graphics->AttachPanelBackground(plugkit::graphics::IPaint(PaletteColor(kBackgroundPaletteEntry)));

  // A restore on a host thread may be writing the live document: copy it under the lock.
  const PluginStateDocument document = plugin.CopyDocument();
  const Design& design = document.design;
  const PluginState& state = document.state;
  const plugkit::graphics::IRECT bounds(0.f, 0.f, static_cast<float>(graphics->Width()),
                                        static_cast<float>(graphics->Height()));

  // The editing callbacks come with the editor's own operations; until then
  // the control only reads the controller slots and the sample rate.
  auto* editor = new OrvaneGUIControl(
      bounds, design.name, design.description, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, design.amplifier.dna,
      design.amplifier.knobs, state.oversampling, design.script, state.playerControlValues, nullptr, nullptr,
      [&plugin](int cc) { return plugin.ReadMidiCCSlot(cc); },
      [&plugin] { return plugin.mRenderer.HostSampleRate(); }, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, state.playerView, design.trims.inputGainDb, design.trims.outputGainDb);
  plugin.mEditorControl = editor;

  editor->mDesignSections = design.amplifier.sections;
  editor->mEffectiveSections = design.amplifier.sections;
  editor->MarkDirty(false);
  editor->mToneStackPosition = std::clamp(design.amplifier.toneStackPosition, 1, 4);
  editor->MarkDirty(false);
  editor->mAmplifierEnabled = state.amplifierEnabled;
  editor->mAmplifierAnimation = state.amplifierEnabled ? kSwitchOn : kSwitchOff;
  editor->MarkDirty(false);
  editor->mBypassGainDb = design.amplifier.bypassGainDb;
  editor->MarkDirty(false);

  plugin.RebuildPresetLists();
  graphics->AttachControl(editor, -1, "");

  const auto levelSource = [&plugin] { return plugin.mRenderer.MeterLevels(); };
  plugin.mInputMeter = new OrvaneLevelMeterControl(bounds, levelSource, OrvaneLevelMeterControl::kInputMeter);
  graphics->AttachControl(plugin.mInputMeter, -1, "");
  plugin.mOutputMeter = new OrvaneLevelMeterControl(bounds, levelSource, OrvaneLevelMeterControl::kOutputMeter);
  graphics->AttachControl(plugin.mOutputMeter, -1, "");
}

}  // namespace orvane
