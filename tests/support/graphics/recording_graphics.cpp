#include "support/graphics/recording_graphics.h"

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <utility>

#include "support/graphics/image_files.h"

namespace plugkit::testing {

using namespace graphics;

namespace {

constexpr double kFullTurnDegrees = 360.0;
constexpr double kHalfTurnDegrees = 180.0;
constexpr double kArcStepDegrees = 10.0;  // geometry mode: arcs flattened in steps no larger
constexpr int kCurveSegments = 16;        // geometry mode: curves flattened into this many lines
constexpr float kCharWidthPerSize = 0.5f;
constexpr size_t kRectCorners = 4;

std::string FolderOf(const std::string& path) {
  return path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
}

int CodePoints(const char* str) {
  int count = 0;
  for (const char* c = str ? str : ""; *c; ++c)
    if ((static_cast<unsigned char>(*c) & 0xC0) != 0x80) ++count;
  return count;
}

// The sweep from a1 to a2 in the arc's direction, at most a full turn.
double ArcSweep(double a1, double a2, EWinding winding) {
  const double sweep = a2 - a1;
  if (!std::isfinite(sweep)) return 0.0;
  if (std::abs(sweep) >= kFullTurnDegrees) return winding == EWinding::CW ? kFullTurnDegrees : -kFullTurnDegrees;
  const double turned = std::fmod(sweep, kFullTurnDegrees);
  if (winding == EWinding::CW) return turned < 0.0 ? turned + kFullTurnDegrees : turned;
  return turned > 0.0 ? turned - kFullTurnDegrees : turned;
}

std::string Text(const char* str) { return str ? str : ""; }

constexpr int kFilePathLocation = 1;

APIBitmap* MakeBitmap(std::optional<DecodedImage> image, int scale) {
  if (!image) return nullptr;
  return new FakeBitmap(image->width, image->height, static_cast<float>(scale), 1.f, std::move(image->rgba));
}

}  // namespace

std::atomic<int> RecordingGraphics::sLive{0};

RecordingGraphics::RecordingGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale,
                                     std::vector<std::string>* sharedLog)
    : IGraphics(delegate, width, height, fps, scale), mLog(sharedLog ? *sharedLog : mOwnLog) {
  ++sLive;
}

RecordingGraphics::~RecordingGraphics() {
  *mAlive = false;
  mLog.push_back(mViewAttached ? "destroyed with view attached" : "destroyed");
  --sLive;
}

// The call log ----------------------------------------------------------------------

std::vector<std::string> RecordingGraphics::CallLines() const {
  std::vector<std::string> lines;
  lines.reserve(mCalls.size());
  for (const RecordedCall& call : mCalls) lines.push_back(call.line);
  return lines;
}

int RecordingGraphics::CountCalls(std::string_view kind) const {
  return static_cast<int>(
      std::count_if(mCalls.begin(), mCalls.end(), [kind](const RecordedCall& call) { return call.kind == kind; }));
}

std::vector<PathPoint> RecordingGraphics::AllPoints() const {
  std::vector<PathPoint> points;
  for (const RecordedCall& call : mCalls) points.insert(points.end(), call.points.begin(), call.points.end());
  return points;
}

void RecordingGraphics::Keep(CallBuilder& call) {
  if (!mPendingPoints.empty()) call.Points(mPendingPoints);
  mPendingPoints.clear();
  mCalls.push_back(call.Take());
}

void RecordingGraphics::AddPoint(double x, double y, bool moveTo) {
  mLastSetTransform.TransformPoint(x, y);
  AddMappedPoint({x, y, moveTo});
}

void RecordingGraphics::AddMappedPoint(const PathPoint& point) {
  if (mGeometryMode && mRecording) mPendingPoints.push_back(point);
  mCurrentPoint = point;
  if (point.moveTo) mSubpathStart = point;
  mHasCurrentPoint = true;
}

void RecordingGraphics::PathConsumed(bool preserved) {
  if (preserved) return;
  mHasCurrentPoint = false;
  mDevicePath.clear();
  mPathHasCurves = false;
}

