#include "graphics/controls/popup_menu_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/popup_menu.h"
#include "framework/core/param.h"
#include "graphics/clock.h"
#include "graphics/graphics_context.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;
using Lines = std::vector<std::string>;
using Item = IPopupMenu::Item;
using S = IPopupMenuControl;

// A frame just after each 100 ms fade.
constexpr double kFadeStep = 101.0;

// Asks for menus and logs the answers: "<name> selection <index>" or "<name> selection none".
class Requester : public IControl {
public:
  Requester(const IRECT& bounds, Lines& log, std::string name) : IControl(bounds, 0), mLog(log), mName(name) {
    SetPromptDisabled(false);
  }
  void Draw(IGraphics&) override {}
  void OnPopupMenuSelection(IPopupMenu* menu, int valIdx) override {
    mLog.push_back(mName + " selection " + (menu ? std::to_string(menu->GetChosenItemIdx()) : "none"));
    IControl::OnPopupMenuSelection(menu, valIdx);
    if (const auto react = mOnSelection) react(this);
  }

  IPopupMenu mOwnMenu{"own", {"x", "y", "z"}, nullptr};
  std::function<void(Requester*)> mOnSelection;

private:
  Lines& mLog;
  std::string mName;
};

std::unique_ptr<IPopupMenu> Menu(std::initializer_list<const char*> items) {
  return std::make_unique<IPopupMenu>("", 0, false, items);
}

float MidX(const IRECT& r) { return (r.L + r.R) / 2.f; }
float MidY(const IRECT& r) { return (r.T + r.B) / 2.f; }

// An editor with the in-window popup menu attached, on a pinned clock.
struct Editor {
  explicit Editor(int width = 400, int height = 300) : g(delegate, width, height) {
    delegate.GetParam(0)->InitEnum("Mode", 0, {"Low", "Mid", "High"});
    g.AttachPopupMenuControl();
    popup = g.GetPopupMenuControl();
    GraphicsClock::PinForTesting(now);
  }
  ~Editor() { GraphicsClock::PinForTesting(std::nullopt); }

  Requester* Attach(const char* name) {
    return static_cast<Requester*>(g.AttachControl(new Requester(IRECT(0, 0, 10, 10), log, name)));
  }
  // Asks for the menu and lets it expand.
  void Open(IControl& requester, IPopupMenu& menu, const IRECT& anchor) {
    g.CreatePopupMenuFor(requester, menu, anchor, 0);
    Advance(kFadeStep);
  }
  void Advance(double ms) {
    now += ms;
    GraphicsClock::PinForTesting(now);
    testing::RunFrame(g);
  }
  const S::MenuPanel& Panel(int index = 0) const { return *popup->GetPanel(index); }
  const IRECT& Cell(int cell, int panel = 0) const { return *Panel(panel).GetCell(cell); }
  void HoverCell(int cell, int panel = 0) { input.Hover(MidX(Cell(cell, panel)), MidY(Cell(cell, panel))); }
  void ClickCell(int cell, int panel = 0) { input.Click(MidX(Cell(cell, panel)), MidY(Cell(cell, panel))); }
  // What the control draws: each fill as "<paint> <blend>: <path>" (M and L
  // points, A for an arc), shadows and texts as logged.
  Lines Drawn() {
    g.ClearCalls();
    popup->Draw(g);
    Lines drawn;
    std::string path;
    for (const std::string& line : g.CallLines()) {
      const std::string kind = line.substr(0, line.find(' '));
      if (kind == "PathMoveTo") path += "M" + line.substr(11) + " ";
      if (kind == "PathLineTo") path += "L" + line.substr(11) + " ";
      if (kind == "PathArc") path += "A ";
      if (kind == "FillPath") drawn.push_back(line.substr(9) + ": " + path);
      if (kind == "FillPath" || kind == "PathClear") path.clear();
      if (kind == "DrawBoxShadow" || kind == "DrawText") drawn.push_back(line);
    }
    return drawn;
  }
  bool Draws(const std::string& part) {
    for (const std::string& line : Drawn())
      if (line.find(part) != std::string::npos) return true;
    return false;
  }

  double now = 1000.0;
  RecordingDelegate delegate{1};
  RecordingGraphics g;
  SyntheticInput input{g};
  IPopupMenuControl* popup;
  Lines log;
};

class PopupMenuControlTest : public ::testing::Test {};

