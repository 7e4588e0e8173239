#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/heap_buf.h"
#include "common/popup_menu.h"
#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "graphics/bitmap.h"
#include "graphics/control.h"
#include "graphics/drawing_types.h"
#include "graphics/graphics_types.h"
#include "graphics/layer.h"
#include "graphics/platform_font.h"
#include "graphics/static_storage.h"
#include "graphics/svg_image.h"

namespace plugkit::graphics {

class IBubbleControl;
class ICornerResizerControl;
class IFPSDisplayControl;
class IGEditorDelegate;
class IPopupMenuControl;
class ITextEntryControl;
struct IVStyle;

// Message boxes: the button sets and the answers (the platform's values).
enum EMsgBoxType { kMB_OK = 0, kMB_OKCANCEL = 1, kMB_YESNOCANCEL = 3, kMB_YESNO = 4, kMB_RETRYCANCEL = 5 };
enum EMsgBoxResult { kNoResult = 0, kOK = 1, kCANCEL = 2, kRETRY = 4, kYES = 6, kNO = 7 };
using IMsgBoxCompletionHandlerFunc = std::function<void(EMsgBoxResult)>;

// File dialogs: what the chosen file is for, and the answer (the chosen file's
// full path, empty when cancelled, and its folder).
enum EFileAction { kFileOpen = 0, kFileSave = 1 };
using IFileDialogCompletionHandlerFunc = std::function<void(const StrBuf& fileName, const StrBuf& folder)>;
// A folder dialog's answer: the chosen folder followed by "/", empty when cancelled.
using IFolderDialogCompletionHandlerFunc = std::function<void(const StrBuf& folder)>;

// The colour picker's answer: called with each colour the user picks.
using IColorPickerHandlerFunc = std::function<void(const IColor& color)>;

// The editor's graphics context: one per open editor window. It owns the
// controls, maps tags to them, keeps the draw scale (the user's zoom) and the
// screen (backing) scale, and applies size changes. Everything is drawn
// through its drawing interface: a few path, raster and text slots that a
// drawing back end supplies, and primitives with default bodies built on them.
// The platform view and the renderer derive from it. Main thread only; the
// resource caches it shares with other contexts lock (see Resources).
class IGraphics {
public:
  using KeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
  using ControlFunc = std::function<void(IControl*)>;

  static constexpr int kDefaultFPS = 60;
  static constexpr float kDefaultMinDrawScale = 0.5f;
  static constexpr float kDefaultMaxDrawScale = 4.0f;
  static constexpr int kControlListGranularity = 4096;
  static constexpr uint64_t kMouseTouchId = 0;
  // A control's redraw and clip rectangle is its rectangle grown by this, so
  // outlines on its edges are redrawn whole.
  static constexpr float kControlMargin = 0.75f;

  IGraphics(IGEditorDelegate& delegate, int width, int height, int fps = kDefaultFPS, float scale = 1.f);
  virtual ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Frame and region (back end). A frame is drawn between BeginFrame and
  // EndFrame, region by region, each clipped with SetClipRect. A back end's
  // BeginFrame calls this one first: it gives the frame-time display, when
  // shown, the time since the last frame began.
  virtual void BeginFrame();
  virtual void EndFrame() {}
  // Later path and bitmap operations are drawn through the transform.
  virtual void SetTransform(const ITransform& transform) = 0;
  virtual void CompleteRegion(const IRECT& /*clip*/) {}
  virtual void SetClipRect(const IRECT& r) = 0;
  // Binds the top layer's bitmap, or the main target when no layer is pushed.
  virtual void SetRenderTarget() {}
  virtual void CreateDrawContext(void* /*platformLayer*/) {}
  virtual void DestroyDrawContext() {}

