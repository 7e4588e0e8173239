#pragma once

// The Cocoa view-factory class of the AudioUnit wrapper. A host finds it by
// the class name the plug-in reports (kAudioUnitProperty_CocoaUI),
// instantiates it and asks it for the editor's view. Each plug-in library
// defines and registers its own class with PLUGKIT_AU_VIEW_FACTORY.

#include <AppKit/NSView.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <Foundation/NSObject.h>

namespace plugkit {

class IPluginAU;

// The custom property through which the view factory finds the plug-in
// object behind an AudioUnit: the object's address, 8 bytes, any scope.
inline constexpr AudioUnitPropertyID kAUPluginObjectProperty = 0xFFFFFF9B;

class IPlugAUViewFactory : public NS::Object, public AUCocoaUIBase {
public:
  // The editor's view follows its host window's width and height.
  static constexpr NS::AutoresizingMaskOptions kEditorViewAutoresizingMask =
      NS::ViewWidthSizable | NS::ViewHeightSizable;

  // description: a constant string naming the class for people.
  explicit IPlugAUViewFactory(CFStringRef description) : mDescription(description) {}

  NS::Object* init() override;
  unsigned interfaceVersion() override { return kAUCocoaUIBaseInterfaceVersion; }
  // Opens the plug-in's editor and answers its view; null when the unit does
  // not answer the plug-in object property, has no editor, or the editor
  // does not open. The size is not used: the editor opens at its own size.
  NS::View* uiViewForAudioUnitWithSize(AudioUnit unit, NS::Size preferredSize) override;
  CFStringRef description() const override { return mDescription; }

  // The plug-in of the last view asked for; null before.
  IPluginAU* Plugin() const { return mPlugin; }

private:
  CFStringRef mDescription;
  IPluginAU* mPlugin = nullptr;
};

// Keeps a view-factory class registered by name while the library is loaded.
template <class Factory>
class AUViewFactoryRegistration {
public:
  explicit AUViewFactoryRegistration(const char* className) : mClassName(className) {
    NS::RegisterClass(className, &Alloc);
  }
  ~AUViewFactoryRegistration() { NS::UnregisterClass(mClassName, &Alloc); }
  AUViewFactoryRegistration(const AUViewFactoryRegistration&) = delete;
  AUViewFactoryRegistration& operator=(const AUViewFactoryRegistration&) = delete;

private:
  static NS::Object* Alloc() { return new Factory; }

  const char* mClassName;
};

}  // namespace plugkit

// Defines the view-factory class ClassName (the name the plug-in's entry
// points report) with the given description, and registers it.
#define PLUGKIT_AU_VIEW_FACTORY(ClassName, DescriptionText)                          \
  class ClassName final : public plugkit::IPlugAUViewFactory {                       \
  public:                                                                            \
    ClassName() : IPlugAUViewFactory(CFSTR(DescriptionText)) {}                      \
  };                                                                                 \
  static const plugkit::AUViewFactoryRegistration<ClassName> ClassName##_Registration{#ClassName};