TEST_F(PopupMenuControlTest, PanelsAreSizedFromTheMeasuredItems) {
  struct Case {
    std::vector<std::pair<const char*, int>> items;  // text and flags
    IRECT rect;                                       // at anchor (100, 50, 140, 70), below it
  };
  // Cells 14 high (the text) and 21 + 28 wide; a separator is 2 high.
  const std::vector<Case> cases = {
      {{{"a", 0}, {"bb", 0}, {"ccc", 0}}, IRECT(95.5f, 70, 154.5f, 126)},
      {{{"a", 0}, {"", Item::kSeparator}, {"ccc", 0}}, IRECT(95.5f, 70, 154.5f, 114)},
      {{}, IRECT(106, 70, 144, 80)},
  };
  for (const Case& c : cases) {
    Editor ed;
    IPopupMenu menu;
    for (const auto& [text, flags] : c.items) menu.AddItem(text, IPopupMenu::kAppend, flags);
    ed.Open(*ed.Attach("c"), menu, IRECT(100, 50, 140, 70));
    EXPECT_EQ(ed.Panel().mRECT, c.rect) << c.items.size();
    EXPECT_EQ(ed.popup->GetRECT(), c.rect.GetGrown(10)) << c.items.size();
  }
}

// Columns 42 wide are placed by their whole width, inside the editor; wider
// than it holds, they scroll.
TEST_F(PopupMenuControlTest, TallMenusTakeColumnsOrScroll) {
  struct Case {
    int items;
    int maxPerColumn;
    bool scroll;
    int editorHeight;
    std::vector<int> columns;  // cells per column
    bool scroller;
    int editorWidth = 400;
    float anchorX = 10.f;
  };
  const std::vector<Case> cases = {
      {25, 10, false, 300, {10, 10, 5}, false},
      {25, 10, true, 300, {17}, true},  // the rows that fit
      {3, 1, false, 300, {1, 1, 1}, false},
      {30, 0, false, 300, {17, 13}, false},
      {3, 0, true, 10, {1}, true},  // still one row
      {25, 10, false, 300, {10, 10, 5}, false, 400, 370.f},
      {25, 10, false, 300, {17}, true, 150},
  };
  for (const Case& c : cases) {
    Editor ed(c.editorWidth, c.editorHeight);
    ed.popup->SetMaxColumnItems(c.maxPerColumn);
    ed.popup->SetScrollIfTooBig(c.scroll);
    IPopupMenu menu;
    for (int i = 0; i < c.items; ++i) menu.AddItem("ab");
    ed.Open(*ed.Attach("c"), menu, IRECT(c.anchorX, 10, c.anchorX + 10, 20));
    std::vector<int> columns;
    for (int i = 0; i < ed.Panel().NCells(); ++i) {
      if (i == 0 || ed.Cell(i).L != ed.Cell(i - 1).L) columns.push_back(0);
      ++columns.back();
    }
    EXPECT_EQ(columns, c.columns) << c.items << " by " << c.maxPerColumn;
    EXPECT_EQ(ed.Panel().mScroller, c.scroller) << c.items << " by " << c.maxPerColumn;
    const IRECT& panel = ed.Panel().mTargetRECT;
    EXPECT_TRUE(panel.L >= 0.f && panel.R <= static_cast<float>(c.editorWidth)) << c.items << " by " << c.maxPerColumn;
  }
}