  // Paths (back end), in the coordinates of the current transform. Angles are
  // degrees clockwise from twelve o'clock; an arc after PathClear starts a new
  // sub-path, otherwise a line joins it to the current point.
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  virtual void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding = EWinding::CW) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  // Marks the last sub-path a hole (true) or solid (false).
  virtual void PathWinding(bool /*hole*/) {}
  virtual void PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) = 0;
  virtual void PathQuadraticTo(float cx, float cy, float x, float y) = 0;
  // Both consume the path unless the style preserves it.
  virtual void StrokePath(const IPaint& paint, float thickness, const IStrokeStyle& style, const IBlend* blend) = 0;
  virtual void FillPath(const IPaint& paint, const IFillStyle& style, const IBlend* blend) = 0;

  // Raster (back end).
  // Draws the bitmap's region starting at (srcX, srcY) into dest.
  virtual void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend) = 0;
  // A new offscreen bitmap for a layer; null when the back end cannot make one.
  virtual std::unique_ptr<APIBitmap> CreateLayerBitmap(int pixelWidth, int pixelHeight, bool cacheable,
                                                       float screenScale, float drawScale) = 0;
  // The layer's pixels, 4 bytes each; the buffer stays short when it cannot grow.
  virtual void ReadLayerPixels(ILayerPtr& layer, TypedBuf<uint8_t>& pixels) = 0;
  // Turns the blurred alpha mask into the shadow and combines it with the layer.
  virtual void CompositeLayerMask(ILayerPtr& layer, const TypedBuf<uint8_t>& mask, const IDropShadow& shadow) = 0;
  // How ReadLayerPixels lays pixels out: bottom row first, and alpha's byte in a pixel.
  virtual bool LayerRowsBottomUp() const = 0;
  virtual int LayerAlphaByteIndex() const = 0;
  // Fills outer with a shadow of inner moved right and down by drop.
  virtual void DrawBoxShadow(const IRECT& /*inner*/, const IRECT& /*outer*/, float /*drop*/, float /*cornerRadius*/,
                             float /*blur*/, const IBlend* /*blend*/) {}
  // Blurs the layer's alpha by the shadow's blur size (a Gaussian, in two
  // passes over the alpha bytes) and hands the mask to CompositeLayerMask.
  // Nothing happens unless ReadLayerPixels answers width x height x 4 bytes.
  virtual void ApplyLayerDropShadow(ILayerPtr& layer, const IDropShadow& shadow);

  // Text (back end); called with non-empty strings. MeasureText writes the
  // text's rectangle into bounds and answers its width.
  virtual float MeasureText(const IText& text, const char* str, IRECT& bounds) = 0;
  virtual void DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr) = 0;
  virtual void DrawTextBlock(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr);

  // Resources, by name. Bitmaps and SVG images stay in two caches that every
  // context of the process shares: a context holds them from construction to
  // destruction, and the last one to go empties them. Handles (IBitmap, ISVG)
  // do not keep an image alive. Loads may run on any thread: each cache locks
  // across a whole load, and a context that needs both locks the bitmap cache
  // first.
  //
  // A bitmap at targetScale (0: the screen scale rounded up to a whole
  // number): the one cached under the name at that scale; else the file
  // SearchScaledBitmap finds, decoded by the back end, else one cached at
  // another scale in the same order. A bitmap made for another scale is
  // kept under its own scale and redrawn for targetScale (ScaleBitmap).
  // Empty for an extension the back end does not support, a bitmap neither
  // found nor cached, or a file that cannot be decoded.
  virtual IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false,
                             int targetScale = 0);
  // As LoadBitmap without a file: one cached under the name at any scale,
  // else the data decoded as a bitmap for scale 1.
  virtual IBitmap LoadBitmapFromData(const char* name, const void* data, int dataSize, int nStates = 1,
                                     bool framesAreHorizontal = false, int targetScale = 0);
  // The cache takes the bitmap, under the name at the bitmap's own scale;
  // one it already holds stays as it is.
  virtual void RetainBitmap(const IBitmap& bitmap, const char* cacheName);
  // Frees the cached bitmap; every handle to it is void from then on.
  virtual void ReleaseBitmap(const IBitmap& bitmap);
  // The bitmap drawn through a layer for that screen scale and cached under
  // the name at it; the context's scales are as before afterwards. Empty when
  // no layer bitmap could be made.
  IBitmap ScaleBitmap(const IBitmap& in, const char* name, int scale);
  // The bitmap's resource loaded again at the screen scale rounded up to a whole number.
  IBitmap GetScaledBitmap(const IBitmap& src);
  // The file of a bitmap for targetScale: "dial.png" at 1, "dial@2x.png" at
  // 2, and so on; when missing, 3, then the scales below, downwards, down to
  // 1 (for 1: 1, 3, 2; for 2: 2, 3, 1; for 4: 4, 3, 2, 1). Answers the
  // resource location (0 none, 1 a file path) with the path and the scale
  // found. ext is the name's extension without its dot.
  int SearchScaledBitmap(const char* name, const char* ext, StrBuf& fullPath, int targetScale, int& sourceScale);
  // The image cached under the name (whatever the units and dpi it was
  // parsed with), else the resource "<name>" of type svg parsed with them.
  // Null when the file is missing or empty or the text is not an SVG document;
  // a file above the reader's size cap (kMaxSvgDocumentBytes) is not read.
  ISVG LoadSVG(const char* name, const char* units = "px", float dpi = 72.f);
  // As LoadSVG with the text given: dataSize characters, or fewer when a NUL
  // comes first (up to the NUL for a dataSize below 1).
  ISVG LoadSVGFromData(const char* name, const char* data, int dataSize, const char* units = "px",
                       float dpi = 72.f);
  // The whole of a regular file that the resource lookup finds under the
  // name and type (with the bundle identifier, the module handle and the
  // shared resources sub-path). Empty when none is found, it cannot be read
  // whole, or it is larger than a buffer holds.
  TypedBuf<uint8_t> LoadResourceFile(const char* name, const char* type);
  // The folder below the user's music folder where shared resources are also looked for.
  void SetSharedResourcesSubPath(const char* path) { mSharedResourcesSubPath.Set(path ? path : ""); }
  const char* GetSharedResourcesSubPath() const { return mSharedResourcesSubPath.Get(); }
  // Decoders (back end): a new bitmap for the scale, which the caller owns
  // (the loads above hand it to the cache); null when it cannot be decoded.
  virtual APIBitmap* LoadBitmapFromFile(const char* path, int scale, int location, const char* ext) = 0;
  virtual APIBitmap* LoadBitmapFromMemory(const char* name, const void* data, int dataSize, int scale) = 0;
  virtual bool IsSupportedBitmapExtension(const char* ext) const = 0;
  // Fonts under an id: the platform makes the font, the back end takes it for
  // drawing and, when it did, the platform caches it. False when either refuses.
  virtual bool LoadFont(const char* fontID, const char* fileNameOrResID);
  virtual bool LoadFontData(const char* fontID, const void* data, int dataSize);
  bool LoadFontByName(const char* fontID, const char* fontName, ETextStyle style = ETextStyle::Normal);
  virtual bool LoadFontFromMemory(const char* fontID, PlatformFont& font) = 0;

  // Platform: the view that shows this context. Attaching lays the editor out
  // through the delegate and answers the view.
  virtual void* AttachEditorView(void* parent) = 0;
  virtual void DetachEditorView() = 0;
  virtual void* PlatformView() = 0;
  virtual bool HasPlatformView() { return PlatformView() != nullptr; }
  virtual void AttachPlatformView(const IRECT& /*bounds*/, void* /*view*/) {}
  virtual void RemovePlatformView(void* /*view*/) {}
  virtual void HidePlatformView(void* /*view*/, bool /*hide*/) {}
  virtual float PlatformWindowScale() const { return 1.f; }
  virtual void ResizePlatformWindow(bool /*needsPlatformResize*/) {}
  virtual void UpdateLayerFramebuffer() {}
  // Runs last in a resize, after the framebuffer update.
  virtual void OnResizeCompleted() {}
  // The pointer's position in this context's coordinates.
  virtual void MousePosition(float& x, float& y) const = 0;
  virtual void HideCursor(bool hide, bool lock) = 0;
  // Puts the pointer at a point of this context; nothing without a platform.
  virtual void MoveCursorTo(float /*x*/, float /*y*/) {}
  // Kinds: 0 the arrow, 5 the diagonal resize cursor, 11 the pointing hand.
  // Answers the kind set before.
  virtual int SetCursor(int kind);
  // A native text field over bounds; its commit comes back to the context.
  virtual void ShowPlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int maxLength,
                                     const char* str) = 0;
  // Closes an open native text field without an answer; nothing by default.
  virtual void EndTextEntry() {}
  // A native menu. Answers the menu with its chosen index set, or null when
  // dismissed; when it sets isAsync the answer comes back later.
  virtual IPopupMenu* ShowPlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) = 0;
  virtual bool ClipboardText(StrBuf& text) = 0;
  virtual bool SetClipboardText(const char* text) = 0;
  virtual bool SetClipboardFile(const char* /*path*/) { return false; }
  virtual bool StartFileDrag(const char* /*path*/, const IRECT& /*iconBounds*/) { return false; }
  virtual bool OpenLink(const char* url) = 0;
  virtual void UpdateTooltips() = 0;
  virtual const char* PlatformName() const { return ""; }
  virtual bool RevealInFinder(const char* /*path*/, bool /*select*/) { return false; }
  virtual const char* BundleIdentifier() const { return ""; }
  virtual const char* AppGroupIdentifier() const { return ""; }
  // The module resources are looked up in; null where bundles serve.
  virtual void* PlatformModuleHandle() const { return nullptr; }
  virtual void ActivateGLContext() {}
  virtual void DeactivateGLContext() {}
  virtual bool IsDarkMode() const { return false; }
  // Platform fonts: from a file or bundle resource (with the bundle identifier
  // and the shared resources folder), from bytes, from the installed fonts;
  // and kept under the id for later lookups. Null when the font cannot be made.
  virtual PlatformFontPtr LoadPlatformFontFromResource(const char* fontID, const char* fileNameOrResID) = 0;
  virtual PlatformFontPtr LoadPlatformFontFromData(const char* fontID, const void* data, int dataSize) = 0;
  virtual PlatformFontPtr LoadPlatformFontByName(const char* fontID, const char* fontName, ETextStyle style) = 0;
  virtual void CachePlatformFont(const char* fontID, PlatformFont& font) = 0;
  // A modal alert titled with the caption; answers the button chosen and also
  // passes it to the completion. Without a platform nothing is shown and the
  // answer is kNoResult.
  virtual EMsgBoxResult ShowAlert(const char* text, const char* caption, EMsgBoxType type,
                                  IMsgBoxCompletionHandlerFunc completion = nullptr);
  // A file dialog starting in `folder` and proposing `fileName`; `extensions`
  // lists the allowed ones separated by spaces. With a completion the dialog
  // answers later, on the main thread; without one it is modal and leaves the
  // chosen path in `fileName` (empty when cancelled) and its folder in
  // `folder`. Without a platform view it only empties `fileName`.
  virtual void ChooseFile(StrBuf& fileName, StrBuf& folder, EFileAction action, const char* extensions,
                          IFileDialogCompletionHandlerFunc completion = nullptr);
  // A folder dialog starting in `folder`; answered as a file dialog is, the
  // chosen folder followed by "/". Without a platform it only empties `folder`.
  virtual void ChooseFolder(StrBuf& folder, IFolderDialogCompletionHandlerFunc completion = nullptr);
  // The platform's colour picker, starting at `color`, answering through
  // func whenever the user picks, possibly after the asker is gone. False
  // when no picker was shown; without a platform none is.
  virtual bool ChooseColor(IColor& color, const char* prompt = "", IColorPickerHandlerFunc func = nullptr);

  // The control tree. The list owns the controls: index 0 is the background,
  // later entries are drawn later and hit-tested first. Tags >= 0 map to
  // controls; -1 is no tag. Special controls of the context itself live
  // outside the list and are walked after it.
  // A duplicate tag (>= 0) leaves the control with the caller and answers null.
  IControl* AttachControl(IControl* control, int tag = -1, const char* group = "");
  // A panel filling the whole context with the pattern, inserted below every
  // other control and not entered in the tag map.
  IControl* AttachPanelBackground(const IPaint& pattern);
  // Backgrounds likewise: the bitmap resource (one frame, scale 0) at the
  // origin, or the SVG resource ("px", 72 dpi) over the whole context.
  IControl* AttachBitmapBackground(const char* fileName);
  IControl* AttachSVGBackground(const char* fileName);
  // Removal deletes the control and forgets every pointer to it: the capture
  // (all touches released), the mouse-over control, a pending menu or text
  // entry, its tag, its children's parent pointers and its place in a container. Then all controls redraw,
  // also when nothing was removed.
  void RemoveControl(IControl* control);
  void RemoveControl(int index);
  // Every control from the last down to fromIndex.
  void RemoveControls(int fromIndex);
  void RemoveControlWithTag(int tag);
  void RemoveAllControls();
  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int index) const { return mControls.Get(index); }
  IControl* GetControlWithTag(int tag) const;
  // The first control in list order with a value linked to the parameter.
  IControl* GetControlWithParamIdx(int paramIdx) const;
  int GetControlTag(const IControl* control) const;
  // Each moves or sizes the control, then redraws everything unless it is hidden.
  void SetControlPosition(IControl* control, float x, float y);
  void SetControlSize(IControl* control, float w, float h);
  void SetControlBounds(IControl* control, const IRECT& bounds);

  // Walks. All-controls walks visit the list, then the special controls
  // present: the frame-time display, the corner resizer, the text entry,
  // the popup menu and the bubbles; standard walks the list only. An empty function throws
  // std::bad_function_call.
  void ForAllControlsFunc(const ControlFunc& func);
  void ForAllControls(void (IControl::*method)());
  void ForAllControls(void (IControl::*method)(bool, int), bool flag, int index);
  void ForStandardControls(const ControlFunc& func);
  // The list controls with a value linked to the parameter; the list form
  // calls func once for every (control, listed parameter) that match.
  void ForMatchingControls(int paramIdx, const ControlFunc& func);
  void ForMatchingControls(const std::vector<int>& paramIndices, const ControlFunc& func);
  void ForMatchingControls(void (IControl::*method)(bool), int paramIdx, bool flag);
  void ForMatchingControls(void (IControl::*method)(bool, int), int paramIdx, bool flag, int index);
  // The list controls whose group is the given non-empty name.
  void ForControlInGroup(const char* group, const ControlFunc& func);
  void SetAllControlsDirty();
  void SetAllControlsClean();
  void HideControl(int paramIdx, bool hide);
  void DisableControl(int paramIdx, bool disable);
  // The corner mark of the controls linked to the parameter (colour index as IControl::SetCornerMark).
  void SetParamHighlight(int paramIdx, bool show, int colorIndex);
  // Each control whose first value is linked takes its parameter's name as tooltip.
  void AssignParamNameToolTips();
  // Every other control linked to the caller's parameter at valIdx takes its value.
  void UpdatePeers(IControl* caller, int valIdx);

  // Every vector control of the list takes the style.
  void StyleAllVectorControls(const IVStyle& style);

  // Built-in controls the context owns apart from the list, walked, drawn
  // and removed with it (see ForAllControlsFunc for their order).
  // The frame-time display over (10, 10, 210, 60), at most one; hiding
  // deletes it. All controls redraw either way.
  void ShowFPSDisplay(bool enable);
  IFPSDisplayControl* GetFPSDisplay() const { return mFPSDisplay.get(); }
  // The corner resizer, at most one: a second is deleted and nothing
  // changes. Attaching one sets what dragging it does and whether the
  // delegate lays the editor out again after each resize.
  void AttachCornerResizer(EUIResizerMode sizeMode = EUIResizerMode::Scale, bool layoutOnResize = false,
                           const IColor& color = kColorTranslucent, const IColor& mouseOverColor = kColorBlack,
                           const IColor& dragColor = kColorBlack, float size = 20.f);
  void AttachCornerResizer(ICornerResizerControl* control, EUIResizerMode sizeMode = EUIResizerMode::Scale,
                           bool layoutOnResize = false);
  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  // Value bubbles: white, outlined in black, with the text's style.
  void AttachBubbleControl(const IText& text = kDefaultText);
  void AttachBubbleControl(IBubbleControl* control);
  int NBubbleControls() const { return mBubbleControls.GetSize(); }
  IBubbleControl* GetBubbleControl(int index) const { return mBubbleControls.Get(index); }
  // Shows text in a bubble beside caller (IBubbleControl::ShowBubble). The
  // first bubble serves, or with multi-touch the bubble already showing for
  // the one touch that holds caller, else the next in turn (counted across
  // every context); nothing unless exactly one touch holds caller then.
  void ShowBubbleControl(IControl* caller, float x, float y, const char* text,
                         EDirection direction = EDirection::Horizontal, const IRECT& minimumContentBounds = IRECT(),
                         uint64_t touchId = kMouseTouchId);

  // Value prompts, popup menus and text entry. A control asks; the context
  // remembers it (one pending menu and one pending text entry, a new request
  // replacing the old), shows the menu or the field in the window when the
  // in-window control is attached, else through the platform, and hands the
  // answer back to that control. An answer with nobody waiting (delivered
  // twice, or for a removed control) is ignored.
  // A menu of the display texts (check mark on the current one) for an enum,
  // or a bool with display texts; otherwise a text entry with the display
  // text. Nothing for a value without a parameter.
  void PromptUserInput(IControl& control, const IRECT& bounds, int valIdx);
  void CreateTextEntry(IControl& control, const IText& text, const IRECT& bounds, const char* str, int valIdx = 0);
  // The finished text: the linked parameter's value at the entry's value
  // index, parsed, constrained and normalised (a value that is not a number
  // is dropped); without a parameter the control's OnTextEntryCompletion.
  void SetControlValueAfterTextEdit(const char* str);
  // The control that the text entry was for is no longer waiting.
  void ForgetTextEntryTarget();
  // Releases the pointer capture first. The answer reaches the control's
  // OnPopupMenuSelection and, for every linked value, ends the parameter edit.
  void CreatePopupMenuFor(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx = 0);
  // The answer to the pending menu: the chosen menu, or null for none.
  void SetPopupMenuResult(IPopupMenu* result);
  // The control fills the context menu (CreateContextMenu); a menu with items
  // is shown at the point and its answer reaches OnContextSelection, ending no edit.
  void PopupContextMenu(IControl* control, float x, float y);
  void PopupContextMenu(int controlIndex, float x, float y);
  // Passes an item of the open menu to the control that asked for it.
  void NotifyPopupMenuItem(IPopupMenu* menu, int itemIndex);
  IControl* GetControlInTextEntry() const { return mInTextEntry; }
  IControl* GetControlInPopupMenu() const { return mInPopupMenu; }
  // Forgets the mouse-over control, the capture and both pending requests.
  void ClearMouseOverState();

  // The in-window popup menu and text-entry controls; at most one of each.
  void AttachPopupMenuControl(const IText& text = kDefaultText, const IRECT& bounds = IRECT());
  void RemovePopupMenuControl();
  void AttachTextEntryControl();
  void RemoveTextEntryControl();
  IPopupMenuControl* GetPopupMenuControl() const { return mPopupMenuControl.get(); }
  ITextEntryControl* GetTextEntryControl() const { return mTextEntryControl.get(); }

  // Pointer capture, one control per touch: the control a press lands on
  // takes the drag and the release. The parameter edits a press begins end
  // at its release, or at the answer of the menu the press opened (the edits
  // of the menu's control); they end at once when neither can come any more:
  // when the capture is released or the touch's capture cleared, and when
  // that menu request is forgotten or replaced unanswered by a context menu or
  // a menu for another control. Another menu for the same control takes them
  // over. A cancelled touch ends none.
  void SetCapturedControl(IControl* control, uint64_t touchId = kMouseTouchId);
  IControl* GetCapturedControl(uint64_t touchId = kMouseTouchId) const;
  bool ControlIsCaptured(const IControl* control) const;
  // Releases every touch and shows a cursor the capture hid.
  void ReleaseMouseCapture();
  // Watches a control through calls that may remove it (a prompt may answer
  // at once, and the answer's action remove its control): Kept answers
  // whether it is still in the tree. Without a context nothing removes it.
  // Watches end in the reverse order of their start.
  class ControlWatch {
  public:
    ControlWatch(IGraphics* graphics, const IControl* control);
    ~ControlWatch();
    ControlWatch(const ControlWatch&) = delete;
    ControlWatch& operator=(const ControlWatch&) = delete;
    bool Kept() const;

  private:
    IGraphics* mGraphics;
    std::size_t mSlot = 0;
  };
  // The control under the pointer and its index in the list (-1 for one
  // outside the list); null and -1 for none.
  void SetMouseOverControl(IControl* control, int index);
  IControl* GetMouseOverControl() const { return mMouseOver; }
  int GetMouseOverIndex() const { return mMouseOverIdx; }
  void EnableMouseOver(bool enable) { mEnableMouseOver = enable; }
  bool MouseOverEnabled() const { return mEnableMouseOver; }
  // Enabling tooltips also enables mouse-over.
  void EnableTooltips(bool enable);
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void EnableMultiTouch(bool enable) { mEnableMultiTouch = enable; }
  bool MultiTouchEnabled() const { return mEnableMultiTouch; }
  // Registered events: the kinds some control or region handles.
  void RegisterEventKind(int kind);
  const std::vector<int>& RegisteredEventKinds() const { return mRegisteredEventKinds; }

  // The pointer as the platform view last reported it.
  void StoreCursorPosition(float x, float y);
  void StoredCursorPosition(float& x, float& y) const;
  bool IsCursorHidden() const { return mCursorHidden; }
  bool IsCursorLocked() const { return mCursorLocked; }
  bool IsTabletInput() const { return mTabletInput; }
  void SetTabletInput(bool tablet) { mTabletInput = tablet; }
  void* GetPlatformContext() const { return mPlatformContext; }
  void SetPlatformContext(void* context) { mPlatformContext = context; }

  // Frames. Each tick of the platform's frame timer runs IsDirty and, when
  // it answers true, SetAllControlsClean and then DrawRects with the list, so
  // a control that marks itself dirty while drawing is drawn again next frame.
  // IsDirty runs the display tick function and the controls' animations, then
  // appends the rectangle of every dirty control, grown by kControlMargin
  // (and kept inside its parent's, grown alike), to rects. True when it appended.
  bool IsDirty(IRECTList& rects);
  // Between BeginFrame and EndFrame, aligned to whole pixels at the backing
  // scale: the list's rectangles aligned and optimised in place, then each
  // drawn as a region; under strict drawing only their bounding box is drawn
  // and the list stays as it was. Nothing for an empty list.
  void DrawRects(IRECTList& rects);
  // One region: every control that reaches into bounds, in walking order (the
  // list, then the special controls), clipped to bounds and its ancestors and
  // drawn under the identity transform. A hidden control is not drawn, unless
  // it is the background at index 0.
  virtual void Draw(const IRECT& bounds, float scale);
  // Runs at the start of every IsDirty.
  void SetDisplayTickFunc(std::function<void()> func) { mDisplayTickFunc = std::move(func); }
  // The region being drawn: set for each control, the clip of SetClipRegion outside layers.
  const IRECT& GetClipRECT() const { return mClipRECT; }

  // Layers: offscreen bitmaps a control draws into once and that are drawn
  // back on later frames. StartLayer makes one over r (pixel-aligned at the
  // backing scale) and draws into it until EndLayer, which hands it to the
  // caller; keep it while CheckLayer answers true. Pushing makes a layer the
  // render target under the identity transform, clipped to its bounds;
  // popping returns to the layer below or the screen. Both leave the
  // transform save stack alone. The stack keeps its storage, so pushing to a
  // depth reached before allocates nothing.
  void StartLayer(IControl* control, const IRECT& r, bool cacheable = false);
  // Null when no layer was started.
  ILayerPtr EndLayer();
  void PushLayer(ILayer* layer);
  // The stack takes the layer, leaving the pointer empty; nothing for an empty pointer.
  void PushOwnedLayer(ILayerPtr& layer);
  // The caller owns the layer popped; null (with target, transform and clip
  // still reset) when the stack is empty.
  ILayer* PopLayer();
  // The newest layer pushed; null when none.
  ILayer* TopLayer() const { return mLayers.empty() ? nullptr : mLayers.back(); }
  // Clips, in untransformed coordinates, to the rectangle within the top
  // layer's bounds (or, without layers, the clip rectangle); all zeros clip
  // to those bounds themselves, a rectangle wholly outside them to nothing.
  // The current transform is kept.
  void SetClipRegion(float l, float t, float r, float b);
  void SetClipRegion(const IRECT& r) { SetClipRegion(r.L, r.T, r.R, r.B); }
  // Whether a kept layer can be drawn back as it is: it has a bitmap made at
  // the current scales, and its control has not moved or resized since it
  // was drawn (a move marks it invalid until a new layer replaces it).
  bool CheckLayer(const ILayerPtr& layer);
  // Where the layer was recorded, whatever the current transform.
  void DrawLayer(const ILayerPtr& layer, const IBlend* blend = nullptr);
  // Scaled into bounds through the current transform.
  void DrawLayerInRect(const ILayerPtr& layer, const IRECT& bounds, const IBlend* blend = nullptr);
  // Turned by degrees about the centre of where it was recorded.
  void DrawLayerRotated(const ILayerPtr& layer, double degrees);

  // Redraw only what is dirty, or everything in the bounding box (strict).
  void SetStrictDrawing(bool strict);
  bool StrictDrawing() const { return mStrictDrawing; }
  // The appearance the platform reports: 1 dark, 0 light.
  void OnAppearanceChanged(int appearance);
  void SetAppearanceChangedFunc(std::function<void(int)> func) { mAppearanceChangedFunc = std::move(func); }
  // The drawing translation a back end applies; 0, 0 here.
  float GetTranslateX() const { return mTranslateX; }
  float GetTranslateY() const { return mTranslateY; }

  // Input. The platform view turns its pointer, wheel, key and drop events
  // into these calls, in unscaled editor units. Main thread only.
  //
  // Hit testing: the list from the last control down (down to 1 for
  // mouse-over, so the background never hovers), skipping hidden and
  // mouse-ignoring controls and disabled ones unless they take that kind of
  // event; -1 for none, and for mouse-over while it is disabled.
  int GetMouseControlIdx(float x, float y, bool mouseOver = false) const;
  // The control that receives an event at the point: the one the touch
  // holds; else the open in-window popup menu, the editing in-window text
  // entry, the corner resizer or the frame-time display under the point
  // (index -1); else the list's. With capture the touch takes it,
  // unless multi-touch is on and another touch holds a control that allows
  // no second capture (then null). With mouseOver its index becomes the
  // mouse-over index.
  IControl* GetMouseControl(float x, float y, bool capture, bool mouseOver = false,
                            uint64_t touchId = kMouseTouchId);

  // Pointer events, one IMouseInfo per touch. A press captures the control
  // for its touch and begins an edit of each linked parameter; a right-click
  // on a control whose value under the point (or first value) has a parameter
  // opens its context menu instead. The release ends the edits and the
  // capture. Drags with no movement are not delivered.
  void OnMouseDown(const std::vector<IMouseInfo>& points);
  void OnMouseUp(const std::vector<IMouseInfo>& points);
  void OnMouseDrag(const std::vector<IMouseInfo>& points);
  // Ends the touches' captures without ending their edits.
  void OnTouchCancelled(const std::vector<IMouseInfo>& points);
  // A control that takes double-clicks as single clicks gets a press;
  // another its double-click, and the capture is released. False when no
  // control is at the point.
  bool OnMouseDoubleClick(float x, float y, const IMouseMod& mod);
  // The pointer moves without a button: the control under it hovers, the one
  // it left leaves. False when no control is at the point.
  bool OnMouseOver(float x, float y, const IMouseMod& mod);
  // The pointer left the view: the arrow shows, every control leaves, and the
  // cursor kind shown before is kept (CursorKind) for when it comes back.
  void OnMouseOut();
  bool OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
  int CursorKind() const { return mCursorType; }

  // Keys: the control at the point (never the background, so the in-window
  // popup menu and text entry take keys while open), then the key handler.
  // False when neither takes the key.
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  void SetKeyHandlerFunc(KeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }
  // The key handler becomes the computer keyboard as a MIDI keyboard: letter
  // keys play notes from a base note, X and Z move the base an octave up or
  // down. Every message goes to the delegate's SendMidiFromEditor, then to
  // func when set. It takes every key, also keys it does not map.
  void SetQwertyMidiKeyHandlerFunc(std::function<void(const IMidiMsg&)> func = nullptr);

  // Files dropped on the control at the point.
  void OnDrop(const char* path, float x, float y);
  void OnDropMultiple(const std::vector<const char*>& paths, float x, float y);

  // Dragging the window's corner, while resizing is in process: in scale mode
  // the editor zooms by how far the pointer is from the corner relative to
  // where the press was; in size mode the pointer gives the new size.
  void OnDragResize(float x, float y);
  void EndDragResize();
  EUIResizerMode GetGUISizeMode() const { return mGUISizeMode; }

  // Registered events: a control that wants them takes them at its point;
  // elsewhere the first region containing the point, whose handler gets no control.
  void AttachEventRegion(const IRECT& bounds, int kind, IControl::EventHandlerFunc handler);
  void ClearEventRegions();
  bool RespondsToRegisteredEvent(float x, float y);
  void OnRegisteredEvent(const IEventInfo& info);

  // The parameter of the first value of the control at the point, kept until
  // taken; -1 when none.
  void NoteParamUnderPoint(float x, float y);
  int TakeLastClickedParam() { return std::exchange(mLastClickedParam, IControl::kNoParameter); }

  // Size and scale. Width and height are unscaled; the window is
  // width x draw scale x platform window scale.
  void Resize(int width, int height, float scale, bool needsPlatformResize);
  void SetScreenScale(float scale);
  void SetLayoutOnResize(bool layoutOnResize) { mLayoutOnResize = layoutOnResize; }
  // The draw scale's range: the smaller and the larger of a and b; a limit
  // that is not a positive number leaves the range as it is.
  void SetScaleLimits(float a, float b);
  float GetMinScale() const { return mMinScale; }
  float GetMaxScale() const { return mMaxScale; }
  // Set while the user drags the window's corner.
  void SetResizingInProcess(bool resizing) { mResizingInProcess = resizing; }
  bool IsResizingInProcess() const { return mResizingInProcess; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int WindowWidth() const;
  int WindowHeight() const;
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetScreenScale() const { return mScreenScale; }
  // Device pixels per editor unit.
  virtual float GetBackingPixelScale() const { return mScreenScale * mDrawScale; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }

  // Drawing primitives: each builds a path through the path slots, beginning
  // with PathClear, and strokes it (with the default stroke style) or fills it
  // (with the default fill style) in a solid paint of the colour. SVG and
  // bitmap placements save the transform and restore it. A back end may
  // replace any.

  // An SVG image scaled by one factor to fit bounds, anchored at its top-left
  // corner. Each visible shape is filled, then stroked; a colour given here
  // replaces that paint. Nothing for an image without a positive finite size.
  virtual void DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* blend = nullptr,
                       const IColor* strokeColor = nullptr, const IColor* fillColor = nullptr);
  // The image fitted into width x height about the centre, turned by angle.
  virtual void DrawRotatedSVG(const ISVG& svg, float centreX, float centreY, float width, float height, double angle,
                              const IBlend* blend = nullptr, const IColor* strokeColor = nullptr,
                              const IColor* fillColor = nullptr);
  virtual void DrawStretchedBitmap(const IBitmap& bitmap, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void DrawRotatedBitmap(const IBitmap& bitmap, float centreX, float centreY, double angle,
                                 const IBlend* blend = nullptr);
  virtual void DrawPoint(const IColor& color, float x, float y, const IBlend* blend = nullptr);
  virtual void DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend = nullptr,
                        float thickness = 1.f);
  virtual void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
                              const IBlend* blend = nullptr, float thickness = 1.f, float dashLength = 2.f);
  virtual void DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const IColor& color, const IRECT& r, const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& r, float radius, const IBlend* blend = nullptr,
                             float thickness = 1.f);
  virtual void DrawRoundRectCorners(const IColor& color, const IRECT& r, float tl, float tr, float br, float bl,
                                    const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend = nullptr,
                          float thickness = 1.f);
  virtual void DrawEllipseInRect(const IColor& color, const IRECT& r, const IBlend* blend = nullptr,
                                 float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
                           const IBlend* blend = nullptr, float thickness = 1.f);
  // Nothing for fewer than one point or a missing array.
  virtual void DrawPolygon(const IColor& color, const float* x, const float* y, int n, const IBlend* blend = nullptr,
                           float thickness = 1.f);
  virtual void DrawDottedRect(const IColor& color, const IRECT& r, const IBlend* blend = nullptr,
                              float thickness = 1.f, float dashLength = 2.f);
  virtual void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlend* blend = nullptr);
  virtual void FillRect(const IColor& color, const IRECT& r, const IBlend* blend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& r, float radius, const IBlend* blend = nullptr);
  virtual void FillRoundRectCorners(const IColor& color, const IRECT& r, float tl, float tr, float br, float bl,
                                    const IBlend* blend = nullptr);
  virtual void FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend = nullptr);
  virtual void FillEllipseInRect(const IColor& color, const IRECT& r, const IBlend* blend = nullptr);
  virtual void FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
                           const IBlend* blend = nullptr);
  // A pie slice from a1 to a2.
  virtual void FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* blend = nullptr);
  virtual void FillPolygon(const IColor& color, const float* x, const float* y, int n, const IBlend* blend = nullptr);
  // Lines every spacing inside r (its own edges not drawn); none in a
  // direction whose spacing is 1 or less.
  virtual void DrawGrid(const IColor& color, const IRECT& r, float spacingX, float spacingY,
                        const IBlend* blend = nullptr, float thickness = 1.f);
  // n normalised values across bounds, 0 at the bottom; the first point sits at
  // the left edge, the others at normX (when given) or evenly spaced. With a
  // fill colour the area under the line is filled first.
  virtual void DrawXYPolyline(const IColor& color, const IRECT& bounds, const float* normY, int n,
                              const float* normX = nullptr, const IBlend* blend = nullptr, float thickness = 1.f,
                              const IColor* fillColor = nullptr);

  // Conveniences for controls, built on the primitives.
  // Text placed by its alignments about the point (x, y).
  void DrawBitmapedTextHelper(const IText& text, const char* str, float x, float y, const IBlend* blend = nullptr);
  // Frame 1 to N of a strip of N frames stacked vertically (or side by side),
  // frame clamped into that range; nothing without a back-end bitmap or for N < 1.
  void DrawBitmapFrame(const IBitmap& bitmap, const IRECT& bounds, int frame, const IBlend* blend = nullptr);
  // Text from a bitmap font whose frames are the characters from the space
  // on (codes below 32 show the space), each in a charWidth x charHeight
  // cell, cells charOffset apart; placed by the text's horizontal alignment,
  // vertically centred or at the top. Single-line text is cut to the cells
  // that fit; multi-line text breaks into lines of as many as fit. Nothing
  // without a back-end bitmap, for no frames, or a cell size not above 0.
  void DrawBitmapedText(const IBitmap& bitmap, const IRECT& bounds, const IText& text, const IBlend* blend,
                        const char* str, bool vCenter, bool multiline, int charWidth, int charHeight,
                        int charOffset);
  void DrawVerticalLine(const IColor& color, float x, float yLo, float yHi, const IBlend* blend = nullptr,
                        float thickness = 1.f);
  void DrawHorizontalLine(const IColor& color, float y, float xLo, float xHi, const IBlend* blend = nullptr,
                          float thickness = 1.f);
  // Across bounds at pos (clamped to 0..1): from the left edge, x truncated to
  // a whole number of units from it; from the bottom edge, y not truncated.
  void DrawVerticalLineAt(const IColor& color, const IRECT& bounds, float pos, const IBlend* blend = nullptr,
                          float thickness = 1.f);
  void DrawHorizontalLineAt(const IColor& color, const IRECT& bounds, float pos, const IBlend* blend = nullptr,
                            float thickness = 1.f);
  // Horizontal: DrawHorizontalLineAt; vertical: DrawVerticalLineAt.
  void DrawLineAcross(const IColor& color, const IRECT& bounds, EDirection direction, float pos,
                      const IBlend* blend = nullptr, float thickness = 1.f);
  // From radius rMin to rMax along the angle (degrees, 0 up, clockwise).
  void DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
                      const IBlend* blend = nullptr, float thickness = 1.f);
  void PathRadialLine(float cx, float cy, float angle, float rMin, float rMax);

  // Text unless str is null or empty; MeasureTextIfNotEmpty then answers 0.
  void DrawTextIfNotEmpty(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr);
  float MeasureTextIfNotEmpty(const IText& text, const char* str, IRECT& bounds);
  // For text at an angle: rect becomes the bounding box of itself turned by
  // the angle about the origin, and (dx, dy) the move that places it in
  // bounds by the alignments. Nothing changes at angle 0.
  void ComputeRotatedTextOffset(const IText& text, const IRECT& bounds, IRECT& rect, double& dx, double& dy) const;
  void MeasureRotatedText(const IText& text, const IRECT& bounds, IRECT& rect) const;

  // The current transform and its save stack. Each operation but Save ends
  // with SetTransform; Restore on an empty stack does nothing at all. The
  // stack keeps its storage, so saving at a depth reached before allocates
  // nothing; Reset(true) frees it.
  void PathTransformSave();
  void PathTransformRestore();
  void PathTransformReset(bool clearStates = false);
  void PathTransformTranslate(float x, float y);
  void PathTransformScale(float sx, float sy);
  void PathTransformScale(float s);
  void PathTransformRotate(float degrees);
  void PathTransformSkew(float xDegrees, float yDegrees);
  void PathTransformMatrix(const ITransform& m);
  const ITransform& GetTransform() const { return mTransform; }
  int TransformStackDepth() const { return static_cast<int>(mTransformStack.size()); }

  // Path builders: they add to the current path (closed shapes end with
  // PathClose) and neither stroke nor fill. Radii are used as given, never
  // clamped; with no radius above 0 a rounded rectangle is the plain one.
  void PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3);
  void PathRect(const IRECT& r);
  void PathRoundRect(const IRECT& r, float tl, float tr, float br, float bl);
  void PathRoundRect(const IRECT& r, float radius);
  void PathPolygon(const float* x, const float* y, int n);
  void PathCircle(float cx, float cy, float r);
  void PathEllipse(const IRECT& r);
  // A unit circle drawn through a transform; nothing for a radius not above 0.
  void PathEllipse(float x, float y, float r1, float r2, float angle = 0.f);

