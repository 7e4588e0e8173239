// Text fields editing through their window's field editor: how editing
// starts and where the editor sits, typed keys through a formatter, how
// editing ends (also when the delegate lets the field go), the cell's size
// and the optional insertion-point colour.

#include <functional>
#include <string>
#include <vector>

#include "appkit_fixture.h"
#include "appkit_font_fixture.h"

namespace {

using namespace standin::testing;

constexpr NS::CGFloat kFontSize = 20.0;
const NS::Rect kFieldFrame = NS::MakeRect(10, 10, 200, 40);
const NS::Rect kFieldBounds = NS::MakeRect(0, 0, 200, 40);
// DejaVu Sans Mono at 20 points: every advance 1233 / 2048 em, lines 24 high.
constexpr double kAdvance = 1233.0 * kFontSize / 2048.0;

std::string Utf8(CFStringRef text) { return text != nullptr ? CFStringGetCStringPtr(text, kCFStringEncodingUTF8) : ""; }

std::string Describe(const NS::Rect& r) {
  const auto n = [](double v) { return std::to_string(static_cast<int>(v)); };
  return n(r.origin.x) + "," + n(r.origin.y) + "," + n(r.size.width) + "," + n(r.size.height);
}

// Logs where editing starts; when centring, moves the editor's rectangle as
// a cell that centres its text vertically does, by its drawing rectangle.
class RecordingCell : public NS::TextFieldCell {
public:
  RecordingCell(std::vector<std::string>& log, bool centring) : log_(log), centring_(centring) {}

  NS::Rect drawingRectForBounds(const NS::Rect& bounds) override {
    NS::Rect rect = NS::TextFieldCell::drawingRectForBounds(bounds);
    if (!centring_ || editing_) return rect;
    const double spare = rect.size.height - cellSize().height;
    rect.size.height -= spare;
    rect.origin.y += spare / 2;
    return rect;
  }
  void selectWithFrameInViewEditorDelegateStartLength(const NS::Rect& frame, NS::View* view, NS::Text* editor,
                                                      NS::Object* delegate, NS::Integer start,
                                                      NS::Integer length) override {
    log_.push_back("select " + Describe(frame) + " " + std::to_string(start) + "+" + std::to_string(length));
    const NS::Rect drawn = drawingRectForBounds(frame);
    editing_ = true;
    NS::TextFieldCell::selectWithFrameInViewEditorDelegateStartLength(drawn, view, editor, delegate, start, length);
    editing_ = false;
  }
  void editWithFrameInViewEditorDelegateEvent(const NS::Rect& frame, NS::View* view, NS::Text* editor,
                                              NS::Object* delegate, NS::Event* event) override {
    log_.push_back("edit " + Describe(frame));
    const NS::Rect drawn = drawingRectForBounds(frame);
    editing_ = true;
    NS::TextFieldCell::editWithFrameInViewEditorDelegateEvent(drawn, view, editor, delegate, event);
    editing_ = false;
  }

private:
  std::vector<std::string>& log_;
  bool centring_;
  bool editing_ = false;
};

// Accepts what `accepts` allows, as the field's formatter.
class TestFormatter : public NS::Formatter {
public:
  explicit TestFormatter(std::function<bool(const std::string&)> accepts) : accepts_(std::move(accepts)) {}
  bool isPartialStringValidNewEditingStringErrorDescription(CFStringRef partial, CFStringRef*, CFStringRef*) override {
    return accepts_(Utf8(partial));
  }

private:
  std::function<bool(const std::string&)> accepts_;
};

// Hears the end of editing as the delegate and as an observer of the
// notification; may take the field away as a platform view does.
class EditingEnds : public NS::Object, public NS::TextFieldDelegate {
public:
  EditingEnds() {
    NS::NotificationCenter::defaultCenter()->addObserverSelectorNameObject(
        this, NS_SELECTOR(EditingEnds, onNotification), NSControlTextDidEndEditingNotification, nullptr);
  }
  ~EditingEnds() override { NS::NotificationCenter::defaultCenter()->removeObserver(this); }

  void controlTextDidEndEditing(NS::Notification* notification) override {
    auto* field = static_cast<NS::TextField*>(notification->object());
    delegateCalls.push_back(Utf8(field->stringValue()));
    if (removesField) {
      field->setDelegate(nullptr);
      field->removeFromSuperview();
    }
  }
  void onNotification(NS::Object* notification) {
    notifiedObjects.push_back(static_cast<NS::Notification*>(notification)->object());
  }