void RecordingGraphics::Note(const std::string& text) {
  Record("Note", [&](CallBuilder& call) { call.Word(text); });
}

// Pixels ----------------------------------------------------------------------------

FakeBitmap& RecordingGraphics::BoundTarget() {
  if (mBoundLayer) return *mBoundLayer;
  const int width = static_cast<int>(GetScreenScale() * static_cast<float>(static_cast<int>(GetDrawScale() * Width())));
  const int height =
      static_cast<int>(GetScreenScale() * static_cast<float>(static_cast<int>(GetDrawScale() * Height())));
  if (!mMainTarget || mMainTarget->GetWidth() != width || mMainTarget->GetHeight() != height) {
    const size_t bytes = width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) * 4 : 0;
    mMainTarget = std::make_unique<FakeBitmap>(width, height, GetScreenScale(), GetDrawScale(),
                                               std::vector<uint8_t>(bytes, 0));
  }
  return *mMainTarget;
}

void RecordingGraphics::TrackPathPoint(double x, double y, bool moveTo) {
  mDeviceTransform.TransformPoint(x, y);
  mDevicePath.push_back({x, y, moveTo || mDevicePath.empty()});
}

std::optional<IRECT> RecordingGraphics::PathAsDeviceRect() const {
  std::vector<PathPoint>::size_type corners = mDevicePath.size();
  // A closing line back to the start adds nothing.
  if (corners == kRectCorners + 1 && mDevicePath.back().x == mDevicePath.front().x &&
      mDevicePath.back().y == mDevicePath.front().y)
    corners = kRectCorners;
  if (mPathHasCurves || corners != kRectCorners) return std::nullopt;
  for (size_t k = 0; k < kRectCorners; ++k) {
    const PathPoint& a = mDevicePath[k];
    const PathPoint& b = mDevicePath[(k + 1) % kRectCorners];
    if (k > 0 && a.moveTo) return std::nullopt;
    if ((a.x == b.x) == (a.y == b.y)) return std::nullopt;  // each side moves along exactly one axis
  }
  const auto [left, right] = std::minmax({mDevicePath[0].x, mDevicePath[1].x, mDevicePath[2].x});
  const auto [top, bottom] = std::minmax({mDevicePath[0].y, mDevicePath[1].y, mDevicePath[2].y});
  return IRECT(static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
               static_cast<float>(bottom));
}

namespace {

// The pixels whose centres lie in [lo, hi), within [0, size).
std::pair<int, int> PixelSpan(double lo, double hi, int size) {
  if (!(lo < hi)) return {0, 0};
  const double first = std::clamp(std::ceil(lo - 0.5), 0.0, static_cast<double>(size));
  const double end = std::clamp(std::ceil(hi - 0.5), 0.0, static_cast<double>(size));
  return {static_cast<int>(first), static_cast<int>(end)};
}

uint8_t* PixelOf(FakeBitmap& target, int x, int y) {
  return target.Pixels().data() + (static_cast<size_t>(y) * static_cast<size_t>(target.GetWidth()) + x) * 4;
}

}  // namespace

void RecordingGraphics::FillDeviceRect(const IRECT& r, const IColor& color) {
  FakeBitmap& target = BoundTarget();
  if (!target.HasPixels()) return;
  const auto [x0, x1] = PixelSpan(r.L, r.R, target.GetWidth());
  const auto [y0, y1] = PixelSpan(r.T, r.B, target.GetHeight());
  const uint8_t rgba[4] = {static_cast<uint8_t>(color.R), static_cast<uint8_t>(color.G), static_cast<uint8_t>(color.B),
                           static_cast<uint8_t>(color.A)};
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) std::copy(rgba, rgba + 4, PixelOf(target, x, y));
}

