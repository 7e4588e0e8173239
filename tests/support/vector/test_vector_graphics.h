#pragma once

// A graphics context that draws real pixels: the vector binding on the Metal
// back end, onto a stand-in Metal layer of the window's size. Its platform
// slots do the least they can (no view, no menus, no clipboard); its fonts
// are files or bytes read into FontData. Frames run at once (the stand-in's
// immediate execution), so the screen can be read right after EndFrame.
//
//   RecordingDelegate delegate;
//   TestVectorGraphics g(delegate, 320, 240, /*screenScale*/ 2.f);
//   g.LoadFont("mono", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
//   g.AttachControl(new MyControl(IRECT(0, 0, 320, 240)));
//   g.DrawAll();
//   g.SavePng("gallery.png");  // what the layer shows
//
// Main thread only.

#include <QuartzCore/CAMetalLayer.h>
#include <standin/testing/images.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/vector/graphics_vector.h"

namespace plugkit::testing {

// A font's bytes with the face to use in them. Counts, process-wide, how
// often its bytes were asked for.
class TestPlatformFont : public graphics::PlatformFont {
public:
  explicit TestPlatformFont(std::vector<unsigned char> bytes, int faceIdx = 0);
  // Null when the file cannot be read.
  static std::unique_ptr<TestPlatformFont> FromFile(const std::filesystem::path& path, int faceIdx = 0);

  const void* GetDescriptor() override { return nullptr; }
  std::unique_ptr<graphics::FontData> GetFontData() override;

  static int FontDataRequests() { return sFontDataRequests.load(); }

private:
  static std::atomic<int> sFontDataRequests;
  std::vector<unsigned char> mBytes;
  int mFaceIdx;
};

class TestVectorGraphics : public graphics::IGraphicsVector {
public:
  // With openDrawContext the vector context and the main framebuffer are made
  // at once, as attaching a view does; otherwise call Open.
  TestVectorGraphics(graphics::IGEditorDelegate& delegate, int width, int height, float screenScale = 1.f,
                     float drawScale = 1.f, bool openDrawContext = true);

  // The vector context on the layer, the screen scale and the main framebuffer.
  void Open(float screenScale);
  CA::MetalLayer* Layer() const { return mLayer.get(); }

  // One frame of the whole window through the controls (DrawRects).
  void DrawAll();
  // One frame of whatever draw does between BeginFrame and EndFrame.
  void DrawFrame(const std::function<void(graphics::IGraphics&)>& draw);

  // What the layer shows (empty before the first frame), an image of the
  // vector context, and the main framebuffer: RGBA, premultiplied, top row first.
  standin::testing::Image Screen() const;
  standin::testing::Image ImagePixels(int image) const;
  standin::testing::Image MainFramebufferPixels() const;
  // What the layer shows, as a PNG; false when nothing was shown or the file cannot be written.
  bool SavePng(const std::filesystem::path& path) const;

  // Platform slots: the layer follows the window's size and the screen scale.
  void ResizePlatformWindow(bool needsPlatformResize) override;
  void* AttachEditorView(void*) override { return nullptr; }
  void DetachEditorView() override {}
  void* PlatformView() override { return nullptr; }
  void MousePosition(float& x, float& y) const override { x = y = 0.f; }
  void HideCursor(bool, bool) override {}
  void ShowPlatformTextEntry(int, const graphics::IText&, const graphics::IRECT&, int, const char*) override {}
  IPopupMenu* ShowPlatformPopupMenu(IPopupMenu&, const graphics::IRECT&, bool& isAsync) override;
  bool ClipboardText(StrBuf&) override { return false; }
  bool SetClipboardText(const char*) override { return false; }
  bool OpenLink(const char*) override { return false; }
  void UpdateTooltips() override {}
  const char* BundleIdentifier() const override { return mBundleIdentifier.c_str(); }
  void SetBundleIdentifier(const std::string& id) { mBundleIdentifier = id; }
  // Fonts from a path, else a "ttf" resource of the bundle; from bytes; none by name.
  graphics::PlatformFontPtr LoadPlatformFontFromResource(const char* fontID, const char* fileNameOrResID) override;
  graphics::PlatformFontPtr LoadPlatformFontFromData(const char* fontID, const void* data, int dataSize) override;
  graphics::PlatformFontPtr LoadPlatformFontByName(const char*, const char*, graphics::ETextStyle) override {
    return nullptr;
  }
  void CachePlatformFont(const char*, graphics::PlatformFont&) override {}

private:
  NS::Ref<CA::MetalLayer> mLayer;
  std::string mBundleIdentifier;
};

}  // namespace plugkit::testing
