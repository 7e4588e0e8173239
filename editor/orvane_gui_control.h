#pragma once

// The one control that shows and edits the whole design. It keeps its own
// copies of everything it shows, so drawing never touches the plug-in's
// records: every edit changes these copies at once, refreshes the effective
// values and the plot flags, and is reported through one of the callbacks.
// The plug-in core pushes whole-design refreshes and the preset bar into it.
// Main thread only.
//
// Hit rectangles are written by the last frame drawn and read by the input
// handlers; an all-zero rectangle marks an element that is not shown.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/popup_menu.h"
#include "design/controls_script.h"
#include "editor/plot_model.h"
#include "engine/dna_table.h"
#include "engine/engine_settings.h"
#include "engine/plot_data.h"
#include "graphics/control.h"
#include "graphics/graphics_types.h"
#include "graphics/layer.h"
#include "plugin/dialog_completions.h"
#include "plugin/state/plugin_state.h"

namespace orvane {

struct MainPanelLayout;

using plugkit::IKeyPress;
using plugkit::IPopupMenu;
using plugkit::graphics::IColor;
using plugkit::graphics::IControl;
using plugkit::graphics::IGraphics;
using plugkit::graphics::ILayerPtr;
using plugkit::graphics::IRECT;
using plugkit::graphics::IMouseMod;
using plugkit::graphics::IText;

inline constexpr int kMidiCCCount = 128;
// The positions of the two-state switches as their animations hold them.
inline constexpr float kSwitchOn = 1.f;
inline constexpr float kSwitchOff = 0.f;
inline constexpr int kPreampPlotCount = 2;  // the linear and the non-linear preamp plot
inline constexpr int kStageSelectorSetCount = 2;

// The script editor never makes the script longer than this; a longer script
// pushed by the plug-in core is kept, and nothing more can be typed into it.
inline constexpr std::size_t kScriptMaxBytes = 16384;

// What the name and description fields show while their text is empty: the
// PLAY view's title, the EDIT view's design name, the description.
inline constexpr char kNamePlaceholder[] = "<No title>";
inline constexpr char kDesignNamePlaceholder[] = "<Design name>";
inline constexpr char kDescriptionPlaceholder[] = "<Design description>";

// One wrapped row of the script editor.
struct ScriptRow {
  std::size_t start = 0;       // byte offset into the script
  std::size_t length = 0;      // bytes
  std::size_t lineNumber = 1;  // logical line, from 1
};

// Whether (x, y) lies in r: L <= x < R and T <= y < B. A rectangle left all
// zero by drawing, an element not shown, contains nothing.
inline bool RectContains(const IRECT& r, float x, float y) { return r.Contains(x, y); }

// A DNA byte from a percentage: clamp(p, 0, 100) * 255 / 100, halves rounded
// away from zero (90 % gives 230). A percentage that is not a number gives 0.
std::uint8_t DnaByteFromPercent(double percent);

class OrvaneGUIControl : public IControl {
public:
  using VoidFunc = std::function<void()>;
  using BoolFunc = std::function<void(bool)>;
  using IndexBoolFunc = std::function<void(int, bool)>;
  using IntFunc = std::function<void(int)>;
  using IndexValueFunc = std::function<void(int, double)>;
  using DnaByteFunc = std::function<void(int, unsigned char)>;
  using StageCopyFunc = std::function<void(int, int)>;
  using PreampStageDnaFunc = std::function<void(int, const std::array<unsigned char, kPreampRowsPerStage>&)>;
  using ToneStackDnaFunc = std::function<void(const std::array<unsigned char, 16>&)>;
  using PowerAmpDnaFunc = std::function<void(const std::array<unsigned char, 13>&)>;
  using GainFunc = std::function<void(bool, double)>;
  using TextFunc = std::function<void(const std::string&)>;
  using MidiCcStateFunc = std::function<std::uint64_t(int)>;
  using SampleRateFunc = std::function<double()>;
  using PlayerValuesFunc = std::function<void(std::span<const PlayerValueChange>)>;

  // Numeric text-entry fields: the two trims, then the bypass trims of
  // sections 0 to 5 from kEditFieldFirstBypassTrim on.
  enum EditField : std::int32_t {
    kEditFieldNone = -1,
    kEditFieldInputTrim = 0,
    kEditFieldOutputTrim = 1,
    kEditFieldFirstBypassTrim = 2,
  };
  static constexpr std::int32_t kNoDrag = -1;
  static constexpr std::int32_t kNoPlotMenu = -1;

