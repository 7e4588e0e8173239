#pragma once

// Whether a bundle's component is the one its Info.plist registers: the type,
// subtype and manufacturer an instance reports in its class info must be the
// Info.plist's, or the host would file the component under another's name.
// Main thread.

#include <AudioUnit/AudioComponent.h>

#include <string>

#include "host/component_bundle.h"

namespace orvane::host {

// "aufx", or the hex value when the code has characters that do not print.
std::string FourCharText(UInt32 code);

// "type aumf, subtype Orvn, manufacturer Vltn"
std::string DescribeComponent(const AudioComponentDescription& description);

// Whether the two have the same type, subtype and manufacturer.
bool SameCodes(const AudioComponentDescription& one, const AudioComponentDescription& other);

// Opens an instance of the component and reads the description from its class
// info; false with the reason when no instance opens or the class info does
// not carry the three numbers.
bool ReadReportedDescription(AudioComponent component, AudioComponentDescription& reported, std::string& error);

// Empty when the two agree; otherwise a message naming both.
std::string IdentityMismatch(const ComponentInfo& registered, const AudioComponentDescription& reported);

// The check as a whole: false with the reason when the class info cannot be
// read or names another component.
bool CheckComponentIdentity(const ComponentInfo& registered, AudioComponent component, std::string& error);

}  // namespace orvane::host
