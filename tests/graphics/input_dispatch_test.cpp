#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "common/popup_menu.h"
#include "framework/core/param.h"
#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/graphics_context.h"
#include "graphics/qwerty_midi_keys.h"
#include "standin/testing/run_loop.h"
#include "support/graphics/logging_control.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::kLeftButton;
using testing::kRightButton;
using testing::LoggingControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;
using Lines = std::vector<std::string>;
using Touch = SyntheticInput::Touch;

std::string At(float x, float y) {
  return std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
}

// Logs every pointer event that reaches it; a test may add a reaction to the release.
class PointerControl : public LoggingControl {
public:
  using LoggingControl::LoggingControl;

  void OnMouseDown(float x, float y, const IMouseMod& mod) override {
    Log("down " + At(x, y) + (mod.R ? " right" : "") + (mod.touchID ? " touch " + std::to_string(mod.touchID) : ""));
  }
  void OnMouseUp(float x, float y, const IMouseMod&) override {
    Log("up " + At(x, y));
    if (const auto react = mOnUp) react(this);
  }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod&) override {
    Log("drag " + At(x, y) + " by " + At(dX, dY));
  }
  void OnMouseDoubleClick(float x, float y, const IMouseMod&) override { Log("double " + At(x, y)); }
  void OnMouseWheel(float, float, const IMouseMod&, float d) override { Log("wheel " + std::to_string(d)); }
  void OnMouseHover(float x, float y, const IMouseMod&) override { Log("hover " + At(x, y)); }
  void OnMouseLeave() override {
    Log("leave");
    if (const auto react = mOnLeave) react(this);
  }
  void OnTouchCancelled(float, float, const IMouseMod& mod) override {
    Log("cancelled " + std::to_string(mod.touchID));
  }
  void OnDrop(const char* path) override { Log(std::string("drop ") + path); }
  void OnDropMultiple(const std::vector<const char*>& paths) override {
    Log("drop " + std::to_string(paths.size()) + " files");
  }
  void CreateContextMenu(IPopupMenu& menu) override { menu.AddItem("Copy"); }

  std::function<void(PointerControl*)> mOnUp;
  std::function<void(PointerControl*)> mOnLeave;
};

class InputDispatchTest : public ::testing::Test {
protected:
  enum Params { kGain, kPan, kNParams };

  InputDispatchTest() {
    delegate.GetParam(kGain)->InitGain("Gain", 0.0, -70.0, 12.0, 0.1);
    delegate.GetParam(kPan)->InitPercentage("Pan", 0.0, -100.0, 100.0);
    Attach(IRECT(0, 0, 400, 300), "bg");
  }

  PointerControl* Attach(const IRECT& bounds, const char* name, std::initializer_list<int> params = {-1}) {
    auto* control = new PointerControl(bounds, delegate.mLog, name, params);
    g.AttachControl(control);
    delegate.mLog.clear();
    return control;
  }
  Lines TakeLog() { return std::exchange(delegate.mLog, {}); }

  RecordingDelegate delegate{kNParams};
  RecordingGraphics g{delegate, 400, 300, 60, 1.f, &delegate.mLog};
  SyntheticInput input{g};
};

