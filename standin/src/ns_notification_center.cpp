#include <Foundation/NSNotification.h>
#include <Foundation/NSRef.h>

#include <algorithm>

#include "usage_checks.h"

namespace NS {

struct NotificationCenter::Registration {
  Object* observer;
  SEL selector;
  CFStringRef name;  // retained; null: any
  Object* object;    // null: any
  bool active = true;

  bool Matches(CFStringRef postedName, const Object* postedObject) const {
    return (name == nullptr || CFEqual(name, postedName)) && (object == nullptr || object == postedObject);
  }
};

Notification::Notification(CFStringRef name, Object* object) : name_(name), object_(object) {
  CFRetain(name_);
  if (object_ != nullptr) object_->retain();
}

Notification::~Notification() {
  CFRelease(name_);
  if (object_ != nullptr) object_->release();
}

Notification* Notification::notificationWithNameObject(CFStringRef name, Object* object) {
  if (name == nullptr) return nullptr;
  return static_cast<Notification*>((new Notification(name, object))->autorelease());
}

NotificationCenter::NotificationCenter() { makeImmortal(); }

NotificationCenter::~NotificationCenter() {
  for (const auto& registration : registrations_) CFRelease(registration->name);
}

NotificationCenter* NotificationCenter::defaultCenter() {
  static NotificationCenter* const center = new NotificationCenter;
  return center;
}

void NotificationCenter::addObserverSelectorNameObject(Object* observer, const SEL& selector, CFStringRef name,
                                                       Object* object) {
  standin::appkit::CheckMainThread();
  if (observer == nullptr || !selector) return;
  if (name != nullptr) CFRetain(name);
  registrations_.push_back(std::make_shared<Registration>(Registration{observer, selector, name, object}));
}

void NotificationCenter::removeObserverNameObject(Object* observer, CFStringRef name, Object* object) {
  standin::appkit::CheckMainThread();
  std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& registration) {
    const bool removed = registration->observer == observer &&
                         (name == nullptr || (registration->name != nullptr && CFEqual(registration->name, name))) &&
                         (object == nullptr || registration->object == object);
    if (removed) {
      registration->active = false;
      CFRelease(registration->name);
      registration->name = nullptr;
    }
    return removed;
  });
}

void NotificationCenter::removeObserver(Object* observer) { removeObserverNameObject(observer, nullptr, nullptr); }

void NotificationCenter::postNotificationNameObject(CFStringRef name, Object* object) {
  standin::appkit::CheckMainThread();
  if (name == nullptr) return;
  auto* notification = new Notification(name, object);
  postNotification(notification);
  notification->release();
}

void NotificationCenter::postNotification(Notification* notification) {
  standin::appkit::CheckMainThread();
  if (notification == nullptr) return;
  std::vector<std::shared_ptr<Registration>> matching;
  for (const auto& registration : registrations_) {
    if (registration->Matches(notification->name(), notification->object())) matching.push_back(registration);
  }
  const auto held = Ref<Notification>::Retain(notification);
  for (const auto& registration : matching) {
    if (!registration->active) continue;
    // The observer is held alive for its call.
    registration->observer->performSelectorWithObject(registration->selector, notification);
  }
}

}  // namespace NS