void RecordingGraphics::CopyBitmapPixels(const FakeBitmap& source, const IRECT& dest, int srcX, int srcY) {
  FakeBitmap& target = BoundTarget();
  const ITransform& d = mDeviceTransform;
  if (&target == &source || !target.HasPixels() || d.xy != 0.0 || d.yx != 0.0 || d.xx == 0.0 || d.yy == 0.0) return;
  const double pixelsPerUnit = static_cast<double>(source.GetScale()) * source.GetDrawScale();
  const auto [left, right] = std::minmax({d.xx * dest.L + d.tx, d.xx * dest.R + d.tx});
  const auto [top, bottom] = std::minmax({d.yy * dest.T + d.ty, d.yy * dest.B + d.ty});
  const auto [x0, x1] = PixelSpan(left, right, target.GetWidth());
  const auto [y0, y1] = PixelSpan(top, bottom, target.GetHeight());
  for (int y = y0; y < y1; ++y) {
    const double unitY = (y + 0.5 - d.ty) / d.yy;
    const int sourceY = static_cast<int>(std::floor((unitY - dest.T + srcY) * pixelsPerUnit));
    for (int x = x0; x < x1; ++x) {
      const double unitX = (x + 0.5 - d.tx) / d.xx;
      const int sourceX = static_cast<int>(std::floor((unitX - dest.L + srcX) * pixelsPerUnit));
      if (sourceX < 0 || sourceY < 0 || sourceX >= source.GetWidth() || sourceY >= source.GetHeight()) continue;
      const uint8_t* from = source.Pixels().data() +
                            (static_cast<size_t>(sourceY) * static_cast<size_t>(source.GetWidth()) + sourceX) * 4;
      std::copy(from, from + 4, PixelOf(target, x, y));
    }
  }
}

// Frame and region -------------------------------------------------------------------

void RecordingGraphics::Draw(const IRECT& bounds, float scale) {
  Record("Draw", [&](CallBuilder& call) { call.Rect(bounds).Number(scale); });
  IGraphics::Draw(bounds, scale);
}

void RecordingGraphics::BeginFrame() {
  IGraphics::BeginFrame();
  Record("BeginFrame");
}

void RecordingGraphics::EndFrame() { Record("EndFrame"); }

void RecordingGraphics::SetTransform(const ITransform& transform) {
  mLastSetTransform = transform;
  const ILayer* layer = TopLayer();
  const float backing = GetBackingPixelScale();
  mDeviceTransform = ITransform();
  mDeviceTransform.Scale(backing, backing);
  if (layer) mDeviceTransform.Translate(-layer->Bounds().L, -layer->Bounds().T);
  mDeviceTransform.Transform(transform);
  Record("SetTransform", [&](CallBuilder& call) {
    call.Number(transform.xx)
        .Number(transform.yx)
        .Number(transform.xy)
        .Number(transform.yy)
        .Number(transform.tx)
        .Number(transform.ty);
  });
}

void RecordingGraphics::CompleteRegion(const IRECT& clip) {
  Record("CompleteRegion", [&](CallBuilder& call) { call.Rect(clip); });
}

void RecordingGraphics::SetClipRect(const IRECT& r) {
  Record("SetClipRect", [&](CallBuilder& call) { call.Rect(r); });
}

void RecordingGraphics::SetRenderTarget() {
  const ILayer* layer = TopLayer();
  auto* bitmap = layer ? dynamic_cast<FakeBitmap*>(layer->GetAPIBitmap()) : nullptr;
  mBoundLayer = bitmap && bitmap->HasPixels() ? bitmap : nullptr;
  Record("SetRenderTarget", [&](CallBuilder& call) {
    call.Word(mBoundLayer ? "layer " + std::to_string(mBoundLayer->GetWidth()) + "x" +
                                std::to_string(mBoundLayer->GetHeight())
                          : std::string("screen"));
  });
}

void RecordingGraphics::CreateDrawContext(void*) { Record("CreateDrawContext"); }

void RecordingGraphics::DestroyDrawContext() { Record("DestroyDrawContext"); }

// Paths ---------------------------------------------------------------------------------

void RecordingGraphics::PathClear() {
  mHasCurrentPoint = false;
  mDevicePath.clear();
  mPathHasCurves = false;
  Record("PathClear");
}