TEST_F(InputDispatchTest, TheTopmostControlTakingTheKindOfEventIsHit) {
  struct Case {
    const char* name;
    std::function<void(IControl&)> setUp;
    int clicked;
    int hovered;
  };
  const std::vector<Case> cases = {
      {"visible", [](IControl&) {}, 2, 2},
      {"hidden", [](IControl& c) { c.Hide(true); }, 1, 1},
      {"ignoring the mouse", [](IControl& c) { c.SetIgnoreMouse(true); }, 1, 1},
      {"disabled", [](IControl& c) { c.SetDisabled(true); }, 1, 1},
      {"disabled, taking the mouse",
       [](IControl& c) {
         c.SetDisabled(true);
         c.SetMouseEventsWhenDisabled(true);
       },
       2, 1},
      {"disabled, taking mouse-over",
       [](IControl& c) {
         c.SetDisabled(true);
         c.SetMouseOverWhenDisabled(true);
       },
       1, 2},
  };
  g.EnableMouseOver(true);
  for (const Case& c : cases) {
    g.RemoveControls(1);
    Attach(IRECT(100, 100, 200, 200), "under");
    c.setUp(*Attach(IRECT(150, 150, 250, 250), "over"));
    EXPECT_EQ(g.GetMouseControlIdx(175, 175), c.clicked) << c.name;
    EXPECT_EQ(g.GetMouseControlIdx(175, 175, true), c.hovered) << c.name;
  }
  // Right and bottom edges lie outside; the background never hovers.
  EXPECT_EQ(g.GetMouseControlIdx(250, 200), 0);
  EXPECT_EQ(g.GetMouseControlIdx(250, 200, true), -1);
  g.EnableMouseOver(false);
  EXPECT_EQ(g.GetMouseControlIdx(175, 175, true), -1);
}

TEST_F(InputDispatchTest, APressBeginsAnEditPerLinkedValueAndTheReleaseEndsThem) {
  struct Case {
    const char* name;
    int first;
    int second;
    IMouseMod mod;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"a click on a two-value control", kGain, kPan, kLeftButton,
       {"begin edit 0", "begin edit 1", "c down 150,150", "c up 150,150", "end edit 0", "end edit 1"}},
      {"a right-click on a linked control opens its context menu",
       kGain, kPan,
       kRightButton,
       {"popup menu:  (1 items) at (150,150,150,150)"}},
      {"a right-click on an unlinked first value reaches the control",
       -1, kPan,
       kRightButton,
       {"begin edit 1", "c down 150,150 right", "c up 150,150", "end edit 1"}},
  };
  for (const Case& c : cases) {
    g.RemoveControls(1);
    Attach(IRECT(100, 100, 200, 200), "c", {c.first, c.second});
    input.Click(150, 150, c.mod);
    EXPECT_EQ(TakeLog(), c.expected) << c.name;
    EXPECT_EQ(g.GetCapturedControl(), nullptr) << c.name;
  }
}

TEST_F(InputDispatchTest, AControlRemovingItselfOnReleaseStillEndsItsEdits) {
  PointerControl* control = Attach(IRECT(100, 100, 200, 200), "c", {kGain, kPan});
  control->mOnUp = [this](PointerControl* self) { g.RemoveControl(self); };
  input.Click(150, 150);
  EXPECT_EQ(TakeLog(), (Lines{"begin edit 0", "begin edit 1", "c down 150,150", "c up 150,150", "end edit 0",
                              "end edit 1"}));
  EXPECT_EQ(g.NControls(), 1);
}

