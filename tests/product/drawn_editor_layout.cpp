#include "drawn_editor_layout.h"

#include <cstdint>
#include <cstdio>

#include "editor/editor_colours.h"
#include "editor/orvane_gui_control.h"
#include "engine/dna_table.h"
#include "engine/engine_settings.h"
#include "product_test_support.h"
#include "support/graphics/frame_runner.h"

namespace orvane::testing {

namespace {

constexpr double kUpperHalf = 0.25;
constexpr double kLowerHalf = 0.75;
constexpr double kOffDefaultGain = 0.75;  // of the track's width; the default is its middle

}  // namespace

DrawnEditorLayout DrawEditorLayout(bool playerView, const std::string& script) {
  TestOrvane plugin;
  plugin.Edit([&](PluginStateDocument& document) {
    document.state.playerView = playerView;
    document.design.script = script;
  });
  plugin.OpenHeadlessEditor();
  plugkit::testing::RunFrame(dynamic_cast<plugkit::testing::RecordingGraphics&>(*plugin.GetUI()));
  const OrvaneGUIControl& editor = *plugin.mEditorControl;
  DrawnEditorLayout layout;
  layout.viewSwitch = editor.mViewSwitchRect;
  layout.themeSwitch = editor.mThemeSwitchRect;
  layout.logo = editor.mLogoRect;
  layout.oversamplingBox = editor.mOversamplingRect;
  layout.nextPreset = editor.mNextPresetRect;
  layout.newDesign = editor.mNewRect;
  layout.saveDesign = editor.mSaveRect;
  layout.saveDesignAs = editor.mSaveAsRect;
  if (!playerView) {
    layout.scriptArea = editor.mScriptRect;
    layout.gainKnobTrack = editor.mKnobTrackRects.at(kKnobGain);
    layout.preampMenuBox = editor.mPreampDnaHeaderRect;
    layout.powerAmpMenuBox = editor.mPowerAmpDnaHeaderRect;
    layout.plots = editor.mPlotRects;
  }
  layout.playerTracks = editor.mPlayerTrackRects;
  plugin.CloseEditor();
  return layout;
}

const DrawnEditorLayout& EditLayout() {
  static const DrawnEditorLayout layout = DrawEditorLayout(false);
  return layout;
}

host::ScriptPoint At(const IRECT& r, double fx, double fy) { return {r.L + fx * r.W(), r.T + fy * r.H()}; }

host::ScriptPoint EditViewSwitch() { return At(EditLayout().viewSwitch, 0.5, kLowerHalf); }
host::ScriptPoint PlayViewSwitch() { return At(EditLayout().viewSwitch, 0.5, kUpperHalf); }

host::ScriptPoint GainEdit() { return At(EditLayout().gainKnobTrack, kOffDefaultGain); }

std::string ScriptText(host::ScriptPoint point) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.2f", point.x, point.y);
  return text;
}

long PixelsOfColour(const standin::testing::Image& image, const IRECT& area, ThemeColour colour) {
  long count = 0;
  for (int y = static_cast<int>(area.T); y < static_cast<int>(area.B) && y < image.height; ++y) {
    for (int x = static_cast<int>(area.L); x < static_cast<int>(area.R) && x < image.width; ++x) {
      const std::uint8_t* pixel = image.pixel(x, y);
      if (pixel[0] == colour.red && pixel[1] == colour.green && pixel[2] == colour.blue) ++count;
    }
  }
  return count;
}

long PreampCurvePixels(const standin::testing::Image& image) {
  const ThemeColours& palette = LightThemeColours();
  long count = 0;
  for (int stage = 0; stage < kPreampStageCount; ++stage)
    count += PixelsOfColour(image, EditLayout().plots[kPlotPreampLinear], palette[kPaletteFirstStageCurve + stage]);
  return count;
}

}  // namespace orvane::testing
