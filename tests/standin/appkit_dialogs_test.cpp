// Alerts, save and open panels run modally or as sheets, and the colour panel,
// answered through the testing API.

#include <AppKit/NSAlert.h>
#include <AppKit/NSColorPanel.h>
#include <AppKit/NSOpenPanel.h>
#include <AppKit/NSSavePanel.h>
#include <standin/testing/run_loop.h>

#include <optional>

#include "appkit_fixture.h"
#include "cf_strings.h"

namespace {

using standin::testing::PanelAnswer;
using standin::testing::PanelLog;
using standin::testing::PanelRecord;
using standin::testing::RunOnce;

// An autoreleased array of strings.
CFArrayRef Strings(const std::vector<const char*>& texts) {
  std::vector<const void*> values;
  for (const char* text : texts) values.push_back(CFAutorelease(CreateString(text)));
  return static_cast<CFArrayRef>(
      CFAutorelease(CFArrayCreate(nullptr, values.data(), CFIndex(values.size()), &kCFTypeArrayCallBacks)));
}

std::optional<std::string> ChosenURL(const NS::SavePanel* panel) {
  if (panel->URL() == nullptr) return std::nullopt;
  return CFStringGetCStringPtr(CFURLGetString(panel->URL()), kCFStringEncodingUTF8);
}

TEST_F(AppKitTest, AlertsAnswerTheButtonChosenCountedFrom1000) {
  struct Case {
    std::vector<const char*> buttons;
    std::optional<std::size_t> choice;
    NS::ModalResponse response;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {{}, std::nullopt, NS::AlertFirstButtonReturn, {"OK"}},
      {{}, 3, NS::AlertFirstButtonReturn, {"OK"}},  // a button that is not there counts as the first
      {{"OK", "Cancel"}, 1, NS::AlertSecondButtonReturn, {"OK", "Cancel"}},
      {{"Yes", "No", "Cancel"}, 2, NS::AlertThirdButtonReturn, {"Yes", "No", "Cancel"}},
      {{"Retry", "Cancel"}, std::nullopt, NS::AlertFirstButtonReturn, {"Retry", "Cancel"}},
  };
  for (const Case& c : cases) {
    const NS::AutoreleasePool pool;
    standin::testing::ResetAppKit();
    if (c.choice) standin::testing::QueueAlertAnswer(*c.choice);
    NS::Alert* alert = (new NS::Alert)->init();
    alert->setMessageText(CFSTR("Caption"));
    alert->setInformativeText(nullptr);
    for (const char* title : c.buttons)
      alert->addButtonWithTitle(static_cast<CFStringRef>(CFAutorelease(CreateString(title))));
    EXPECT_EQ(alert->runModal(), c.response);
    alert->release();
    const auto log = standin::testing::AlertLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].messageText, "Caption");
    EXPECT_EQ(log[0].informativeText, "");
    EXPECT_EQ(log[0].buttons, c.shown);
    EXPECT_EQ(log[0].answer, c.response);
  }
}

TEST_F(AppKitTest, ModalPanelsAnswerOkWithTheChosenURLAndASavePanelEnforcesItsTypes) {
  struct Case {
    bool open;
    std::vector<const char*> types;  // empty: none set
    bool allowsOtherTypes;
    PanelAnswer answer;
    NS::ModalResponse response;
    std::optional<std::string> url;
  };
  const Case cases[] = {
      {false, {"csv", "txt"}, false, "/data/plot", NS::ModalResponseOK, "file:///data/plot.csv"},
      {false, {"csv", "txt"}, false, "/data/plot.TXT", NS::ModalResponseOK, "file:///data/plot.TXT"},
      {false, {"csv"}, false, "/data/plot.wav", NS::ModalResponseOK, "file:///data/plot.wav.csv"},
      {false, {"csv"}, true, "/data/plot.wav", NS::ModalResponseOK, "file:///data/plot.wav"},
      {false, {}, false, "/data/plot", NS::ModalResponseOK, "file:///data/plot"},
      {true, {"json"}, false, "/data/a b.json", NS::ModalResponseOK, "file:///data/a%20b.json"},
      {true, {"json"}, false, std::nullopt, NS::ModalResponseCancel, std::nullopt},
  };
  for (const Case& c : cases) {
    const NS::AutoreleasePool pool;
    NS::SavePanel* panel = c.open ? NS::OpenPanel::openPanel() : NS::SavePanel::savePanel();
    if (!c.types.empty()) panel->setAllowedFileTypes(Strings(c.types));
    panel->setAllowsOtherFileTypes(c.allowsOtherTypes);
    ASSERT_TRUE(standin::testing::QueuePanelAnswer(c.answer));
    EXPECT_EQ(panel->runModal(), c.response);
    EXPECT_EQ(ChosenURL(panel), c.url);
  }
  EXPECT_FALSE(standin::testing::QueuePanelAnswer("relative/name.csv"));
  const NS::AutoreleasePool pool;
  EXPECT_EQ(NS::SavePanel::savePanel()->runModal(), NS::ModalResponseCancel) << "without an answer: Cancel";
}