  OrvaneGUIControl(const IRECT& bounds, std::string designName, std::string designDescription,
                   VoidFunc openDesign, VoidFunc saveDesign, VoidFunc saveDesignAs, BoolFunc playerViewChanged,
                   BoolFunc amplifierEnabledChanged, IndexBoolFunc sectionEnabledChanged,
                   IntFunc toneStackPositionChanged, IndexValueFunc sectionTrimChanged, IntFunc oversamplingChanged,
                   DnaByteFunc dnaByteChanged, StageCopyFunc copyPreampStage, PreampStageDnaFunc preampStageDnaChanged,
                   ToneStackDnaFunc toneStackDnaChanged, PowerAmpDnaFunc powerAmpDnaChanged,
                   IndexValueFunc knobChanged, GainFunc gainChanged, const DnaBytes& dna, const AmpKnobs& knobs,
                   int oversampling, std::string script, std::vector<double> playerValues, TextFunc scriptChanged,
                   IndexValueFunc playerControlChanged, MidiCcStateFunc midiCcState, SampleRateFunc sampleRate,
                   TextFunc designNameChanged, TextFunc designDescriptionChanged, VoidFunc previousPreset,
                   VoidFunc nextPreset, IntFunc selectPreset, VoidFunc showFactoryPresets, VoidFunc showUserPresets,
                   VoidFunc newDesign, bool playerView, double inputGainDb, double outputGainDb);

  // The whole editor in proportion to its rectangle: background, header, the
  // PLAY view's player controls or the EDIT view's main panel, and the
  // footer. Every clickable element's rectangle of this frame is recorded;
  // drawing never marks the control dirty.
  void Draw(IGraphics& g) override;

  // Pointer input against the hit rectangles of the last frame, tried in a
  // fixed order so that the first element under the pointer wins. A press
  // always redraws; a drag, a wheel turn or a hover redraws only what it
  // changed. A double click arrives as a second single click.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  // A delta of 0 or one that is not finite does nothing.
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;
  // The pointing hand over the logo and, in the EDIT view, over the preset
  // name and index; the arrow elsewhere and on leaving.
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;
  // The control covers the whole graphics area.
  void OnResize() override;

  // Entry points of the plug-in core and the idle tick.
  void SetPresetBrowserState(bool factoryShown, bool activeIsFactory, int activeIndexFrom1, int entryCount,
                             bool modified, bool folderExists, std::string presetLabel,
                             std::vector<std::string> entryNames);
  // Adopts a new script: parses it, fits the values to its controls and
  // refreshes the effective amplifier. The player rows of the last frame no
  // longer name these controls, so they are forgotten until the next frame.
  void SetScriptText(const std::string& script, const std::vector<double>& playerValues);
  // Effective DNA, knobs and sections from the design copies through the
  // script's mappings; raises the flags of the plots whose inputs changed.
  void RefreshEffectiveAmp();
  // Idle work: controllers, the three animations, the host rate, then at most
  // one visible dirty plot recomputed (EDIT view only).
  void UpdatePlots();
  void ApplyMidiCCToPlayerControls();

  // Editing operations of the input handlers, the keyboard and the menus.
  // Each applies the edit to the copies, reports it through its callback and
  // marks the control dirty; an edit that changes nothing does nothing.
  void SetGainFromEditor(bool input, double gainDb);
  void SetTrimFromEditor(int section, double gainDb);
  void SetKnobValue(int knob, double value);
  void SetKnobFromPosition(int knob, float x);
  // row: an index into the DNA rows of the last frame.
  void SetDnaRowPercent(int row, double percent);
  void SetDnaRowFromPosition(int row, float x);
  // control: an index into the parsed script's controls.
  void SetPlayerControlValue(int control, double value);
  // row: an index into the player rows of the last frame.
  void SetPlayerControlFromPosition(int row, float x);
  void ScrollPlayerControls(int rows);
  void ClonePreampStage(int destinationStage, int sourceStage);