// Until it ends at the release or the answer of a menu the press opened, an
// edit ends as soon as neither can come any more.
TEST_F(InputDispatchTest, EveryEditAPressBeginsEndsExactlyOnce) {
  using Answer = RecordingGraphics::PopupAnswer;
  IPopupMenu menu{"Menu", {"a"}, nullptr};
  const auto openMenu = [&](IControl& c, Answer answer) {
    g.QueuePopupAnswer(answer);
    g.CreatePopupMenuFor(c, menu, IRECT());
  };
  struct Case {
    const char* name;
    std::function<void(PointerControl&)> duringPress;
  };
  const std::vector<Case> cases = {
      {"released", [](PointerControl&) {}},
      {"the control removed", [this](PointerControl& c) { g.RemoveControl(&c); }},
      {"the mouse-over state cleared", [this](PointerControl&) { g.ClearMouseOverState(); }},
      {"every control removed", [this](PointerControl&) { g.RemoveAllControls(); }},
      {"a resize", [this](PointerControl&) { g.Resize(300, 200, 1.f, false); }},
      {"a menu answered at once", [&](PointerControl& c) { openMenu(c, Answer::Choose(0)); }},
      {"a menu answered later", [&](PointerControl& c) { openMenu(c, Answer::Async(0)); }},
      {"a menu replaced",
       [&](PointerControl& c) {
         openMenu(c, Answer::Async(0));
         openMenu(*g.GetControl(0), Answer::Dismiss());
       }},
      {"a menu replaced by one for the same control answered later",
       [&](PointerControl& c) {
         openMenu(c, Answer::Async(0));
         openMenu(c, Answer::Async(0));
       }},
      {"a menu replaced by one for the same control dismissed at once",
       [&](PointerControl& c) {
         openMenu(c, Answer::Async(0));
         openMenu(c, Answer::Dismiss());
       }},
      {"a menu forgotten",
       [&](PointerControl& c) {
         openMenu(c, Answer::Async(0));
         g.ClearMouseOverState();
       }},
      {"a menu for another control", [&](PointerControl&) { openMenu(*g.GetControl(0), Answer::Dismiss()); }},
  };
  for (const Case& c : cases) {
    g.RemoveAllControls();
    Attach(IRECT(0, 0, 400, 300), "bg");
    PointerControl* control = Attach(IRECT(100, 100, 200, 200), "c", {kGain});
    input.Down(150, 150);
    c.duringPress(*control);
    input.Up(150, 150);
    standin::testing::RunOnce();
    g.Resize(400, 300, 1.f, false);
    const Lines log = TakeLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "begin edit 0"), 1) << c.name;
    EXPECT_EQ(std::count(log.begin(), log.end(), "end edit 0"), 1) << c.name;
  }
}

TEST_F(InputDispatchTest, ASecondTouchCapturesAHeldControlOnlyWhenAllowed) {
  struct Case {
    bool multiTouch;
    bool allowsSecond;
    int downs;
  };
  const Case cases[] = {{true, false, 1}, {true, true, 2}, {false, false, 2}};
  for (const Case& c : cases) {
    g.RemoveControls(1);
    Attach(IRECT(100, 100, 200, 200), "c")->SetWantsMultiTouch(c.allowsSecond);
    g.EnableMultiTouch(c.multiTouch);
    input.TouchesDown({Touch{1, 120, 120}});
    input.TouchesDown({Touch{2, 180, 180}});
    const Lines log = TakeLog();
    EXPECT_EQ(static_cast<int>(log.size()), c.downs) << c.multiTouch << c.allowsSecond;
    EXPECT_EQ(g.GetCapturedControl(2) != nullptr, c.downs == 2);
    g.ReleaseMouseCapture();
  }
}

TEST_F(InputDispatchTest, TouchesMoveAndEndTheirOwnControls) {
  Attach(IRECT(0, 0, 100, 100), "a", {kGain});
  Attach(IRECT(200, 0, 300, 100), "b", {kPan});
  input.TouchesDown({Touch{1, 50, 50}, Touch{2, 250, 50}});
  input.TouchesDrag({Touch{1, 60, 50, 10, 0}, Touch{2, 250, 50, 0, 0}});
  input.TouchesCancelled({Touch{2, 250, 50}});
  input.TouchesUp({Touch{1, 60, 50}, Touch{2, 250, 50}});
  EXPECT_EQ(TakeLog(), (Lines{"begin edit 0", "a down 50,50 touch 1", "begin edit 1", "b down 250,50 touch 2",
                              "a drag 60,50 by 10,0", "b cancelled 2", "a up 60,50", "end edit 0"}));
}

