#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/popup_menu.h"
#include "framework/core/param.h"
#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/graphics_context.h"
#include "standin/testing/run_loop.h"
#include "support/graphics/logging_control.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::LoggingControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Answer = RecordingGraphics::PopupAnswer;
using Lines = std::vector<std::string>;

// Logs the answers that reach it, then does what the base does; a test may
// add a reaction to a menu answer.
class AskingControl : public LoggingControl {
public:
  AskingControl(const IRECT& bounds, Lines& log, std::initializer_list<int> params)
      : LoggingControl(bounds, log, "c", params) {
    SetPromptDisabled(false);
  }
  void OnPopupMenuSelection(IPopupMenu* menu, int valIdx) override {
    Log("selection " + (menu ? std::to_string(menu->GetChosenItemIdx()) : std::string("none")) + " of " +
        std::to_string(valIdx));
    IControl::OnPopupMenuSelection(menu, valIdx);
    // A copy: the reaction may delete this control.
    if (const auto react = mOnSelection) react(this);
  }
  void OnContextSelection(int itemIdx) override { Log("context " + std::to_string(itemIdx)); }
  void OnTextEntryCompletion(const char* str, int valIdx) override {
    Log("completion " + std::string(str) + " of " + std::to_string(valIdx));
    if (const auto react = mOnCompletion) react(this);
  }
  void CreateContextMenu(IPopupMenu& menu) override {
    for (const char* item : mContextItems) menu.AddItem(item);
  }

  std::vector<const char*> mContextItems{"Copy", "Paste"};
  std::function<void(AskingControl*)> mOnSelection;
  std::function<void(AskingControl*)> mOnCompletion;
};

class ValuePromptsTest : public ::testing::Test {
protected:
  enum Params { kMode, kGain, kLevel, kOdd, kNParams };

  ValuePromptsTest() {
    delegate.GetParam(kMode)->InitEnum("Mode", 1, {"Low", "Mid", "High"});
    delegate.GetParam(kGain)->InitGain("Gain", 6.0, -70.0, 12.0, 0.1);
    delegate.GetParam(kGain)->SetDisplayText(6.0, "hot");
    delegate.GetParam(kLevel)->InitGain("Level", 0.0, 0.0, 10.0, 0.5, IParam::kFlagStepped);
    // Below 0 its exponential shape maps a value to no number.
    delegate.GetParam(kOdd)->Init("Odd", "", 0, "", IParam::ShapeExp(), IParam::kUnitCustom, nullptr, 1.0, -1.0,
                                  10.0, 0.1);
  }

  AskingControl* Attach(std::initializer_list<int> params) {
    auto* control = new AskingControl(IRECT(100, 100, 200, 140), delegate.mLog, params);
    g.AttachControl(control);
    delegate.mLog.clear();
    return control;
  }

  RecordingDelegate delegate{kNParams};
  RecordingGraphics g{delegate, 400, 300, 60, 1.f, &delegate.mLog};
  IPopupMenu menu{"Menu", {"a", "b", "c"}, nullptr};
};

TEST_F(ValuePromptsTest, ThePromptMenuChecksOnlyTheCurrentText) {
  AskingControl* control = Attach({kMode});
  g.AttachPopupMenuControl();
  g.PromptUserInput(*control, control->GetRECT(), 0);
  const IPopupMenu* shown = g.GetPopupMenuControl()->GetMenu();
  ASSERT_NE(shown, nullptr);
  EXPECT_STREQ(shown->GetRootTitle(), "Mode");
  ASSERT_EQ(shown->NItems(), 3);
  const char* texts[] = {"Low", "Mid", "High"};
  const int flags[] = {0, IPopupMenu::Item::kChecked, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(shown->GetItem(i)->GetText(), texts[i]);
    EXPECT_EQ(shown->GetItem(i)->GetFlags(), flags[i]);
    EXPECT_EQ(shown->GetItem(i)->GetTag(), -1);
  }
}

