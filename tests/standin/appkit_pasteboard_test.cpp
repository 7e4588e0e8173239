// The pasteboards, drops onto views and drag sessions started from them.

#include <Foundation/NSRef.h>

#include <string>
#include <vector>

#include "appkit_fixture.h"

namespace {

using namespace standin::testing;

std::string TextOrEmpty(CFTypeRef string) {
  char buffer[256] = "";
  if (string != nullptr) {
    CFStringGetCString(static_cast<CFStringRef>(string), buffer, sizeof buffer, kCFStringEncodingUTF8);
  }
  return buffer;
}

std::vector<std::string> Texts(CFTypeRef array) {
  std::vector<std::string> texts;
  const auto items = static_cast<CFArrayRef>(array);
  for (CFIndex index = 0; array != nullptr && index < CFArrayGetCount(items); ++index) {
    texts.push_back(TextOrEmpty(CFArrayGetValueAtIndex(items, index)));
  }
  return texts;
}

CFArrayRef FileURLs(const std::vector<const char*>& paths) {
  CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const char* path : paths) {
    CFStringRef text = CFStringCreateWithCString(nullptr, path, kCFStringEncodingUTF8);
    CFArrayAppendValue(urls, NS::URL::fileURLWithPath(text));
    CFRelease(text);
  }
  return static_cast<CFArrayRef>(CFAutorelease(urls));
}

TEST_F(AppKitTest, PasteboardsKeepTextsAndFileURLsAndCanRefuse) {
  const NS::AutoreleasePool pool;
  NS::Pasteboard* pasteboard = NS::Pasteboard::generalPasteboard();

  const long count = pasteboard->changeCount();
  EXPECT_EQ(pasteboard->clearContents(), count + 1);
  EXPECT_TRUE(Texts(pasteboard->types()).empty());
  EXPECT_EQ(pasteboard->stringForType(NSStringPboardType), nullptr);
  EXPECT_TRUE(pasteboard->setStringForType(CFSTR("Größe 12 — ♪"), NSStringPboardType));
  EXPECT_EQ(TextOrEmpty(pasteboard->stringForType(NSStringPboardType)), "Größe 12 — ♪");
  EXPECT_EQ(pasteboard->changeCount(), count + 1) << "writes leave the count";

  EXPECT_EQ(pasteboard->clearContents(), count + 2);
  EXPECT_TRUE(Texts(pasteboard->types()).empty());
  ASSERT_TRUE(pasteboard->writeObjects(FileURLs({"/tmp/a b.txt", "/tmp/c.orv"})));
  EXPECT_EQ(Texts(pasteboard->types()),
            (std::vector<std::string>{TextOrEmpty(NSPasteboardTypeFileURL), TextOrEmpty(NSFilenamesPboardType)}));
  EXPECT_EQ(Texts(pasteboard->propertyListForType(NSFilenamesPboardType)),
            (std::vector<std::string>{"/tmp/a b.txt", "/tmp/c.orv"}));
  EXPECT_EQ(TextOrEmpty(pasteboard->stringForType(NSPasteboardTypeFileURL)), "file:///tmp/a%20b.txt");

  const CFTypeRef notURLs[] = {CFSTR("/tmp/a")};
  EXPECT_FALSE(pasteboard->writeObjects(static_cast<CFArrayRef>(
      CFAutorelease(CFArrayCreate(nullptr, const_cast<const void**>(notURLs), 1, &kCFTypeArrayCallBacks)))));

  pasteboard->clearContents();
  SetPasteboardRefusesWrites(true);
  EXPECT_FALSE(pasteboard->setStringForType(CFSTR("x"), NSStringPboardType));
  EXPECT_FALSE(pasteboard->writeObjects(FileURLs({"/tmp/a"})));
  EXPECT_TRUE(Texts(pasteboard->types()).empty());
}

// A view that takes drops and drags, logging what it hears.
class DropView : public NS::View, public NS::DraggingDestination, public NS::DraggingSource {
public:
  NS::DragOperation answer = NS::DragOperationCopy;
  std::vector<std::string> log;
  std::vector<std::string> droppedPaths;
  NS::Point dropLocation{};
  NS::DraggingSession* session = nullptr;
  bool dragOnMouseDragged = false;

  NS::DragOperation draggingEntered(NS::DraggingInfo* sender) override {
    log.push_back("entered");
    dropLocation = sender->draggingLocation();
    return answer;
  }
  bool performDragOperation(NS::DraggingInfo* sender) override {
    log.push_back("perform");
    droppedPaths = Texts(sender->draggingPasteboard()->propertyListForType(NSFilenamesPboardType));
    return true;
  }
  NS::DragOperation draggingSessionSourceOperationMaskForDraggingContext(NS::DraggingSession*,
                                                                        NS::DraggingContext) override {
    log.push_back("source asked");
    return NS::DragOperationCopy;
  }
  void mouseDragged(NS::Event* event) override {
    if (dragOnMouseDragged) session = StartFileDrag(event);
  }