protected:
  // A back end's own bitmap cache works as the shared one: the caller holds
  // the storage's lock (StaticStorage::Accessor). Find compares the scale
  // exactly; Add takes the bitmap without looking for a duplicate, and false
  // means the storage could not grow and freed it.
  static APIBitmap* FindCachedBitmap(StaticStorage<APIBitmap>& storage, const char* name, double scale);
  static bool AddCachedBitmap(StaticStorage<APIBitmap>& storage, std::unique_ptr<APIBitmap> bitmap,
                              const char* name, double scale);
  // A bitmap cached under the name at the scales SearchScaledBitmap tries, in its order.
  static APIBitmap* SearchBitmapInCache(StaticStorage<APIBitmap>& storage, const char* name, int targetScale,
                                        int& sourceScale);

  // The screen scale rounded up to a whole number, at least 1.
  int WholeScreenScale() const;

  // What dragging the corner does; set with the corner resizer.
  void SetGUISizeMode(EUIResizerMode mode) { mGUISizeMode = mode; }

  // Set by the platform's HideCursor.
  bool mCursorHidden = false;
  bool mCursorLocked = false;

private:
  // Gives the control this context and the delegate, then OnInit, OnResize, OnRescale.
  void WireControl(IControl* control);
  // Wires the control and puts it first in the list, outside the tag map;
  // deleted (and null answered) when the list cannot grow.
  IControl* InsertBackground(IControl* control);
  // This context as a user of the shared bitmap and SVG caches.
  static void RetainResourceCaches();
  static void ReleaseResourceCaches();
  // A bitmap made for another scale than targetScale is kept (when just
  // decoded) and redrawn for targetScale; one for targetScale is kept when
  // just decoded. Empty when it cannot be kept.
  IBitmap FinishBitmapLoad(APIBitmap* bitmap, bool decoded, const char* name, int nStates, bool framesAreHorizontal,
                           int targetScale);
  // Forgets every pointer to a control about to be deleted.
  void ForgetControl(IControl* control);
  void DeleteControlAt(int index);
  void DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx, bool isContext);
  // Empties the prompt menu for its next use, its completion function too.
  void ResetPromptMenu();
  void ForgetPopupMenuRequest();
  // The special controls present, in walking order.
  void ForSpecialControls(const ControlFunc& func);
  void RemoveFPSDisplay();
  void RemoveCornerResizer();
  void RemoveBubbleControls();
  bool OnKey(float x, float y, const IKeyPress& key, bool isUp);
  // The in-window control that takes the pointer before the list; null when none.
  IControl* InWindowControlAt(float x, float y) const;
  // The first event region containing the point; -1 when none.
  int EventRegionAt(float x, float y) const;
  // The parameters linked to the control's values, in value order.
  static std::vector<int> LinkedParams(const IControl& control);
  void EndParamEdits(const std::vector<int>& params);
  // The edits the touch's press began and that are still open; they are no
  // longer kept.
  std::vector<int> TakePressEdits(uint64_t touchId);
  void ResizeWindowThroughDelegate(bool needsPlatformResize);
  bool LoadPlatformFont(const char* fontID, PlatformFontPtr font);
  void SetCurrentTransform(const ITransform& transform);
  void DrawControl(IControl* control, const IRECT& bounds, float scale);
  void PrepareRegion(const IRECT& clip);
  // A layer with a bitmap and bounds of some size; anything else draws nothing.
  static bool IsDrawable(const ILayerPtr& layer);
  void Stroke(const IColor& color, float thickness, const IBlend* blend, const IStrokeStyle& style = {});
  void Fill(const IColor& color, const IBlend* blend, const IFillStyle& style = {});
  void DrawSVGShape(const SvgShape& shape, const IBlend* blend, const IColor* strokeColor, const IColor* fillColor);

  // The control tree.
  PtrList<IControl> mControls{kControlListGranularity};
  std::unordered_map<int, IControl*> mTagMap;

  // Size and scale.
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  float mMinScale = kDefaultMinDrawScale;
  float mMaxScale = kDefaultMaxDrawScale;
  bool mLayoutOnResize = false;
  bool mResizingInProcess = false;

  // Special controls, outside the list.
  std::unique_ptr<ICornerResizerControl> mCornerResizer;
  PtrList<IBubbleControl> mBubbleControls{kControlListGranularity};
  std::unique_ptr<IPopupMenuControl> mPopupMenuControl;
  std::unique_ptr<IFPSDisplayControl> mFPSDisplay;
  std::unique_ptr<ITextEntryControl> mTextEntryControl;

  // Pending requests.
  IPopupMenu mPromptPopupMenu;
  IControl* mInTextEntry = nullptr;
  int mTextEntryValIdx = -1;
  IControl* mInPopupMenu = nullptr;
  int mPopupMenuValIdx = -1;
  bool mIsContextMenu = false;
  // Whose menu the in-window popup menu shows last, answered or not: its
  // panels read that menu until they have faded out.
  IControl* mInWindowMenuOwner = nullptr;
  // The edits of the press that opened the pending menu, or a menu it
  // replaced for the same control, ended with its answer.
  std::vector<int> mMenuEdits;

  // Pointer and keys.
  std::unordered_map<uint64_t, IControl*> mCapturedMap;
  // The edits each touch's press began, until they end.
  std::map<uint64_t, std::vector<int>> mPressEdits;
  // Controls being watched through a call that may remove them; null once removed.
  std::vector<const IControl*> mWatchedControls;
  IControl* mMouseOver = nullptr;
  int mMouseOverIdx = -1;
  bool mEnableMouseOver = false;
  bool mEnableTooltips = false;
  bool mEnableMultiTouch = false;
  std::vector<int> mRegisteredEventKinds;
  IRECTList mEventRegions;
  std::unordered_map<int, IControl::EventHandlerFunc> mEventRegionHandlers;
  KeyHandlerFunc mKeyHandlerFunc;
  // Where the last single-point press was; -1 until one.
  float mMouseDownX = -1.f;
  float mMouseDownY = -1.f;
  EUIResizerMode mGUISizeMode = EUIResizerMode::Scale;
  int mLastClickedParam = IControl::kNoParameter;

  // Platform.
  IGEditorDelegate* mDelegate;
  StrBuf mSharedResourcesSubPath;
  int mCursorType = 0;  // the arrow
  float mCursorX = 0.f;
  float mCursorY = 0.f;
  bool mTabletInput = false;
  void* mPlatformContext = nullptr;
  std::function<void(int)> mAppearanceChangedFunc;

  // Drawing.
  bool mStrictDrawing = false;
  double mPrevTimestamp = 0.0;  // seconds since the frame-time base, when the last frame began
  float mTranslateX = 0.f;
  float mTranslateY = 0.f;
  ITransform mTransform;
  IRECT mClipRECT;
  std::function<void()> mDisplayTickFunc;
  // Not owning: whoever pops a layer owns it. Those never popped go with the context.
  std::vector<ILayer*> mLayers;
  std::vector<ITransform> mTransformStack;
};

}  // namespace plugkit::graphics