  // Keyboard entry, tried in this order: the numeric field being edited, the
  // name field, the description field, then (EDIT view only) the script
  // editor. True when one of them took the key; a key that changes a text, a
  // caret, a focus or the scroll position redraws the control.
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  // Numeric entry of a trim field, starting empty; the name, the description
  // and the script lose the focus.
  void BeginGainFieldEdit(bool input);
  void BeginTrimFieldEdit(int section);
  // Ends the numeric entry. Its text is applied only when the whole of it
  // reads as one finite number (with a '.' whatever the process's locale).
  void CommitNumericEntry();
  void CommitDesignName();
  void CommitDesignDescription();

  // The script editor. Inserted text is made UTF-8 (each ill-formed sequence
  // becomes U+FFFD), replaces the whole script while select-all is set, and
  // is cut on a character boundary so that the script stays within
  // kScriptMaxBytes; the script is reported even when nothing fitted.
  void InsertScriptText(const char* text);
  // Reports the script, rewraps it and brings the caret into view.
  void CommitScript();
  // The row table from the text and the metrics the last frame wrote.
  void WrapScriptLines();
  // Moves the first visible row just enough to show the caret's row.
  void ScrollScriptToCaret();
  // Moves the first visible row by `rows`, kept within the rows that can
  // stand first (0 only keeps it there); true when it moved.
  bool ScrollScriptRows(std::int64_t rows);
  // The row the caret stands on: a caret at the start of a wrapped row counts
  // on that row, not at the end of the one before.
  std::size_t ScriptCaretRow() const;
  // The "Script" menu's actions. Copying answers whether the clipboard took
  // the text.
  void NewBlankScript();
  bool CopyScriptToClipboard();
  void PasteScriptFromClipboard();
  static std::size_t NextCharacterBoundary(const std::string& text, std::size_t position);

  // Drawing routines, in view points. The rows append their bar rectangles
  // to the hit lists (mDnaRowRects with mDnaRowIndexes, mKnobTrackRects),
  // which the caller empties before a frame's rows. Numbers are written in
  // the C locale.
  void DrawDnaRow(IGraphics& g, const IRECT& r, int index, const IText& style);
  void DrawKnobRow(IGraphics& g, const IRECT& r, const char* label, int knob, const IText& style);
  void DrawPanelFrame(IGraphics& g, const IRECT& r, const char* title, const IText& titleStyle) const;
  // Without its own colours an active tab is filled in the accent colour and
  // labelled in palette entry 8, or in white when it has an active fill.
  void DrawTabButton(IGraphics& g, const IRECT& r, const char* label, bool active, const IText& style, bool struck,
                     std::optional<IColor> activeFill = {}, std::optional<IColor> inactiveFill = {},
                     std::optional<IColor> activeTextColour = {}) const;
  // The footer's build line, right-aligned, shrunk until it fits.
  void DrawVersionLine(IGraphics& g, const IRECT& editor, float gap, float margin, float scale) const;

  // The player controls in `area` with the insets kept free, or a message
  // when the script is valid and declares no control (then no panel, row or
  // scrollbar rectangle is left).
  void DrawUserControlsPanel(IGraphics& g, const IRECT& area, const IText& style, float topInset, float bottomInset,
                             float sideInset);
  // One row per control from mPlayerScrollOffset on (clamped to the controls
  // and kept, without a redraw), with a scrollbar while not all rows fit.
  // Replaces the player rows, tracks, row controls and scrollbar rectangles
  // with those drawn; draws nothing while the script has an error.
  void DrawPlayerControls(IGraphics& g, const IRECT& panel, const IText& style, float minRowHeight,
                          float maxRowHeight, float gap);

  // The EDIT view between the header and the footer: the DNA and knob
  // editors, the script editor with its status line, the player controls,
  // the plot toggles and the visible plots, each plot drawn from its layer,
  // which is redrawn only when invalid, moved or of the other theme.
  void DrawMainPanel(IGraphics& g, const IRECT& editor, float headerHeight, float gap, float margin,
                     const IText& labelStyleA, const IText& labelStyleB, const IText& smallStyle,
                     const IText& titleStyle);

  // The header band of both views on the header grid (editor: the whole
  // editor rectangle; headerHeight: the band's height), with every hit
  // rectangle of its clickable elements. The tone-stack arrow not shown gets
  // an empty rectangle; elements of the other view keep theirs.
  void DrawHeader(IGraphics& g, const IRECT& editor, float headerHeight);