// A responder decides what has no queued answer, seeing the dialog as shown.
TEST_F(AppKitTest, RespondersAnswerAlertsAndModalPanelsWithoutAQueuedAnswer) {
  std::vector<std::string> alertsSeen;
  standin::testing::SetAlertResponder([&](const standin::testing::AlertRecord& alert) {
    alertsSeen.push_back(alert.messageText);
    return alert.buttons.size() - 1;
  });
  std::vector<std::string> panelsSeen;
  PanelAnswer nextPanelAnswer = "/data/chosen.txt";
  standin::testing::SetPanelResponder([&](const PanelRecord& panel) {
    panelsSeen.push_back(panel.title);
    return nextPanelAnswer;
  });
  const NS::AutoreleasePool pool;
  const auto runAlert = [](const char* caption) {
    const NS::Ref<NS::Alert> alert = NS::Ref<NS::Alert>::Adopt(new NS::Alert);
    alert->setMessageText(static_cast<CFStringRef>(CFAutorelease(CreateString(caption))));
    for (const char* title : {"Yes", "No", "Cancel"})
      alert->addButtonWithTitle(static_cast<CFStringRef>(CFAutorelease(CreateString(title))));
    return alert->runModal();
  };
  EXPECT_EQ(runAlert("asked"), NS::AlertThirdButtonReturn);
  standin::testing::QueueAlertAnswer(0);
  EXPECT_EQ(runAlert("queued"), NS::AlertFirstButtonReturn);
  EXPECT_EQ(alertsSeen, std::vector<std::string>{"asked"});

  const auto runPanel = [](const char* title) {
    NS::SavePanel* panel = NS::SavePanel::savePanel();
    panel->setTitle(static_cast<CFStringRef>(CFAutorelease(CreateString(title))));
    return panel->runModal();
  };
  EXPECT_EQ(runPanel("chosen"), NS::ModalResponseOK);
  nextPanelAnswer = "relative.txt";
  EXPECT_EQ(runPanel("relative"), NS::ModalResponseCancel);
  ASSERT_TRUE(standin::testing::QueuePanelAnswer(std::nullopt));
  EXPECT_EQ(runPanel("queued"), NS::ModalResponseCancel);
  EXPECT_EQ(panelsSeen, (std::vector<std::string>{"chosen", "relative"}));
  EXPECT_EQ(PanelLog()[0].answer, "/data/chosen.txt");

  standin::testing::SetAlertResponder({});
  standin::testing::SetPanelResponder({});
  EXPECT_EQ(runAlert("default"), NS::AlertFirstButtonReturn);
}