TEST_F(ValuePromptsTest, OtherParametersArePromptedWithATextEntryOfTheirDisplayText) {
  struct Case {
    double gain;
    bool showsLabel;
    const char* expected;
  };
  // 6 has the display text "hot", which a prompt never shows.
  const Case cases[] = {{6.0, false, "6.0"}, {-3.5, true, "-3.5 dB"}};
  for (const Case& c : cases) {
    AskingControl* control = Attach({kGain});
    control->SetPromptShowsParamLabel(c.showsLabel);
    delegate.GetParam(kGain)->Set(c.gain);
    g.PromptUserInput(*control, IRECT(1, 2, 3, 4), 0);
    ASSERT_FALSE(g.TextEntries().empty());
    EXPECT_EQ(g.TextEntries().back().str, c.expected);
    EXPECT_EQ(g.GetControlInTextEntry(), control);
  }
}

TEST_F(ValuePromptsTest, AControlPromptsOverItselfOrInABoxCentredOnIt) {
  struct Case {
    int param;
    int valIdx;
    bool promptDisabled;
    Lines expected;
  };
  const Case cases[] = {
      {kMode, 0, false, {"popup menu: Mode (3 items) at (100,100,200,140)"}},
      {kLevel, 0, false, {"text entry 2: 0.0 in (130,112,170,128) (max 7)"}},
      {kGain, 0, false, {"text entry 1: 6.0 in (100,100,200,140) (max 7)"}},
      {kLevel, -1, false, {}},
      {kLevel, 0, true, {}},
      {IControl::kNoParameter, 0, false, {}},
  };
  for (const Case& c : cases) {
    AskingControl* control = Attach({c.param});
    control->SetPromptDisabled(c.promptDisabled);
    control->ClearDirty();
    control->PromptUserInput(c.valIdx);
    if (!c.expected.empty()) {
      // The answer (none queued: dismissed) follows the request.
      ASSERT_GE(delegate.mLog.size(), 1u);
      delegate.mLog.resize(1);
    }
    EXPECT_EQ(delegate.mLog, c.expected) << c.param << " " << c.valIdx;
    EXPECT_EQ(control->IsDirty(), !c.expected.empty());
  }
}

TEST_F(ValuePromptsTest, MenuAnswersReachTheControlAndEndItsEdits) {
  struct Case {
    Answer answer;
    Lines expected;
  };
  const Case cases[] = {
      {Answer::Choose(0), {"c selection 0 of 0", "set param 0 0.000000", "shown 0 3", "end edit 0", "end edit 1"}},
      {Answer::Choose(-1), {"c selection none of 0", "end edit 0", "end edit 1"}},
      {Answer::Dismiss(), {"c selection none of 0", "end edit 0", "end edit 1"}},
      {Answer::Async(2),
       {"popup menu result 2", "c selection 2 of 0", "set param 0 1.000000", "shown 0 3", "end edit 0", "end edit 1"}},
  };
  for (const Case& c : cases) {
    AskingControl* control = Attach({kMode, kGain});
    control->SetValueAt(0.5, 0);
    g.QueuePopupAnswer(c.answer);
    g.CreatePopupMenuFor(*control, menu, IRECT(), 0);
    standin::testing::RunOnce();
    delegate.mLog.erase(delegate.mLog.begin());  // the platform's request
    EXPECT_EQ(delegate.mLog, c.expected);
    EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
  }
}

TEST_F(ValuePromptsTest, AContextMenuAnswersOnItsOwnAndEndsNoEdit) {
  struct Case {
    std::vector<const char*> items;
    Answer answer;
    Lines expected;
  };
  const Case cases[] = {
      {{"Copy", "Paste"}, Answer::Choose(1), {"popup menu:  (2 items) at (5,6,5,6)", "c context 1"}},
      {{"Copy", "Paste"}, Answer::Dismiss(), {"popup menu:  (2 items) at (5,6,5,6)", "c context -1"}},
      {{}, Answer::Choose(0), {}},
  };
  for (const Case& c : cases) {
    AskingControl* control = Attach({kGain});
    control->mContextItems = c.items;
    g.QueuePopupAnswer(c.answer);
    g.PopupContextMenu(g.NControls() - 1, 5, 6);
    EXPECT_EQ(delegate.mLog, c.expected);
  }
}