  bool removesField = false;
  std::vector<std::string> delegateCalls;  // the string value each call found
  std::vector<NS::Object*> notifiedObjects;
};

// A text field like a platform view's: once first responder it gives the
// field editor its text colour, when the editor takes one.
class ColouredField : public NS::TextField {
public:
  bool becomeFirstResponder() override {
    if (!NS::TextField::becomeFirstResponder()) return false;
    NS::Text* editor = window()->fieldEditorForObject(true, this);
    if (editor->respondsToSelector(NS::SEL("setInsertionPointColor:"))) editor->setInsertionPointColor(textColor());
    return true;
  }
};

// A window with a text field showing "1234" in DejaVu Sans Mono at 20
// points, delegate `ends`, and another view that takes the first-responder
// role; the field is held only by its superview.
class AppKitTextFieldTest : public AppKitFontTest {
protected:
  void SetUp() override {
    AppKitFontTest::SetUp();
    window = MakeHostWindow(NS::MakeRect(100, 100, 400, 300));
    other = new LoggingView("other", log);
    other->initWithFrame(NS::MakeRect(250, 10, 100, 100));
    other->acceptsFocus = true;
    window->contentView()->addSubview(other);
    ends = new EditingEnds;
  }
  void TearDown() override {
    other->release();
    window->release();
    ends->release();
    AppKitFontTest::TearDown();
  }

  // The cell is left as the field makes it when `cell` is null.
  template <typename Field = NS::TextField>
  Field* AddField(NS::TextFieldCell* cell = nullptr) {
    const NS::AutoreleasePool pool;
    auto* made = new Field;
    made->initWithFrame(kFieldFrame);
    if (cell != nullptr) {
      cell->initTextCell(CFSTR("textfield"));
      cell->setEditable(true);
      made->setCell(cell);
      cell->release();
    }
    made->setFont(MonoFont(kFontSize));
    made->setStringValue(CFSTR("1234"));
    made->setDelegate(ends);
    window->contentView()->addSubview(made);
    made->release();
    field = made;
    return made;
  }