TEST_F(AppKitTest, PanelsLogEveryPropertySetTheModeAndTheWindow) {
  const NS::AutoreleasePool pool;
  NS::Window* window = standin::testing::MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  NS::OpenPanel* open = NS::OpenPanel::openPanel();
  open->setAllowedFileTypes(Strings({"wav", "aif"}));
  open->setDirectoryURL(static_cast<CFURLRef>(
      CFAutorelease(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/music"), kCFURLPOSIXPathStyle, true))));
  open->setCanChooseFiles(false);
  open->setCanChooseDirectories(true);
  open->setResolvesAliases(false);
  open->setCanCreateDirectories(true);
  open->setTitle(CFSTR("Choose a Directory"));
  open->setLevel(NS::FloatingWindowLevel);
  open->beginSheetModalForWindowCompletionHandler(window, nullptr);
  NS::SavePanel* save = NS::SavePanel::savePanel();
  save->setNameFieldStringValue(CFSTR("plot.csv"));
  save->setAllowsOtherFileTypes(true);
  save->runModal();

  PanelRecord openRecord;
  openRecord.kind = standin::testing::PanelKind::Open;
  openRecord.mode = standin::testing::PanelMode::Sheet;
  openRecord.window = window;
  openRecord.allowedFileTypes = std::vector<std::string>{"wav", "aif"};
  openRecord.directory = "/music";
  openRecord.title = "Choose a Directory";
  openRecord.canChooseFiles = false;
  openRecord.canChooseDirectories = true;
  openRecord.resolvesAliases = false;
  openRecord.level = NS::FloatingWindowLevel;
  PanelRecord saveRecord;
  saveRecord.nameField = "plot.csv";
  saveRecord.allowsOtherFileTypes = true;
  const auto log = PanelLog();
  ASSERT_EQ(log.size(), 2u);
  const auto fields = [](const PanelRecord& r) {
    return std::make_tuple(r.kind, r.mode, r.window, r.allowedFileTypes, r.directory, r.nameField, r.title,
                           r.allowsOtherFileTypes, r.canChooseFiles, r.canChooseDirectories, r.resolvesAliases,
                           r.canCreateDirectories, r.level, r.answer);
  };
  EXPECT_EQ(fields(log[0]), fields(openRecord));
  EXPECT_EQ(fields(log[1]), fields(saveRecord));
  ASSERT_TRUE(standin::testing::AnswerSheet(window, std::nullopt));
  RunOnce();
  window->release();
}

TEST_F(AppKitTest, SheetsWaitForTheTestAndRunTheirHandlersOnALaterPassOneAtATimePerWindow) {
  const NS::AutoreleasePool pool;
  std::vector<std::string> handled;
  const auto handler = [&handled](const char* name, NS::SavePanel* panel) {
    return [&handled, name, panel](NS::ModalResponse response) {
      handled.push_back(std::string(name) + " " + std::to_string(response) + " " + ChosenURL(panel).value_or("-"));
    };
  };
  NS::Window* window = standin::testing::MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  NS::SavePanel* first = NS::SavePanel::savePanel();
  NS::OpenPanel* second = NS::OpenPanel::openPanel();
  NS::OpenPanel* alone = NS::OpenPanel::openPanel();
  first->beginSheetModalForWindowCompletionHandler(window, handler("first", first));
  second->beginSheetModalForWindowCompletionHandler(window, handler("second", second));
  alone->beginSheetModalForWindowCompletionHandler(nullptr, handler("alone", alone));
  window->release();  // the sheets hold their window
  EXPECT_EQ(PanelLog().size(), 2u) << "the second sheet waits behind the first";
  EXPECT_EQ(standin::testing::PendingSheetCount(window), 2u);
  RunOnce();
  EXPECT_TRUE(handled.empty()) << "nothing answers a sheet but the test";

  ASSERT_TRUE(standin::testing::AnswerSheet(window, "/out/plot"));
  EXPECT_TRUE(handled.empty()) << "never inside the call that answered";
  ASSERT_EQ(PanelLog().size(), 3u);
  EXPECT_EQ(PanelLog()[2].kind, standin::testing::PanelKind::Open) << "the second sheet shows now";
  RunOnce();
  EXPECT_EQ(handled, (std::vector<std::string>{"first 1 file:///out/plot"}));
  ASSERT_TRUE(standin::testing::AnswerSheet(window, std::nullopt));
  ASSERT_TRUE(standin::testing::AnswerSheet(nullptr, "/in/a.json"));
  EXPECT_FALSE(standin::testing::AnswerSheet(window, "/in/b.json")) << "no sheet left on the window";
  RunOnce();
  EXPECT_EQ(handled, (std::vector<std::string>{"first 1 file:///out/plot", "second 0 -", "alone 1 file:///in/a.json"}));
}

TEST_F(AppKitTest, PickingAColourSendsThePanelsActionToItsTargetWhileItIsOpen) {
  class Picker : public NS::Object {
  public:
    void picked(NS::Object* sender) {
      auto* panel = static_cast<NS::ColorPanel*>(sender);
      const NS::Color* color = panel->color();
      colors.push_back(
          {color->redComponent(), color->greenComponent(), color->blueComponent(), color->alphaComponent()});
    }
    std::vector<std::vector<double>> colors;
  };
  struct Case {
    bool showsAlpha, withTarget, closeFirst, sent;
    std::vector<double> color;  // the panel's colour afterwards
  };
  const Case cases[] = {
      {true, true, false, true, {0.5, 0.25, 1.0, 0.5}},
      {false, true, false, true, {0.5, 0.25, 1.0, 1.0}},  // without alpha, picked colours are opaque
      {true, false, false, false, {0.5, 0.25, 1.0, 0.5}},
      {true, true, true, false, {1.0, 0.0, 0.0, 1.0}},
  };
  for (const Case& c : cases) {
    standin::testing::ResetAppKit();
    EXPECT_FALSE(NS::ColorPanel::sharedColorPanelExists());
    EXPECT_FALSE(standin::testing::PickColor(0, 0, 0, 1));
    const NS::AutoreleasePool pool;
    auto* picker = new Picker;
    NS::ColorPanel* panel = NS::ColorPanel::sharedColorPanel();
    EXPECT_TRUE(NS::ColorPanel::sharedColorPanelExists());
    panel->setTarget(c.withTarget ? picker : nullptr);
    panel->setAction(NS_SELECTOR(Picker, picked));
    panel->setShowsAlpha(c.showsAlpha);
    panel->setColor(NS::Color::colorWithDeviceRedGreenBlueAlpha(1, 0, 0, 1));
    panel->orderFront(nullptr);
    if (c.closeFirst) panel->close();
    EXPECT_EQ(standin::testing::PickColor(0.5, 0.25, 1.0, 0.5), c.sent);
    EXPECT_EQ(picker->colors, c.sent ? std::vector<std::vector<double>>{c.color} : std::vector<std::vector<double>>{});
    const NS::Color* color = panel->color();
    EXPECT_EQ((std::vector<double>{color->redComponent(), color->greenComponent(), color->blueComponent(),
                                   color->alphaComponent()}),
              c.color);
    picker->release();
  }
}

}  // namespace
