#include "graphics/platform/mac/graphics_mac.h"

#include <AppKit/NSAnimationContext.h>
#include <AppKit/NSAppearance.h>
#include <AppKit/NSApplication.h>
#include <AppKit/NSScreen.h>
#include <Foundation/NSAutoreleasePool.h>

#include <utility>

#include "graphics/controls/popup_menu_control.h"
#include "graphics/graphics_editor_delegate.h"
#include "graphics/platform/mac/core_text_font.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/font_descriptor_cache.h"
#include "graphics/platform/mac/view_geometry.h"

namespace plugkit::graphics {

namespace {

constexpr const char* kProductBundleIdentifier = "com.Vellumtone.audiounit.Orvane";
constexpr const char* kProductAppGroupIdentifier = "group.com.Vellumtone.Orvane";
constexpr const char* kProductSharedResourcesSubPath = "Orvane";

}  // namespace

IGraphicsMac::IGraphicsMac(IGEditorDelegate& delegate, int width, int height, int fps, float scale)
    : IGraphicsVector(delegate, width, height, fps, scale) {
  NSApplicationLoad();
  RetainFontDescriptorCache();
}

IGraphicsMac::~IGraphicsMac() {
  IGraphicsMac::DetachEditorView();
  ReleaseFontDescriptorCache();
}

IGraphicsMac* MakeMacGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale) {
  auto* graphics = new IGraphicsMac(delegate, width, height, fps, scale);
  graphics->SetBundleIdentifier(kProductBundleIdentifier);
  graphics->SetAppGroupIdentifier(kProductAppGroupIdentifier);
  graphics->SetSharedResourcesSubPath(kProductSharedResourcesSubPath);
  return graphics;
}

// The view ------------------------------------------------------------------------------

void* IGraphicsMac::AttachEditorView(void* parent) {
  DetachEditorView();
  mView = (new IGraphicsView_vOrvane_au)->initWithIGraphics(this);
  mView->activateGLContext();
  CreateDrawContext(mView->metalLayer());
  SetScreenScale(static_cast<float>(NS::Screen::mainScreen()->backingScaleFactor()));
  GetDelegate()->RunEditorLayout(this);
  UpdateTooltips();
  GetDelegate()->OnEditorOpened();
  if (parent) static_cast<NS::View*>(parent)->addSubview(mView);
  mHostSizeCheckPending = true;
  return mView;
}

// The view forgets this context first: leaving its superview runs its own
// removal, which must not close the editor while this context detaches it.
void IGraphicsMac::DetachEditorView() {
  mHostSizeCheckPending = false;
  IGraphicsView_vOrvane_au* view = std::exchange(mView, nullptr);
  if (!view) return;
  view->forgetGraphics();
  view->removeAllToolTips();
  view->killTimer();
  view->removeFromSuperview();
  view->release();
  DestroyDrawContext();
}

void* IGraphicsMac::PlatformView() { return mView; }

bool IGraphicsMac::HasPlatformView() { return mView != nullptr; }

void IGraphicsMac::ResizePlatformWindow(bool) {
  if (mView) {
    NS::AnimationContext::beginGrouping();
    NS::AnimationContext::currentContext()->setDuration(0.0);
    mView->setFrameSize(ScaledViewSize(*this));
    NS::AnimationContext::endGrouping();
  }
  UpdateTooltips();
}

void IGraphicsMac::UpdateTooltips() {
  if (!mView || !TooltipsEnabled()) return;
  const NS::AutoreleasePool pool;
  mView->removeAllToolTips();
  const IPopupMenuControl* menu = GetPopupMenuControl();
  if (menu && menu->GetState() > IPopupMenuControl::kCollapsed) return;
  ForStandardControls([this](IControl* control) {
    if (!control->IsHidden() && !control->GetTargetRECT().Empty()) mView->registerToolTip(control->GetTargetRECT());
  });
}

bool IGraphicsMac::IsDarkMode() const {
  return mView && CFEqual(mView->effectiveAppearance()->name(), NSAppearanceNameDarkAqua);
}

void IGraphicsMac::ActivateGLContext() {
  if (mView) mView->activateGLContext();
}

void IGraphicsMac::DeactivateGLContext() {
  if (mView) mView->deactivateGLContext();
}

// Fonts ---------------------------------------------------------------------------------

PlatformFontPtr IGraphicsMac::LoadPlatformFontFromResource(const char*, const char* fileNameOrResID) {
  return CoreTextFont::LoadFromResource(fileNameOrResID, BundleIdentifier(), GetSharedResourcesSubPath());
}

PlatformFontPtr IGraphicsMac::LoadPlatformFontFromData(const char*, const void* data, int dataSize) {
  return CoreTextFont::LoadFromMemory(data, dataSize);
}

PlatformFontPtr IGraphicsMac::LoadPlatformFontByName(const char*, const char* fontName, ETextStyle style) {
  return CoreTextFont::LoadByName(fontName, style);
}

void IGraphicsMac::CachePlatformFont(const char* fontID, PlatformFont& font) { CacheFontDescriptor(fontID, font); }

}  // namespace plugkit::graphics
