// Drag sessions started from views, and drops the testing API delivers to them.

#include <AppKit/NSApplication.h>
#include <AppKit/NSDragging.h>
#include <AppKit/NSDraggingItem.h>
#include <AppKit/NSDraggingSession.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSURL.h>

#include <standin/testing/appkit.h>

#include <algorithm>

#include "appkit/exchange_resets.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

// What a file manager dragging files offers.
constexpr NS::DragOperation kFileDropOperations =
    NS::DragOperationCopy | NS::DragOperationLink | NS::DragOperationGeneric;

NS::Ref<NS::DraggingSession>& LastSession() {
  static auto* const session = new NS::Ref<NS::DraggingSession>;  // outlives static destructors
  return *session;
}

bool StartsDrags(const NS::Event* event) {
  switch (event->type()) {
    case NS::EventTypeLeftMouseDown:
    case NS::EventTypeLeftMouseDragged:
    case NS::EventTypeRightMouseDown:
    case NS::EventTypeRightMouseDragged:
      return true;
    default:
      return false;
  }
}

NS::Pasteboard* DragPasteboard() { return NS::Pasteboard::pasteboardWithName(NSPasteboardNameDrag); }

bool RegisteredFor(const NS::View& view, CFStringRef type) {
  CFArrayRef types = view.registeredDraggedTypes();
  return types != nullptr && CFArrayContainsValue(types, CFRangeMake(0, CFArrayGetCount(types)), type);
}

// File URLs of the paths on the dragging pasteboard, in order.
void PutFilesOnDragPasteboard(const std::vector<std::string>& paths) {
  NS::Pasteboard* pasteboard = DragPasteboard();
  pasteboard->clearContents();
  CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const std::string& path : paths) {
    CFStringRef text = cf::MakeString(path);
    if (CFURLRef url = NS::URL::fileURLWithPath(text)) CFArrayAppendValue(urls, url);
    CFRelease(text);
  }
  pasteboard->writeObjects(urls);
  CFRelease(urls);
}

}  // namespace

struct DraggingControl {
  static NS::DraggingSession* Start(const std::vector<NS::DraggingItem*>& items, NS::DraggingSource& source) {
    auto session = NS::Ref<NS::DraggingSession>::Adopt(new NS::DraggingSession);
    std::vector<NS::PasteboardItem*> writers;
    for (NS::DraggingItem* item : items) {
      session->items_.push_back(NS::Ref<NS::DraggingItem>::Retain(item));
      writers.push_back(item->item());
    }
    NS::Pasteboard* pasteboard = DragPasteboard();
    pasteboard->clearContents();
    pasteboard->writeObjects(writers);
    LastSession() = session;
    session->sourceOperations_ = source.draggingSessionSourceOperationMaskForDraggingContext(
        session.get(), NS::DraggingContextOutsideApplication);
    return session.get();
  }

  // The view is asked when it registered the type the drag offers.
  static testing::DropAnswers Drop(NS::View& view, NS::Point inWindow, CFStringRef offeredType) {
    testing::DropAnswers answers;
    auto* destination = dynamic_cast<NS::DraggingDestination*>(&view);
    if (destination == nullptr || !RegisteredFor(view, offeredType)) return answers;
    const auto info = NS::Ref<NS::DraggingInfo>::Adopt(new NS::DraggingInfo(DragPasteboard(), inWindow,
                                                                            kFileDropOperations));
    answers.entered = true;
    answers.operation = destination->draggingEntered(info.get());
    if (answers.operation == NS::DragOperationNone) return answers;
    answers.performed = true;
    answers.accepted = destination->performDragOperation(info.get());
    return answers;
  }