void RecordingGraphics::PathClose() {
  if (mHasCurrentPoint) mCurrentPoint = mSubpathStart;
  Record("PathClose");
}

void RecordingGraphics::PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding) {
  mPathHasCurves = true;
  const double sweep = ArcSweep(a1, a2, winding);
  const int steps = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / kArcStepDegrees)));
  const bool startsSubpath = !mHasCurrentPoint;
  for (int i = 0; i <= steps; ++i) {
    const double radians = (a1 + sweep * i / steps) * std::numbers::pi / kHalfTurnDegrees;
    AddPoint(cx + r * std::sin(radians), cy - r * std::cos(radians), i == 0 && startsSubpath);
  }
  Record("PathArc", [&](CallBuilder& call) {
    call.Number(cx).Number(cy).Number(r).Number(a1).Number(a2).Number(static_cast<int>(winding));
  });
}

void RecordingGraphics::PathMoveTo(float x, float y) {
  TrackPathPoint(x, y, true);
  AddPoint(x, y, true);
  Record("PathMoveTo", [&](CallBuilder& call) { call.Number(x).Number(y); });
}

void RecordingGraphics::PathLineTo(float x, float y) {
  TrackPathPoint(x, y, false);
  AddPoint(x, y, !mHasCurrentPoint);
  Record("PathLineTo", [&](CallBuilder& call) { call.Number(x).Number(y); });
}

void RecordingGraphics::PathWinding(bool hole) {
  Record("PathWinding", [&](CallBuilder& call) { call.Number(hole ? 1 : 0); });
}

void RecordingGraphics::PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
  // Flattened in the transformed coordinates: an affine transform keeps curves curves.
  mPathHasCurves = true;
  const PathPoint start = mCurrentPoint;
  double px[3] = {c1x, c2x, x};
  double py[3] = {c1y, c2y, y};
  for (int i = 0; i < 3; ++i) mLastSetTransform.TransformPoint(px[i], py[i]);
  for (int i = 1; i <= kCurveSegments; ++i) {
    const double t = static_cast<double>(i) / kCurveSegments;
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    AddMappedPoint({b0 * start.x + b1 * px[0] + b2 * px[1] + b3 * px[2],
                    b0 * start.y + b1 * py[0] + b2 * py[1] + b3 * py[2], false});
  }
  Record("PathCubicTo",
         [&](CallBuilder& call) { call.Number(c1x).Number(c1y).Number(c2x).Number(c2y).Number(x).Number(y); });
}

void RecordingGraphics::PathQuadraticTo(float cx, float cy, float x, float y) {
  mPathHasCurves = true;
  const PathPoint start = mCurrentPoint;
  double px[2] = {cx, x};
  double py[2] = {cy, y};
  for (int i = 0; i < 2; ++i) mLastSetTransform.TransformPoint(px[i], py[i]);
  for (int i = 1; i <= kCurveSegments; ++i) {
    const double t = static_cast<double>(i) / kCurveSegments;
    const double u = 1.0 - t;
    AddMappedPoint({u * u * start.x + 2 * u * t * px[0] + t * t * px[1],
                    u * u * start.y + 2 * u * t * py[0] + t * t * py[1], false});
  }
  Record("PathQuadraticTo", [&](CallBuilder& call) { call.Number(cx).Number(cy).Number(x).Number(y); });
}

void RecordingGraphics::StrokePath(const IPaint& paint, float thickness, const IStrokeStyle& style,
                                   const IBlend* blend) {
  PathConsumed(style.mPreserve);
  Record("StrokePath", [&](CallBuilder& call) { call.Paint(paint).Number(thickness).Stroke(style).Blend(blend); });
}

void RecordingGraphics::FillPath(const IPaint& paint, const IFillStyle& style, const IBlend* blend) {
  if (mRecording && paint.mType == EPaintType::Solid)
    if (const std::optional<IRECT> rect = PathAsDeviceRect()) FillDeviceRect(*rect, paint.GetStop(0).mColor);
  PathConsumed(style.mPreserve);
  Record("FillPath", [&](CallBuilder& call) { call.Paint(paint).Fill(style).Blend(blend); });
}

