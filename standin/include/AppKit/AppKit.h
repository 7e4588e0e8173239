#pragma once

// The headless AppKit stand-in: views, windows and events without a display,
// driven by tests and the host through standin/testing/appkit.h.
//
// Conventions of the AppKit, Foundation, CoreGraphics and QuartzCore stand-ins:
// - NS and CA classes derive from NS::Object. Selector keywords are joined in
//   camel case (convertPoint:fromView: is convertPointFromView); a property is
//   a getter and setX; the methods subclasses override are virtual; dealloc is
//   the destructor.
// - Ownership is AppKit's: alloc/init... (new X, then init...), new... and copy
//   hand the caller one reference, everything else none; a fresh object handed
//   out otherwise comes back autoreleased. Autorelease pools hold NS and CF
//   objects alike; each main run-loop pass and each dispatched event drains a
//   pool of its own. Metal objects keep their own rule: never autoreleased.
// - NS objects are not CF objects: they never reach CFRetain, CFRelease,
//   CFAutorelease or a CF collection. Calls that take or answer several NS
//   objects use a std::vector of pointers under the call's ownership rule.
//   Bridged Foundation values are the CF types: NSString is CFStringRef,
//   NSArray CFArrayRef, NSURL CFURLRef, NSDictionary CFDictionaryRef, NSNumber
//   CFNumberRef.
// - Target and action: an NS::SEL names a method `void method(NS::Object*
//   sender)` of a class (NS_SELECTOR) and carries the selector's name. Targets
//   and observers are not retained. respondsToSelector answers by name;
//   optional platform methods answer from a table tests switch, all present by
//   default.
// - Geometry is CoreGraphics': NS::Point, NS::Size and NS::Rect are CGPoint,
//   CGSize and CGRect. Screen and window origins are at the bottom left, y up;
//   a flipped view's y grows downwards.
// - Main thread only, as AppKit; calls from another thread are counted where
//   the check is cheap.
// - A view is kept alive for the whole of its own removeFromSuperview and of
//   any event or notification delivered to it, so a callout that releases the
//   last other reference never pulls the object out from under the call.

#include <AppKit/NSAppearance.h>
#include <AppKit/NSApplication.h>
#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSCursor.h>
#include <AppKit/NSDragging.h>
#include <AppKit/NSDraggingItem.h>
#include <AppKit/NSDraggingSession.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSFormatter.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSImageRep.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSMenuItem.h>
#include <AppKit/NSPasteboard.h>
#include <AppKit/NSResponder.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSText.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSTextFieldCell.h>
#include <AppKit/NSTrackingArea.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <AppKit/NSWorkspace.h>
#include <CoreGraphics/CoreGraphics.h>
#include <Foundation/Foundation.h>
#include <QuartzCore/CALayer.h>
