// Pointer input: a press, drag, wheel turn or hover tested against the hit
// rectangles of the last frame, in a fixed order so that the first element
// under the pointer wins.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "common/utf8_text.h"
#include "design/design.h"
#include "design/player_controls.h"
#include "editor/orvane_gui_control.h"
#include "graphics/graphics_context.h"
#include "plugin/theme_palette.h"
#include "plugin/update_address.h"

namespace orvane {

namespace {

using plugkit::graphics::kArrowCursor;
using plugkit::graphics::kHandCursor;

// A right click sets DNA rows and player sliders to their middle.
constexpr double kMiddlePercent = 50.0;
constexpr double kPercentPerByte = 100.0 / 255.0;
constexpr double kTrimDbPerNotch = 0.5;
constexpr double kWheelStep = 1.0;
constexpr double kFineWheelStep = 0.1;
constexpr double kScriptRowsPerNotch = 3.0;
constexpr double kPlayerRowsPerNotch = 1.0;
constexpr double kPlayerValuePerNotch = 1.0;
// The oversampling box's steps; any factor not listed starts over at 1.
constexpr std::array<std::pair<int, int>, 3> kNextOversampling{{{1, 2}, {2, 4}, {4, 8}}};

struct Click {
  float x;
  float y;
  IMouseMod mod;

  bool In(const IRECT& r) const { return RectContains(r, x, y); }
  // Above the rectangle's middle line.
  bool InUpperHalf(const IRECT& r) const { return y < (r.T + r.B) / 2.f; }
};

// The first rectangle of the list that holds the point; -1 when none does.
template <typename Rects>
int IndexAt(const Rects& rects, float x, float y) {
  for (std::size_t i = 0; i < rects.size(); ++i)
    if (RectContains(rects[i], x, y)) return static_cast<int>(i);
  return -1;
}

bool EditView(const OrvaneGUIControl& e) { return !e.mPlayerView; }

// The numeric field under the point: the trims in both views, the bypass
// trims only in the EDIT view (a PLAY frame leaves theirs behind).
std::int32_t EditFieldAt(const OrvaneGUIControl& e, const Click& c) {
  if (c.In(e.mInputTrimRect)) return OrvaneGUIControl::kEditFieldInputTrim;
  if (c.In(e.mOutputTrimRect)) return OrvaneGUIControl::kEditFieldOutputTrim;
  if (EditView(e)) {
    if (const int section = IndexAt(e.mBypassTrimRects, c.x, c.y); section >= 0)
      return OrvaneGUIControl::kEditFieldFirstBypassTrim + section;
  }
  return OrvaneGUIControl::kEditFieldNone;
}

// Player rows: the offsets that can stand first, as the panel clamps them.
std::int64_t PlayerScrollRange(const OrvaneGUIControl& e) {
  const auto controls = static_cast<std::int64_t>(e.mParsedScript.controls.size());
  const auto visible = std::max<std::int64_t>(1, static_cast<std::int64_t>(e.mPlayerRowRects.size()));
  return std::max<std::int64_t>(0, controls - visible);
}

// The offset that puts the thumb, held at the remembered grab, under y.
void ScrollPlayerThumbTo(OrvaneGUIControl& e, float y) {
  const IRECT& track = e.mPlayerScrollTrackRect;
  const double travel = std::max(1.0, static_cast<double>(track.H()) - e.mPlayerScrollThumbRect.H());
  const double t = std::clamp((static_cast<double>(y) - e.mPlayerScrollGrab - track.T) / travel, 0.0, 1.0);
  const auto offset = static_cast<std::int64_t>(std::lround(t * static_cast<double>(PlayerScrollRange(e))));
  e.ScrollPlayerControls(static_cast<int>(offset - e.mPlayerScrollOffset));
}

// Whole rows for a wheel delta: `perNotch` rows a notch, at least one for any
// turn, and never more than `most` (a delta too large for an integer among them).
std::int64_t WheelRows(double d, double perNotch, std::int64_t most) {
  const double limit = static_cast<double>(std::max<std::int64_t>(most, 1));
  const double rows = std::trunc(std::clamp(d * perNotch, -limit, limit));
  if (rows == 0.0) return d > 0.0 ? 1 : -1;
  return static_cast<std::int64_t>(rows);
}

// Press steps, in order: each answers whether it acted, which ends the press.

bool PressLogo(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mLogoRect)) return false;
  const std::string site = MakerSiteAddress();
  if (IGraphics* graphics = e.GetUI(); graphics != nullptr && !site.empty()) graphics->OpenLink(site.c_str());
  return true;
}