// Raster --------------------------------------------------------------------------------------

void RecordingGraphics::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend) {
  if (const auto* source = dynamic_cast<const FakeBitmap*>(bitmap.GetAPIBitmap());
      mRecording && source && source->HasPixels())
    CopyBitmapPixels(*source, dest, srcX, srcY);
  Record("DrawBitmap",
         [&](CallBuilder& call) { call.Bitmap(bitmap).Rect(dest).Number(srcX).Number(srcY).Blend(blend); });
}

std::unique_ptr<APIBitmap> RecordingGraphics::CreateLayerBitmap(int pixelWidth, int pixelHeight, bool cacheable,
                                                                float screenScale, float drawScale) {
  Record("CreateLayerBitmap", [&](CallBuilder& call) {
    call.Number(pixelWidth).Number(pixelHeight).Flag("cacheable", cacheable).Number(screenScale).Number(drawScale);
  });
  if (pixelWidth <= 0 || pixelHeight <= 0) return nullptr;
  const size_t bytes = static_cast<size_t>(pixelWidth) * static_cast<size_t>(pixelHeight) * 4;
  return std::make_unique<FakeBitmap>(pixelWidth, pixelHeight, screenScale, drawScale, std::vector<uint8_t>(bytes, 0));
}

void RecordingGraphics::ReadLayerPixels(ILayerPtr& layer, TypedBuf<uint8_t>& pixels) {
  Record("ReadLayerPixels");
  const auto* bitmap = layer ? dynamic_cast<const FakeBitmap*>(layer->GetAPIBitmap()) : nullptr;
  if (!bitmap || !bitmap->HasPixels()) {
    pixels.Resize(0);
    return;
  }
  const size_t rowBytes = static_cast<size_t>(bitmap->GetWidth()) * 4;
  const int height = bitmap->GetHeight();
  if (!pixels.Resize(static_cast<int>(rowBytes) * height) || static_cast<size_t>(pixels.GetSize()) != rowBytes * height)
    return;
  for (int row = 0; row < height; ++row) {
    const int from = mRowsBottomUp ? height - 1 - row : row;
    std::copy_n(bitmap->Pixels().data() + from * rowBytes, rowBytes, pixels.Get() + row * rowBytes);
  }
}

void RecordingGraphics::CompositeLayerMask(ILayerPtr&, const TypedBuf<uint8_t>& mask, const IDropShadow& shadow) {
  mLastMask.assign(mask.Get(), mask.Get() + mask.GetSize());
  Record("CompositeLayerMask", [&](CallBuilder& call) {
    call.Number(mask.GetSize())
        .Paint(shadow.mPaint)
        .Number(shadow.mBlurSize)
        .Number(shadow.mXOffset)
        .Number(shadow.mYOffset)
        .Number(shadow.mOpacity)
        .Flag("foreground", shadow.mDrawForeground);
  });
}

void RecordingGraphics::DrawBoxShadow(const IRECT& inner, const IRECT& outer, float drop, float cornerRadius,
                                      float blur, const IBlend* blend) {
  Record("DrawBoxShadow", [&](CallBuilder& call) {
    call.Rect(inner).Rect(outer).Number(drop).Number(cornerRadius).Number(blur).Blend(blend);
  });
}

// Text ------------------------------------------------------------------------------------------

float RecordingGraphics::MeasureText(const IText& text, const char* str, IRECT& bounds) {
  Record("MeasureText", [&](CallBuilder& call) { call.Text(str).Rect(bounds).TextStyle(text, false); });
  const float width = kCharWidthPerSize * text.mSize * static_cast<float>(CodePoints(str));
  const float height = text.mSize;
  float left = bounds.L;
  float top = bounds.T;
  if (text.mAlign == EAlign::Center) left = (bounds.L + bounds.R - width) * 0.5f;
  if (text.mAlign == EAlign::Far) left = bounds.R - width;
  if (text.mVAlign == EVAlign::Middle) top = (bounds.T + bounds.B - height) * 0.5f;
  if (text.mVAlign == EVAlign::Bottom) top = bounds.B - height;
  IRECT measured(left, top, left + width, top + height);
  MeasureRotatedText(text, bounds, measured);
  bounds = measured;
  return measured.W();
}

