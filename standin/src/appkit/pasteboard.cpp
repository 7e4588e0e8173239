// The general and dragging pasteboards and their items.

#include <AppKit/NSPasteboard.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSURL.h>

#include <standin/testing/appkit.h>

#include <algorithm>
#include <string_view>

#include "appkit/exchange_resets.h"
#include "cf_string.h"
#include "usage_checks.h"

const CFStringRef NSStringPboardType = CFStringMakeConstantString("public.utf8-plain-text");
const CFStringRef NSFilenamesPboardType = CFStringMakeConstantString("NSFilenamesPboardType");
const CFStringRef NSPasteboardTypeFileURL = CFStringMakeConstantString("public.file-url");
const CFStringRef NSPasteboardNameGeneral = CFStringMakeConstantString("Apple CFPasteboard general");
const CFStringRef NSPasteboardNameDrag = CFStringMakeConstantString("Apple CFPasteboard drag");

namespace standin::appkit {
namespace {

constexpr std::string_view kFileURLPrefix = "file://";

bool gRefusesWrites = false;

template <typename Ref>
Ref Autoreleased(Ref ref) {
  return static_cast<Ref>(CFAutorelease(ref));
}

CFStringRef AutoreleasedCopy(CFStringRef string) {
  return string != nullptr ? static_cast<CFStringRef>(CFAutorelease(CFRetain(string))) : nullptr;
}

bool IsFileURL(CFTypeRef object) {
  return object != nullptr && CFGetTypeID(object) == CFURLGetTypeID() &&
         cf::StringText(CFURLGetString(static_cast<CFURLRef>(object))).starts_with(kFileURLPrefix);
}

void AppendOnce(CFMutableArrayRef array, CFTypeRef value) {
  if (!CFArrayContainsValue(array, CFRangeMake(0, CFArrayGetCount(array)), value)) CFArrayAppendValue(array, value);
}

}  // namespace

struct PasteboardControl {
  static void Empty(NS::Pasteboard& pasteboard) {
    pasteboard.items_.clear();
    pasteboard.changeCount_ = 0;
  }
};

}  // namespace standin::appkit

namespace NS {

PasteboardItem::~PasteboardItem() {
  for (const auto& [type, string] : strings_) {
    CFRelease(type);
    CFRelease(string);
  }
}

bool PasteboardItem::setStringForType(CFStringRef string, CFStringRef type) {
  standin::appkit::CheckMainThread();
  if (string == nullptr || type == nullptr) return false;
  CFRetain(string);
  const auto found =
      std::find_if(strings_.begin(), strings_.end(), [type](const auto& entry) { return CFEqual(entry.first, type); });
  if (found != strings_.end()) {
    CFRelease(found->second);
    found->second = string;
  } else {
    strings_.emplace_back(static_cast<CFStringRef>(CFRetain(type)), string);
  }
  return true;
}

CFStringRef PasteboardItem::stringForType(CFStringRef type) const {
  if (type == nullptr) return nullptr;
  for (const auto& [itemType, string] : strings_) {
    if (CFEqual(itemType, type)) return standin::appkit::AutoreleasedCopy(string);
  }
  return nullptr;
}

CFArrayRef PasteboardItem::types() const {
  CFMutableArrayRef types = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const auto& entry : strings_) CFArrayAppendValue(types, entry.first);
  return standin::appkit::Autoreleased(static_cast<CFArrayRef>(types));
}

// Only the shared instances exist.
Pasteboard::Pasteboard(CFStringRef name) : name_(name) { makeImmortal(); }

Pasteboard* Pasteboard::generalPasteboard() {
  static Pasteboard* const general = new Pasteboard(NSPasteboardNameGeneral);
  return general;
}

Pasteboard* Pasteboard::pasteboardWithName(CFStringRef name) {
  static Pasteboard* const drag = new Pasteboard(NSPasteboardNameDrag);
  if (name != nullptr && CFEqual(name, NSPasteboardNameGeneral)) return generalPasteboard();
  if (name != nullptr && CFEqual(name, NSPasteboardNameDrag)) return drag;
  return nullptr;
}

