#include "drawn_editor_layout.h"

#include "editor/orvane_gui_control.h"
#include "engine/engine_settings.h"
#include "product_test_support.h"
#include "support/graphics/frame_runner.h"

namespace orvane::testing {

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
  if (!playerView) {
    layout.scriptArea = editor.mScriptRect;
    layout.gainKnobTrack = editor.mKnobTrackRects.at(kKnobGain);
    layout.powerAmpMenuBox = editor.mPowerAmpDnaHeaderRect;
    layout.plots = editor.mPlotRects;
  }
  layout.playerTracks = editor.mPlayerTrackRects;
  plugin.CloseEditor();
  return layout;
}

ViewPoint At(const IRECT& r, double fx, double fy) { return {r.L + fx * r.W(), r.T + fy * r.H()}; }

}  // namespace orvane::testing
