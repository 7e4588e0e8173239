// Pointer, scroll, key and file-drop events injected into the editor view
// through its host window, as a probe control hears them, and files dragged
// out of the view.

#include <functional>
#include <sstream>

#include "graphics/platform/mac/editor_view.h"
#include "mac_editor_fixture.h"

namespace plugkit::testing {
namespace {

using graphics::IMouseMod;
using standin::testing::Key;
using standin::testing::MouseButton;
using Lines = std::vector<std::string>;

// View (200, 100) is GUI (100, 50), on the probe.
constexpr NS::Point kOnProbe{200, 100};
constexpr auto kShift = NS::EventModifierFlagShift;
constexpr auto kControl = NS::EventModifierFlagControl;
constexpr auto kOption = NS::EventModifierFlagOption;
constexpr auto kCommand = NS::EventModifierFlagCommand;
constexpr double kScreenHeight = 1080;

std::string Format(float x, float y) {
  std::ostringstream text;
  text << x << "," << y;
  return text.str();
}

std::string Flags(const IMouseMod& mod) {
  return std::string(mod.L ? " L" : "") + (mod.R ? " R" : "") + (mod.S ? " S" : "") + (mod.C ? " C" : "") +
         (mod.A ? " A" : "");
}

// Logs what reaches it, with positions in GUI coordinates.
class InputProbe : public graphics::IControl {
public:
  InputProbe(const IRECT& bounds, Lines& log) : IControl(bounds), mLog(log) {}
  void Draw(IGraphics&) override {}
  void OnMouseDown(float x, float y, const IMouseMod& mod) override { mLog.push_back("down " + Format(x, y) + Flags(mod)); }
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override {
    mLog.push_back("double " + Format(x, y) + Flags(mod));
  }
  void OnMouseUp(float x, float y, const IMouseMod& mod) override { mLog.push_back("up " + Format(x, y) + Flags(mod)); }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod&) override {
    mLog.push_back("drag " + Format(x, y) + " by " + Format(dX, dY));
    if (mOnDrag) mOnDrag();
  }
  void OnMouseHover(float x, float y, const IMouseMod&) override { mLog.push_back("hover " + Format(x, y)); }
  void OnMouseWheel(float x, float y, const IMouseMod&, float delta) override {
    mLog.push_back("wheel " + Format(x, y) + " " + std::to_string(static_cast<int>(delta)));
  }
  bool OnKeyDown(float, float, const IKeyPress& key) override { return Key("key down", key); }
  bool OnKeyUp(float, float, const IKeyPress& key) override { return Key("key up", key); }
  void OnDrop(const char* path) override { mLog.push_back(std::string("drop ") + path); }
  void OnDropMultiple(const std::vector<const char*>& paths) override {
    std::string line = "drop";
    for (const char* path : paths) line += std::string(" ") + path;
    mLog.push_back(line);
  }

  bool mHandlesKeys = true;
  std::function<void()> mOnDrag;

private:
  bool Key(const std::string& what, const IKeyPress& key) {
    mLog.push_back(what + " " + std::to_string(key.mVK) + " '" + key.mUtf8 + "'" + (key.mS ? " S" : "") +
                   (key.mC ? " C" : "") + (key.mA ? " A" : ""));
    return mHandlesKeys;
  }

  Lines& mLog;
};

class MacEditorInputTest : public MacScaledEditorTest {
protected:
  void SetUp() override {
    MacScaledEditorTest::SetUp();
    mDelegate->SetLayoutFunc([this](IGraphics* g) {
      g->EnableMouseOver(true);
      g->AttachPanelBackground(graphics::IPaint(graphics::kColorBlack));
      mProbe = static_cast<InputProbe*>(g->AttachControl(new InputProbe(IRECT(50, 25, 150, 75), mLog)));
    });
    mView = OpenEditor(mWindow->contentView());
  }
  Lines TakeLog() { return std::exchange(mLog, {}); }
  // The display point (origin at the top left) of a point of the view.
  NS::Point DisplayPoint(NS::Point inView) const {
    const NS::Point screen = mWindow->convertPointToScreen(mView->convertPointToView(inView, nullptr));
    return NS::Point{screen.x, kScreenHeight - screen.y};
  }
  std::pair<float, float> Stored() const {
    float x = 0.f, y = 0.f;
    mDelegate->Mac()->StoredCursorPosition(x, y);
    return {x, y};
  }

