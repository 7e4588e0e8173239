#pragma once

namespace plugkit {

// The plug-in API a build targets.
enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIAUv3 = 3, kAPIAAX = 4, kAPIAPP = 5, kAPIWAM = 6, kAPIWEB = 7, kAPICLAP = 8 };

// The host application as identified from its name; the identification adds the known hosts.
enum EHost : int { kHostUninit = -1, kHostUnknown = 0 };

}  // namespace plugkit
