#pragma once

#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

namespace NS {

class FileManager {
public:
  static FileManager* defaultManager();

  bool fileExistsAtPath(CFStringRef path) const;
  bool fileExistsAtPathIsDirectory(CFStringRef path, bool* isDirectory) const;

  // "$HOME/Library/Group Containers/<identifier>/" (autoreleased); null for an
  // empty identifier.
  CFURLRef containerURLForSecurityApplicationGroupIdentifier(CFStringRef identifier) const;

private:
  FileManager() = default;
};

}  // namespace NS