  Lines mLog;
  InputProbe* mProbe = nullptr;
  NS::View* mView = nullptr;
};

TEST_F(MacEditorInputTest, PressesArriveInGuiCoordinatesWithTheirButtonsAndModifiers) {
  const struct {
    MouseButton button;
    long clicks;
    NS::EventModifierFlags modifiers;
    std::string heard;
  } cases[] = {
      {MouseButton::Left, 1, 0, "down 100,50 L"},
      {MouseButton::Left, 2, 0, "double 100,50 L"},
      {MouseButton::Left, 3, 0, "down 100,50 L"},
      {MouseButton::Left, 4, 0, "double 100,50 L"},
      {MouseButton::Left, 1, kCommand, "down 100,50 L R"},
      {MouseButton::Right, 1, 0, "down 100,50 R"},
      {MouseButton::Right, 2, 0, "double 100,50 R"},
      {MouseButton::Left, 1, kShift | kControl | kOption, "down 100,50 L S C A"},
      {MouseButton::Right, 1, kShift | kControl | kOption, "down 100,50 R S C A"},
  };
  for (const auto& c : cases) {
    standin::testing::PressButton(mView, kOnProbe, c.button, c.clicks, c.modifiers);
    standin::testing::ReleaseButton(mView, kOnProbe, c.button, c.clicks, c.modifiers);
    const Lines log = TakeLog();
    ASSERT_FALSE(log.empty()) << c.heard;
    EXPECT_EQ(log.front(), c.heard);
  }

  standin::testing::Scroll(mView, kOnProbe, -1.0);
  standin::testing::MovePointer(mView, {202, 104});
  EXPECT_EQ(TakeLog(), (Lines{"wheel 100,50 -1", "hover 101,52"}));
  EXPECT_FALSE(G().IsTabletInput());
  standin::testing::SetTabletInput(true);
  standin::testing::MovePointer(mView, kOnProbe);
  EXPECT_TRUE(G().IsTabletInput());
}

TEST_F(MacEditorInputTest, DragsReportTheirStepsAndARelease_outsideEndsTheHover) {
  standin::testing::MovePointer(mView, kOnProbe);
  G().SetCursor(graphics::kHandCursor);
  standin::testing::PressButton(mView, kOnProbe);
  standin::testing::DragTo(mView, {260, 160}, 3);
  standin::testing::DragTo(mView, {-20, 100}, 1);
  EXPECT_EQ(TakeLog(), (Lines{"hover 100,50", "down 100,50 L", "drag 110,60 by 10,10", "drag 120,70 by 10,10",
                              "drag 130,80 by 10,10", "drag -10,50 by -140,-30"}));
  EXPECT_EQ(standin::testing::CursorName(NS::Cursor::currentCursor()), "pointingHandCursor")
      << "a control holds the pointer: the mouse stays in";

  standin::testing::ReleaseButton(mView, {-20, 100});
  EXPECT_EQ(TakeLog().front(), "up -10,50 L");
  EXPECT_EQ(standin::testing::CursorName(NS::Cursor::currentCursor()), "arrowCursor") << "the mouse-out followed";
  EXPECT_EQ(G().CursorKind(), graphics::kHandCursor) << "kept for the return";

  standin::testing::MovePointer(mView, kOnProbe);
  EXPECT_EQ(standin::testing::CursorName(NS::Cursor::currentCursor()), "pointingHandCursor") << "entering";
  standin::testing::MovePointer(mView, {-20, 100});
  EXPECT_EQ(standin::testing::CursorName(NS::Cursor::currentCursor()), "arrowCursor") << "leaving, nothing held";

  // A native text field has the pointer: drags do not reach the control.
  TakeLog();
  standin::testing::PressButton(mView, kOnProbe);
  G().CreateTextEntry(*mProbe, mProbe->GetText(), mProbe->GetRECT(), "1");
  standin::testing::DragTo(mView, {260, 160}, 1);
  EXPECT_EQ(TakeLog(), (Lines{"down 100,50 L"}));
  G().ForgetTextEntryTarget();
  standin::testing::ReleaseButton(mView, kOnProbe);
}

TEST_F(MacEditorInputTest, AHiddenLockedPointerIsPutBackWhileDragsGoOn) {
  const struct {
    const char* name;
    bool tablet;
    std::vector<NS::Point> steps;
    Lines drags;
    size_t warps;
  } cases[] = {
      {"mouse", false, {{210, 100}, {210, 100}}, {"drag 105,50 by 5,0", "drag 105,50 by 5,0"}, 2},
      {"tablet", true, {{210, 100}, {220, 100}}, {"drag 105,50 by 5,0", "drag 110,50 by 5,0"}, 0},
  };
  for (const auto& c : cases) {
    standin::testing::ResetAppKit();
    standin::testing::SetTabletInput(c.tablet);
    standin::testing::PressButton(mView, kOnProbe);
    G().HideCursor(true, true);
    TakeLog();
    for (const NS::Point step : c.steps) standin::testing::MovePointer(mView, step);
    EXPECT_EQ(TakeLog(), c.drags) << c.name;
    EXPECT_EQ(standin::testing::CursorWarps(), std::vector<NS::Point>(c.warps, DisplayPoint(kOnProbe))) << c.name;
    EXPECT_TRUE(standin::testing::CursorAssociatedWithMouse());
    EXPECT_EQ(Stored(), c.tablet ? std::make_pair(110.f, 50.f) : std::make_pair(100.f, 50.f)) << c.name;
    G().HideCursor(false, true);
    standin::testing::ReleaseButton(mView, c.steps.back());
  }
}

TEST_F(MacEditorInputTest, ThePointerIsMovedAndReadInGuiCoordinates) {
  G().MoveCursorTo(100, 50);
  EXPECT_EQ(standin::testing::CursorWarps(), std::vector<NS::Point>{DisplayPoint({200, 100})});
  EXPECT_EQ(Stored(), std::make_pair(100.f, 50.f));
  float x = 0.f, y = 0.f;
  standin::testing::SetTabletInput(true);
  standin::testing::MovePointer(mView, {30, 40});
  G().MousePosition(x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(15.f, 20.f));
  G().MoveCursorTo(0, 0);
  EXPECT_EQ(standin::testing::CursorWarps().size(), 1u) << "not for a tablet";

  IGraphicsMac viewless(*mDelegate, 10, 10);
  viewless.MousePosition(x, y);
  const NS::Point screen = standin::testing::PointerLocation();
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(static_cast<float>(screen.x), static_cast<float>(screen.y)));
}