TEST_F(InputDispatchTest, DragsReachTheCapturedControlUnlessTextIsBeingTyped) {
  struct Case {
    const char* name;
    std::function<void(PointerControl&)> setUp;
    float dX;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"a move", [](PointerControl&) {}, 5, {"c drag 155,150 by 5,0"}},
      {"no move", [](PointerControl&) {}, 0, {}},
      {"a platform text entry", [this](PointerControl& c) { g.CreateTextEntry(c, IText(), c.GetRECT(), "1"); }, 5,
       {}},
      {"the in-window text entry",
       [this](PointerControl& c) {
         g.AttachTextEntryControl();
         g.CreateTextEntry(c, IText(), c.GetRECT(), "1");
       },
       5, {}},
  };
  for (const Case& c : cases) {
    g.RemoveControls(1);
    g.RemoveTextEntryControl();
    PointerControl* control = Attach(IRECT(100, 100, 200, 200), "c");
    input.Down(150, 150);
    c.setUp(*control);
    delegate.mLog.clear();
    input.DragTo(150 + c.dX, 150);
    EXPECT_EQ(TakeLog(), c.expected) << c.name;
    g.ReleaseMouseCapture();
  }
}

TEST_F(InputDispatchTest, TheHeldControlAndTheOpenInWindowControlsTakeInputBeforeTheList) {
  PointerControl* held = Attach(IRECT(0, 0, 100, 100), "held");
  Attach(IRECT(200, 0, 300, 100), "other");
  input.Down(50, 50);
  EXPECT_EQ(g.GetMouseControl(250, 50, false), held);
  input.DragTo(250, 50);
  EXPECT_TRUE(input.KeyDown(SyntheticInput::Letter('a')));
  input.Up(250, 50);
  EXPECT_EQ(TakeLog(), (Lines{"held down 50,50", "held drag 250,50 by 200,0", "held key down a at 250,50",
                              "held up 250,50"}));

  // The menu takes them from its opening until a click closes it.
  IPopupMenu menu{"Menu", {"a"}, nullptr};
  g.AttachPopupMenuControl();
  g.CreatePopupMenuFor(*held, menu, IRECT());
  EXPECT_EQ(g.GetMouseControl(250, 50, false), g.GetPopupMenuControl());
  EXPECT_FALSE(input.KeyDown(SyntheticInput::Letter('a')));
  input.Click(250, 50);
  EXPECT_NE(g.GetMouseControl(250, 50, false), g.GetPopupMenuControl());
  EXPECT_EQ(TakeLog(), Lines{"update tooltips"});

  g.AttachTextEntryControl();
  g.CreateTextEntry(*held, IText(), IRECT(0, 0, 10, 10), "1");
  EXPECT_EQ(g.GetMouseControl(250, 50, false), g.GetTextEntryControl());
  input.Click(250, 50);
  g.GetTextEntryControl()->DismissEdit();
  EXPECT_EQ(TakeLog(), Lines{});
}

TEST_F(InputDispatchTest, ADoubleClickIsAPressOrADoubleClickThatReleasesTheCapture) {
  struct Case {
    bool asSingle;
    Lines expected;
  };
  const Case cases[] = {
      {true, {"begin edit 0", "c down 150,150", "c up 150,150", "end edit 0"}},
      {false, {"c double 150,150"}},
  };
  for (const Case& c : cases) {
    g.RemoveControls(1);
    Attach(IRECT(100, 100, 200, 200), "c", {kGain})->SetMouseDblAsSingleClick(c.asSingle);
    EXPECT_TRUE(input.DoubleClick(150, 150));
    EXPECT_EQ(TakeLog(), c.expected);
  }
  g.RemoveControls(0);
  EXPECT_FALSE(input.DoubleClick(150, 150));
}

TEST_F(InputDispatchTest, HoveringMovesBetweenControlsAndLeavingTheViewLeavesThemAll) {
  g.EnableMouseOver(true);
  Attach(IRECT(0, 0, 100, 100), "a");
  Attach(IRECT(200, 0, 300, 100), "b");
  EXPECT_TRUE(input.Hover(50, 50));
  EXPECT_TRUE(input.Hover(60, 50));
  EXPECT_TRUE(input.Hover(250, 50));
  EXPECT_EQ(g.GetMouseOverIndex(), 2);
  EXPECT_FALSE(input.Hover(150, 150));
  input.Click(50, 50);
  g.SetCursor(5);
  input.Out();
  EXPECT_EQ(TakeLog(), (Lines{"a hover 50,50", "a hover 60,50", "a leave", "b hover 250,50", "b leave",
                              "a down 50,50", "a up 50,50", "a hover 50,50", "bg leave", "a leave", "b leave"}));
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_EQ(g.GetMouseOverIndex(), -1);
  EXPECT_EQ(g.CursorKind(), 5);
  EXPECT_EQ(g.CallLines().back(), "SetCursor 0");
}

