#pragma once

// A graphics context without a window or a renderer, on which the graphics
// core's tests run. It keeps two logs:
// - the call log: one RecordedCall per call of the drawing interface (frame,
//   path, raster, text, resource and font slots, and SetCursor), with a
//   stable one-line text form for golden comparisons (recorded_call.h);
// - the platform log: one text per call that reached the window side
//   ("attach", "detach", "resize window 1", "update framebuffer", "resize
//   completed", alerts, file dialogs, cursor hiding, text entries and their
//   results, popup menus and their results, clipboard, links, tooltips, and
//   "destroyed" at the end).
// The platform is scripted: the test sets the answers of dialogs, popup menus,
// the clipboard, links, the bundle identifier and fonts.
// It also has pixel targets as a back end has: an RGBA main target of the
// window's size in device pixels (made when first drawn into) and a
// transparent RGBA bitmap for every layer. SetRenderTarget binds the top
// layer's bitmap, or the main target without layers (or when the top layer
// has no bitmap). Points map to pixels through the matrix, less the top
// layer's left and top, times the backing scale. A FillPath of one
// axis-aligned rectangle under translation and scale sets the pixels whose
// centres it covers to the paint's first colour (no antialiasing, no
// blending); a DrawBitmap of a bitmap with pixels copies them sampled at the
// nearest pixel. Other drawing is only recorded.

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recorded_call.h"

namespace plugkit::testing {

class RecordingGraphics : public graphics::IGraphics {
public:
  // What the next platform popup menu answers: an item chosen at once, the
  // menu dismissed, or an answer that comes at a later pump of the main run loop.
  // A choice is a path of item indexes from the shown menu down, each but the
  // last opening a sub-menu; as on the platform, the answer is the menu that
  // holds the last item, with that index chosen. A path through an item
  // without a sub-menu dismisses the menu.
  struct PopupAnswer {
    enum class Kind { Choose, Dismiss, Async };
    Kind kind = Kind::Dismiss;
    std::vector<int> path;

    static PopupAnswer Choose(int index) { return {Kind::Choose, {index}}; }
    static PopupAnswer Choose(std::vector<int> path) { return {Kind::Choose, std::move(path)}; }
    static PopupAnswer Dismiss() { return {Kind::Dismiss, {}}; }
    // index -1 dismisses when the answer comes.
    static PopupAnswer Async(int index) { return {Kind::Async, index >= 0 ? std::vector<int>{index} : std::vector<int>{}}; }
    static PopupAnswer Async(std::vector<int> path) { return {Kind::Async, std::move(path)}; }
  };

  struct TextEntryRequest {
    int paramIdx = -1;
    graphics::IText text;
    graphics::IRECT bounds;
    int maxLength = 0;
    std::string str;
  };

  // sharedLog: a platform log that outlives this context; its own otherwise.
  RecordingGraphics(graphics::IGEditorDelegate& delegate, int width, int height, int fps = kDefaultFPS,
                    float scale = 1.f, std::vector<std::string>* sharedLog = nullptr);
  ~RecordingGraphics() override;

  // The call log.
  const std::vector<RecordedCall>& Calls() const { return mCalls; }
  std::vector<std::string> CallLines() const;
  int CountCalls(std::string_view kind) const;
  // Every point of the recorded calls, in order (geometry mode).
  std::vector<PathPoint> AllPoints() const;
  void ClearCalls() { mCalls.clear(); }
  // Off: nothing is recorded and no pixel written (and nothing allocated),
  // for allocation tests and for timing the drawing code alone.
  void SetRecording(bool record) { mRecording = record; }
  // On: path calls also record their points through the transform last set;
  // arcs and curves are flattened.
  void SetGeometryMode(bool on) { mGeometryMode = on; }
  // The transform last passed to SetTransform.
  const graphics::ITransform& LastSetTransform() const { return mLastSetTransform; }
  // A line "Note <text>" in the call log, for controls that report what they see.
  void Note(const std::string& text);

  // Pixel targets. Null before anything was drawn on the main target.
  const FakeBitmap* MainTarget() const { return mMainTarget.get(); }
  // How ReadLayerPixels orders rows; top row first by default.
  void SetLayerRowsBottomUp(bool bottomUp) { mRowsBottomUp = bottomUp; }
  // The mask CompositeLayerMask last received; empty before.
  const std::vector<uint8_t>& LastMask() const { return mLastMask; }