  NS::Text* Editor() { return window->fieldEditorForObject(false, nullptr); }

public:  // for the gestures of the tables
  std::vector<std::string> log;
  NS::Window* window = nullptr;
  LoggingView* other = nullptr;
  EditingEnds* ends = nullptr;
  NS::TextField* field = nullptr;
};

TEST_F(AppKitTextFieldTest, EditingStartsWhereTheCellPutsTheFieldEditor) {
  struct Case {
    const char* start;
    bool centring;
    std::function<void(AppKitTextFieldTest&)> gesture;
    std::string call;
    NS::Rect editorFrame;
    NS::Range selection;
  };
  // The centred rectangle: 40 - 24 = 16 points to share above and below.
  const NS::Rect centred = NS::MakeRect(0, 8, 200, 24);
  const auto focus = [](AppKitTextFieldTest& t) { t.window->makeFirstResponder(t.field); };
  // Between the second and third character, nearer the third's start.
  const auto click = [](AppKitTextFieldTest& t) { PressButton(t.field, {2 * kAdvance + 5, 20}); };
  const Case cases[] = {
      {"becoming first responder selects all", false, focus, "select 0,0,200,40 0+4", kFieldBounds, {0, 4}},
      {"a click puts the caret where it fell", false, click, "edit 0,0,200,40", kFieldBounds, {2, 0}},
      {"a centring cell moves the editor when selecting", true, focus, "select 0,0,200,40 0+4", centred, {0, 4}},
      {"a centring cell moves the editor when clicked", true, click, "edit 0,0,200,40", centred, {2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    log.clear();
    AddField(new RecordingCell(log, c.centring));
    c.gesture(*this);
    EXPECT_EQ(log, std::vector<std::string>{c.call});
    ASSERT_NE(field->currentEditor(), nullptr);
    EXPECT_EQ(field->currentEditor(), Editor()) << "the window's one field editor";
    EXPECT_EQ(Editor()->frame(), c.editorFrame);
    EXPECT_EQ(Editor()->selectedRange(), c.selection);
    EXPECT_EQ(Utf8(Editor()->string()), "1234");
    RemoveViewAsHost(field);
  }
}

TEST_F(AppKitTextFieldTest, TypedKeysEditThroughTheFormatter) {
  const auto digits = [](const std::string& text) { return text.find_first_not_of("0123456789") == std::string::npos; };
  const auto upToThree = [](const std::string& text) { return text.size() <= 3; };
  struct Case {
    const char* edit;
    std::function<bool(const std::string&)> formatter;  // none when empty
    std::function<void(NS::Window*)> keys;
    std::string text;
    long refusals;
  };
  const Case cases[] = {
      {"typing replaces the selection", {}, [](NS::Window* w) { TypeText(w, "x!Y"); }, "x!Y", 0},
      {"backspace at the end", {}, [](NS::Window* w) {
         PressEditingKey(w, EditingKey::Right);
         PressEditingKey(w, EditingKey::Backspace);
       }, "123", 0},
      {"forward delete at the start", {}, [](NS::Window* w) {
         PressEditingKey(w, EditingKey::Left);
         PressEditingKey(w, EditingKey::ForwardDelete);
       }, "234", 0},
      {"the caret moves and inserts there", {}, [](NS::Window* w) {
         PressEditingKey(w, EditingKey::Up);
         PressEditingKey(w, EditingKey::Right);
         TypeText(w, "-");
         PressEditingKey(w, EditingKey::Down);
         TypeText(w, "+");
       }, "1-234+", 0},
      {"backspace at the start and Escape change nothing", {}, [](NS::Window* w) {
         PressEditingKey(w, EditingKey::Left);
         PressEditingKey(w, EditingKey::Backspace);
         PressEditingKey(w, EditingKey::Escape);
       }, "1234", 0},
      {"a digits-only formatter refuses the letter", digits, [](NS::Window* w) { TypeText(w, "1a2"); }, "12", 1},
      {"a length limit refuses what goes past it", upToThree, [](NS::Window* w) { TypeText(w, "98765"); }, "987", 2},
      {"a formatter is asked about deletions too", upToThree, [](NS::Window* w) {
         PressEditingKey(w, EditingKey::Right);
         PressEditingKey(w, EditingKey::Backspace);
       }, "123", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    AddField();
    if (c.formatter) {
      auto* formatter = new TestFormatter(c.formatter);
      field->setFormatter(formatter);
      formatter->release();
    }
    window->makeFirstResponder(field);
    c.keys(window);
    EXPECT_EQ(Utf8(field->stringValue()), c.text);
    EXPECT_EQ(FormatterRefusalCount(field), c.refusals);
    EXPECT_NE(field->currentEditor(), nullptr) << "still editing";
    EXPECT_TRUE(ends->delegateCalls.empty());
    for (const UnhandledKey& key : UnhandledKeys()) EXPECT_FALSE(key.down) << "the editor took every key down";
    RemoveViewAsHost(field);
    ends->delegateCalls.clear();
    ends->notifiedObjects.clear();
  }
}

TEST_F(AppKitTextFieldTest, EditingEndsOnceWithTheTextAsStringValue) {
  enum After { kEditsAgain, kStops, kGone };  // the field with its text selected again, not editing, released
  struct Case {
    const char* end;
    std::function<void(AppKitTextFieldTest&)> gesture;
    After after;
  };
  const Case cases[] = {
      {"Return", [](AppKitTextFieldTest& t) { PressEditingKey(t.window, EditingKey::Return); }, kEditsAgain},
      {"Tab", [](AppKitTextFieldTest& t) { PressEditingKey(t.window, EditingKey::Tab); }, kEditsAgain},
      {"a click on the other view", [](AppKitTextFieldTest& t) { PressButton(t.other, {5, 5}); }, kStops},
      {"another first responder", [](AppKitTextFieldTest& t) { t.window->makeFirstResponder(t.other); }, kStops},
      {"the field leaving its window", [](AppKitTextFieldTest& t) { RemoveViewAsHost(t.field); }, kGone},
  };
  for (const bool removedByDelegate : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.end) + (removedByDelegate ? ", the delegate removing the field" : ""));
      ends->delegateCalls.clear();
      ends->notifiedObjects.clear();
      ends->removesField = removedByDelegate;
      AddField();
      window->makeFirstResponder(field);
      TypeText(window, "56");
      NS::Object* const edited = field;

      c.gesture(*this);

      EXPECT_EQ(ends->delegateCalls, std::vector<std::string>{"56"});
      EXPECT_EQ(ends->notifiedObjects, std::vector<NS::Object*>{edited});
      if (removedByDelegate || c.after == kGone) continue;
      EXPECT_EQ(Utf8(field->cell()->stringValue()), "56");
      EXPECT_EQ(field->currentEditor() != nullptr, c.after == kEditsAgain);
      if (c.after == kEditsAgain) {
        EXPECT_EQ(Editor()->selectedRange(), (NS::Range{0, 2}));
      }
      RemoveViewAsHost(field);
    }
  }
  EXPECT_EQ(AppKitValidationErrorCount(), 0);
}

TEST_F(AppKitTextFieldTest, CellSizeIsTheTextsWidthAndTheFontsLineHeightRoundedUp) {
  const NS::AutoreleasePool pool;
  auto* cell = (new NS::TextFieldCell)->initTextCell(CFSTR("1234"));
  cell->setFont(MonoFont(kFontSize));
  EXPECT_EQ(cell->cellSize(), (NS::Size{49, 24})) << "4 x 12.04 and 23.3";
  cell->release();
}

TEST_F(AppKitTextFieldTest, TheInsertionPointColourIsGivenOnlyWhenTheEditorTakesIt) {
  for (const bool available : {true, false}) {
    SCOPED_TRACE(available ? "the editor takes it" : "switched off");
    ResetAppKit();
    SetOptionalMethodAvailable("setInsertionPointColor:", available);
    const NS::AutoreleasePool pool;
    NS::Window* ownWindow = MakeHostWindow(NS::MakeRect(0, 0, 300, 100));
    auto* coloured = new ColouredField;
    coloured->initWithFrame(kFieldFrame);
    NS::Color* red = NS::Color::colorWithDeviceRedGreenBlueAlpha(1, 0, 0, 1);
    coloured->setTextColor(red);
    ownWindow->contentView()->addSubview(coloured);
    ownWindow->makeFirstResponder(coloured);
    EXPECT_EQ(FieldEditorInsertionPointColor(ownWindow), available ? red : nullptr);
    EXPECT_EQ(AppKitValidationErrorCount(), 0);
    coloured->release();
    ownWindow->release();
  }
}

}  // namespace