void RecordingGraphics::DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) {
  Record("DrawText", [&](CallBuilder& call) { call.Text(str).Rect(bounds).TextStyle(text, true).Blend(blend); });
}

// Resources -----------------------------------------------------------------------------------

APIBitmap* RecordingGraphics::LoadBitmapFromFile(const char* path, int scale, int location, const char* ext) {
  Record("LoadBitmapFromFile",
         [&](CallBuilder& call) { call.Text(path).Number(scale).Number(location).Word(Text(ext)); });
  ++mDecodes;
  return location == kFilePathLocation ? MakeBitmap(DecodeImageFile(Text(path)), scale) : nullptr;
}

APIBitmap* RecordingGraphics::LoadBitmapFromMemory(const char* name, const void* data, int dataSize, int scale) {
  Record("LoadBitmapFromMemory", [&](CallBuilder& call) { call.Text(name).Number(dataSize).Number(scale); });
  ++mDecodes;
  return dataSize > 0 ? MakeBitmap(DecodeImage(data, static_cast<size_t>(dataSize)), scale) : nullptr;
}

bool RecordingGraphics::IsSupportedBitmapExtension(const char* ext) const {
  std::string lower = Text(ext);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower == "png" || lower == "jpg" || lower == "jpeg";
}

bool RecordingGraphics::LoadFontFromMemory(const char* fontID, PlatformFont&) {
  Record("LoadFontFromMemory", [&](CallBuilder& call) { call.Word(Text(fontID)); });
  return !mRefuseBackEndFonts;
}

// Platform ------------------------------------------------------------------------------------

void* RecordingGraphics::AttachEditorView(void* parent) {
  if (mViewAttached) DetachEditorView();
  mLog.push_back("attach");
  SetScreenScale(mBackingScale);
  GetDelegate()->RunEditorLayout(this);
  GetDelegate()->OnEditorOpened();
  mParent = parent;
  mViewAttached = true;
  return &mView;
}

void RecordingGraphics::DetachEditorView() {
  mLog.push_back("detach");
  mColorPicker.reset();
  mViewAttached = false;
  mParent = nullptr;
}

void RecordingGraphics::ResizePlatformWindow(bool needsPlatformResize) {
  mLog.push_back(std::string("resize window ") + (needsPlatformResize ? "1" : "0"));
}

void RecordingGraphics::UpdateLayerFramebuffer() { mLog.push_back("update framebuffer"); }

void RecordingGraphics::OnResizeCompleted() { mLog.push_back("resize completed"); }

void RecordingGraphics::MousePosition(float& x, float& y) const { StoredCursorPosition(x, y); }

EMsgBoxResult RecordingGraphics::ShowAlert(const char* text, const char* caption, EMsgBoxType type,
                                           IMsgBoxCompletionHandlerFunc completion) {
  mLog.push_back("alert " + std::to_string(type) + ": " + Text(caption) + ": " + Text(text));
  if (completion) completion(mAlertAnswer);
  return mAlertAnswer;
}

void RecordingGraphics::ChooseFile(StrBuf& fileName, StrBuf& folder, EFileAction action, const char* extensions,
                                   IFileDialogCompletionHandlerFunc completion) {
  mLog.push_back("choose file " + std::to_string(action) + ": " + fileName.Get() + " in " + folder.Get() + " (" +
                 Text(extensions) + ")");
  if (!HasPlatformView()) {
    fileName.Set("");
    return;
  }
  if (!completion) {
    fileName.Set(mFileAnswer->c_str());
    folder.Set(FolderOf(*mFileAnswer).c_str());
    return;
  }
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [completion, answer = mFileAnswer] {
    completion(StrBuf(answer->c_str()), StrBuf(FolderOf(*answer).c_str()));
  });
}