// Disabled, "i4" and "i5" lie under the arrows; "i4" has a sub-menu.
TEST_F(PopupMenuControlTest, AScrollerMovesByOneItemOverItsArrowCells) {
  Editor ed(400, 100);
  IPopupMenu menu;
  for (const char* text : {"i0", "i1", "i2", "i3"}) menu.AddItem(text);
  menu.AddItem("i4", Menu({"x"}))->SetFlags(Item::kDisabled);
  menu.AddItem("i5", IPopupMenu::kAppend, Item::kDisabled);
  for (const char* text : {"i6", "i7", "i8", "i9"}) menu.AddItem(text);
  ed.Open(*ed.Attach("c"), menu, IRECT(10, 10, 30, 20));
  ASSERT_EQ(ed.Panel().NCells(), 5);
  struct Step {
    int hover;  // -1 none
    int offset;
    bool up;
    bool down;
  };
  const std::vector<Step> steps = {{-1, 0, false, true}, {4, 1, true, true}, {4, 2, true, true}, {4, 3, true, true},
                                   {4, 4, true, true},   {4, 5, true, false}, {4, 5, true, false},
                                   {0, 4, true, true}};
  // Arrows 0.6 of the cell high and wide, centred in the first and last cells (36,22) and (36,86).
  const IRECT first = ed.Cell(0);
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].hover >= 0) ed.HoverCell(steps[i].hover);
    EXPECT_EQ(ed.Panel().mScrollItemOffset, steps[i].offset) << i;
    EXPECT_EQ(ed.Draws(": M36 17.8 L31.8 26.2 L40.2 26.2 "), steps[i].up) << i;
    EXPECT_EQ(ed.Draws(": M36 90.2 L31.8 81.8 L40.2 81.8 "), steps[i].down) << i;
    EXPECT_EQ(ed.popup->NPanels(), 1) << i;
  }
  // The cells show the items from the offset on; an arrow cell chooses nothing.
  EXPECT_TRUE(ed.Draws("DrawText \"i5\""));
  ed.input.Click(MidX(first), MidY(first));
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST_F(PopupMenuControlTest, OnlyAPlainItemIsChosenAndEveryCloseIsAnswered) {
  struct Case {
    int cell;  // -1: outside the panel
    int chosen;
  };
  const std::vector<Case> cases = {{0, 0}, {1, -1}, {2, -1}, {3, -1}, {4, -1}, {-1, -1}};
  for (const Case& c : cases) {
    Editor ed;
    IPopupMenu menu;
    menu.AddItem("plain");
    menu.AddItem("", IPopupMenu::kAppend, Item::kSeparator);
    menu.AddItem("off", IPopupMenu::kAppend, Item::kDisabled);
    menu.AddItem("title", IPopupMenu::kAppend, Item::kTitle);
    menu.AddItem("sub", Menu({"x"}));
    menu.SetFunction([&](IPopupMenu* m) { ed.log.push_back("completion " + std::to_string(m->GetChosenItemIdx())); });
    ed.Open(*ed.Attach("c"), menu, IRECT(100, 50, 140, 70));
    if (c.cell < 0)
      ed.input.Click(390, 290);
    else
      ed.ClickCell(c.cell);
    const std::string chosen = std::to_string(c.chosen);
    EXPECT_EQ(ed.log, (Lines{"completion " + chosen, "c selection " + (c.chosen < 0 ? "none" : chosen)})) << c.cell;
    EXPECT_EQ(ed.popup->GetState(), S::kFlickering);
  }

  // Called again without an active panel it answers nothing chosen; without a menu nothing.
  Editor ed;
  auto menu = Menu({"a", "b"});
  menu->SetFunction([&](IPopupMenu* m) { ed.log.push_back("completion " + std::to_string(m->GetChosenItemIdx())); });
  ed.Open(*ed.Attach("c"), *menu, IRECT(100, 50, 140, 70));
  ed.ClickCell(1);
  ed.popup->CollapseEverything();
  EXPECT_EQ(ed.log, (Lines{"completion 1", "c selection 1", "completion -1"}));
  for (int i = 0; i < 3; ++i) ed.Advance(kFadeStep);
  ed.popup->CollapseEverything();
  EXPECT_EQ(ed.log.size(), 3u);

  // Cells past the items of a menu changed while open show and choose nothing.
  ed.Open(*ed.Attach("d"), *menu, IRECT(100, 50, 140, 70));
  menu->Clear();
  menu->AddItem("only");
  EXPECT_EQ(ed.Drawn().size(), 3u);  // the shadow, the background, "only"
  ed.ClickCell(1);
  EXPECT_EQ(ed.log.back(), "d selection none");
}