TEST_F(ValuePromptsTest, TypedTextBecomesTheParameterValue) {
  struct Case {
    int param;
    int valIdx;
    const char* typed;
    Lines expected;
  };
  const Case cases[] = {
      {kGain, 0, "100", {"set param 1 1.000000", "shown 1 3"}},
      {kGain, 0, "-100", {"set param 1 0.000000", "shown 1 3"}},
      {kLevel, 0, "1.3", {"set param 2 0.150000", "shown 2 3"}},
      {kOdd, 0, "-0.5", {}},
      {kGain, -1, "hello", {"c completion hello of -1"}},
      {IControl::kNoParameter, 0, "hello", {"c completion hello of 0"}},
  };
  for (const Case& c : cases) {
    AskingControl* control = Attach({c.param});
    control->SetValueAt(0.5, 0);
    g.QueueTextEntryAnswer(c.typed);
    g.CreateTextEntry(*control, control->GetText(), IRECT(), "", c.valIdx);
    delegate.mLog.clear();
    standin::testing::RunOnce();
    delegate.mLog.erase(delegate.mLog.begin());  // the platform's answer
    EXPECT_EQ(delegate.mLog, c.expected) << c.typed;
    EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  }
}

TEST_F(ValuePromptsTest, AnAnswerWithNobodyWaitingIsIgnored) {
  AskingControl* control = Attach({kMode});
  g.QueuePopupAnswer(Answer::Choose(1));
  g.CreatePopupMenuFor(*control, menu, IRECT(), 0);
  delegate.mLog.clear();
  g.SetPopupMenuResult(&menu);
  g.SetControlValueAfterTextEdit("1");
  EXPECT_TRUE(delegate.mLog.empty());

  // An asynchronous answer for a control removed meanwhile.
  g.QueuePopupAnswer(Answer::Async(1));
  g.CreatePopupMenuFor(*control, menu, IRECT(), 0);
  g.CreateTextEntry(*control, control->GetText(), IRECT(), "", 0);
  g.RemoveControl(control);
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  delegate.mLog.clear();
  standin::testing::RunOnce();
  EXPECT_EQ(delegate.mLog, (Lines{"popup menu result 1"}));
}

TEST_F(ValuePromptsTest, ClearingMouseOverStateForgetsRequestsCaptureAndHover) {
  AskingControl* control = Attach({kMode});
  g.QueuePopupAnswer(Answer::Async(1));
  g.CreatePopupMenuFor(*control, menu, IRECT(), 0);
  g.CreateTextEntry(*control, control->GetText(), IRECT(), "", 0);
  g.SetCapturedControl(control);
  g.SetMouseOverControl(control, 0);

  g.ClearMouseOverState();
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_EQ(g.GetCapturedControl(), nullptr);
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_EQ(g.GetMouseOverIndex(), -1);
}

TEST_F(ValuePromptsTest, AHandlerMayAskAgainOrRemoveItsControl) {
  // A new menu asked for from the answer stays pending.
  AskingControl* asker = Attach({kMode});
  IPopupMenu next("Next", {"x"}, nullptr);
  asker->mOnSelection = [&](AskingControl* self) {
    self->mOnSelection = nullptr;
    g.QueuePopupAnswer(Answer::Async(0));
    g.CreatePopupMenuFor(*self, next, IRECT(), 0);
  };
  g.QueuePopupAnswer(Answer::Choose(2));
  g.CreatePopupMenuFor(*asker, menu, IRECT(), 0);
  EXPECT_EQ(g.GetControlInPopupMenu(), asker);

  // Likewise a new text entry asked for from the finished one.
  asker->mOnCompletion = [&](AskingControl* self) {
    self->mOnCompletion = nullptr;
    g.CreateTextEntry(*self, self->GetText(), IRECT(), "again", -1);
  };
  g.QueueTextEntryAnswer("first");
  g.CreateTextEntry(*asker, asker->GetText(), IRECT(), "", -1);
  standin::testing::RunOnce();
  EXPECT_EQ(g.GetControlInTextEntry(), asker);
  EXPECT_EQ(g.TextEntries().back().str, "again");

  // A control that removes itself still has its edits ended.
  AskingControl* leaving = Attach({kMode, kGain});
  leaving->mOnSelection = [&](AskingControl* self) { g.RemoveControl(self); };
  g.QueuePopupAnswer(Answer::Choose(1));
  g.CreatePopupMenuFor(*leaving, menu, IRECT(), 0);
  EXPECT_EQ(delegate.mLog, (Lines{"popup menu: Menu (3 items) at (0,0,0,0)", "c selection 1 of 0",
                                "set param 0 0.500000", "shown 0 3", "end edit 0", "end edit 1"}));
}