  static testing::DraggingSessionRecord Record(const NS::DraggingSession& session) {
    testing::DraggingSessionRecord record;
    for (const auto& item : session.items_) {
      testing::DraggedItem dragged;
      if (const NS::PasteboardItem* writer = item->item()) {
        CFArrayRef types = writer->types();
        for (CFIndex index = 0; index < CFArrayGetCount(types); ++index) {
          const auto type = static_cast<CFStringRef>(CFArrayGetValueAtIndex(types, index));
          dragged.contents.emplace_back(cf::StringText(type), cf::StringText(writer->stringForType(type)));
        }
      }
      dragged.frame = item->draggingFrame();
      if (item->contents() != nullptr) dragged.imageSize = item->contents()->size();
      record.items.push_back(std::move(dragged));
    }
    record.animatesToStartingPositionsOnCancelOrFail = session.animatesBack_;
    record.formation = session.formation_;
    record.sourceOperationMask = session.sourceOperations_;
    return record;
  }
};

void ResetDragging() { LastSession().reset(); }

}  // namespace standin::appkit

namespace NS {

DraggingItem* DraggingItem::initWithPasteboardWriter(PasteboardItem* writer) {
  if (writer == nullptr) {
    release();
    return nullptr;
  }
  writer->retain();
  if (writer_ != nullptr) writer_->release();
  writer_ = writer;
  return this;
}

DraggingItem::~DraggingItem() {
  if (writer_ != nullptr) writer_->release();
  if (contents_ != nullptr) contents_->release();
}

void DraggingItem::setDraggingFrameContents(const Rect& frame, Image* contents) {
  frame_ = frame;
  if (contents != nullptr) contents->retain();
  if (contents_ != nullptr) contents_->release();
  contents_ = contents;
}

Pasteboard* DraggingSession::draggingPasteboard() const { return standin::appkit::DragPasteboard(); }

DraggingSession* View::beginDraggingSessionWithItemsEventSource(const std::vector<DraggingItem*>& items, Event* event,
                                                                DraggingSource* source) {
  standin::appkit::CheckMainThread();
  const bool handlingEvent = event != nullptr && event == Application::sharedApplication()->currentEvent() &&
                             standin::appkit::StartsDrags(event) && window() != nullptr &&
                             event->window() == window();
  const bool hasItems = !items.empty() && std::all_of(items.begin(), items.end(), [](const DraggingItem* item) {
    return item != nullptr && item->item() != nullptr;
  });
  if (!handlingEvent || !hasItems || source == nullptr) {
    standin::appkit::CountValidationError();
    return nullptr;
  }
  return standin::appkit::DraggingControl::Start(items, *source);
}

}  // namespace NS

namespace standin::testing {

DropAnswers DropFiles(NS::View* view, NS::Point point, const std::vector<std::string>& paths) {
  appkit::CheckMainThread();
  if (view == nullptr || view->window() == nullptr) return {};
  const auto held = NS::Ref<NS::View>::Retain(view);
  const NS::AutoreleasePool pool;
  appkit::PutFilesOnDragPasteboard(paths);
  return appkit::DraggingControl::Drop(*view, view->convertPointToView(point, nullptr), NSFilenamesPboardType);
}

DropAnswers DropText(NS::View* view, NS::Point point, const std::string& utf8) {
  appkit::CheckMainThread();
  if (view == nullptr || view->window() == nullptr) return {};
  const auto held = NS::Ref<NS::View>::Retain(view);
  const NS::AutoreleasePool pool;
  NS::Pasteboard* pasteboard = appkit::DragPasteboard();
  pasteboard->clearContents();
  CFStringRef text = cf::MakeString(utf8);
  pasteboard->setStringForType(text, NSStringPboardType);
  CFRelease(text);
  return appkit::DraggingControl::Drop(*view, view->convertPointToView(point, nullptr), NSStringPboardType);
}

std::optional<DraggingSessionRecord> LastDraggingSession() {
  const NS::Ref<NS::DraggingSession>& session = appkit::LastSession();
  if (!session) return std::nullopt;
  const NS::AutoreleasePool pool;
  return appkit::DraggingControl::Record(*session);
}

}  // namespace standin::testing
