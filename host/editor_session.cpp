#include "host/editor_session.h"

#include <AppKit/NSScreen.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <CoreFoundation/CoreFoundation.h>
#include <QuartzCore/CAMetalLayer.h>
#include <standin/testing/appkit.h>
#include <standin/testing/metal.h>
#include <standin/testing/run_loop.h>

#include <string>
#include <utility>

#include "host/cf_text.h"

namespace orvane::host {
namespace {

// Short enough that a frame is seen soon after the frame timer presents it.
constexpr CFTimeInterval kPumpStepSeconds = 1.0 / 120.0;

// The name of the view-factory class the unit reports; empty with the reason
// in `error` when it reports none.
std::string ViewClassName(AudioUnit unit, std::string& error) {
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  const OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr) {
    error = "it reports no Cocoa view (status " + std::to_string(status) + ")";
    return {};
  }
  std::string name = CFStringText(info.mCocoaAUViewClass[0]).value_or("");
  if (info.mCocoaAUViewBundleLocation != nullptr) CFRelease(info.mCocoaAUViewBundleLocation);
  if (info.mCocoaAUViewClass[0] != nullptr) CFRelease(info.mCocoaAUViewClass[0]);
  if (name.empty()) error = "its Cocoa view has no class name";
  return name;
}

// The view the named factory gives for the unit, with a reference of the
// caller's; null with the reason in `error`.
NS::Ref<NS::View> AskFactoryForView(const std::string& className, AudioUnit unit, std::string& error) {
  const NS::Class factoryClass = NS::ClassFromString(className.c_str());
  if (!factoryClass) {
    error = "its view class " + className + " is not registered";
    return nullptr;
  }
  // A host lets the factory go once it has the view.
  const auto factory = NS::Ref<NS::Object>::Adopt(factoryClass.alloc()->init());
  auto* protocol = dynamic_cast<AUCocoaUIBase*>(factory.get());
  if (protocol == nullptr) {
    error = "its view class " + className + " is no Cocoa view factory";
    return nullptr;
  }
  const NS::Size noPreference{};
  auto view = NS::Ref<NS::View>::Retain(protocol->uiViewForAudioUnitWithSize(unit, noPreference));
  if (!view) error = "its view factory " + className + " gave no view";
  return view;
}

}  // namespace

std::unique_ptr<EditorSession> EditorSession::Open(AudioUnit unit, NS::CGFloat backingScale, std::string& error) {
  const std::string className = ViewClassName(unit, error);
  if (className.empty()) return nullptr;
  // The editor reads the main screen's scale as it opens, the window's once in it.
  standin::testing::SetMainScreen(NS::Screen::mainScreen()->frame().size, backingScale);
  NS::Ref<NS::View> view = AskFactoryForView(className, unit, error);
  if (!view) return nullptr;
  const NS::Size size = view->frame().size;
  auto window = NS::Ref<NS::Window>::Adopt(
      standin::testing::MakeHostWindow(NS::MakeRect(0, 0, size.width, size.height), backingScale));
  window->contentView()->addSubview(view.get());
  return std::unique_ptr<EditorSession>(new EditorSession(std::move(view), std::move(window)));
}

EditorSession::EditorSession(NS::Ref<NS::View> view, NS::Ref<NS::Window> window)
    : mView(std::move(view)), mWindow(std::move(window)) {}

EditorSession::~EditorSession() {
  if (mView->superview() != nullptr) standin::testing::RemoveViewAsHost(mView.get());
}

CA::MetalLayer* EditorSession::Layer() const { return dynamic_cast<CA::MetalLayer*>(mView->layer()); }

long EditorSession::PresentedFrames() const {
  CA::MetalLayer* layer = Layer();
  return layer != nullptr ? standin::testing::PresentedFrameCount(layer) : 0;
}

bool EditorSession::WaitForFrame(CFTimeInterval limit) {
  if (Layer() == nullptr) return false;
  const long presented = PresentedFrames();
  const CFAbsoluteTime deadline = CFAbsoluteTimeGetCurrent() + limit;
  // A frame that took past the deadline to draw still counts.
  while (PresentedFrames() == presented) {
    if (CFAbsoluteTimeGetCurrent() >= deadline) return false;
    standin::testing::RunFor(kPumpStepSeconds);
  }
  return true;
}

standin::testing::Image EditorSession::Capture() const {
  CA::MetalLayer* layer = Layer();
  return layer != nullptr ? standin::testing::LayerFrontImage(layer) : standin::testing::Image();
}

}  // namespace orvane::host