TEST_F(PopupMenuControlTest, APromptWalksThroughTheStatesAndTakesThePointerWhileOpen) {
  Editor ed;
  Requester* control = ed.Attach("c");
  ed.g.PromptUserInput(*control, IRECT(100, 50, 140, 70), 0);
  ASSERT_EQ(ed.popup->GetMenu()->NItems(), 3);
  const float x = MidX(IRECT(95.5f, 70, 154.5f, 126));
  struct Step {
    S::EPopupState state;
    double weight;
  };
  const std::vector<Step> steps = {{S::kExpanding, 0.f},  {S::kExpanded, 0.95f}, {S::kFlickering, 0.95f},
                                   {S::kCollapsing, 0.95f}, {S::kIdling, 0.f},     {S::kCollapsed, 0.f}};
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(ed.popup->GetState(), steps[i].state) << i;
    const bool open = steps[i].state == S::kExpanding || steps[i].state == S::kExpanded;
    EXPECT_EQ(ed.g.GetMouseControl(x, 120, false) == ed.popup, open) << i;
    if (ed.popup->NPanels() > 0) {
      EXPECT_FLOAT_EQ(ed.Panel().mBlend.mWeight, steps[i].weight) << i;
    }
    if (steps[i].state == S::kExpanded)
      ed.ClickCell(2);
    else
      ed.Advance(kFadeStep);
  }
  EXPECT_EQ(ed.log, Lines{"c selection 2"});
  EXPECT_NE(std::find(ed.delegate.mLog.begin(), ed.delegate.mLog.end(), "set param 0 1.000000"),
            ed.delegate.mLog.end());
  EXPECT_TRUE(ed.popup->IsHidden());
  EXPECT_EQ(ed.popup->NPanels(), 0);
  EXPECT_EQ(ed.popup->GetMenu(), nullptr);
  EXPECT_EQ(ed.popup->GetRECT(), IRECT());
}

// While it fades in or a sub-menu appears, a click chooses as in the open menu.
TEST_F(PopupMenuControlTest, AClickWhileTheMenuOpensActsAsWhenOpen) {
  struct Case {
    const char* name;
    int clickedCell;
    std::function<void(Editor&)> before;
    std::string chosen;
  };
  const std::vector<Case> cases = {
      {"fading in", 0, [](Editor&) {}, "c selection 0"},
      {"fading in, outside the cells", -1, [](Editor&) {}, "c selection none"},
      {"a sub-menu appearing", 0,
       [](Editor& ed) {
         ed.Advance(kFadeStep);
         ed.HoverCell(1);
       },
       "c selection 0"},
  };
  for (const Case& c : cases) {
    Editor ed;
    IPopupMenu menu;
    menu.AddItem("one");
    menu.AddItem("more", Menu({"x", "y"}));
    ed.g.CreatePopupMenuFor(*ed.Attach("c"), menu, IRECT(100, 50, 140, 70));
    c.before(ed);
    ASSERT_NE(ed.popup->GetState(), S::kExpanded) << c.name;
    if (c.clickedCell < 0)
      ed.input.Click(390, 290);
    else
      ed.ClickCell(c.clickedCell);
    EXPECT_EQ(ed.log, Lines{c.chosen}) << c.name;
    EXPECT_EQ(ed.popup->GetState(), S::kFlickering) << c.name;
  }
}

// Every cell is as high as an item, and a separator, 2 high, lies in the middle of its cell.
TEST_F(PopupMenuControlTest, AScrollerKeepsItsRowsWhateverItemsTheyShow) {
  Editor ed(400, 100);
  IPopupMenu menu;
  for (const char* text : {"i0", "", "i2", "i3", "i4", "i5", "i6"})
    menu.AddItem(text, IPopupMenu::kAppend, text[0] ? Item::kNoFlags : Item::kSeparator);
  ed.Open(*ed.Attach("c"), menu, IRECT(10, 10, 30, 20));
  ASSERT_TRUE(ed.Panel().mScroller);
  for (int i = 0; i < ed.Panel().NCells(); ++i) EXPECT_EQ(ed.Cell(i).T, 15.f + 16.f * static_cast<float>(i)) << i;
  const IRECT& cell = ed.Cell(1);
  const std::string l = testing::FormatNumber(cell.L), r = testing::FormatNumber(cell.R);
  EXPECT_TRUE(ed.Draws(": M" + l + " 37 L" + r + " 37 L" + r + " 39 L" + l + " 39 "));
}