long Pasteboard::clearContents() {
  standin::appkit::CheckMainThread();
  items_.clear();
  return ++changeCount_;
}

bool Pasteboard::setStringForType(CFStringRef string, CFStringRef type) {
  standin::appkit::CheckMainThread();
  if (string == nullptr || type == nullptr || standin::appkit::gRefusesWrites) return false;
  if (items_.empty()) items_.push_back(Ref<PasteboardItem>::Adopt(new PasteboardItem));
  return items_.front()->setStringForType(string, type);
}

bool Pasteboard::writeObjects(CFArrayRef fileURLs) {
  standin::appkit::CheckMainThread();
  if (fileURLs == nullptr || standin::appkit::gRefusesWrites) return false;
  const CFIndex count = CFArrayGetCount(fileURLs);
  std::vector<Ref<PasteboardItem>> written;
  for (CFIndex index = 0; index < count; ++index) {
    const CFTypeRef url = CFArrayGetValueAtIndex(fileURLs, index);
    if (!standin::appkit::IsFileURL(url)) return false;
    auto item = Ref<PasteboardItem>::Adopt(new PasteboardItem);
    item->setStringForType(CFURLGetString(static_cast<CFURLRef>(url)), NSPasteboardTypeFileURL);
    written.push_back(std::move(item));
  }
  items_.insert(items_.end(), written.begin(), written.end());
  return true;
}

bool Pasteboard::writeObjects(const std::vector<PasteboardItem*>& items) {
  standin::appkit::CheckMainThread();
  if (standin::appkit::gRefusesWrites ||
      std::any_of(items.begin(), items.end(), [](const PasteboardItem* item) { return item == nullptr; })) {
    return false;
  }
  for (const PasteboardItem* item : items) {
    auto copy = Ref<PasteboardItem>::Adopt(new PasteboardItem);
    for (const auto& [type, string] : item->strings_) copy->setStringForType(string, type);
    items_.push_back(std::move(copy));
  }
  return true;
}

CFArrayRef Pasteboard::types() const {
  CFMutableArrayRef types = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const auto& item : items_) {
    for (const auto& entry : item->strings_) standin::appkit::AppendOnce(types, entry.first);
  }
  if (CFArrayGetCount(fileNames()) > 0) CFArrayAppendValue(types, NSFilenamesPboardType);
  return standin::appkit::Autoreleased(static_cast<CFArrayRef>(types));
}

CFStringRef Pasteboard::stringForType(CFStringRef type) const {
  for (const auto& item : items_) {
    if (CFStringRef string = item->stringForType(type)) return string;
  }
  return nullptr;
}

CFTypeRef Pasteboard::propertyListForType(CFStringRef type) const {
  if (type == nullptr) return nullptr;
  if (!CFEqual(type, NSFilenamesPboardType)) return stringForType(type);
  CFArrayRef names = fileNames();
  return CFArrayGetCount(names) > 0 ? names : nullptr;
}

// The paths of the items' file URLs in order, autoreleased.
CFArrayRef Pasteboard::fileNames() const {
  CFMutableArrayRef names = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const auto& item : items_) {
    CFStringRef text = item->stringForType(NSPasteboardTypeFileURL);
    if (!standin::cf::StringText(text).starts_with(standin::appkit::kFileURLPrefix)) continue;
    CFURLRef url = URL::URLWithString(text);
    if (CFStringRef path = URL::path(url)) CFArrayAppendValue(names, path);
  }
  return standin::appkit::Autoreleased(static_cast<CFArrayRef>(names));
}

}  // namespace NS

namespace standin::appkit {

void ResetPasteboards() {
  gRefusesWrites = false;
  PasteboardControl::Empty(*NS::Pasteboard::generalPasteboard());
  PasteboardControl::Empty(*NS::Pasteboard::pasteboardWithName(NSPasteboardNameDrag));
}

}  // namespace standin::appkit

namespace standin::testing {

void SetPasteboardRefusesWrites(bool refuses) { appkit::gRefusesWrites = refuses; }

}  // namespace standin::testing