TEST_F(MacEditorInputTest, KeysArriveTranslatedAndWhatNoControlTakesGoesToTheHost) {
  const struct {
    Key key;
    std::string heard;
  } cases[] = {
      {{0, "A", "a", kShift}, "key down 65 'a' S"},
      {{6, "Ω", "z", kCommand | kOption | kControl}, "key down 90 'z' C A"},
      {{41, "é", "é", 0}, "key down 233 'é'"},
      {{47, ">", ".", kShift}, "key down 0 '.'"},
      {{48, "\x19", "\x19", kShift | kCommand}, "key down 9 '\x19' S C"},
      {{48, "\x19", "\x19", kShift}, "key down 0 '\x19'"},
      {{36, "\r", "\r", 0}, "key down 13 '\r'"},
      {{49, " ", " ", 0}, "key down 32 ' '"},
      {{50, "", "", 0}, "key down 1074 ''"},
      {{0xFFFF, "\uF704", "\uF704", 0}, "key down 112 '\uF704'"},
      {{0xFFFF, "𝄞", "𝄞", 0}, "key down 0 '𝄞'"},
      {{0xFFFF, "ab", "ab", 0}, "key down 65 ''"},
      {{0xFFFF, "e\u0301", "e\u0301", 0}, "key down 69 ''"},
  };
  standin::testing::MovePointer(mView, kOnProbe);
  TakeLog();
  for (const auto& c : cases) {
    standin::testing::PressKey(mWindow, c.key);
    EXPECT_EQ(TakeLog(), Lines{c.heard}) << c.heard;
  }

  // Where the keyboard has the key matters, not what it types.
  const std::pair<unsigned short, int> hardware[] = {
      {51, 8},    {65, 110},  {67, 106},  {69, 107},  {71, 144},  {75, 111},  {76, 0x800D}, {78, 109},
      {81, 108},  {82, 96},   {83, 97},   {84, 98},   {85, 99},   {86, 100},  {87, 101},    {88, 102},
      {89, 103},  {91, 104},  {92, 105},  {122, 112}, {120, 113}, {99, 114},  {118, 115},   {96, 116},
      {97, 117},  {98, 118},  {100, 119}, {101, 120}, {109, 121}, {103, 122}, {111, 123},   {105, 124},
      {107, 125}, {113, 126}, {106, 127}, {114, 45},  {115, 36},  {116, 33},  {117, 46},    {119, 35},
      {121, 34},  {123, 37},  {124, 39},  {125, 40},  {126, 38},
  };
  for (const auto& [keyCode, vk] : hardware) {
    standin::testing::PressKey(mWindow, {keyCode, "x", "x", 0});
    EXPECT_EQ(TakeLog(), Lines{"key down " + std::to_string(vk) + " 'x'"}) << keyCode;
  }

  EXPECT_TRUE(standin::testing::UnhandledKeys().empty());
  mProbe->mHandlesKeys = false;
  standin::testing::PressKey(mWindow, {0, "a", "a", 0});
  standin::testing::ReleaseKey(mWindow, {0, "a", "a", 0});
  EXPECT_EQ(TakeLog(), (Lines{"key down 65 'a'", "key up 65 'a'"}));
  const auto unhandled = standin::testing::UnhandledKeys();
  ASSERT_EQ(unhandled.size(), 2u);
  EXPECT_TRUE(unhandled[0].down);
  EXPECT_FALSE(unhandled[1].down);
  EXPECT_EQ(unhandled[1].key.characters, "a");
}