TEST_F(ValuePromptsTest, InWindowControlsTakeRequestsAndAnswer) {
  g.AttachPopupMenuControl(IText(20.f), IRECT(1, 2, 3, 4));
  g.AttachTextEntryControl();
  g.AttachPopupMenuControl();
  g.AttachTextEntryControl();
  IPopupMenuControl* popup = g.GetPopupMenuControl();
  ITextEntryControl* entry = g.GetTextEntryControl();
  EXPECT_EQ(popup->ParamIndexOfValue(), IControl::kNoParameter);
  EXPECT_EQ(popup->GetRECT(), IRECT(1, 2, 3, 4));
  EXPECT_EQ(popup->GetSpecifiedExpandedBounds(), IRECT());
  EXPECT_EQ(popup->GetText().mSize, 20.f);
  EXPECT_TRUE(popup->IsHidden());

  AskingControl* control = Attach({kMode});
  std::vector<IControl*> walked;
  g.ForAllControlsFunc([&](IControl* c) { walked.push_back(c); });
  EXPECT_EQ(walked, (std::vector<IControl*>{control, entry, popup}));

  // A menu: open in the window until collapsed, completion first.
  menu.SetFunction([&](IPopupMenu*) { delegate.mLog.push_back("completion"); });
  g.CreatePopupMenuFor(*control, menu, IRECT(), 0);
  EXPECT_EQ(popup->GetState(), IPopupMenuControl::kExpanding);
  EXPECT_EQ(popup->GetMenu(), &menu);
  popup->CollapseEverything();
  EXPECT_EQ(popup->GetState(), IPopupMenuControl::kFlickering);
  EXPECT_EQ(delegate.mLog, (Lines{"update tooltips", "completion", "c selection none of 0", "end edit 0"}));

  // A text entry: committed, then one dismissed.
  AskingControl* typed = Attach({kLevel});
  typed->PromptUserInput(0);
  EXPECT_TRUE(entry->EditInProgress());
  EXPECT_EQ(entry->GetRECT(), IRECT(130, 112, 170, 128));
  EXPECT_EQ(entry->GetEditText(), "0.0");
  EXPECT_TRUE(g.TextEntries().empty());
  typed->SetValueAt(0.5);
  entry->CommitEdit();
  EXPECT_FALSE(entry->EditInProgress());
  EXPECT_EQ(entry->GetRECT(), IRECT());
  EXPECT_EQ(delegate.mLog, (Lines{"set param 2 0.000000", "shown 2 3"}));

  typed->PromptUserInput(0);
  entry->DismissEdit();
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_EQ(entry->GetTargetRECT(), IRECT());
  EXPECT_EQ(delegate.mLog.size(), 2u);

  // Removing them forgets the requests they would have answered.
  typed->PromptUserInput(0);
  g.CreatePopupMenuFor(*control, menu, IRECT(), 0);
  g.RemoveTextEntryControl();
  g.RemovePopupMenuControl();
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
  EXPECT_EQ(g.GetTextEntryControl(), nullptr);
  EXPECT_EQ(g.GetPopupMenuControl(), nullptr);
}

}  // namespace
}  // namespace plugkit::graphics