  // Header widgets; each records its hit rectangle. The switches take their
  // animation values (outside 0..1 clamped): the amplifier and view thumbs
  // stand in the upper half at 1, the theme thumb in the lower half.
  void DrawOnOffSwitch(IGraphics& g, const IRECT& r, bool on, const IText& style, float animation);
  void DrawViewSwitch(IGraphics& g, const IRECT& r, bool playView, const IText& style, float animation);
  void DrawThemeSwitch(IGraphics& g, const IRECT& r, bool dark, float animation);
  // The PLAY view's trim field, placed on the header's grid by the control's width.
  void DrawGainField(IGraphics& g, bool input, float top, float bottom);
  void DrawGainBox(IGraphics& g, bool input, const IRECT& r);
  void DrawTrimField(IGraphics& g, int section, const IRECT& r);
  void DrawNameField(IGraphics& g, const IRECT& r, float fontSize, const char* placeholder = kNamePlaceholder);
  void DrawDescriptionField(IGraphics& g, const IRECT& r, float fontSize,
                            const char* placeholder = kDescriptionPlaceholder);

  // The plots, each drawn into its panel (which the main panel fills,
  // outlines and caches in the plot's layer). The preamp and transfer drawers
  // draw nothing while their curves are not valid. The two preamp plots record
  // their stage chips as their legend's curve toggles, all zero when no chip
  // is drawn. The tone-stack and power-amp drawers take their curves with one
  // colour each and stroke the curve at `highlight` wider (-1: none).
  void DrawPreampLinearPlot(IGraphics& g, const IRECT& panel, const IText& style);
  void DrawToneStackPlot(IGraphics& g, const IRECT& panel, const IText& style,
                         std::span<const FrequencyCurve* const> curves, std::span<const IColor> colours,
                         const char* name, int highlight);
  void DrawPowerAmpLinearPlot(IGraphics& g, const IRECT& panel, const IText& style,
                              std::span<const FrequencyCurve* const> curves, std::span<const IColor> colours,
                              const char* name, int highlight);
  void DrawPreampNonLinearPlot(IGraphics& g, const IRECT& panel, const IText& style);
  void DrawPowerAmpNonLinearPlot(IGraphics& g, const IRECT& panel, const IText& style);

  // The DNA index that a row of the last frame edits (a preamp row edits the
  // selected stage); -1 when there is none.
  int DnaIndexOfRow(int row) const;
  bool IsPlotDirty(PlotKind kind) const { return mPlotDirty[EditorPlotOf(kind)]; }
  // Marks a plot's kept layer for redrawing (nothing to mark before one is
  // kept). Drawing, which redraws the layer in the same pass, passes false;
  // every other caller has the control redrawn.
  void InvalidatePlotLayer(int plot, bool markDirty = true);

  // Plot datasets: a plot's curves (and its shown reference) put on the
  // clipboard as text, and a reference dataset read from a file the user
  // picks. A failure is shown in an alert; a failed load keeps the old
  // reference. Nothing happens without a graphics context.
  void CopyPlotDataset(int plot);
  void PromptForPlotReference(int plot);
  // fileName: absolute, or relative to folder when that is not empty; an
  // empty name loads nothing.
  void LoadPlotReference(int plot, const std::string& fileName, const std::string& folder);

  // Popup menus, filled anew at each opening and shown at (x, y); nothing
  // without a graphics context. The preamp menu is for mSelectedStage (none
  // while that names no stage). A choice acts only in the menu it was made
  // in, and only once per opening; a dismissed menu leaves its opening
  // pending until its next choice.
  void ShowScriptMenu(float x, float y);
  void ShowPlotMenu(int plot, float x, float y);
  void ShowPreampMenu(float x, float y);
  void ShowToneStackMenu(float x, float y);
  void ShowPowerAmpMenu(float x, float y);
  void ShowPresetsMenu(float x, float y);
  void OnPopupMenuSelection(IPopupMenu* menu, int valIdx) override;

