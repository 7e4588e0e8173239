#include "graphics/graphics_context.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "graphics/bubble_control.h"
#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/fps_display_control.h"
#include "graphics/graphics_editor_delegate.h"

namespace plugkit::graphics {

IGraphics::IGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale)
    : mWidth(width), mHeight(height), mFPS(fps), mDrawScale(scale), mDelegate(&delegate) {
  RetainResourceCaches();
}

// The view is gone: a hidden cursor is not shown again while the controls go.
// The controls go before the caches their bitmaps may come from. Layers
// still pushed were never handed to an owner.
IGraphics::~IGraphics() {
  mCursorHidden = false;
  RemoveAllControls();
  ReleaseResourceCaches();
  for (ILayer* layer : mLayers) delete layer;
}

EMsgBoxResult IGraphics::ShowAlert(const char*, const char*, EMsgBoxType, IMsgBoxCompletionHandlerFunc completion) {
  if (completion) completion(kNoResult);
  return kNoResult;
}

void IGraphics::ChooseFile(StrBuf& fileName, StrBuf&, EFileAction, const char*, IFileDialogCompletionHandlerFunc) {
  fileName.Set("");
}

void IGraphics::ChooseFolder(StrBuf& folder, IFolderDialogCompletionHandlerFunc) { folder.Set(""); }

bool IGraphics::ChooseColor(IColor&, const char*, IColorPickerHandlerFunc) { return false; }

// Size and scale -----------------------------------------------------------------

int IGraphics::WindowWidth() const {
  return static_cast<int>(static_cast<float>(static_cast<int>(mWidth * mDrawScale)) * PlatformWindowScale());
}

int IGraphics::WindowHeight() const {
  return static_cast<int>(static_cast<float>(static_cast<int>(mHeight * mDrawScale)) * PlatformWindowScale());
}

void IGraphics::ResizeWindowThroughDelegate(bool needsPlatformResize) {
  ResizePlatformWindow(mDelegate->RequestEditorResize(WindowWidth(), WindowHeight(), needsPlatformResize));
}

void IGraphics::SetScreenScale(float scale) {
  mScreenScale = scale;
  ResizeWindowThroughDelegate(true);
  ForAllControls(&IControl::OnRescale);
  SetAllControlsDirty();
  UpdateLayerFramebuffer();
}

void IGraphics::Resize(int width, int height, float scale, bool needsPlatformResize) {
  mDelegate->ConstrainEditorSize(width, height);
  // A scale that is not a number falls to the minimum rather than reaching the window size.
  if (!(scale >= mMinScale)) scale = mMinScale;
  if (scale > mMaxScale) scale = mMaxScale;
  if (width == mWidth && height == mHeight && scale == mDrawScale) return;

  ReleaseMouseCapture();
  mDrawScale = scale;
  mWidth = width;
  mHeight = height;
  if (mCornerResizer) mCornerResizer->OnRescale();
  ResizeWindowThroughDelegate(needsPlatformResize);
  ForAllControls(&IControl::OnResize);
  SetAllControlsDirty();
  UpdateLayerFramebuffer();
  if (mLayoutOnResize) mDelegate->RunEditorLayout(this);
  OnResizeCompleted();
}

void IGraphics::SetScaleLimits(float a, float b) {
  if (!std::isfinite(a) || !std::isfinite(b) || a <= 0.f || b <= 0.f) return;
  mMinScale = std::min(a, b);
  mMaxScale = std::max(a, b);
}

// Other state -----------------------------------------------------------------------

void IGraphics::SetStrictDrawing(bool strict) {
  mStrictDrawing = strict;
  SetAllControlsDirty();
}

void IGraphics::OnAppearanceChanged(int appearance) {
  if (mAppearanceChangedFunc) mAppearanceChangedFunc(appearance);
}

void IGraphics::StoreCursorPosition(float x, float y) {
  mCursorX = x;
  mCursorY = y;
}

void IGraphics::StoredCursorPosition(float& x, float& y) const {
  x = mCursorX;
  y = mCursorY;
}

}  // namespace plugkit::graphics
