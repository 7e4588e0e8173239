#pragma once

#include "common/str_buf.h"

namespace plugkit::graphics {

// A bitmap as a drawing back end holds it: an image handle, the size in
// pixels, the scale the pixels were made for and the draw scale. Deleting it
// releases the image.
class APIBitmap {
public:
  APIBitmap(int imageHandle, int width, int height, float scale, float drawScale)
      : mImageHandle(imageHandle), mWidth(width), mHeight(height), mScale(scale), mDrawScale(drawScale) {}
  virtual ~APIBitmap() = default;
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;

  int GetImageHandle() const { return mImageHandle; }
  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  float GetScale() const { return mScale; }
  float GetDrawScale() const { return mDrawScale; }

private:
  int mImageHandle;
  int mWidth;
  int mHeight;
  float mScale;
  float mDrawScale;
};

// A handle to a back-end bitmap, copied freely; it owns nothing but its name.
// Width and height are in editor units: pixels divided by the bitmap's scale,
// truncated. An IBitmap without a back-end bitmap is empty (size 0).
class IBitmap {
public:
  IBitmap() = default;
  IBitmap(APIBitmap* bitmap, int nStates, bool framesAreHorizontal, const char* name = "");

  APIBitmap* GetAPIBitmap() const { return mBitmap; }
  bool IsValid() const { return mBitmap != nullptr; }
  int W() const { return mWidth; }
  int H() const { return mHeight; }
  int N() const { return mNStates; }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  const char* GetResourceName() const { return mResourceName.Get(); }

private:
  APIBitmap* mBitmap = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  int mNStates = 1;
  bool mFramesAreHorizontal = false;
  StrBuf mResourceName;
};

}  // namespace plugkit::graphics