bool PressScrollTrack(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mPlayerScrollTrackRect)) return false;
  const IRECT& thumb = e.mPlayerScrollThumbRect;
  e.mPlayerScrollDragging = true;
  if (c.In(thumb)) {
    e.mPlayerScrollGrab = c.y - thumb.T;
  } else {
    e.mPlayerScrollGrab = thumb.H() / 2.f;
    ScrollPlayerThumbTo(e, c.y);
  }
  return true;
}

// A numeric entry ends when the press lands anywhere but on its own field.
bool CommitOtherField(OrvaneGUIControl& e, const Click& c) {
  if (e.mEditField != OrvaneGUIControl::kEditFieldNone && EditFieldAt(e, c) != e.mEditField)
    e.CommitNumericEntry();
  return false;
}

// The right button's menus; the press goes on to what lies under them.
bool OpenContextMenu(OrvaneGUIControl& e, const Click& c) {
  if (!c.mod.R || !EditView(e)) return false;
  if (c.In(e.mScriptRect)) {
    e.ShowScriptMenu(c.x, c.y);
  } else if (const int plot = IndexAt(e.mPlotRects, c.x, c.y); plot >= 0) {
    e.mPlotMenuIndex = plot;
    e.ShowPlotMenu(plot, c.x, c.y);
  }
  return false;
}

bool PressDnaHeader(OrvaneGUIControl& e, const Click& c) {
  if (!EditView(e)) return false;
  if (c.In(e.mPreampDnaHeaderRect)) {
    e.ShowPreampMenu(c.x, c.y);
  } else if (c.In(e.mToneStackDnaHeaderRect)) {
    e.ShowToneStackMenu(c.x, c.y);
  } else if (c.In(e.mPowerAmpDnaHeaderRect)) {
    e.ShowPowerAmpMenu(c.x, c.y);
  } else {
    return false;
  }
  return true;
}

bool DropTextFieldFocus(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mNameRect)) e.mNameFocused = false;
  if (!c.In(e.mDescriptionRect)) e.mDescriptionFocused = false;
  return false;
}

bool PressViewSwitch(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mViewSwitchRect)) return false;
  e.mPlayerView = c.InUpperHalf(e.mViewSwitchRect);
  if (e.mPlayerView) {
    e.mNameFocused = false;
    e.mDescriptionFocused = false;
  }
  if (e.onPlayerViewChanged) e.onPlayerViewChanged(e.mPlayerView);
  return true;
}

bool PressThemeSwitch(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mThemeSwitchRect)) return false;
  ApplyColourTheme(!c.InUpperHalf(e.mThemeSwitchRect));
  for (int plot = 0; plot < kPlotKindCount; ++plot) e.InvalidatePlotLayer(plot);
  // The view is unchanged; the call has the settings written with the theme.
  if (e.onPlayerViewChanged) e.onPlayerViewChanged(e.mPlayerView);
  return true;
}

bool PressAmplifierSwitch(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mAmplifierSwitchRect)) return false;
  e.mAmplifierEnabled = c.InUpperHalf(e.mAmplifierSwitchRect);
  if (e.onAmplifierEnabledChanged) e.onAmplifierEnabledChanged(e.mAmplifierEnabled);
  return true;
}

void Call(const OrvaneGUIControl::VoidFunc& callback) {
  if (callback) callback();
}

bool PressPresetBar(OrvaneGUIControl& e, const Click& c) {
  if (c.In(e.mOpenRect)) {
    Call(e.onOpenDesign);
  } else if (c.In(e.mNewRect)) {
    Call(e.onNewDesign);
  } else if (c.In(e.mSaveRect)) {
    // A factory preset is never overwritten.
    if (!e.mActivePresetIsFactory) Call(e.onSaveDesign);
  } else if (c.In(e.mSaveAsRect)) {
    Call(e.onSaveDesignAs);
  } else if (c.In(e.mPreviousPresetRect)) {
    Call(e.onPreviousPreset);
  } else if (c.In(e.mNextPresetRect)) {
    Call(e.onNextPreset);
  } else if (c.In(e.mFactoryTabRect)) {
    Call(e.onShowFactoryPresets);
  } else if (c.In(e.mUserTabRect)) {
    Call(e.onShowUserPresets);
  } else if (c.In(e.mPresetNameRect) || c.In(e.mPresetIndexRect)) {
    e.ShowPresetsMenu(c.x, c.y);
  } else {
    return false;
  }
  return true;
}

