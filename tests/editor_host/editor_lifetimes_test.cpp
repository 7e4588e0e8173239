// How long the product's editor and what it started live, as a host opens
// and closes it: repeated openings, a dialog outliving the editor, and two
// instances' editors open at once.

#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/run_loop.h>

#include <filesystem>
#include <memory>
#include <string>

#include "editor_host_support.h"
#include "host/auhost_validate_editor_check.h"
#include "host/auhost_validate_harness.h"

namespace orvane::testing {
namespace {

class EditorLifetimes : public ProductBundleEditor {};

TEST_F(EditorLifetimes, OpeningAndClosingThreeTimesLeavesTheLiveCountsWhereTheyWere) {
  try {
    auhost::validate::EditorOpensAndCloses(bundle);
  } catch (const auhost::validate::CheckFailure& failure) {
    ADD_FAILURE() << failure.what();
  }
}

// The reference dialog is a sheet on the host's window, answered from the
// main run loop; the host closes the editor before the user answers it.
TEST_F(EditorLifetimes, ClosingTheEditorWhileAReferenceDialogIsOpenRunsNothingLater) {
  const DrawnEditorLayout& layout = EditLayout();
  const std::filesystem::path reference = home.Path() / "reference.csv";
  WriteFileBytes(reference, "100,-3\n1000,0\n");
  auto editor = std::make_unique<HostedEditor>(bundle);
  ASSERT_NE(editor->session, nullptr);
  editor->Run(EditViewClick());

  // As a user, past the session, which would answer the sheet at once.
  NS::View* view = editor->session->View();
  const host::ScriptPoint plot = At(layout.plots[kPlotToneStack]);
  const NS::Point at{plot.x, plot.y};
  standin::testing::QueueMenuChoice({1});
  ASSERT_TRUE(standin::testing::PressButton(view, at, standin::testing::MouseButton::Right));
  ASSERT_TRUE(standin::testing::ReleaseButton(view, at, standin::testing::MouseButton::Right));
  standin::testing::RunFor(host::kAfterInputSeconds);
  const auto window = NS::Ref<NS::Window>::Retain(editor->session->Window());
  ASSERT_EQ(standin::testing::PendingSheetCount(window.get()), 1u);

  editor->session.reset();
  ASSERT_TRUE(standin::testing::AnswerSheet(window.get(), reference.string()));
  standin::testing::RunFor(host::kAfterInputSeconds);
  EXPECT_TRUE(standin::testing::AlertLog().empty());
  EXPECT_EQ(standin::testing::PendingSheetCount(window.get()), 0u);
}

TEST_F(EditorLifetimes, TwoEditorsPresentAtOnceAndBothFollowAThemeSwitch) {
  const DrawnEditorLayout& layout = EditLayout();
  HostedEditor first(bundle);
  HostedEditor second(bundle);
  ASSERT_NE(first.session, nullptr);
  ASSERT_NE(second.session, nullptr);
  EXPECT_GT(first.session->PresentedFrames(), 0);
  EXPECT_GT(second.session->PresentedFrames(), 0);
  first.Run(EditViewClick());
  second.Run(EditViewClick());

  constexpr std::size_t kPlotAreaFill = 3;
  const IRECT& plot = layout.plots[kPlotToneStack];
  const ThemeColour light = LightThemeColours()[kPlotAreaFill];
  const ThemeColour dark = DarkThemeColours()[kPlotAreaFill];
  const long area = static_cast<long>(plot.W() * plot.H());
  ASSERT_GT(PixelsOfColour(second.session->Capture(), plot, light), area / 4);

  first.Run("click " + ScriptText(At(layout.themeSwitch, 0.5, 0.75)) + "\n");
  second.session->Settle();
  EXPECT_GT(PixelsOfColour(second.session->Capture(), plot, dark), area / 4);
  EXPECT_EQ(PixelsOfColour(second.session->Capture(), plot, light), 0);

  // The theme belongs to the process: later tests start in the light one.
  first.Run("click " + ScriptText(At(layout.themeSwitch, 0.5, 0.25)) + "\n");
}

}  // namespace
}  // namespace orvane::testing
