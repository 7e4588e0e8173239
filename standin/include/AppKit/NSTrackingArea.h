#pragma once

// A rectangle of a view whose crossings by the pointer are reported to an
// owner with mouseEntered and mouseExited. Only the "active always" mode is
// modelled; an area without it reports nothing. Main thread only.

#include <CoreFoundation/CFDictionary.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace standin::appkit {
struct TrackingState;
}

namespace NS {

typedef unsigned long TrackingAreaOptions;
enum : TrackingAreaOptions {
  TrackingMouseEnteredAndExited = 0x1,
  TrackingActiveAlways = 0x80,
  // Crossings during a drag are reported only with this option.
  TrackingEnabledDuringMouseDrag = 0x400,
};

class NS_CLASS_EXPORT TrackingArea : public Object {
public:
  TrackingArea() = default;

  // The rectangle is in the coordinates of the view the area is added to. The
  // owner (a responder) is not retained; the user info is.
  TrackingArea* initWithRectOptionsOwnerUserInfo(const Rect& rect, TrackingAreaOptions options, Object* owner,
                                                 CFDictionaryRef userInfo);

  Rect rect() const { return rect_; }
  TrackingAreaOptions options() const { return options_; }
  // Not owned by the caller.
  Object* owner() const { return owner_; }
  CFDictionaryRef userInfo() const { return userInfo_; }

protected:
  ~TrackingArea() override;

private:
  friend struct standin::appkit::TrackingState;

  Rect rect_{};
  TrackingAreaOptions options_ = 0;
  Object* owner_ = nullptr;
  CFDictionaryRef userInfo_ = nullptr;
  bool pointerInside_ = false;  // as last reported to the owner
};

}  // namespace NS
