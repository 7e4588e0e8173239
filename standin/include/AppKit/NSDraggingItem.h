#pragma once

// One item of a drag: what it writes to the dragging pasteboard and how it
// shows. Main thread only.

#include <AppKit/NSImage.h>
#include <AppKit/NSPasteboard.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT DraggingItem : public Object {
public:
  DraggingItem() = default;

  // Keeps a reference to the writer. For a null writer the object releases
  // itself and answers null, as a failing initialiser does.
  DraggingItem* initWithPasteboardWriter(PasteboardItem* writer);
  // Not owned by the caller.
  PasteboardItem* item() const { return writer_; }

  // The frame in the source view's coordinates, and the image shown there
  // (a reference kept; null shows nothing).
  void setDraggingFrameContents(const Rect& frame, Image* contents);
  Rect draggingFrame() const { return frame_; }
  // Not owned by the caller.
  Image* contents() const { return contents_; }

protected:
  ~DraggingItem() override;

private:
  PasteboardItem* writer_ = nullptr;
  Rect frame_{};
  Image* contents_ = nullptr;
};

}  // namespace NS
