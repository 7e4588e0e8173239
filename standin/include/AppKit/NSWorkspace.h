#pragma once

// The user's workspace: opening URLs and files, showing files in the file
// viewer, and file icons. Nothing leaves the process: the stand-in logs each
// call for tests (standin/testing/appkit.h) and answers true unless told
// otherwise. A null argument answers false (null) and logs nothing. Main thread only.

#include <AppKit/NSImage.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT Workspace : public Object {
public:
  // Not owned by the caller.
  static Workspace* sharedWorkspace();

  bool openURL(CFURLRef url);
  bool openFile(CFStringRef path);
  // A null root stands for the viewer's own.
  bool selectFileInFileViewerRootedAtPath(CFStringRef fullPath, CFStringRef rootFullPath);
  // A generic 32 x 32 point icon with one bitmap of 32 x 32 pixels, autoreleased.
  Image* iconForFile(CFStringRef path);

protected:
  ~Workspace() override = default;

private:
  Workspace() = default;
};

}  // namespace NS