// The name and description fields: focused with the caret at the end in
// the EDIT view; the PLAY view only shows them.
bool PressTextField(OrvaneGUIControl& e, const Click& c) {
  const bool name = c.In(e.mNameRect);
  if (!name && !c.In(e.mDescriptionRect)) return false;
  const bool focus = EditView(e);
  e.mNameFocused = focus && name;
  e.mDescriptionFocused = focus && !name;
  if (focus) {
    e.mScriptFocused = false;
    if (name)
      e.mNameCaret = e.mDesignName.size();
    else
      e.mDescriptionCaret = e.mDesignDescription.size();
  }
  return true;
}

// A press on the field being typed into keeps what was typed so far.
bool PressNumericField(OrvaneGUIControl& e, const Click& c) {
  const std::int32_t field = EditFieldAt(e, c);
  if (field == OrvaneGUIControl::kEditFieldNone) return false;
  if (field == e.mEditField) return true;
  if (field == OrvaneGUIControl::kEditFieldInputTrim || field == OrvaneGUIControl::kEditFieldOutputTrim)
    e.BeginGainFieldEdit(field == OrvaneGUIControl::kEditFieldInputTrim);
  else
    e.BeginTrimFieldEdit(field - OrvaneGUIControl::kEditFieldFirstBypassTrim);
  return true;
}

// The caret goes to the pressed row and column, never past the row's end
// nor inside a character.
bool PressScript(OrvaneGUIControl& e, const Click& c) {
  if (!EditView(e) || !c.In(e.mScriptRect)) return false;
  e.mScriptFocused = true;
  if (e.mScriptRows.empty()) e.WrapScriptLines();
  std::size_t start = 0;
  std::size_t length = 0;
  if (!e.mScriptRows.empty()) {
    const double rowsDown = std::floor(std::max(0.0, (static_cast<double>(c.y) - e.mScriptRect.T) /
                                                         std::max(e.mScriptLineHeight, 1.f)));
    const double lastRow = static_cast<double>(e.mScriptRows.size() - 1);
    const double row = std::min(std::max(e.mScriptFirstLine, 0) + rowsDown, lastRow);
    const ScriptRow& pressed = e.mScriptRows[static_cast<std::size_t>(row)];
    start = pressed.start;
    length = pressed.length;
  }
  double column = 0.0;
  if (e.mScriptCharWidth > 0.f)
    column = std::floor(std::max(0.0, (static_cast<double>(c.x) - e.mScriptTextLeft) / e.mScriptCharWidth));
  const auto offset = static_cast<std::size_t>(std::min(column, static_cast<double>(length)));
  e.mScriptCaret = plugkit::Utf8CharacterStart(e.mScriptText, start + offset);
  e.mScriptSelectAll = false;
  e.ScrollScriptToCaret();
  return true;
}

bool PressPlayerRow(OrvaneGUIControl& e, const Click& c) {
  e.mScriptFocused = false;
  e.mNameFocused = false;
  e.mDescriptionFocused = false;
  const int row = IndexAt(e.mPlayerRowRects, c.x, c.y);
  if (row < 0 || static_cast<std::size_t>(row) >= e.mPlayerRowControls.size()) return false;
  const int control = e.mPlayerRowControls[static_cast<std::size_t>(row)];
  if (c.mod.R) {
    const bool slider = control >= 0 && static_cast<std::size_t>(control) < e.mParsedScript.controls.size() &&
                        e.mParsedScript.controls[static_cast<std::size_t>(control)].kind == kScriptSlider;
    if (slider) e.SetPlayerControlValue(control, kMiddlePercent);
    return true;
  }
  e.mDragPlayerControl = control;
  e.SetPlayerControlFromPosition(row, c.x);
  return true;
}

bool PressOversampling(OrvaneGUIControl& e, const Click& c) {
  if (!c.In(e.mOversamplingRect)) return false;
  // 1, 2, 4, 8, then 1 again.
  const auto step = std::ranges::find(kNextOversampling, e.mOversampling, &std::pair<int, int>::first);
  e.mOversampling = step != kNextOversampling.end() ? step->second : 1;
  if (e.onOversamplingChanged) e.onOversamplingChanged(e.mOversampling);
  return true;
}

bool StopInPlayView(OrvaneGUIControl& e, const Click&) { return !EditView(e); }

