#pragma once

// A drag under way, started from a view (NS::View::beginDraggingSessionWithItemsEventSource).
// Nothing moves here: the stand-in keeps the last session for tests to read
// (standin/testing/appkit.h). Main thread only.

#include <AppKit/NSDragging.h>
#include <AppKit/NSDraggingItem.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>

#include <vector>

namespace standin::appkit {
struct DraggingControl;
}

namespace NS {

class NS_CLASS_EXPORT DraggingSession : public Object {
public:
  // On by default.
  bool animatesToStartingPositionsOnCancelOrFail() const { return animatesBack_; }
  void setAnimatesToStartingPositionsOnCancelOrFail(bool animates) { animatesBack_ = animates; }
  DraggingFormation draggingFormation() const { return formation_; }
  void setDraggingFormation(DraggingFormation formation) { formation_ = formation; }
  // Not owned by the caller.
  Pasteboard* draggingPasteboard() const;

protected:
  ~DraggingSession() override = default;

private:
  friend struct standin::appkit::DraggingControl;
  DraggingSession() = default;

  bool animatesBack_ = true;
  DraggingFormation formation_ = DraggingFormationDefault;
  std::vector<Ref<DraggingItem>> items_;
  DragOperation sourceOperations_ = DragOperationNone;
};

}  // namespace NS