  // Section presets, written into the design DNA and reported through the
  // section's callback; a preset that changes nothing, or an argument out of
  // range, does nothing.
  void ApplyPreampStagePreset(int stage, int preset);
  void ResetToneStackDna();
  void ApplyPowerAmpPreset(int preset);
  // A section of the effective DNA put on the clipboard as text (empty for a
  // count below 1); a refused write is not reported.
  void CopySectionDna(int offset, int count);
  // The clipboard's text written into the design DNA at offset and reported
  // to target (a DnaSection) with the section's bytes. Offset and count must
  // be the target's whole section, a preamp stage's for the preamp target;
  // text that is not exactly `count` bytes changes nothing.
  void PasteSectionDna(int offset, int count, int target);

  // Fields, in the order the editor's parts know them. The plug-in core writes
  // some directly (name, description and carets, section flags, bypass trims,
  // design DNA and knobs, oversampling, tone-stack position, trims, amplifier
  // and view flags with their animations, the design-file label), each write
  // followed by MarkDirty(false).
  std::string mDesignName;
  std::string mDesignDescription;
  std::string mEditBuffer;
  std::int32_t mEditField = kEditFieldNone;
  std::int32_t mEditCaret = 0;
  IRECT mNameRect;
  IRECT mDescriptionRect;
  IRECT mPresetNameRect;
  IRECT mOpenRect;
  IRECT mNewRect;
  IRECT mSaveRect;
  IRECT mSaveAsRect;
  IRECT mPreviousPresetRect;
  IRECT mPresetIndexRect;
  IRECT mNextPresetRect;
  IRECT mFactoryTabRect;
  IRECT mUserTabRect;
  std::uint64_t mNameCaret = 0;
  bool mNameFocused = false;
  std::uint64_t mDescriptionCaret = 0;
  bool mDescriptionFocused = false;

  // Callbacks, in declaration order.
  TextFunc onDesignNameChanged;
  TextFunc onDesignDescriptionChanged;
  VoidFunc onPreviousPreset;
  VoidFunc onNextPreset;
  IntFunc onSelectPreset;
  VoidFunc onShowFactoryPresets;
  VoidFunc onShowUserPresets;
  VoidFunc onNewDesign;
  VoidFunc onOpenDesign;
  VoidFunc onSaveDesign;
  VoidFunc onSaveDesignAs;
  BoolFunc onPlayerViewChanged;
  BoolFunc onAmplifierEnabledChanged;
  IndexBoolFunc onSectionEnabledChanged;
  IntFunc onToneStackPositionChanged;
  IndexValueFunc onSectionTrimChanged;
  IntFunc onOversamplingChanged;
  DnaByteFunc onDnaByteChanged;
  StageCopyFunc onCopyPreampStage;
  PreampStageDnaFunc onPreampStageDnaChanged;
  ToneStackDnaFunc onToneStackDnaChanged;
  PowerAmpDnaFunc onPowerAmpDnaChanged;
  IndexValueFunc onKnobChanged;
  GainFunc onGainChanged;
  TextFunc onScriptChanged;
  IndexValueFunc onPlayerControlChanged;
  // The player values that the controllers moved in one poll, all at once,
  // so the plug-in publishes them together; the layout sets it.
  PlayerValuesFunc onPlayerControlsChanged;
  MidiCcStateFunc getMidiCcState;
  SampleRateFunc getSampleRate;

  // The script editor and the player controls.
  std::string mScriptText;
  std::uint64_t mScriptCaret = 0;
  bool mScriptFocused = true;
  bool mScriptSelectAll = false;
  ParsedControlsScript mParsedScript;
  std::vector<double> mPlayerValues;
  std::array<std::uint64_t, kMidiCCCount> mLastMidiCounters{};
  std::vector<IRECT> mPlayerRowRects;
  std::vector<IRECT> mPlayerTrackRects;
  std::vector<std::int32_t> mPlayerRowControls;
  IRECT mScriptRect;
  float mScriptTextLeft = 0.f;
  float mScriptCharWidth = 0.f;
  float mScriptLineHeight = 18.f;
  std::int32_t mScriptFirstLine = 0;
  std::vector<ScriptRow> mScriptRows;
  IRECT mPlayerPanelRect;
  IRECT mPlayerScrollTrackRect;
  IRECT mPlayerScrollThumbRect;
  float mPlayerScrollGrab = 0.f;
  bool mPlayerScrollDragging = false;
  // "Roboto-Regular", 14, centred both ways; the script area's drawing sets it.
  IText mTextStyle;

