#include "support/vector/test_vector_graphics.h"

#include <standin/testing/metal.h>

#include <fstream>
#include <iterator>

#include "framework/core/paths.h"
#include "graphics/renderer/image.h"

namespace plugkit::testing {

using namespace graphics;
using standin::testing::Image;

namespace {

constexpr const char* kFontResourceType = "ttf";

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path, bool& read) {
  std::ifstream file(path, std::ios::binary);
  read = static_cast<bool>(file);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

std::atomic<int> TestPlatformFont::sFontDataRequests{0};

TestPlatformFont::TestPlatformFont(std::vector<unsigned char> bytes, int faceIdx)
    : PlatformFont(false), mBytes(std::move(bytes)), mFaceIdx(faceIdx) {}

std::unique_ptr<TestPlatformFont> TestPlatformFont::FromFile(const std::filesystem::path& path, int faceIdx) {
  bool read = false;
  std::vector<unsigned char> bytes = ReadBytes(path, read);
  return read ? std::make_unique<TestPlatformFont>(std::move(bytes), faceIdx) : nullptr;
}

std::unique_ptr<FontData> TestPlatformFont::GetFontData() {
  ++sFontDataRequests;
  return std::make_unique<FontData>(mBytes.data(), static_cast<int>(mBytes.size()), mFaceIdx);
}

TestVectorGraphics::TestVectorGraphics(IGEditorDelegate& delegate, int width, int height, float screenScale,
                                       float drawScale, bool openDrawContext)
    : IGraphicsVector(delegate, width, height, kDefaultFPS, drawScale),
      mLayer(NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer())) {
  ResizePlatformWindow(false);
  if (openDrawContext) Open(screenScale);
}

void TestVectorGraphics::Open(float screenScale) {
  CreateDrawContext(mLayer.get());
  SetScreenScale(screenScale);  // sizes the layer and makes the main framebuffer
}

void TestVectorGraphics::ResizePlatformWindow(bool) {
  mLayer->setFrame(NS::MakeRect(0.0, 0.0, WindowWidth(), WindowHeight()));
  mLayer->setContentsScale(GetScreenScale());
}

void TestVectorGraphics::DrawAll() {
  IRECTList rects;
  rects.Add(IRECT(0.f, 0.f, static_cast<float>(Width()), static_cast<float>(Height())));
  SetAllControlsClean();
  DrawRects(rects);
}

void TestVectorGraphics::DrawFrame(const std::function<void(IGraphics&)>& draw) {
  BeginFrame();
  draw(*this);
  EndFrame();
}

Image TestVectorGraphics::Screen() const { return standin::testing::LayerFrontImage(mLayer.get()); }

Image TestVectorGraphics::ImagePixels(int image) const {
  VCcontext* ctx = GetDrawContext();
  if (!ctx || image == 0) return Image();
  int width = 0;
  int height = 0;
  vcImageSize(ctx, image, &width, &height);
  Image pixels(width, height);
  mvcReadPixels(ctx, image, 0, 0, width, height, pixels.rgba.data());
  return pixels;
}

Image TestVectorGraphics::MainFramebufferPixels() const {
  const MVCframebuffer* framebuffer = GetMainFramebuffer();
  return framebuffer ? ImagePixels(framebuffer->image) : Image();
}

bool TestVectorGraphics::SavePng(const std::filesystem::path& path) const {
  const Image screen = Screen();
  return !screen.empty() && standin::testing::WritePng(screen, path);
}

IPopupMenu* TestVectorGraphics::ShowPlatformPopupMenu(IPopupMenu&, const IRECT&, bool& isAsync) {
  isAsync = false;
  return nullptr;
}

PlatformFontPtr TestVectorGraphics::LoadPlatformFontFromResource(const char*, const char* fileNameOrResID) {
  if (!fileNameOrResID) return nullptr;
  StrBuf path;
  if (std::filesystem::is_regular_file(fileNameOrResID)) {
    path.Set(fileNameOrResID);
  } else if (!FindResourcePath(fileNameOrResID, kFontResourceType, path, BundleIdentifier(), nullptr, "")) {
    return nullptr;
  }
  return TestPlatformFont::FromFile(path.Get());
}

PlatformFontPtr TestVectorGraphics::LoadPlatformFontFromData(const char*, const void* data, int dataSize) {
  if (!data || dataSize <= 0) return nullptr;
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::make_unique<TestPlatformFont>(std::vector<unsigned char>(bytes, bytes + dataSize));
}

}  // namespace plugkit::testing
