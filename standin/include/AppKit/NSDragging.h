#pragma once

// Drag and drop: what a drop offers a view, and what the two ends of a drag
// implement. A view that registered for a dragged type and derives from
// NS::DraggingDestination hears of drops of that type; the source of a drag
// session derives from NS::DraggingSource. Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace standin::appkit {
struct DraggingControl;
}

namespace NS {

class DraggingSession;
class Pasteboard;

typedef unsigned long DragOperation;
enum : DragOperation {
  DragOperationNone = 0,
  DragOperationCopy = 1,
  DragOperationLink = 2,
  DragOperationGeneric = 4,
  DragOperationPrivate = 8,
  DragOperationMove = 16,
  DragOperationDelete = 32,
  DragOperationEvery = ~0ul,
};

typedef long DraggingContext;
enum : DraggingContext {
  DraggingContextOutsideApplication = 0,
  DraggingContextWithinApplication = 1,
};

typedef long DraggingFormation;
enum : DraggingFormation {
  DraggingFormationDefault = 0,
  DraggingFormationNone = 1,
  DraggingFormationPile = 2,
  DraggingFormationList = 3,
  DraggingFormationStack = 4,
};

// What a drop over a view offers.
class NS_CLASS_EXPORT DraggingInfo : public Object {
public:
  // Not owned by the caller.
  Pasteboard* draggingPasteboard() const { return pasteboard_; }
  // In the window's coordinates.
  Point draggingLocation() const { return location_; }
  DragOperation draggingSourceOperationMask() const { return sourceOperations_; }

protected:
  ~DraggingInfo() override = default;

private:
  friend struct standin::appkit::DraggingControl;
  DraggingInfo(Pasteboard* pasteboard, Point location, DragOperation sourceOperations)
      : pasteboard_(pasteboard), location_(location), sourceOperations_(sourceOperations) {}

  Pasteboard* pasteboard_;
  Point location_;
  DragOperation sourceOperations_;
};

class DraggingDestination {
public:
  // The operation the view would perform; DragOperationNone refuses the drop.
  virtual DragOperation draggingEntered(DraggingInfo* sender) {
    (void)sender;
    return DragOperationNone;
  }
  // Asked only after draggingEntered answered an operation; true when done.
  virtual bool performDragOperation(DraggingInfo* sender) {
    (void)sender;
    return false;
  }

protected:
  ~DraggingDestination() = default;
};

class DraggingSource {
public:
  // The operations the source allows; asked once, as the session starts.
  virtual DragOperation draggingSessionSourceOperationMaskForDraggingContext(DraggingSession* session,
                                                                            DraggingContext context) = 0;

protected:
  ~DraggingSource() = default;
};

}  // namespace NS