TEST_F(PopupMenuControlTest, ThePanelLiesBesideAboveOrBelowItsAnchorWithItsCallout) {
  struct Case {
    IRECT anchor;
    bool preferBelow;
    S::ECalloutDirection direction;
    IRECT rect;
    std::string arrow;  // base, base, tip
  };
  const std::vector<Case> cases = {
      {IRECT(40, 100, 60, 120), false, S::kPanelRight, IRECT(68, 88, 127, 144), "M68 114 L68 106 L60 110"},
      {IRECT(340, 200, 360, 220), false, S::kPanelLeft, IRECT(273, 186, 332, 242), "M332 214 L332 206 L340 210"},
      {IRECT(40, 100, 60, 120), true, S::kPanelBelow, IRECT(25.5f, 128, 84.5f, 184), "M46 128 L54 128 L50 120"},
      {IRECT(100, 270, 200, 290), true, S::kPanelAbove, IRECT(125.5f, 206, 184.5f, 262), "M146 262 L154 262 L150 270"},
  };
  for (const Case& c : cases) {
    Editor ed;
    ed.popup->SetCallout(true);
    ed.popup->SetPreferBelowAnchor(c.preferBelow);
    auto menu = Menu({"a", "bb", "ccc"});
    ed.Open(*ed.Attach("c"), *menu, c.anchor);
    EXPECT_EQ(ed.popup->GetCalloutArrowDirection(), c.direction);
    EXPECT_EQ(ed.Panel().mRECT, c.rect) << c.direction;
    EXPECT_EQ(ed.Drawn().back(), "solid(255,255,255,255) rule=0 blend=(0,0.95): " + c.arrow + " ") << c.direction;
  }

  // Anywhere, a menu that fits and its sub-menu stay inside the editor.
  Editor ed;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> along(0.f, 1.f);
  auto plain = Menu({"a", "bb", "ccc", "dddd"});
  auto nested = Menu({"a", "bb"});
  nested->AddItem("more", Menu({"x", "yy", "zzz"}));
  const IRECT editor(0, 0, 400, 300);
  for (int i = 0; i < 200; ++i) {
    const float x = along(random) * 380.f;
    const float y = along(random) * 280.f;
    ed.popup->SetCallout(i % 2 == 0);
    ed.Open(*ed.Attach("c"), i % 3 == 0 ? *plain : *nested, IRECT(x, y, x + 20.f, y + 20.f));
    if (i % 3 != 0) ed.HoverCell(2);
    for (int p = 0; p < ed.popup->NPanels(); ++p)
      EXPECT_TRUE(editor.Contains(ed.Panel(p).mTargetRECT)) << x << "," << y << " panel " << p;
  }
}

TEST_F(PopupMenuControlTest, ASubMenuOpensTowardsTheCentreAndShowsInTheLastTenthOfItsTime) {
  Editor ed;
  IPopupMenu menu;
  menu.AddItem("one");
  menu.AddItem("more", Menu({"x", "y"}));
  ed.Open(*ed.Attach("c"), menu, IRECT(360, 20, 390, 40));
  EXPECT_FALSE(ed.popup->SubMenusOpenToTheRight());
  EXPECT_EQ(ed.Panel().mRECT, IRECT(324, 40, 390, 80));

  ed.HoverCell(1);
  ASSERT_EQ(ed.popup->NPanels(), 2);
  EXPECT_EQ(ed.Panel(1).mRECT, IRECT(279, 56, 324, 96));
  EXPECT_EQ(ed.popup->GetState(), S::kSubMenuAppearing);
  EXPECT_TRUE(ed.Draws(": M326.5 68 L333.5 64.5 L333.5 71.5 "));
  for (const auto& [ms, weight] : std::vector<std::pair<double, float>>{{170, 0.f}, {20, 0.95f}, {20, 0.95f}}) {
    ed.Advance(ms);
    EXPECT_EQ(ed.Panel(1).mBlend.mWeight, weight) << ms;
  }
  EXPECT_EQ(ed.popup->GetState(), S::kExpanded);

  // A choice in the sub-menu answers with the sub-menu; moving to a plain item closes it.
  ed.HoverCell(0);
  EXPECT_FALSE(ed.Panel(1).mShouldDraw);
  EXPECT_EQ(ed.popup->GetRECT(), IRECT(269, 30, 400, 106));  // its region is still redrawn
  ed.HoverCell(1);
  ed.HoverCell(1, 1);
  ed.ClickCell(1, 1);
  EXPECT_EQ(ed.log, Lines{"c selection 1"});
  EXPECT_EQ(menu.GetItem(1)->GetSubmenu()->GetChosenItemIdx(), 1);
}