  // The platform log.
  std::vector<std::string>& Log() { return mLog; }
  bool ViewAttached() const { return mViewAttached; }
  void* Parent() const { return mParent; }
  // Process-wide count of live contexts of this class, for ownership tests.
  static int LiveCount() { return sLive.load(); }

  // Scripting the platform.
  // The file every dialog of this context chooses from now on; empty cancels.
  void AnswerFileDialogs(const std::string& path) { *mFileAnswer = path; }
  // Popup menus take the answers in order; with none queued they are dismissed.
  void QueuePopupAnswer(PopupAnswer answer) { mPopupAnswers.push_back(answer); }
  // Text fields take the answers in order, each typed and committed at a
  // later pump of the main run loop; with none queued a field stays open.
  void QueueTextEntryAnswer(const std::string& typed) { mTextEntryAnswers.push_back(typed); }
  const std::vector<TextEntryRequest>& TextEntries() const { return mTextEntries; }
  // Every platform popup menu shown, as it was when shown: its title, then its
  // items separated by " | ": a separator "-", a sub-menu's items in braces
  // after its item's text, flags as " (disabled)", " (title)", " (checked)".
  const std::vector<std::string>& ShownMenus() const { return mShownMenus; }
  // The clipboard's text; none until set or written.
  void SetClipboard(std::optional<std::string> text) { mClipboard = std::move(text); }
  const std::optional<std::string>& Clipboard() const { return mClipboard; }
  void RefuseClipboardWrites(bool refuse) { mRefuseClipboardWrites = refuse; }
  void SetOpenLinkAnswer(bool opens) { mOpenLinkAnswer = opens; }
  void SetBundleIdentifier(const std::string& id) { mBundleIdentifier = id; }
  // Fonts: the platform that cannot make them, the back end that rejects them.
  void RefusePlatformFonts(bool refuse) { mRefusePlatformFonts = refuse; }
  void RefuseBackEndFonts(bool refuse) { mRefuseBackEndFonts = refuse; }
  // The platform cannot make the font of this id from a file or resource.
  void RefuseFontResource(const std::string& fontID) { mRefusedFontResources.push_back(fontID); }
  // The font ids the platform was asked to cache, in order.
  const std::vector<std::string>& CachedFonts() const { return mCachedFonts; }

  // What dragging the corner does, as attaching a corner resizer sets it.
  using IGraphics::SetGUISizeMode;

  float mBackingScale = 1.f;  // the screen scale the view reports when attached
  graphics::EMsgBoxResult mAlertAnswer = graphics::kOK;

  // Frame and region. Each region drawn is logged "Draw <bounds> <scale>".
  void Draw(const graphics::IRECT& bounds, float scale) override;
  void BeginFrame() override;
  void EndFrame() override;
  void SetTransform(const graphics::ITransform& transform) override;
  void CompleteRegion(const graphics::IRECT& clip) override;
  void SetClipRect(const graphics::IRECT& r) override;
  void SetRenderTarget() override;
  void CreateDrawContext(void* platformLayer) override;
  void DestroyDrawContext() override;