TEST_F(InputDispatchTest, ALeaveHandlerMayRemoveTheControlThePointerMovesTo) {
  g.EnableMouseOver(true);
  PointerControl* a = Attach(IRECT(0, 0, 100, 100), "a");
  PointerControl* b = Attach(IRECT(200, 0, 300, 100), "b");
  a->mOnLeave = [this, b](PointerControl*) { g.RemoveControl(b); };
  input.Hover(50, 50);
  EXPECT_FALSE(input.Hover(250, 50));
  EXPECT_EQ(TakeLog(), (Lines{"a hover 50,50", "a leave"}));
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_EQ(g.GetMouseOverIndex(), -1);
}

TEST_F(InputDispatchTest, WheelsAndDropsGoToTheControlAtThePoint) {
  Attach(IRECT(100, 100, 200, 200), "c");
  g.RemoveControl(0);
  EXPECT_TRUE(input.Wheel(150, 150, -1.5f));
  EXPECT_FALSE(input.Wheel(50, 50, 1.f));
  g.OnDrop("/tmp/a.wav", 150, 150);
  g.OnDrop("/tmp/b.wav", 50, 50);
  g.OnDropMultiple({"/tmp/a.wav", "/tmp/b.wav"}, 150, 150);
  EXPECT_EQ(TakeLog(), (Lines{"c wheel -1.500000", "c drop /tmp/a.wav", "c drop 2 files"}));
}

TEST_F(InputDispatchTest, RegisteredEventsGoToAControlWantingThemElseToTheFirstRegion) {
  constexpr int kPinch = 3;
  Attach(IRECT(0, 0, 100, 100), "plain");
  Attach(IRECT(200, 0, 300, 100), "wanting")->AttachEventHandler(kPinch, [this](IControl*, const IEventInfo& e) {
    delegate.mLog.push_back("control got " + At(e.x, e.y));
  });
  for (const char* name : {"first", "second"}) {
    g.AttachEventRegion(IRECT(0, 0, 400, 50), kPinch, [this, name](IControl* control, const IEventInfo& e) {
      delegate.mLog.push_back(std::string(name) + " region got " + At(e.x, e.y) + (control ? " with" : ""));
    });
  }
  struct Case {
    float x;
    float y;
    bool responds;
    Lines expected;
  };
  const Case cases[] = {
      {250, 80, true, {"control got 250,80"}},
      {50, 20, true, {"first region got 50,20"}},
      {50, 80, false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(g.RespondsToRegisteredEvent(c.x, c.y), c.responds);
    g.OnRegisteredEvent(IEventInfo{c.x, c.y, kPinch});
    EXPECT_EQ(TakeLog(), c.expected) << c.x << "," << c.y;
  }
  EXPECT_EQ(g.RegisteredEventKinds(), std::vector<int>{kPinch});
  g.ClearEventRegions();
  EXPECT_FALSE(g.RespondsToRegisteredEvent(50, 20));
}

TEST_F(InputDispatchTest, TheParameterUnderThePointIsKeptUntilTaken) {
  Attach(IRECT(100, 100, 200, 200), "c", {kPan, kGain});
  EXPECT_EQ(g.TakeLastClickedParam(), -1);
  g.NoteParamUnderPoint(150, 150);
  EXPECT_EQ(g.TakeLastClickedParam(), kPan);
  EXPECT_EQ(g.TakeLastClickedParam(), -1);
  g.NoteParamUnderPoint(50, 50);
  EXPECT_EQ(g.TakeLastClickedParam(), -1);
}

TEST_F(InputDispatchTest, DraggingTheCornerZoomsOrResizesUntilTheRelease) {
  struct Case {
    const char* name;
    EUIResizerMode mode;
    float downX;
    float downY;
    float toX;
    float toY;
    int width;
    int height;
    float scale;
    bool rescales;
  };
  const Case cases[] = {
      {"scale", EUIResizerMode::Scale, 200, 100, 300, 200, 400, 300, 1.5f, true},
      {"size", EUIResizerMode::Size, 200, 100, 640.7f, 480.2f, 640, 480, 1.f, false},
      {"scale from the window's edge", EUIResizerMode::Scale, 0, 100, 300, 200, 400, 300, 1.f, true},
  };
  for (const Case& c : cases) {
    g.Resize(400, 300, 1.f, false);
    g.SetGUISizeMode(c.mode);
    PointerControl* corner = Attach(IRECT(0, 0, 400, 300), "corner");
    input.Down(c.downX, c.downY);
    g.SetResizingInProcess(true);
    input.DragTo(c.toX, c.toY);
    EXPECT_EQ(g.Width(), c.width) << c.name;
    EXPECT_EQ(g.Height(), c.height) << c.name;
    EXPECT_FLOAT_EQ(g.GetDrawScale(), c.scale) << c.name;
    delegate.mLog.clear();
    input.Up(c.toX, c.toY);
    EXPECT_FALSE(g.IsResizingInProcess()) << c.name;
    const Lines log = TakeLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "corner rescale"), c.rescales ? 1 : 0) << c.name;
    g.RemoveControl(corner);
  }
}

