// The clipboard, links and the file viewer of the macOS graphics context.

#include <AppKit/NSPasteboard.h>
#include <AppKit/NSWorkspace.h>
#include <CoreFoundation/CFArray.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSURL.h>
#include <strings.h>

#include <cstring>

#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/path_text.h"

namespace plugkit::graphics {
namespace {

constexpr const char* kWebSchemes[] = {"http://", "https://"};

bool IsWebAddress(const char* text) {
  for (const char* scheme : kWebSchemes) {
    if (strncasecmp(text, scheme, std::strlen(scheme)) == 0) return true;
  }
  return false;
}

// Autoreleased; null when the text makes no URL.
CFURLRef LinkURL(const char* address) {
  const CFOwned<CFStringRef> text = MakeCFString(address);
  if (!text) return nullptr;
  return IsWebAddress(address) ? NS::URL::URLWithString(text.get()) : NS::URL::fileURLWithPath(text.get());
}

}  // namespace

bool IGraphicsMac::ClipboardText(StrBuf& text) {
  const NS::AutoreleasePool pool;
  const CFStringRef string = NS::Pasteboard::generalPasteboard()->stringForType(NSStringPboardType);
  text.Set(CFStringText(string).c_str());
  return string != nullptr;
}

// Text that makes no string leaves the clipboard as it was.
bool IGraphicsMac::SetClipboardText(const char* text) {
  const CFOwned<CFStringRef> string = MakeCFString(text);
  if (!string) return false;
  NS::Pasteboard* pasteboard = NS::Pasteboard::generalPasteboard();
  pasteboard->clearContents();
  return pasteboard->setStringForType(string.get(), NSStringPboardType);
}

bool IGraphicsMac::SetClipboardFile(const char* path) {
  if (!path || !*path) return false;
  const NS::AutoreleasePool pool;
  const CFOwned<CFStringRef> pathString = MakeCFString(path);
  const CFURLRef url = pathString ? NS::URL::fileURLWithPath(pathString.get()) : nullptr;
  if (!url) return false;
  const void* urls[] = {url};
  const CFOwned<CFArrayRef> objects(CFArrayCreate(kCFAllocatorDefault, urls, 1, &kCFTypeArrayCallBacks));
  NS::Pasteboard* pasteboard = NS::Pasteboard::generalPasteboard();
  pasteboard->clearContents();
  return pasteboard->writeObjects(objects.get());
}

bool IGraphicsMac::OpenLink(const char* url) {
  if (!url || !*url) return false;
  const NS::AutoreleasePool pool;
  const CFURLRef link = LinkURL(url);
  return link && NS::Workspace::sharedWorkspace()->openURL(link);
}

bool IGraphicsMac::RevealInFinder(const char* path, bool select) {
  const NS::AutoreleasePool pool;
  if (!path || !*path) return false;
  const CFOwned<CFStringRef> file = MakeCFString(path);
  if (!file || !NS::FileManager::defaultManager()->fileExistsAtPath(file.get())) return false;
  NS::Workspace* workspace = NS::Workspace::sharedWorkspace();
  if (!select) return workspace->openFile(file.get());
  const CFOwned<CFStringRef> folder = MakeCFString(ParentFolder(path));
  return workspace->openFile(folder.get()) && workspace->selectFileInFileViewerRootedAtPath(file.get(), folder.get());
}

}  // namespace plugkit::graphics