  // Paths.
  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2,
               graphics::EWinding winding = graphics::EWinding::CW) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathWinding(bool hole) override;
  void PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) override;
  void PathQuadraticTo(float cx, float cy, float x, float y) override;
  void StrokePath(const graphics::IPaint& paint, float thickness, const graphics::IStrokeStyle& style,
                  const graphics::IBlend* blend) override;
  void FillPath(const graphics::IPaint& paint, const graphics::IFillStyle& style,
                const graphics::IBlend* blend) override;

  // Raster. Layer bitmaps are FakeBitmaps with pixels; none (null) for a size
  // not above 0. ReadLayerPixels answers a layer's RGBA bytes, alpha at byte 3.
  void DrawBitmap(const graphics::IBitmap& bitmap, const graphics::IRECT& dest, int srcX, int srcY,
                  const graphics::IBlend* blend) override;
  std::unique_ptr<graphics::APIBitmap> CreateLayerBitmap(int pixelWidth, int pixelHeight, bool cacheable,
                                                         float screenScale, float drawScale) override;
  void ReadLayerPixels(graphics::ILayerPtr& layer, TypedBuf<uint8_t>& pixels) override;
  void CompositeLayerMask(graphics::ILayerPtr& layer, const TypedBuf<uint8_t>& mask,
                          const graphics::IDropShadow& shadow) override;
  bool LayerRowsBottomUp() const override { return mRowsBottomUp; }
  int LayerAlphaByteIndex() const override { return kAlphaByteIndex; }
  void DrawBoxShadow(const graphics::IRECT& inner, const graphics::IRECT& outer, float drop, float cornerRadius,
                     float blur, const graphics::IBlend* blend) override;

  // Text with fixed metrics: each code point 0.5 x size wide, the line size
  // high, placed in the bounds by the alignments, then turned by the angle.
  float MeasureText(const graphics::IText& text, const char* str, graphics::IRECT& bounds) override;
  void DrawText(const graphics::IText& text, const char* str, const graphics::IRECT& bounds,
                const graphics::IBlend* blend = nullptr) override;

  // Resources: png, jpg and jpeg, in any case. Files (location 1) and data
  // decode into FakeBitmaps with their pixels, at the scale asked for and
  // draw scale 1; null when undecodable. Decodes() counts the attempts.
  graphics::APIBitmap* LoadBitmapFromFile(const char* path, int scale, int location, const char* ext) override;
  graphics::APIBitmap* LoadBitmapFromMemory(const char* name, const void* data, int dataSize, int scale) override;
  int Decodes() const { return mDecodes; }
  bool IsSupportedBitmapExtension(const char* ext) const override;
  bool LoadFontFromMemory(const char* fontID, graphics::PlatformFont& font) override;

  // Platform.
  void* AttachEditorView(void* parent) override;
  void DetachEditorView() override;
  void* PlatformView() override { return mViewAttached ? &mView : nullptr; }
  void ResizePlatformWindow(bool needsPlatformResize) override;
  void UpdateLayerFramebuffer() override;
  void OnResizeCompleted() override;
  // The stored cursor position.
  void MousePosition(float& x, float& y) const override;
  // Logs "alert <type>: <caption>: <text>" and answers mAlertAnswer, also to the completion.
  graphics::EMsgBoxResult ShowAlert(const char* text, const char* caption, graphics::EMsgBoxType type,
                                    graphics::IMsgBoxCompletionHandlerFunc completion = nullptr) override;
  // Logs "choose file <action>: <proposed name> in <folder> (<extensions>)"
  // and answers with the path AnswerFileDialogs holds (empty cancels). With a
  // completion the answer comes later, from a block on the main run loop that
  // holds nothing of this context; without one it is filled in at once.
  void ChooseFile(StrBuf& fileName, StrBuf& folder, graphics::EFileAction action, const char* extensions,
                  graphics::IFileDialogCompletionHandlerFunc completion = nullptr) override;
  // Logs "choose folder: <folder>" and answers as ChooseFile does, with the
  // path AnswerFileDialogs holds followed by "/" (empty cancels).
  void ChooseFolder(StrBuf& folder, graphics::IFolderDialogCompletionHandlerFunc completion = nullptr) override;
  // Logs "choose color <colour>: <prompt>". With a view the picker opens
  // (answering true) and stays open, keeping func, until the next one opens;
  // PickColor then plays the user. Without a view nothing opens; detaching
  // the view closes it.
  bool ChooseColor(graphics::IColor& color, const char* prompt = "",
                   graphics::IColorPickerHandlerFunc func = nullptr) override;
  // The user picks a colour in the open picker; false when none is open.
  bool PickColor(const graphics::IColor& color);
  void HideCursor(bool hide, bool lock) override;
  // Logs "move cursor <x>,<y>".
  void MoveCursorTo(float x, float y) override;
  int SetCursor(int kind) override;
  void ShowPlatformTextEntry(int paramIdx, const graphics::IText& text, const graphics::IRECT& bounds, int maxLength,
                             const char* str) override;
  IPopupMenu* ShowPlatformPopupMenu(IPopupMenu& menu, const graphics::IRECT& bounds, bool& isAsync) override;
  bool ClipboardText(StrBuf& text) override;
  bool SetClipboardText(const char* text) override;
  bool OpenLink(const char* url) override;
  void UpdateTooltips() override;
  const char* BundleIdentifier() const override { return mBundleIdentifier.c_str(); }
  graphics::PlatformFontPtr LoadPlatformFontFromResource(const char* fontID, const char* fileNameOrResID) override;
  graphics::PlatformFontPtr LoadPlatformFontFromData(const char* fontID, const void* data, int dataSize) override;
  graphics::PlatformFontPtr LoadPlatformFontByName(const char* fontID, const char* fontName,
                                                   graphics::ETextStyle style) override;
  void CachePlatformFont(const char* fontID, graphics::PlatformFont& font) override;