bool PressToneStackArrow(OrvaneGUIControl& e, const Click& c) {
  int position = e.mToneStackPosition;
  if (c.In(e.mToneStackLeftArrowRect)) {
    if (position > kToneStackFirst) --position;
  } else if (c.In(e.mToneStackRightArrowRect)) {
    if (position < kToneStackLast) ++position;
  } else {
    return false;
  }
  if (position != e.mToneStackPosition) {
    e.mToneStackPosition = position;
    if (e.onToneStackPositionChanged) e.onToneStackPositionChanged(position);
  }
  return true;
}

bool PressCurveToggle(OrvaneGUIControl& e, const Click& c) {
  if (!e.mLegendShown) return false;
  for (std::size_t legend = 0; legend < e.mPreampCurveToggleRects.size(); ++legend) {
    const int stage = IndexAt(e.mPreampCurveToggleRects[legend], c.x, c.y);
    if (stage < 0) continue;
    bool& visible = e.mPreampCurveVisible[legend][static_cast<std::size_t>(stage)];
    visible = !visible;
    // Legend 0 belongs to the linear preamp plot, legend 1 to the non-linear one.
    e.InvalidatePlotLayer(legend == 0 ? kPlotPreampLinear : kPlotPreampNonLinear);
    return true;
  }
  return false;
}

bool PressStageSelector(OrvaneGUIControl& e, const Click& c) {
  for (const auto& set : e.mStageSelectorRects) {
    const int stage = IndexAt(set, c.x, c.y);
    if (stage < 0) continue;
    e.mSelectedStage = stage;
    // The preamp plots draw the selected stage's curves above the others.
    e.InvalidatePlotLayer(kPlotPreampLinear);
    e.InvalidatePlotLayer(kPlotPreampNonLinear);
    return true;
  }
  return false;
}

bool PressSectionButton(OrvaneGUIControl& e, const Click& c) {
  const int section = IndexAt(e.mSectionButtonRects, c.x, c.y);
  if (section < 0) return false;
  const auto s = static_cast<std::size_t>(section);
  e.mDesignSections[s] = !e.mDesignSections[s];
  e.mEffectiveSections[s] = !e.mEffectiveSections[s];
  if (e.onSectionEnabledChanged) e.onSectionEnabledChanged(section, e.mDesignSections[s]);
  e.RefreshEffectiveAmp();
  return true;
}

bool PressDnaRow(OrvaneGUIControl& e, const Click& c) {
  const int row = IndexAt(e.mDnaRowRects, c.x, c.y);
  if (row < 0) return false;
  if (c.mod.R) {
    e.mDragDnaRow = OrvaneGUIControl::kNoDrag;
    e.SetDnaRowPercent(row, kMiddlePercent);
  } else {
    e.mDragDnaRow = row;
    e.SetDnaRowFromPosition(row, c.x);
  }
  return true;
}

bool PressKnobTrack(OrvaneGUIControl& e, const Click& c) {
  const int knob = IndexAt(e.mKnobTrackRects, c.x, c.y);
  if (knob < 0) return false;
  e.mDragKnob = knob;
  e.SetKnobFromPosition(knob, c.x);
  return true;
}

bool PressPlotButton(OrvaneGUIControl& e, const Click& c) {
  const int plot = IndexAt(e.mPlotButtonRects, c.x, c.y);
  if (plot < 0) return false;
  bool& visible = e.mPlotVisible[static_cast<std::size_t>(plot)];
  visible = !visible;
  e.InvalidatePlotLayer(plot);
  return true;
}

using PressStep = bool (*)(OrvaneGUIControl&, const Click&);
constexpr PressStep kPressSteps[] = {
    PressLogo,          PressScrollTrack,    CommitOtherField,   OpenContextMenu,    PressDnaHeader,
    DropTextFieldFocus, PressViewSwitch,     PressThemeSwitch,   PressAmplifierSwitch, PressPresetBar,
    PressTextField,     PressNumericField,   PressScript,        PressPlayerRow,     PressOversampling,
    StopInPlayView,     PressToneStackArrow, PressCurveToggle,   PressStageSelector, PressSectionButton,
    PressDnaRow,        PressKnobTrack,      PressPlotButton,
};

bool Finite(float x, float y) { return std::isfinite(x) && std::isfinite(y); }

}  // namespace

void OrvaneGUIControl::OnMouseDown(float x, float y, const IMouseMod& mod) {
  if (!Finite(x, y)) return;
  const Click click{x, y, mod};
  for (const PressStep step : kPressSteps)
    if (step(*this, click)) break;
  // Whichever step acted changed what the editor shows.
  MarkDirty(false);
}