  NS::DraggingSession* StartFileDrag(NS::Event* event) {
    auto* writer = new NS::PasteboardItem;
    writer->setStringForType(CFSTR("file:///tmp/a%20b.csv"), NSPasteboardTypeFileURL);
    auto* item = (new NS::DraggingItem)->initWithPasteboardWriter(writer);
    NS::Image* icon = NS::Workspace::sharedWorkspace()->iconForFile(CFSTR("/tmp/a b.csv"));
    icon->setSize(NS::Size{64, 64});
    item->setDraggingFrameContents(NS::MakeRect(10, 20, 64, 64), icon);
    NS::DraggingSession* started = beginDraggingSessionWithItemsEventSource({item}, event, this);
    if (started != nullptr) {
      started->setAnimatesToStartingPositionsOnCancelOrFail(true);
      started->setDraggingFormation(NS::DraggingFormationNone);
    }
    item->release();
    writer->release();
    return started;
  }
};

struct DropScene {
  DropScene() : window(MakeHostWindow(NS::MakeRect(100, 100, 400, 300))), view(new DropView) {
    view->initWithFrame(NS::MakeRect(30, 40, 200, 100));
    window->contentView()->addSubview(view);
  }
  ~DropScene() {
    view->release();
    window->release();
  }
  void Register() {
    const CFTypeRef types[] = {NSFilenamesPboardType};
    CFArrayRef array = CFArrayCreate(nullptr, const_cast<const void**>(types), 1, &kCFTypeArrayCallBacks);
    view->registerForDraggedTypes(array);
    CFRelease(array);
  }

  NS::Window* window;
  DropView* view;
};

TEST_F(AppKitTest, DropsReachOnlyRegisteredViewsThatAcceptThem) {
  const std::vector<std::string> paths = {"/tmp/one.csv", "/tmp/two words.csv", "/tmp/three.csv"};
  struct Case {
    const char* rule;
    bool registered;
    NS::DragOperation answer;
    std::vector<std::string> heard;
    bool accepted;
  } cases[] = {
      {"a registered view accepting", true, NS::DragOperationGeneric, {"entered", "perform"}, true},
      {"a view answering 0 is not asked to perform", true, NS::DragOperationNone, {"entered"}, false},
      {"an unregistered view is not asked", false, NS::DragOperationGeneric, {}, false},
  };
  for (const Case& c : cases) {
    DropScene scene;
    if (c.registered) scene.Register();
    scene.view->answer = c.answer;
    const DropAnswers answers = DropFiles(scene.view, NS::Point{5, 6}, paths);
    EXPECT_EQ(scene.view->log, c.heard) << c.rule;
    EXPECT_EQ(answers.entered, !c.heard.empty()) << c.rule;
    EXPECT_EQ(answers.accepted, c.accepted) << c.rule;
    if (!c.accepted) continue;
    EXPECT_EQ(answers.operation, c.answer);
    EXPECT_EQ(scene.view->droppedPaths, paths);
    EXPECT_EQ(scene.view->dropLocation, (NS::Point{35, 46})) << "in window coordinates";
  }
}

TEST_F(AppKitTest, DragSessionsStartOnlyFromTheMouseEventBeingHandled) {
  DropScene scene;
  scene.view->dragOnMouseDragged = true;
  PressButton(scene.view, NS::Point{10, 10});
  DragTo(scene.view, NS::Point{20, 10}, 1);
  ASSERT_NE(scene.view->session, nullptr);
  EXPECT_EQ(scene.view->log, std::vector<std::string>{"source asked"});

  const std::optional<DraggingSessionRecord> record = LastDraggingSession();
  ASSERT_TRUE(record.has_value());
  ASSERT_EQ(record->items.size(), 1u);
  const DraggedItem& item = record->items[0];
  EXPECT_EQ(item.contents, (std::vector<std::pair<std::string, std::string>>{
                               {TextOrEmpty(NSPasteboardTypeFileURL), "file:///tmp/a%20b.csv"}}));
  EXPECT_EQ(item.frame, NS::MakeRect(10, 20, 64, 64));
  EXPECT_EQ(item.imageSize, (NS::Size{64, 64}));
  EXPECT_TRUE(record->animatesToStartingPositionsOnCancelOrFail);
  EXPECT_EQ(record->formation, NS::DraggingFormationNone);
  EXPECT_EQ(record->sourceOperationMask, NS::DragOperationCopy);
  {
    const NS::AutoreleasePool pool;
    EXPECT_EQ(TextOrEmpty(scene.view->session->draggingPasteboard()->stringForType(NSPasteboardTypeFileURL)),
              "file:///tmp/a%20b.csv");
  }
  ReleaseButton(scene.view, NS::Point{20, 10});

  const NS::AutoreleasePool pool;
  const long errors = AppKitValidationErrorCount();
  EXPECT_EQ(scene.view->StartFileDrag(nullptr), nullptr) << "outside an event";
  EXPECT_EQ(AppKitValidationErrorCount(), errors + 1);
  EXPECT_EQ(scene.view->beginDraggingSessionWithItemsEventSource({}, nullptr, scene.view), nullptr);
}

}  // namespace