class QwertyMidiKeysTest : public InputDispatchTest {
protected:
  QwertyMidiKeysTest() {
    QwertyMidiKeys::ResetForTesting();
    g.SetQwertyMidiKeyHandlerFunc(
        [this](const IMidiMsg& msg) { delegate.mLog.push_back("installed " + std::to_string(msg.mData1)); });
  }
  ~QwertyMidiKeysTest() override { QwertyMidiKeys::ResetForTesting(); }

  // "XZ" presses X, then Z; a lower-case letter releases it.
  void Play(const std::string& keys) {
    for (char key : keys) {
      const IKeyPress press = SyntheticInput::Letter(key);
      EXPECT_TRUE(std::isupper(static_cast<unsigned char>(key)) ? input.KeyDown(press) : input.KeyUp(press));
    }
  }
};

TEST_F(QwertyMidiKeysTest, LettersPlayNotesFromABaseThatOctaveKeysMove) {
  struct Case {
    const char* keys;
    int base;
    Lines expected;
  };
  const Case cases[] = {
      {"A", 48, {"send midi 144 48 127", "installed 48"}},
      {"A", 48, {}},
      {"X", 60, {"send midi 128 48 0", "installed 48"}},
      {"x", 60, {}},
      {"Ka", 60, {"send midi 144 72 127", "installed 72"}},
      {"k", 60, {"send midi 128 72 0", "installed 72"}},
      {"XXXX", 96, {}},
      {"ZZZZZZZ", 24, {}},
      {"Lll", 24, {"send midi 144 38 127", "installed 38", "send midi 128 38 0", "installed 38"}},
      {"BCIMNPQRV", 24, {}},
  };
  for (const Case& c : cases) {
    Play(c.keys);
    EXPECT_EQ(QwertyMidiKeys::BaseNote(), c.base) << c.keys;
    EXPECT_EQ(TakeLog(), c.expected) << c.keys;
  }
}

TEST_F(QwertyMidiKeysTest, KeysOutsideTheLettersAreTakenAndPlayNothing) {
  for (const IKeyPress& key : {IKeyPress("1", '1'), IKeyPress("", 37), IKeyPress("[", '[')}) {
    EXPECT_TRUE(input.KeyDown(key));
    EXPECT_TRUE(input.KeyUp(key));
  }
  EXPECT_EQ(TakeLog(), Lines{});
}

}  // namespace
}  // namespace plugkit::graphics