void OrvaneGUIControl::OnMouseUp(float, float, const IMouseMod&) {
  mDragDnaRow = kNoDrag;
  mDragKnob = kNoDrag;
  mDragPlayerControl = kNoDrag;
  mPlayerScrollDragging = false;
}

void OrvaneGUIControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&) {
  if (!Finite(x, y)) return;
  if (mPlayerScrollDragging) {
    ScrollPlayerThumbTo(*this, y);
  } else if (mDragPlayerControl != kNoDrag) {
    // The control's row in this frame; none while it is scrolled out of view.
    const auto shown = std::ranges::find(mPlayerRowControls, mDragPlayerControl);
    if (shown != mPlayerRowControls.end())
      SetPlayerControlFromPosition(static_cast<int>(shown - mPlayerRowControls.begin()), x);
  } else if (mPlayerView) {
    return;
  } else if (mDragDnaRow != kNoDrag) {
    SetDnaRowFromPosition(mDragDnaRow, x);
  } else if (mDragKnob != kNoDrag) {
    SetKnobFromPosition(mDragKnob, x);
  }
}

void OrvaneGUIControl::OnMouseWheel(float x, float y, const IMouseMod& mod, float d) {
  if (d == 0.f || !std::isfinite(d) || !Finite(x, y)) return;
  const double notches = d;
  if (RectContains(mInputTrimRect, x, y)) {
    SetGainFromEditor(true, mInputGainDb + kTrimDbPerNotch * notches);
    return;
  }
  if (RectContains(mOutputTrimRect, x, y)) {
    SetGainFromEditor(false, mOutputGainDb + kTrimDbPerNotch * notches);
    return;
  }
  if (!mPlayerView && RectContains(mScriptRect, x, y)) {
    WrapScriptLines();
    const auto rows = static_cast<std::int64_t>(mScriptRows.size());
    if (ScrollScriptRows(-WheelRows(notches, kScriptRowsPerNotch, rows))) MarkDirty(false);
    return;
  }
  const int playerRow = IndexAt(mPlayerRowRects, x, y);
  if (playerRow < 0 && RectContains(mPlayerPanelRect, x, y)) {
    ScrollPlayerControls(static_cast<int>(-WheelRows(notches, kPlayerRowsPerNotch, PlayerScrollRange(*this))));
    return;
  }
  if (!mPlayerView) {
    const double step = (mod.S || mod.C) ? kFineWheelStep : kWheelStep;
    if (const int row = IndexAt(mDnaRowRects, x, y); row >= 0) {
      const int index = DnaIndexOfRow(row);
      if (index >= 0)
        SetDnaRowPercent(row, mEffectiveDna[static_cast<std::size_t>(index)] * kPercentPerByte + notches * step);
    } else if (const int knob = IndexAt(mKnobTrackRects, x, y); knob >= 0) {
      SetKnobValue(knob, mEffectiveKnobs[static_cast<std::size_t>(knob)] + notches * step);
    }
    return;
  }
  if (playerRow >= 0 && static_cast<std::size_t>(playerRow) < mPlayerRowControls.size()) {
    const int control = mPlayerRowControls[static_cast<std::size_t>(playerRow)];
    if (control >= 0 && static_cast<std::size_t>(control) < mPlayerValues.size())
      SetPlayerControlValue(control, mPlayerValues[static_cast<std::size_t>(control)] +
                                         (notches > 0.0 ? kPlayerValuePerNotch : -kPlayerValuePerNotch));
  }
}

void OrvaneGUIControl::OnMouseHover(float x, float y, const IMouseMod& mod) {
  const bool link = RectContains(mLogoRect, x, y) ||
                    (!mPlayerView && (RectContains(mPresetNameRect, x, y) || RectContains(mPresetIndexRect, x, y)));
  if (IGraphics* graphics = GetUI()) graphics->SetCursor(link ? kHandCursor : kArrowCursor);
  IControl::OnMouseHover(x, y, mod);
}

void OrvaneGUIControl::OnMouseLeave() {
  if (IGraphics* graphics = GetUI()) graphics->SetCursor(kArrowCursor);
  IControl::OnMouseLeave();
}

void OrvaneGUIControl::OnResize() {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  const IRECT area(0.f, 0.f, static_cast<float>(graphics->Width()), static_cast<float>(graphics->Height()));
  SetRECT(area);
  SetTargetRECT(area);
}

}  // namespace orvane
