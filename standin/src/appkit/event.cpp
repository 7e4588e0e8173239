#include "appkit/event_factory.h"
#include "cf_string.h"

#include <AppKit/NSWindow.h>

namespace NS {

Event::Event(EventType type, Window* window, Point locationInWindow, EventModifierFlags modifierFlags)
    : type_(type), window_(window), locationInWindow_(locationInWindow), modifierFlags_(modifierFlags) {
  if (window_ != nullptr) window_->retain();
}

Event::~Event() {
  if (window_ != nullptr) window_->release();
  if (trackingArea_ != nullptr) trackingArea_->release();
  if (characters_ != nullptr) CFRelease(characters_);
  if (charactersIgnoringModifiers_ != nullptr) CFRelease(charactersIgnoringModifiers_);
}

}  // namespace NS

namespace standin::appkit {
namespace {

// "" for text that is not UTF-8, so a key event always carries strings.
CFStringRef MakeString(const std::string& utf8) {
  return cf::MakeString(cf::IsValidUTF8(utf8.data(), utf8.size()) ? utf8 : std::string());
}

}  // namespace

NS::Event* EventFactory::Mouse(NS::EventType type, NS::Window* window, NS::Point location,
                               NS::EventModifierFlags modifiers, long clickCount, NS::EventSubtype subtype) {
  auto* event = new NS::Event(type, window, location, modifiers);
  event->clickCount_ = clickCount;
  event->subtype_ = subtype;
  return event;
}

NS::Event* EventFactory::Scroll(NS::Window* window, NS::Point location, NS::EventModifierFlags modifiers,
                                NS::CGFloat deltaY, NS::EventSubtype subtype) {
  auto* event = new NS::Event(NS::EventTypeScrollWheel, window, location, modifiers);
  event->deltaY_ = deltaY;
  event->subtype_ = subtype;
  return event;
}

NS::Event* EventFactory::Key(NS::EventType type, NS::Window* window, NS::Point location, const testing::Key& key) {
  auto* event = new NS::Event(type, window, location, key.modifiers);
  event->keyCode_ = key.keyCode;
  event->characters_ = MakeString(key.characters);
  event->charactersIgnoringModifiers_ = MakeString(key.charactersIgnoringModifiers);
  return event;
}

NS::Event* EventFactory::Crossing(NS::EventType type, const NS::Event& cause, NS::TrackingArea* area) {
  auto* event = new NS::Event(type, cause.window(), cause.locationInWindow(), cause.modifierFlags());
  area->retain();
  event->trackingArea_ = area;
  return event;
}

}  // namespace standin::appkit
