#pragma once

// The user's standard folders follow HOME; the machine-wide ones lie under a
// root that tests can move (standin/testing/environment.h). Strings and arrays
// stand for their bridged Foundation classes and come back autoreleased.

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFString.h>

enum NSSearchPathDirectory {
  NSLibraryDirectory = 1,
  NSDocumentDirectory,
  NSDesktopDirectory,
  NSMusicDirectory,
  NSApplicationSupportDirectory
};

typedef unsigned long NSSearchPathDomainMask;
enum : NSSearchPathDomainMask {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSAllDomainsMask = NSUserDomainMask | NSLocalDomainMask
};

// The folders of each domain asked for, the user's first. Documents, Desktop
// and Music exist in the user domain only. Without expansion the user's
// folders start with "~".
CFArrayRef NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                               NSSearchPathDomainMask domains,
                                               Boolean expandTilde);

// HOME, or the account's home folder when HOME is unset.
CFStringRef NSHomeDirectory(void);
