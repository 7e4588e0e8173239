// The script editor with the fonts the built bundle ships, on the platform
// graphics in a host window, clicked and typed into through the window.

#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/run_loop.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "bundle_fonts.h"
#include "editor/orvane_gui_control.h"
#include "graphics/graphics_context.h"
#include "product_test_support.h"
#include "support/test_paths.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

// At both backing scales: a line of digits wraps where the text area ends,
// and a click on a column puts what is typed there.
TEST(ScriptEditorOnBundleFonts, AClickedColumnTakesTheTypedTextAndRowsFillTheArea) {
  const fs::path bundle = ORVANE_PRODUCT_BUNDLE;
  ASSERT_EQ(MissingFontsReason(bundle), "");
  std::string line;
  for (int i = 0; i < 100; ++i) line += static_cast<char>('0' + i % 10);
  constexpr std::size_t kColumn = 30;
  constexpr float kGutterColumns = 2.f;  // up to nine lines

  for (const double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    standin::testing::ScopedManualClock clock;
    standin::testing::ResetAppKit();
    ProductSandbox sandbox;
    for (const char* font : kBundleFontFiles)
      fs::copy_file(bundle / "Contents" / "Resources" / font, sandbox.FactoryFolder().parent_path() / font);
    auto plugin = sandbox.MakeInstance();
    plugin->SetScriptAndValues(line);
    plugin->Edit([](PluginStateDocument& document) { document.state.playerView = false; });
    NS::Window* window =
        standin::testing::MakeHostWindow(NS::MakeRect(0, 0, kOrvaneEditorWidth, kOrvaneEditorHeight), scale);
    auto* view = static_cast<NS::View*>(plugin->OpenEditor(window->contentView()));
    standin::testing::RunFor(1.0 / 60.0);

    // A digit's advance, measured apart from the editor's own metrics.
    const OrvaneGUIControl& editor = *plugin->mEditorControl;
    IRECT bounds;
    const float advance = plugin->GetUI()->MeasureText(editor.mTextStyle, line.substr(0, 31).c_str(), bounds) -
                          plugin->GetUI()->MeasureText(editor.mTextStyle, line.substr(0, 30).c_str(), bounds);
    const IRECT& area = editor.mScriptRect;
    const float codeLeft = area.L + kGutterColumns * advance;
    ASSERT_FALSE(editor.mScriptRows.empty());
    EXPECT_EQ(editor.mScriptRows[0].length, static_cast<std::size_t>(std::floor((area.R - codeLeft) / advance)));

    const NS::Point click{codeLeft + (kColumn + 0.5f) * advance, area.T + editor.mScriptLineHeight / 2.f};
    standin::testing::PressButton(view, click);
    standin::testing::ReleaseButton(view, click);
    standin::testing::TypeText(window, "X");
    EXPECT_EQ(plugin->CopyDocument().design.script, line.substr(0, kColumn) + "X" + line.substr(kColumn));

    plugin->CloseEditor();
    window->release();
  }
  standin::testing::ResetAppKit();
}

}  // namespace
}  // namespace orvane::testing