void RecordingGraphics::ChooseFolder(StrBuf& folder, IFolderDialogCompletionHandlerFunc completion) {
  mLog.push_back(std::string("choose folder: ") + folder.Get());
  if (!HasPlatformView()) {
    folder.Set("");
    return;
  }
  const auto chosen = [](const std::string& answer) { return answer.empty() ? answer : answer + "/"; };
  if (!completion) {
    folder.Set(chosen(*mFileAnswer).c_str());
    return;
  }
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [completion, chosen, answer = mFileAnswer] {
    completion(StrBuf(chosen(*answer).c_str()));
  });
}

bool RecordingGraphics::ChooseColor(IColor& color, const char* prompt, IColorPickerHandlerFunc func) {
  mLog.push_back("choose color " + FormatColor(color) + ": " + Text(prompt));
  if (!HasPlatformView()) return false;
  mColorPicker = std::move(func);
  return true;
}

bool RecordingGraphics::PickColor(const IColor& color) {
  if (!mColorPicker) return false;
  if (*mColorPicker) (*mColorPicker)(color);
  return true;
}

void RecordingGraphics::HideCursor(bool hide, bool lock) {
  mLog.push_back(std::string("hide cursor ") + (hide ? "1" : "0") + " lock " + (lock ? "1" : "0"));
  mCursorHidden = hide;
  mCursorLocked = lock;
}

void RecordingGraphics::MoveCursorTo(float x, float y) {
  mLog.push_back("move cursor " + FormatNumber(x) + "," + FormatNumber(y));
}

int RecordingGraphics::SetCursor(int kind) {
  Record("SetCursor", [&](CallBuilder& call) { call.Number(kind); });
  return IGraphics::SetCursor(kind);
}

void RecordingGraphics::ShowPlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int maxLength,
                                              const char* str) {
  mLog.push_back("text entry " + std::to_string(paramIdx) + ": " + Text(str) + " in " + FormatRect(bounds) + " (max " +
                 std::to_string(maxLength) + ")");
  mTextEntries.push_back({paramIdx, text, bounds, maxLength, Text(str)});
  if (mTextEntryAnswers.empty()) return;
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes,
                        [this, alive = mAlive, typed = mTextEntryAnswers.front()] {
                          if (!*alive) return;
                          mLog.push_back("text entry result " + typed);
                          SetControlValueAfterTextEdit(typed.c_str());
                          SetAllControlsDirty();
                        });
  mTextEntryAnswers.pop_front();
}

namespace {

std::string MenuText(const IPopupMenu& menu) {
  std::string text;
  for (int i = 0; i < menu.NItems(); ++i) {
    const IPopupMenu::Item& item = *menu.GetItem(i);
    text += i == 0 ? "" : " | ";
    const int flags = item.GetFlags();
    if (flags & IPopupMenu::Item::kSeparator) {
      text += "-";
      continue;
    }
    text += Text(item.GetText());
    if (const IPopupMenu* submenu = item.GetSubmenu()) text += " {" + MenuText(*submenu) + "}";
    if (flags & IPopupMenu::Item::kDisabled) text += " (disabled)";
    if (flags & IPopupMenu::Item::kTitle) text += " (title)";
    if (flags & IPopupMenu::Item::kChecked) text += " (checked)";
  }
  return text;
}

// The menu holding the path's last item, with that item chosen and the
// menu's completion called; null for an empty path or one through an item
// that opens no sub-menu.
IPopupMenu* ChooseAlong(IPopupMenu& top, const std::vector<int>& path) {
  if (path.empty()) return nullptr;
  IPopupMenu* menu = &top;
  for (std::size_t step = 0; step + 1 < path.size(); ++step) {
    const IPopupMenu::Item* item = menu->GetItem(path[step]);
    menu = item ? item->GetSubmenu() : nullptr;
    if (!menu) return nullptr;
  }
  menu->SetChosenItemIdx(path.back());
  if (menu->GetFunction()) menu->GetFunction()(menu);
  return menu;
}

}  // namespace