private:
  static constexpr int kAlphaByteIndex = 3;

  // Records a call of the slot `kind`, its arguments added by fill; nothing
  // at all (not even the builder) when recording is off.
  template <class Fill>
  void Record(const char* kind, Fill&& fill) {
    if (!mRecording) return;
    CallBuilder call(kind, mLastSetTransform);
    fill(call);
    Keep(call);
  }
  void Record(const char* kind) {
    Record(kind, [](CallBuilder&) {});
  }
  void Keep(CallBuilder& call);
  // Geometry: a point a path call adds (mapped through the transform last
  // set, or already mapped), kept for the call's record in geometry mode.
  void AddPoint(double x, double y, bool moveTo);
  void AddMappedPoint(const PathPoint& point);
  void PathConsumed(bool preserved);
  // Pixels: the bitmap drawing goes to, and the device transform's work.
  FakeBitmap& BoundTarget();
  void TrackPathPoint(double x, double y, bool moveTo);
  // The current path's device-space bounds when it is one axis-aligned rectangle.
  std::optional<graphics::IRECT> PathAsDeviceRect() const;
  void FillDeviceRect(const graphics::IRECT& r, const graphics::IColor& color);
  void CopyBitmapPixels(const FakeBitmap& source, const graphics::IRECT& dest, int srcX, int srcY);
  // Logs an asynchronous popup answer once it has come and hands it to the context.
  void DeliverPopupMenuResult(IPopupMenu* menu);

  static std::atomic<int> sLive;

  std::vector<RecordedCall> mCalls;
  bool mRecording = true;
  bool mGeometryMode = false;
  graphics::ITransform mLastSetTransform;
  // Geometry state, in the transformed coordinates: the points of the call
  // being recorded, the current point and the current sub-path's start.
  std::vector<PathPoint> mPendingPoints;
  bool mHasCurrentPoint = false;
  PathPoint mCurrentPoint;
  PathPoint mSubpathStart;

  // Pixel targets. The device transform maps points to pixels of the bound target.
  std::unique_ptr<FakeBitmap> mMainTarget;
  FakeBitmap* mBoundLayer = nullptr;  // null: the main target
  graphics::ITransform mDeviceTransform;
  // The current path in device pixels, while it is made of lines only.
  std::vector<PathPoint> mDevicePath;
  bool mPathHasCurves = false;
  bool mRowsBottomUp = false;
  std::vector<uint8_t> mLastMask;

  std::vector<std::string> mOwnLog;
  std::vector<std::string>& mLog;
  bool mViewAttached = false;
  void* mParent = nullptr;
  int mView = 0;  // stands for the platform view
  // Shared with the answers still queued, which may outlive this context.
  std::shared_ptr<std::string> mFileAnswer = std::make_shared<std::string>();
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
  std::optional<graphics::IColorPickerHandlerFunc> mColorPicker;  // set while a picker is open
  std::deque<PopupAnswer> mPopupAnswers;
  std::deque<std::string> mTextEntryAnswers;
  std::vector<TextEntryRequest> mTextEntries;
  std::vector<std::string> mShownMenus;
  std::optional<std::string> mClipboard;
  bool mRefuseClipboardWrites = false;
  bool mOpenLinkAnswer = true;
  std::string mBundleIdentifier;
  int mDecodes = 0;
  bool mRefusePlatformFonts = false;
  bool mRefuseBackEndFonts = false;
  std::vector<std::string> mRefusedFontResources;
  std::vector<std::string> mCachedFonts;
};

}  // namespace plugkit::testing
