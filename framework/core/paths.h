#pragma once

#include "common/str_buf.h"

namespace plugkit {

// Where things are: the plug-in bundle's resources, the user's folders, and
// resource names resolved to files. Each writes its answer into `out` and
// leaves it unchanged when there is none. Main thread only.

// The resources folder of the bundle with that identifier; for an identifier
// containing ".AUv3", of the bundle whose identifier adds "Framework".
void BundleResourcesFolder(StrBuf& out, const char* bundleId);

void HomeFolder(StrBuf& out);

// The machine-wide application-support folder when `system` is set, else the user's.
void ApplicationSupportFolder(StrBuf& out, bool system);

// Resolves a resource name with the asked-for extension: first in the bundle's
// resources folder, then in "<Music>/<sharedSubfolder>/Resources", then as a
// path of its own. In each folder the name is tried with the asked-for
// extension, as given, and then matched ignoring case, so "x.png" asked for as
// "PNG" is found on a case-sensitive file system. `module` is not used.
bool FindResourcePath(const char* name, const char* ext, StrBuf& out, const char* bundleId,
                      void* module, const char* sharedSubfolder);

// True when the process name contains "XPC".
bool RunsInXPCService();

}  // namespace plugkit