  // The plots: curves, cached layers with the rectangle and theme each was
  // drawn for, and the round robin of the idle tick (all indexed by PlotKind
  // except mPlotDirty).
  double mPlotSampleRate = 48000.0;
  PlotData mPlotData;
  std::array<ILayerPtr, kPlotKindCount> mPlotLayers;
  std::array<IRECT, kPlotKindCount> mPlotLayerRects;
  std::array<bool, kPlotKindCount> mPlotLayerDarkTheme{};
  std::int32_t mNextPlot = 0;
  double mLastSampleRate = 48000.0;
  std::array<bool, kPlotKindCount> mPlotDirty{true, true, true, true, true};  // EditorPlot order

  // The amplifier as edited (design) and after the script's mappings (effective).
  DnaBytes mEffectiveDna{};
  AmpKnobs mEffectiveKnobs{};
  DnaBytes mDesignDna{};
  AmpKnobs mDesignKnobs{};
  std::array<bool, kDnaSize> mDnaMapped{};
  std::array<bool, kAmpKnobCount> mKnobMapped{};
  std::int32_t mOversampling = 1;
  std::int32_t mToneStackPosition = 4;
  std::int32_t mSelectedStage = 0;
  std::int32_t mDragDnaRow = kNoDrag;
  std::int32_t mDragKnob = kNoDrag;
  std::int32_t mDragPlayerControl = kNoDrag;
  std::int32_t mPlayerScrollOffset = 0;
  double mInputGainDb = 0.0;
  double mOutputGainDb = 0.0;
  bool mPlayerView = true;
  bool mAmplifierEnabled = true;
  float mThemeAnimation = 0.f;      // 1 dark
  float mViewAnimation = 0.f;       // 0 in PLAY view, 1 in EDIT view
  float mAmplifierAnimation = 1.f;  // 1 on, 0 off
  std::int32_t mPlotMenuIndex = kNoPlotMenu;

  // The preset bar.
  bool mFactoryPresetsShown = true;
  bool mActivePresetIsFactory = false;
  bool mPresetModified = false;
  bool mPresetFolderExists = false;
  std::vector<std::string> mPresetNames;
  std::string mActivePresetName;
  std::int32_t mActivePresetIndex = 0;
  std::int32_t mPresetCount = 0;
  std::string mDesignFileLabel;

  // Popup menus: a pending flag per menu from its opening to the choice that
  // consumes it, and the section-preset sub-menus of the latest openings
  // (owned by their parent menus' items).
  bool mPresetsMenuPending = false;
  bool mScriptMenuPending = false;
  bool mPreampMenuPending = false;
  bool mToneStackMenuPending = false;
  bool mPowerAmpMenuPending = false;
  std::int32_t mPreampMenuStage = 0;
  IPopupMenu mPlotMenu{"Plot"};
  IPopupMenu mPresetsMenu{"Presets"};
  IPopupMenu mScriptMenu{"Script"};
  IPopupMenu mPreampMenu{"Preamp DNA"};
  IPopupMenu mToneStackMenu{"Tone Stack DNA"};
  IPopupMenu mPowerAmpMenu{"Power Amp DNA"};
  IPopupMenu* mPreampPresetMenu = nullptr;
  IPopupMenu* mToneStackPresetMenu = nullptr;
  IPopupMenu* mPowerAmpPresetMenu = nullptr;

  std::array<IRECT, kPlotKindCount> mPlotRects;
  std::array<PlotSeries, kPlotKindCount> mPlotReferences;
  std::array<bool, kPlotKindCount> mPlotReferenceShown{true, true, true, true, true};
  AmpSections mEffectiveSections{true, true, true, true, true, true};
  AmpSections mDesignSections{true, true, true, true, true, true};
  AmpBypassGains mBypassGainDb{};
  std::array<bool, kPlotKindCount> mPlotVisible{true, true, true, true, true};
  // [0] the linear preamp plot's legend, [1] the non-linear one's; by stage.
  std::array<std::array<bool, kPreampStageCount>, kPreampPlotCount> mPreampCurveVisible{
      {{true, true, true, true}, {true, true, true, true}}};