TEST_F(PopupMenuControlTest, EachElementDrawsInItsPlace) {
  Editor ed;
  IPopupMenu menu;
  menu.AddItem("a", IPopupMenu::kAppend, Item::kChecked);
  menu.AddItem("", IPopupMenu::kAppend, Item::kSeparator);
  menu.AddItem("sub", Menu({"x"}));
  menu.AddItem("dis", IPopupMenu::kAppend, Item::kDisabled);
  ed.g.CreatePopupMenuFor(*ed.Attach("c"), menu, IRECT(100, 50, 140, 70));
  ed.Advance(50);
  const std::string separator = "solid(255,200,200,200) rule=0 blend=(0,0.25): M100.5 91 L149.5 91 L149.5 93 L100.5 93 ";
  EXPECT_FALSE(ed.Draws(separator));  // half faded in
  ed.Advance(kFadeStep);
  ed.HoverCell(0);
  const std::string panel = "rule=0 blend=(0,0.95): ";
  EXPECT_EQ(ed.Drawn(), (Lines{
                            "DrawBoxShadow (95.5,70,154.5,130) (85.5,60,164.5,140) 2 5 10 blend=(0,0.95)",
                            "solid(255,255,255,255) " + panel + "M95.5 75 A A A A ",
                            "solid(255,0,0,255) " + panel + "M95.5 75 L154.5 75 L154.5 89 L95.5 89 ",
                            "DrawText \"a\" (115.5,75,144.5,89) Roboto-Regular 14 fg=(255,255,255,255) angle=0 "
                            "align=0,1 blend=(0,0.95)",
                            "solid(255,255,255,255) " + panel + "M103 81.5 A A A A ",
                            separator,
                            "DrawText \"sub\" (115.5,95,144.5,109) Roboto-Regular 14 fg=(255,0,0,0) angle=0 "
                            "align=0,1 blend=(0,0.95)",
                            "solid(255,0,0,0) " + panel + "M152 102 L145 98.5 L145 105.5 ",
                            "DrawText \"dis\" (115.5,111,144.5,125) Roboto-Regular 14 fg=(255,127,127,127) "
                            "angle=0 align=0,1 blend=(0,0.95)",
                        }));
}

TEST_F(PopupMenuControlTest, ANewRequestDropsTheOpenMenuUnanswered) {
  struct Case {
    int fadeSteps;  // after the first menu's click; -1: still open
  };
  for (const Case& c : std::vector<Case>{{-1}, {1}, {2}}) {
    Editor ed;
    Requester* first = ed.Attach("first");
    Requester* second = ed.Attach("second");
    if (c.fadeSteps < 0) {
      ed.Open(*first, first->mOwnMenu, IRECT(100, 50, 140, 70));
    } else {
      // Prompts share the context's menu, refilled for the second.
      ed.g.PromptUserInput(*first, IRECT(100, 50, 140, 70), 0);
      ed.Advance(kFadeStep);
      ed.ClickCell(0);
      for (int i = 0; i < c.fadeSteps; ++i) ed.Advance(kFadeStep);
    }
    ed.log.clear();
    if (c.fadeSteps < 0)
      ed.Open(*second, second->mOwnMenu, IRECT(200, 50, 240, 70));
    else
      ed.g.PromptUserInput(*second, IRECT(200, 50, 240, 70), 0);
    ed.Drawn();
    ed.Advance(kFadeStep);
    EXPECT_EQ(ed.popup->NPanels(), 1);
    ed.ClickCell(2);
    EXPECT_EQ(ed.log, Lines{"second selection 2"}) << c.fadeSteps;
  }
}

TEST_F(PopupMenuControlTest, RemovingTheRequesterDropsThePanelsThatReadItsMenu) {
  for (const bool whileOpen : {true, false}) {
    Editor ed;
    Requester* control = ed.Attach("c");
    control->mOnSelection = [&](Requester* self) { ed.g.RemoveControl(self); };
    ed.Open(*control, control->mOwnMenu, IRECT(100, 50, 140, 70));
    ed.HoverCell(1);
    if (whileOpen)
      ed.g.RemoveControl(control);
    else
      ed.ClickCell(1);
    EXPECT_EQ(ed.popup->GetState(), S::kCollapsed) << whileOpen;
    EXPECT_EQ(ed.popup->NPanels(), 0) << whileOpen;
    EXPECT_TRUE(ed.popup->IsHidden());
    EXPECT_TRUE(ed.Drawn().empty());
    ed.Advance(kFadeStep);
  }
}

TEST_F(PopupMenuControlTest, AMenuWiderThanTheEditorStartsAtItsLeftEdge) {
  Editor ed(60, 300);
  auto menu = Menu({"a rather long item"});
  ed.Open(*ed.Attach("c"), *menu, IRECT(20, 20, 40, 40));
  EXPECT_EQ(ed.Panel().mRECT.L, 10.f);
}

}  // namespace
}  // namespace plugkit::graphics
