#pragma once

// Groupings of animated changes. Nothing animates without a display: changes
// made inside a grouping take effect at once, and the testing API records each
// grouping's duration. Main thread only.

#include <Foundation/NSDate.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT AnimationContext : public Object {
public:
  // Groupings nest; each starts with the default duration, 0.25 s.
  static void beginGrouping();
  // Without an open grouping the call is refused.
  static void endGrouping();
  // The innermost open grouping's context (the default context outside any).
  // Shared; not owned by the caller.
  static AnimationContext* currentContext();

  // Of the innermost open grouping.
  void setDuration(TimeInterval duration);
  TimeInterval duration() const;

protected:
  ~AnimationContext() override = default;

private:
  AnimationContext();
};

}  // namespace NS