TEST_F(MacEditorInputTest, DroppedFilesReachTheControlUnderThePoint) {
  const struct {
    std::vector<std::string> paths;
    NS::Point at;
    Lines heard;
  } cases[] = {
      {{"/tmp/one.wav"}, kOnProbe, {"drop /tmp/one.wav"}},
      {{"/tmp/a.wav", "/tmp/b c.wav", "/tmp/d.wav"}, kOnProbe, {"drop /tmp/a.wav /tmp/b c.wav /tmp/d.wav"}},
      {{"/tmp/one.wav"}, {90, 100}, {}},  // GUI (45, 50): beside the probe
  };
  for (const auto& c : cases) {
    const auto answers = standin::testing::DropFiles(mView, c.at, c.paths);
    EXPECT_EQ(answers.operation, NS::DragOperationGeneric);
    EXPECT_TRUE(answers.accepted);
    EXPECT_EQ(TakeLog(), c.heard) << c.paths.size();
  }

  const void* types[] = {NSFilenamesPboardType, NSStringPboardType};
  CFArrayRef both = CFArrayCreate(nullptr, types, 2, &kCFTypeArrayCallBacks);
  mView->registerForDraggedTypes(both);
  CFRelease(both);
  const auto text = standin::testing::DropText(mView, kOnProbe, "some text");
  EXPECT_TRUE(text.entered);
  EXPECT_EQ(text.operation, NS::DragOperationNone);
  EXPECT_FALSE(text.performed);
}

TEST_F(MacEditorInputTest, AFileDragStartsOnlyFromAMouseEventBeingHandled) {
  std::optional<bool> started;
  mProbe->mOnDrag = [&] { started = G().StartFileDrag("/tmp/a b.csv", IRECT(10, 20, 42, 52)); };
  standin::testing::PressButton(mView, kOnProbe);
  standin::testing::DragTo(mView, {210, 100}, 1);
  EXPECT_EQ(started, true);
  EXPECT_EQ(G().GetCapturedControl(), nullptr);
  EXPECT_EQ(G().GetMouseOverControl(), nullptr);
  const auto session = standin::testing::LastDraggingSession();
  ASSERT_TRUE(session.has_value());
  ASSERT_EQ(session->items.size(), 1u);
  EXPECT_EQ(session->items[0].contents,
            (std::vector<std::pair<std::string, std::string>>{{"public.file-url", "file:///tmp/a%20b.csv"}}));
  EXPECT_EQ(session->items[0].frame, NS::MakeRect(20, 40, 64, 64));
  EXPECT_EQ(session->items[0].imageSize, (NS::Size{64, 64}));
  EXPECT_TRUE(session->animatesToStartingPositionsOnCancelOrFail);
  EXPECT_EQ(session->formation, NS::DraggingFormationNone);
  EXPECT_EQ(session->sourceOperationMask, NS::DragOperationCopy);
  standin::testing::ReleaseButton(mView, {210, 100});

  EXPECT_FALSE(G().StartFileDrag("/tmp/a.csv", IRECT(0, 0, 10, 10))) << "outside an event";
  IGraphicsMac viewless(*mDelegate, 10, 10);
  EXPECT_FALSE(viewless.StartFileDrag("/tmp/a.csv", IRECT(0, 0, 10, 10))) << "without a view";
  EXPECT_EQ(standin::testing::AppKitValidationErrorCount(), 0);
}

}  // namespace
}  // namespace plugkit::testing
