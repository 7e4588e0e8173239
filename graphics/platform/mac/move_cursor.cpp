#include "graphics/platform/mac/move_cursor.h"

#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSImage.h>
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColor.h>
#include <Foundation/NSAffineTransform.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSRef.h>
#include <Foundation/NSURL.h>

#include <array>
#include <string>

#include "graphics/platform/mac/cf_owned.h"
#include "graphics/platform/mac/cf_string.h"

namespace plugkit::graphics {

namespace {

constexpr const char* kSystemCursorsFolder =
    "/System/Library/Frameworks/ApplicationServices.framework/Versions/A/Frameworks/HIServices.framework/Versions/A/"
    "Resources/cursors/";
constexpr const char* kMoveCursorName = "move";
constexpr int kLargestScale = 4;
constexpr size_t kColorComponents = 4;  // red, green, blue, alpha

// What the cursor's property list says of its hot spot and its shadow.
struct CursorLook {
  double hotX = 0.0;
  double hotY = 0.0;
  double blur = 0.0;
  double shadowX = 0.0;
  double shadowY = 0.0;
  std::array<CGFloat, kColorComponents> shadowColor{};
};

bool ReadNumber(CFTypeRef value, double& out) {
  return value && CFGetTypeID(value) == CFNumberGetTypeID() &&
         CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberDoubleType, &out);
}

bool ReadColor(CFTypeRef value, std::array<CGFloat, kColorComponents>& out) {
  if (!value || CFGetTypeID(value) != CFArrayGetTypeID()) return false;
  const auto components = static_cast<CFArrayRef>(value);
  if (CFArrayGetCount(components) < static_cast<CFIndex>(kColorComponents)) return false;
  for (size_t i = 0; i < kColorComponents; ++i) {
    double component = 0.0;
    if (!ReadNumber(NS::Array::objectAtIndexedSubscript(components, i), component)) return false;
    out[i] = component;
  }
  return true;
}

// Autoreleases; false when the list or one of its values is missing.
bool ReadCursorLook(const std::string& folder, CursorLook& look) {
  const auto address = MakeCFString("file:" + folder + "/info.plist");
  CFDictionaryRef plist = address ? NS::Dictionary::dictionaryWithContentsOfURL(NS::URL::URLWithString(address.get()))
                                  : nullptr;
  const auto value = [&](CFStringRef key) { return NS::Dictionary::objectForKey(plist, key); };
  return plist && ReadNumber(value(CFSTR("hotx-scaled")), look.hotX) &&
         ReadNumber(value(CFSTR("hoty-scaled")), look.hotY) && ReadNumber(value(CFSTR("blur")), look.blur) &&
         ReadNumber(value(CFSTR("shadowoffsetx")), look.shadowX) &&
         ReadNumber(value(CFSTR("shadowoffsety")), look.shadowY) &&
         ReadColor(value(CFSTR("shadowcolor")), look.shadowColor);
}

// The image drawn at the scale under the cursor's shadow, sized in points
// as the image is; null when it cannot be rendered.
NS::Ref<NS::BitmapImageRep> ShadowedRepresentation(NS::Image& image, const CursorLook& look, int scale) {
  NS::AffineTransform* transform = NS::AffineTransform::transform();
  transform->scaleBy(scale);
  CGImageRef rendered = image.CGImageForProposedRectContextHints(nullptr, nullptr, {{NSImageHintCTM, transform}});
  if (!rendered) return {};
  const size_t width = CGImageGetWidth(rendered);
  const size_t height = CGImageGetHeight(rendered);
  CGColorSpaceRef space = CGImageGetColorSpace(rendered);
  const CFOwned<CGContextRef> context(CGBitmapContextCreate(nullptr, width, height, CGImageGetBitsPerComponent(rendered),
                                                            0, space, CGImageGetBitmapInfo(rendered)));
  const CFOwned<CGColorRef> shadow(CGColorCreate(space, look.shadowColor.data()));
  if (!context || !shadow) return {};
  CGContextSetShadowWithColor(context.get(), CGSize{look.shadowX * scale, look.shadowY * scale}, look.blur * scale,
                              shadow.get());
  CGContextDrawImage(context.get(), CGRect{CGPoint{}, CGSize{double(width), double(height)}}, rendered);
  const CFOwned<CGImageRef> shadowed(CGBitmapContextCreateImage(context.get()));
  auto representation = NS::Ref<NS::BitmapImageRep>::Adopt((new NS::BitmapImageRep)->initWithCGImage(shadowed.get()));
  if (representation) representation->setSize(image.size());
  return representation;
}

}  // namespace

NS::Cursor* MakeMoveCursor() {
  const NS::AutoreleasePool pool;
  const std::string folder = std::string(kSystemCursorsFolder) + kMoveCursorName;
  const auto imagePath = MakeCFString(folder + "/cursor.pdf");
  auto drawing = NS::Ref<NS::Image>::Adopt((new NS::Image)->initByReferencingFile(imagePath.get()));
  CursorLook look;
  if (!drawing || !drawing->isValid() || !ReadCursorLook(folder, look)) return nullptr;

  auto image = NS::Ref<NS::Image>::Adopt((new NS::Image)->initWithSize(drawing->size()));
  for (int scale = 1; scale <= kLargestScale; ++scale) {
    const NS::Ref<NS::BitmapImageRep> representation = ShadowedRepresentation(*drawing, look, scale);
    if (!representation) return nullptr;
    image->addRepresentation(representation.get());
  }
  return (new NS::Cursor)->initWithImageHotSpot(image.get(), NS::Point{look.hotX, look.hotY});
}

}  // namespace plugkit::graphics
