#pragma once

namespace plugkit {

// What the component entry hands a plug-in's constructor: the name of the
// Cocoa view-factory class that the plug-in reports to hosts (null for none).
struct InstanceInfo {
  const char* mCocoaViewFactoryClassName = nullptr;
};

}  // namespace plugkit
