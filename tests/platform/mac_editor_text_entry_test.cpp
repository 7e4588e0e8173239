// Native text entry: the field laid over the control at the draw scale, what
// may be typed into it, and the ways it ends.

#include <functional>

#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/platform_text_field.h"
#include "mac_editor_fixture.h"

namespace plugkit::testing {
namespace {

using graphics::EAlign;
using graphics::EVAlign;
using graphics::IText;
using standin::testing::EditingKey;
using Lines = std::vector<std::string>;

enum Params { kGain, kSteps, kParamCount };
// At draw scale 2: the view rectangle (20, 40, 100, 32).
const IRECT kEntryBounds(10, 20, 60, 36);
// View (300, 200) is GUI (150, 100), away from both askers.
constexpr NS::Point kOffTheAskers{300, 200};

// Asks for a text entry over its rectangle and logs what it hears: typed
// text when it has no parameter, drags. It may ask again as it hears.
class EntryAsker : public graphics::IControl {
public:
  EntryAsker(const IRECT& bounds, Lines& log, std::string name) : IControl(bounds), mLog(log), mName(std::move(name)) {}
  void Draw(IGraphics&) override {}
  void OnTextEntryCompletion(const char* text, int) override {
    mLog.push_back(mName + " typed " + text);
    if (std::exchange(mAskAgain, false)) Ask();
  }
  void OnMouseDrag(float, float, float, float, const graphics::IMouseMod&) override { mLog.push_back(mName + " drag"); }
  void Ask(const IText& text = IText(), const char* str = "") { GetUI()->CreateTextEntry(*this, text, kEntryBounds, str); }

  bool mAskAgain = false;

private:
  Lines& mLog;
  std::string mName;
};

class MacTextEntryTest : public MacScaledEditorTest {
protected:
  void SetUp() override {
    mDelegate = std::make_unique<MacDelegate>(kParamCount);
    mDelegate->GetParam(kGain)->InitGain("gain", 0., -10., 10., 0.1);
    mDelegate->GetParam(kSteps)->InitInt("steps", 0, -100, 100);
    MacScaledEditorTest::SetUp();
    mDelegate->SetLayoutFunc([this](IGraphics* g) {
      ASSERT_TRUE(g->LoadFontData("Mono", Mono().data(), static_cast<int>(Mono().size())));
      mA = static_cast<EntryAsker*>(g->AttachControl(new EntryAsker(kEntryBounds, mLog, "A")));
      mB = static_cast<EntryAsker*>(g->AttachControl(new EntryAsker(IRECT(100, 20, 150, 36), mLog, "B")));
    });
    mView = static_cast<IGraphicsView_vOrvane_au*>(OpenEditor(mWindow->contentView()));
  }
  // The open field (the view holds nothing else); null when none.
  NS::TextField* Field() const {
    return mView->subviews().empty() ? nullptr : dynamic_cast<NS::TextField*>(mView->subviews().back());
  }
  std::string FieldText() const { return graphics::CFStringText(Field()->stringValue()); }
  size_t FieldCount() const { return mView->subviews().size(); }
  void Type(const std::string& text) { standin::testing::TypeText(mWindow, text); }

