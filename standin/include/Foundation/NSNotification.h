#pragma once

// Notifications by name, delivered synchronously to observers. Main thread only.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

#include <memory>
#include <vector>

namespace NS {

class NS_CLASS_EXPORT Notification : public Object {
public:
  // Autoreleased; holds references to both. Null for a null name.
  static Notification* notificationWithNameObject(CFStringRef name, Object* object);

  // Not owned by the caller.
  CFStringRef name() const { return name_; }
  Object* object() const { return object_; }

protected:
  ~Notification() override;

private:
  friend class NotificationCenter;
  // Holds references to both.
  Notification(CFStringRef name, Object* object);

  CFStringRef name_;
  Object* object_;
};

class NS_CLASS_EXPORT NotificationCenter : public Object {
public:
  // Not owned by the caller.
  static NotificationCenter* defaultCenter();

  // The observer is not retained: it must be removed before it ends. It
  // receives the notification as the selector's argument for each post of that
  // name (null: any name) with that object (null: any object).
  void addObserverSelectorNameObject(Object* observer, const SEL& selector, CFStringRef name, Object* object);
  // Null name or object: every name or object.
  void removeObserverNameObject(Object* observer, CFStringRef name, Object* object);
  void removeObserver(Object* observer);
  // Delivers to the matching observers in the order they were added, each
  // held alive for its call; an observer removed during the delivery gets
  // nothing more.
  void postNotificationNameObject(CFStringRef name, Object* object);
  // The same for a notification made beforehand; null posts nothing.
  void postNotification(Notification* notification);

protected:
  ~NotificationCenter() override;

private:
  struct Registration;
  NotificationCenter();

  std::vector<std::shared_ptr<Registration>> registrations_;
};

}  // namespace NS
