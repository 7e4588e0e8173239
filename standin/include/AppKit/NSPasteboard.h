#pragma once

// Pasteboards: the general one (the clipboard) and the one drags carry. Each
// holds items of typed strings; file URLs on a pasteboard also offer the
// paths as NSFilenamesPboardType, a property list (an array of path strings).
// Everything stays in the process. Texts, arrays and property lists come
// back autoreleased. Main thread only.

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>

#include <utility>
#include <vector>

extern const CFStringRef NSStringPboardType;
extern const CFStringRef NSFilenamesPboardType;
extern const CFStringRef NSPasteboardTypeFileURL;

extern const CFStringRef NSPasteboardNameGeneral;
extern const CFStringRef NSPasteboardNameDrag;

namespace standin::appkit {
struct PasteboardControl;
}

namespace NS {

// One item: strings by type, in the order first set.
class NS_CLASS_EXPORT PasteboardItem : public Object {
public:
  PasteboardItem() = default;

  // False for a null argument.
  bool setStringForType(CFStringRef string, CFStringRef type);
  // Null when the item has no string of that type.
  CFStringRef stringForType(CFStringRef type) const;
  CFArrayRef types() const;

protected:
  ~PasteboardItem() override;

private:
  friend class Pasteboard;
  std::vector<std::pair<CFStringRef, CFStringRef>> strings_;  // one reference each
};

class NS_CLASS_EXPORT Pasteboard : public Object {
public:
  // Shared instances, not owned by the caller.
  static Pasteboard* generalPasteboard();
  // NSPasteboardNameGeneral or NSPasteboardNameDrag; null for any other name.
  static Pasteboard* pasteboardWithName(CFStringRef name);

  // NSPasteboardNameGeneral or NSPasteboardNameDrag; not owned by the caller.
  CFStringRef name() const { return name_; }

  // Empties the pasteboard; answers the new change count.
  long clearContents();
  long changeCount() const { return changeCount_; }

  // The writing calls answer false, writing nothing, for a null or unfit
  // argument and while a test makes the pasteboard refuse.
  // Sets the string on the first item, making one when there is none.
  bool setStringForType(CFStringRef string, CFStringRef type);
  // File URLs, each an item of NSPasteboardTypeFileURL; anything else in the
  // array refuses the whole write.
  bool writeObjects(CFArrayRef fileURLs);
  // Copies of the items' strings, as new items.
  bool writeObjects(const std::vector<PasteboardItem*>& items);

  // Every item's types, each once, in order; NSFilenamesPboardType last when
  // a file URL is there.
  CFArrayRef types() const;
  // The first item's string of that type; null when none has one.
  CFStringRef stringForType(CFStringRef type) const;
  // For NSFilenamesPboardType the paths of the file URLs in order; for other
  // types the string. Null when the type is not there.
  CFTypeRef propertyListForType(CFStringRef type) const;

protected:
  ~Pasteboard() override = default;

private:
  friend struct standin::appkit::PasteboardControl;
  explicit Pasteboard(CFStringRef name);

  CFArrayRef fileNames() const;

  CFStringRef name_;
  std::vector<Ref<PasteboardItem>> items_;
  long changeCount_ = 0;
};

}  // namespace NS