  Lines mLog;
  EntryAsker* mA = nullptr;
  EntryAsker* mB = nullptr;
  IGraphicsView_vOrvane_au* mView = nullptr;
};

TEST_F(MacTextEntryTest, TheFieldLiesOverTheControlInTheStylesFontAlignmentAndColours) {
  const struct {
    const char* name;
    const char* font;
    EAlign align;
    EVAlign valign;
    double pointSize;
    NS::TextAlignment alignment;
    bool centred;
  } cases[] = {
      {"cached font, near, middle", "Mono", EAlign::Near, EVAlign::Middle, 0.85906 * 2 * 14, NS::TextAlignmentLeft, true},
      {"uncached font, centre, top", "Missing", EAlign::Center, EVAlign::Top, 28, NS::TextAlignmentCenter, false},
      {"far, bottom", "Mono", EAlign::Far, EVAlign::Bottom, 0.85906 * 2 * 14, NS::TextAlignmentRight, false},
  };
  const IColor entryBG(255, 255, 0, 0);
  const IColor entryFG(255, 0, 0, 51);
  for (const auto& c : cases) {
    mA->Ask(IText(14.f, graphics::kColorBlack, c.font, c.align, c.valign, 0.f, entryBG, entryFG), "12");
    NS::TextField* field = Field();
    ASSERT_NE(field, nullptr) << c.name;
    EXPECT_EQ(field->frame(), NS::MakeRect(20, 40, 100, 32)) << c.name;
    EXPECT_NEAR(field->font()->pointSize(), c.pointSize, 1e-3) << c.name;
    EXPECT_EQ(field->alignment(), c.alignment) << c.name;
    const bool centringCell = dynamic_cast<IGraphicsTextFieldCell_vOrvane_au*>(field->cell()) != nullptr;
    EXPECT_EQ(centringCell, c.centred) << c.name;
    const double textHeight = field->cell()->cellSize().height;
    const NS::Rect expectedEditor =
        c.centred ? NS::MakeRect(0, (32 - textHeight) / 2, 100, textHeight) : NS::MakeRect(0, 0, 100, 32);
    EXPECT_EQ(field->currentEditor()->frame(), expectedEditor) << c.name;
    EXPECT_EQ(mWindow->firstResponder(), field) << c.name;
    mView->endUserInput();
  }
  mA->Ask(IText(14.f, graphics::kColorBlack, "Mono", EAlign::Near, EVAlign::Middle, 0.f, entryBG, entryFG), "12");
  EXPECT_EQ(FieldText(), "12");
  EXPECT_EQ(Field()->textColor()->blueComponent(), 0.2);
  EXPECT_EQ(Field()->backgroundColor()->redComponent(), 1.0);
  EXPECT_EQ(standin::testing::FieldEditorInsertionPointColor(mWindow), Field()->textColor());
}

TEST_F(MacTextEntryTest, TypingIsLimitedToWhatTheParameterTakes) {
  const struct {
    const char* name;
    int paramIdx;
    int maxLength;
    const char* typed;
    const char* shown;
    long refusals;
  } cases[] = {
      {"double: signed decimals", kGain, 7, "-1.5", "-1.5", 0},
      {"double: no letters", kGain, 7, "a", "", 1},
      {"integer: no point", kSteps, 7, "1.5", "15", 1},
      {"at most the maximum length", kSteps, 5, "123456", "12345", 1},
      {"a parameter the delegate lacks: anything", kParamCount, 7, "a1.", "a1.", 0},
  };
  for (const auto& c : cases) {
    mA->LinkValueToParam(c.paramIdx, 0);
    mA->SetTextEntryLength(c.maxLength);
    mA->Ask();
    Type(c.typed);
    EXPECT_EQ(FieldText(), c.shown) << c.name;
    EXPECT_EQ(standin::testing::FormatterRefusalCount(Field()), c.refusals) << c.name;
    EXPECT_EQ(Field()->formatter() != nullptr, c.paramIdx != kParamCount) << c.name;
    mView->endUserInput();
  }
}

TEST_F(MacTextEntryTest, EndingTheEntryAnswersOnlyWhenTheUserCommits) {
  const struct {
    const char* name;
    const char* typed;
    std::function<void()> end;
    Lines log;
  } cases[] = {
      {"Return", "5", [this] { standin::testing::PressEditingKey(mWindow, EditingKey::Return); },
       {"set param 0 0.750000"}},
      {"a click on the editor", "-5", [this] { standin::testing::PressButton(mView, kOffTheAskers); },
       {"set param 0 0.250000"}},
      {"a scroll", "1", [this] { standin::testing::Scroll(mView, kOffTheAskers, 1); }, {}},
      {"EndTextEntry", "2", [this] { G().EndTextEntry(); }, {}},
  };
  mA->LinkValueToParam(kGain, 0);
  for (const auto& c : cases) {
    mA->Ask();
    Type(c.typed);
    G().SetAllControlsClean();
    mDelegate->mLog.clear();
    c.end();
    standin::testing::ReleaseButton(mView, kOffTheAskers);
    Lines log = mDelegate->mLog;
    std::erase_if(log, [](const std::string& line) { return line.rfind("set param", 0) != 0; });
    EXPECT_EQ(log, c.log) << c.name;
    EXPECT_EQ(mB->IsDirty(), !c.log.empty()) << c.name << ": everything redraws after an answer";
    EXPECT_EQ(FieldCount(), 0u) << c.name;
    EXPECT_EQ(mWindow->firstResponder(), mView) << c.name;
    EXPECT_EQ(G().GetControlInTextEntry(), nullptr) << c.name;
  }

  // The host takes the view away with the field open.
  mA->Ask();
  Type("5");
  mDelegate->mLog.clear();
  standin::testing::RemoveViewAsHost(mView);
  EXPECT_EQ(std::count(mDelegate->mLog.begin(), mDelegate->mLog.end(), "set param 0 0.750000"), 0);
  EXPECT_EQ(mWindow->firstResponder(), mWindow) << "the field is gone with the view";
  EXPECT_EQ(mDelegate->GetUI(), nullptr);
}

TEST_F(MacTextEntryTest, TheNewestRequestHasTheFieldAndRightDragsWaitForIt) {
  mA->Ask(IText(), "first");
  Type("1");
  mB->Ask(IText(), "second");
  EXPECT_EQ(FieldCount(), 1u) << "the first field closed";
  EXPECT_EQ(FieldText(), "second");
  EXPECT_TRUE(mLog.empty()) << "without an answer";
  Type("2");
  mB->mAskAgain = true;
  standin::testing::PressEditingKey(mWindow, EditingKey::Return);
  EXPECT_EQ(mLog, (Lines{"B typed 2"}));
  EXPECT_EQ(FieldCount(), 1u) << "the entry B asked for as it heard stays open";
  EXPECT_EQ(G().GetControlInTextEntry(), mB);

  mLog.clear();
  const NS::Point onB{250, 50};
  standin::testing::PressButton(mView, onB, standin::testing::MouseButton::Right);
  standin::testing::DragTo(mView, {260, 60}, 2);
  standin::testing::ReleaseButton(mView, {260, 60}, standin::testing::MouseButton::Right);
  mView->endUserInput();
  standin::testing::PressButton(mView, onB, standin::testing::MouseButton::Right);
  standin::testing::DragTo(mView, {260, 60}, 1);
  standin::testing::ReleaseButton(mView, {260, 60}, standin::testing::MouseButton::Right);
  EXPECT_EQ(mLog, (Lines{"B drag"})) << "only once the field closed";
}

}  // namespace
}  // namespace plugkit::testing