  // Hit rectangles of the header, the section chain and the main panel.
  IRECT mLogoRect;
  IRECT mViewSwitchRect;
  IRECT mOversamplingRect;
  IRECT mAmplifierSwitchRect;
  IRECT mThemeSwitchRect;
  IRECT mInputTrimRect;
  IRECT mOutputTrimRect;
  std::array<IRECT, kAmpSectionCount> mSectionButtonRects;
  IRECT mToneStackLeftArrowRect;
  IRECT mToneStackRightArrowRect;
  std::array<IRECT, kAmpSectionCount> mBypassTrimRects;
  // [0] the main panel's stage tabs, [1] the section chain's preamp slots.
  std::array<std::array<IRECT, kPreampStageCount>, kStageSelectorSetCount> mStageSelectorRects;
  IRECT mPreampDnaHeaderRect;
  IRECT mToneStackDnaHeaderRect;
  IRECT mPowerAmpDnaHeaderRect;
  std::array<IRECT, kPlotKindCount> mPlotButtonRects;
  std::array<std::array<IRECT, kPreampStageCount>, kPreampPlotCount> mPreampCurveToggleRects;
  bool mLegendShown = false;  // the curve toggles react
  std::vector<IRECT> mDnaRowRects;
  std::vector<std::uint32_t> mDnaRowIndexes;  // a preamp row holds 0..43, read through mSelectedStage
  std::vector<IRECT> mKnobTrackRects;         // by knob
  std::array<float, 2> mSpareAnimations{};

  // Completions of dialogs that answer after the editor may have closed.
  DialogCompletions mDialogCompletions;

private:
  // The design DNA byte `index` set to `byte` as a user edit.
  void SetDesignDnaByte(std::size_t index, std::uint8_t byte);
  // Bytes written into the design DNA at offset, then the effective values
  // refreshed; false, with nothing refreshed, when no byte changed.
  bool WriteDesignDna(std::size_t offset, std::span<const std::uint8_t> bytes);
  // The section's design bytes through its callback, then a redraw.
  void ReportSectionDna(int section, int stage);
  void RaisePlotFlagsOfChanges(const DnaBytes& oldDna, const AmpKnobs& oldKnobs);
  // Whole script rows that fit the script area (at least one), and the
  // highest first visible row that still fills it.
  std::int64_t VisibleScriptRows() const;
  std::int64_t LastScriptFirstLine() const;
  void RaisePlotFlag(EditorPlot plot) { mPlotDirty[plot] = true; }
  void EaseAnimation(float& value, float target);
  void FollowSampleRate();
  void RecomputeNextDirtyPlot();
  void ComputePlot(PlotKind kind);
  std::string PlotDatasetText(PlotKind kind) const;
  void DrawResponsePlot(IGraphics& g, const IRECT& panel, const IText& style, PlotKind kind,
                        std::span<const FrequencyCurve* const> curves, std::span<const IColor> colours,
                        const char* name, int highlight);
  void DrawPreampPlot(IGraphics& g, const IRECT& panel, const IText& style, PlotKind kind);
  void DrawStageChips(IGraphics& g, const IRECT& space, int legend, const IText& style);
  // Parts of the main panel.
  void DrawDnaPanels(IGraphics& g, const MainPanelLayout& layout, const IText& labelStyle, const IText& titleStyle);
  void DrawScriptPanel(IGraphics& g, const MainPanelLayout& layout, const IText& labelStyleA,
                       const IText& labelStyleB, const IText& smallStyle);
  void DrawScriptRows(IGraphics& g);
  void DrawScriptCaret(IGraphics& g);
  void DrawPlotColumn(IGraphics& g, const MainPanelLayout& layout, const IText& titleStyle, const IText& smallStyle);
  void DrawPlotContent(IGraphics& g, PlotKind kind, const IRECT& r, const IText& titleStyle, const IText& smallStyle);
  // The player rows in panel, with the largest row height that an area
  // areaHeight high allows.
  void DrawPlayerRowsIn(IGraphics& g, const IRECT& panel, const IText& style, float areaHeight);
  // The player rows, tracks and scrollbar of the last frame no longer stand.
  void ForgetPlayerHitRects();
  // The plot's reference while it is shown, else none.
  const PlotSeries* ShownReference(PlotKind kind) const;
};

}  // namespace orvane
