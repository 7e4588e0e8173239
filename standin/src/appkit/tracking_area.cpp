#include <AppKit/NSTrackingArea.h>

namespace NS {

TrackingArea* TrackingArea::initWithRectOptionsOwnerUserInfo(const Rect& rect, TrackingAreaOptions options,
                                                             Object* owner, CFDictionaryRef userInfo) {
  init();
  rect_ = rect;
  options_ = options;
  owner_ = owner;
  if (userInfo != nullptr) CFRetain(userInfo);
  if (userInfo_ != nullptr) CFRelease(userInfo_);
  userInfo_ = userInfo;
  return this;
}

TrackingArea::~TrackingArea() {
  if (userInfo_ != nullptr) CFRelease(userInfo_);
}

}  // namespace NS
