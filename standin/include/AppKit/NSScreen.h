#pragma once

// The one screen: its size and backing scale come from the testing API
// (standin/testing/appkit.h). Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT Screen : public Object {
public:
  // Not owned by the caller.
  static Screen* mainScreen();

  // In screen coordinates: origin (0, 0).
  Rect frame() const;
  CGFloat backingScaleFactor() const;

protected:
  ~Screen() override = default;

private:
  Screen();
};

}  // namespace NS