// Like the platform's menu: a synchronous answer comes back at once; an
// asynchronous one at a later pump, through SetPopupMenuResult. Either calls
// the chosen menu's completion first when an item was chosen.
IPopupMenu* RecordingGraphics::ShowPlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) {
  mLog.push_back("popup menu: " + Text(menu.GetRootTitle()) + " (" + std::to_string(menu.NItems()) + " items) at " +
                 FormatRect(bounds));
  mShownMenus.push_back(Text(menu.GetRootTitle()) + ": " + MenuText(menu));
  PopupAnswer answer;
  if (!mPopupAnswers.empty()) {
    answer = mPopupAnswers.front();
    mPopupAnswers.pop_front();
  }
  isAsync = answer.kind == PopupAnswer::Kind::Async;
  menu.SetChosenItemIdx(IPopupMenu::kNoChoice);
  if (answer.kind == PopupAnswer::Kind::Choose) return ChooseAlong(menu, answer.path);
  if (isAsync) {
    // The path is followed when the answer comes, through the menus as they are then.
    CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [this, alive = mAlive, &menu, answer] {
      if (*alive) DeliverPopupMenuResult(ChooseAlong(menu, answer.path));
    });
  }
  return nullptr;
}

void RecordingGraphics::DeliverPopupMenuResult(IPopupMenu* menu) {
  mLog.push_back("popup menu result " + std::to_string(menu ? menu->GetChosenItemIdx() : IPopupMenu::kNoChoice));
  SetPopupMenuResult(menu);
}

bool RecordingGraphics::ClipboardText(StrBuf& text) {
  mLog.push_back("read clipboard");
  text.Set(mClipboard ? mClipboard->c_str() : "");
  return mClipboard.has_value();
}

bool RecordingGraphics::SetClipboardText(const char* text) {
  mLog.push_back("write clipboard: " + Text(text));
  if (mRefuseClipboardWrites) return false;
  mClipboard = Text(text);
  return true;
}

bool RecordingGraphics::OpenLink(const char* url) {
  mLog.push_back("open link: " + Text(url));
  return mOpenLinkAnswer;
}

void RecordingGraphics::UpdateTooltips() { mLog.push_back("update tooltips"); }

PlatformFontPtr RecordingGraphics::LoadPlatformFontFromResource(const char* fontID, const char* fileNameOrResID) {
  Record("LoadPlatformFontFromResource",
         [&](CallBuilder& call) { call.Word(Text(fontID)).Word(Text(fileNameOrResID)); });
  const bool refused = std::find(mRefusedFontResources.begin(), mRefusedFontResources.end(), Text(fontID)) !=
                       mRefusedFontResources.end();
  if (mRefusePlatformFonts || refused) return nullptr;
  return std::make_unique<FakePlatformFont>(false);
}

PlatformFontPtr RecordingGraphics::LoadPlatformFontFromData(const char* fontID, const void*, int dataSize) {
  Record("LoadPlatformFontFromData", [&](CallBuilder& call) { call.Word(Text(fontID)).Number(dataSize); });
  if (mRefusePlatformFonts) return nullptr;
  return std::make_unique<FakePlatformFont>(false);
}

PlatformFontPtr RecordingGraphics::LoadPlatformFontByName(const char* fontID, const char* fontName, ETextStyle style) {
  Record("LoadPlatformFontByName",
         [&](CallBuilder& call) { call.Word(Text(fontID)).Word(Text(fontName)).Number(static_cast<int>(style)); });
  if (mRefusePlatformFonts) return nullptr;
  return std::make_unique<FakePlatformFont>(true);
}

void RecordingGraphics::CachePlatformFont(const char* fontID, PlatformFont&) {
  mCachedFonts.push_back(Text(fontID));
  Record("CachePlatformFont", [&](CallBuilder& call) { call.Word(Text(fontID)); });
}

}  // namespace plugkit::testing
