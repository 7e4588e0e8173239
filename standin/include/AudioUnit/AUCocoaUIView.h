#pragma once

// The protocol of a Cocoa view-factory class: a host finds the class by the
// name the unit reports (kAudioUnitProperty_CocoaUI), instantiates it and asks
// it for the unit's editor view.

#include <AppKit/NSView.h>
#include <AudioUnit/AUComponent.h>

enum : unsigned { kAUCocoaUIBaseInterfaceVersion = 0 };

class NS_CLASS_EXPORT AUCocoaUIBase {
public:
  virtual ~AUCocoaUIBase();

  virtual unsigned interfaceVersion() = 0;
  // The editor view (not owned by the caller) or null.
  virtual NS::View* uiViewForAudioUnitWithSize(AudioUnit inAudioUnit, NS::Size inPreferredSize) = 0;
};
