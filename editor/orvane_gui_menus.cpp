// The editor's popup menus, what their choices do, the section presets and
// the DNA clipboard text of a section.

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "common/str_buf.h"
#include "editor/dna_clipboard_text.h"
#include "editor/orvane_gui_control.h"
#include "editor/section_presets.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

using Item = IPopupMenu::Item;

// Item indexes, in the order the builders add them.
enum ScriptItem : int { kScriptNewBlank = 0, kScriptCopyAll = 1, kScriptPaste = 2 };
constexpr int kPresetsFirstName = 1;  // after the collection's title
enum PreampItem : int { kPreampCloneFirst = 2, kPreampSetTo = 7, kPreampCopy = 9, kPreampPaste = 10 };
enum SectionItem : int { kSectionSetTo = 0, kSectionCopy = 2, kSectionPaste = 3 };
enum PlotItem : int { kPlotCopyDataset = 0, kPlotLoadReference = 1, kPlotToggleReference = 2, kPlotRemoveReference = 3 };

constexpr char kFactoryPresetsTitle[] = "FACTORY PRESETS";
constexpr char kUserPresetsTitle[] = "USER PRESETS";
constexpr char kPreampStageTitle[] = "PREAMP STAGE ";
constexpr char kCloneFromStage[] = "Clone from Stage ";

bool IsStage(int stage) { return stage >= 0 && stage < kPreampStageCount; }

// True once: the pending opening is consumed by the choice.
bool Consume(bool& pending) { return std::exchange(pending, false); }

void Reset(IPopupMenu& menu) {
  menu.Clear();
  menu.SetChosenItemIdx(IPopupMenu::kNoChoice);
}

void AddSeparator(IPopupMenu& menu) { menu.AddItem("", IPopupMenu::kAppend, Item::kSeparator); }

void AddCopyAndPaste(IPopupMenu& menu) {
  menu.AddItem("Copy DNA");
  menu.AddItem("Paste DNA");
}

// The "Set ... to" item with a new sub-menu of the presets; the sub-menu is
// owned by the item and returned so that a choice in it can be recognised.
template <typename Presets>
IPopupMenu* AddPresetSubmenu(IPopupMenu& menu, const char* text, const Presets& presets) {
  auto submenu = std::make_unique<IPopupMenu>(text);
  for (const auto& preset : presets) submenu->AddItem(preset.name);
  IPopupMenu* shown = submenu.get();
  menu.AddItem(text, std::move(submenu));
  return shown;
}

template <std::size_t N>
std::array<std::uint8_t, N> SectionBytes(const DnaBytes& dna, std::size_t offset) {
  std::array<std::uint8_t, N> bytes{};
  std::copy_n(dna.begin() + static_cast<std::ptrdiff_t>(offset), N, bytes.begin());
  return bytes;
}

// Whether offset and count name bytes of the DNA.
bool IsDnaRange(int offset, int count) {
  return offset >= 0 && count >= 0 && offset <= static_cast<int>(kDnaSize) &&
         count <= static_cast<int>(kDnaSize) - offset;
}

int PreampStageOffset(int stage) { return PreampDnaIndex(stage, kPreampAcCoupling); }

// Whether offset and count are the whole of the target's section, so that
// what a paste writes is what its callback reports.
bool IsWholeSection(int offset, int count, int target) {
  switch (target) {
    case kDnaSectionPreampStage:
      return count == kPreampRowsPerStage && offset >= 0 && offset % kPreampRowsPerStage == 0 &&
             IsStage(offset / kPreampRowsPerStage);
    case kDnaSectionToneStack: return offset == kToneStackDnaOffset && count == kToneStackDnaCount;
    case kDnaSectionPowerAmp: return offset == kPowerAmpDnaOffset && count == kPowerAmpDnaCount;
    default: return false;
  }
}

void OnPresetsChoice(OrvaneGUIControl& e, int chosen) {
  const int preset = chosen - kPresetsFirstName;
  if (preset >= 0 && static_cast<std::size_t>(preset) < e.mPresetNames.size() && e.onSelectPreset)
    e.onSelectPreset(preset);
}

void OnScriptChoice(OrvaneGUIControl& e, int chosen) {
  switch (chosen) {
    case kScriptNewBlank: e.NewBlankScript(); break;
    case kScriptCopyAll: e.CopyScriptToClipboard(); break;
    case kScriptPaste: e.PasteScriptFromClipboard(); break;
    default: break;
  }
}

void OnPreampChoice(OrvaneGUIControl& e, int chosen) {
  const int stage = e.mPreampMenuStage;
  if (chosen >= kPreampCloneFirst && chosen < kPreampCloneFirst + kPreampStageCount) {
    e.ClonePreampStage(stage, chosen - kPreampCloneFirst);
  } else if (chosen == kPreampCopy) {
    e.CopySectionDna(PreampStageOffset(stage), kPreampRowsPerStage);
  } else if (chosen == kPreampPaste) {
    e.PasteSectionDna(PreampStageOffset(stage), kPreampRowsPerStage, kDnaSectionPreampStage);
  }
}

void OnToneStackChoice(OrvaneGUIControl& e, int chosen) {
  if (chosen == kSectionCopy) e.CopySectionDna(kToneStackDnaOffset, kToneStackDnaCount);
  if (chosen == kSectionPaste) e.PasteSectionDna(kToneStackDnaOffset, kToneStackDnaCount, kDnaSectionToneStack);
}

void OnPowerAmpChoice(OrvaneGUIControl& e, int chosen) {
  if (chosen == kSectionCopy) e.CopySectionDna(kPowerAmpDnaOffset, kPowerAmpDnaCount);
  if (chosen == kSectionPaste) e.PasteSectionDna(kPowerAmpDnaOffset, kPowerAmpDnaCount, kDnaSectionPowerAmp);
}

void OnPlotChoice(OrvaneGUIControl& e, int plot, int chosen) {
  const auto kind = static_cast<std::size_t>(plot);
  const bool hasReference = !e.mPlotReferences[kind].x.empty();
  switch (chosen) {
    case kPlotCopyDataset: e.CopyPlotDataset(plot); break;
    case kPlotLoadReference: e.PromptForPlotReference(plot); break;
    case kPlotToggleReference:
      if (!hasReference) break;
      e.mPlotReferenceShown[kind] = !e.mPlotReferenceShown[kind];
      e.InvalidatePlotLayer(plot);
      break;
    case kPlotRemoveReference:
      if (!hasReference) break;
      e.mPlotReferences[kind] = PlotSeries();
      e.mPlotReferenceShown[kind] = true;
      e.InvalidatePlotLayer(plot);
      break;
    default: break;
  }
}

}  // namespace

// Builders ------------------------------------------------------------------------

void OrvaneGUIControl::ShowScriptMenu(float x, float y) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  Reset(mScriptMenu);
  mScriptMenu.AddItem("New blank script");
  mScriptMenu.AddItem("Copy all");
  mScriptMenu.AddItem("Paste");
  // Set before showing: a menu that answers at once is dispatched from inside.
  mScriptMenuPending = true;
  graphics->CreatePopupMenuFor(*this, mScriptMenu, IRECT(x, y, x, y));
}

void OrvaneGUIControl::ShowPresetsMenu(float x, float y) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  Reset(mPresetsMenu);
  mPresetsMenu.AddItem(mFactoryPresetsShown ? kFactoryPresetsTitle : kUserPresetsTitle, IPopupMenu::kAppend,
                       Item::kDisabled);
  for (const std::string& name : mPresetNames) mPresetsMenu.AddItem(name.c_str());
  mPresetsMenuPending = true;
  graphics->CreatePopupMenuFor(*this, mPresetsMenu, IRECT(x, y, x, y));
}

void OrvaneGUIControl::ShowPreampMenu(float x, float y) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr || !IsStage(mSelectedStage)) return;
  Reset(mPreampMenu);
  const int stage = mSelectedStage;
  mPreampMenu.AddItem((kPreampStageTitle + std::to_string(stage + 1)).c_str(), IPopupMenu::kAppend,
                      Item::kDisabled);
  AddSeparator(mPreampMenu);
  for (int source = 0; source < kPreampStageCount; ++source)
    mPreampMenu.AddItem((kCloneFromStage + std::to_string(source + 1)).c_str());
  AddSeparator(mPreampMenu);
  mPreampPresetMenu = AddPresetSubmenu(mPreampMenu, "Set preamp stage to", kPreampStagePresets);
  AddSeparator(mPreampMenu);
  AddCopyAndPaste(mPreampMenu);
  mPreampMenuStage = stage;
  mPreampMenuPending = true;
  graphics->CreatePopupMenuFor(*this, mPreampMenu, IRECT(x, y, x, y));
}

void OrvaneGUIControl::ShowToneStackMenu(float x, float y) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  Reset(mToneStackMenu);
  mToneStackPresetMenu = AddPresetSubmenu(mToneStackMenu, "Set Tone Stack to", kToneStackPresets);
  AddSeparator(mToneStackMenu);
  AddCopyAndPaste(mToneStackMenu);
  mToneStackMenuPending = true;
  graphics->CreatePopupMenuFor(*this, mToneStackMenu, IRECT(x, y, x, y));
}

void OrvaneGUIControl::ShowPowerAmpMenu(float x, float y) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  Reset(mPowerAmpMenu);
  mPowerAmpPresetMenu = AddPresetSubmenu(mPowerAmpMenu, "Set Power Amp to", kPowerAmpPresets);
  AddSeparator(mPowerAmpMenu);
  AddCopyAndPaste(mPowerAmpMenu);
  mPowerAmpMenuPending = true;
  graphics->CreatePopupMenuFor(*this, mPowerAmpMenu, IRECT(x, y, x, y));
}

void OrvaneGUIControl::ShowPlotMenu(int plot, float x, float y) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr || !IsPlotKind(plot)) return;
  Reset(mPlotMenu);
  const auto kind = static_cast<std::size_t>(plot);
  mPlotMenu.AddItem("Copy dataset to clipboard");
  mPlotMenu.AddItem("Load reference dataset");
  if (!mPlotReferences[kind].x.empty()) {
    mPlotMenu.AddItem(mPlotReferenceShown[kind] ? "Hide reference dataset" : "Show reference dataset");
    mPlotMenu.AddItem("Remove reference dataset");
  }
  mPlotMenuIndex = plot;
  graphics->CreatePopupMenuFor(*this, mPlotMenu, IRECT(x, y, x, y));
}

// Dispatch ------------------------------------------------------------------------

// Every step compares the menu as well as the pending flag: a flag left by a
// dismissed menu must not route a later choice made in another one.
void OrvaneGUIControl::OnPopupMenuSelection(IPopupMenu* menu, int) {
  if (menu == nullptr) return;
  const int chosen = menu->GetChosenItemIdx();
  if (menu == &mPresetsMenu && Consume(mPresetsMenuPending)) {
    OnPresetsChoice(*this, chosen);
  } else if (menu == &mScriptMenu && Consume(mScriptMenuPending)) {
    OnScriptChoice(*this, chosen);
  } else if (menu == &mPreampMenu && Consume(mPreampMenuPending)) {
    OnPreampChoice(*this, chosen);
  } else if (menu == mPreampPresetMenu && Consume(mPreampMenuPending)) {
    ApplyPreampStagePreset(mPreampMenuStage, chosen);
  } else if (menu == mToneStackPresetMenu && Consume(mToneStackMenuPending)) {
    if (chosen == kSectionSetTo) ResetToneStackDna();
  } else if (menu == &mToneStackMenu && Consume(mToneStackMenuPending)) {
    OnToneStackChoice(*this, chosen);
  } else if (menu == &mPowerAmpMenu && Consume(mPowerAmpMenuPending)) {
    OnPowerAmpChoice(*this, chosen);
  } else if (menu == mPowerAmpPresetMenu && Consume(mPowerAmpMenuPending)) {
    ApplyPowerAmpPreset(chosen);
  } else if (menu == &mPlotMenu && IsPlotKind(mPlotMenuIndex)) {
    OnPlotChoice(*this, mPlotMenuIndex, chosen);
  }
}

// Section presets and the DNA clipboard text --------------------------------------------

bool OrvaneGUIControl::WriteDesignDna(std::size_t offset, std::span<const std::uint8_t> bytes) {
  const auto start = mDesignDna.begin() + static_cast<std::ptrdiff_t>(offset);
  if (std::equal(bytes.begin(), bytes.end(), start)) return false;
  std::copy(bytes.begin(), bytes.end(), start);
  // Raises the flags of the plots whose effective bytes changed.
  RefreshEffectiveAmp();
  return true;
}

void OrvaneGUIControl::ReportSectionDna(int section, int stage) {
  switch (section) {
    case kDnaSectionPreampStage:
      if (onPreampStageDnaChanged && IsStage(stage))
        onPreampStageDnaChanged(stage, SectionBytes<kPreampRowsPerStage>(mDesignDna, PreampStageOffset(stage)));
      break;
    case kDnaSectionToneStack:
      if (onToneStackDnaChanged) onToneStackDnaChanged(SectionBytes<kToneStackDnaCount>(mDesignDna, kToneStackDnaOffset));
      break;
    case kDnaSectionPowerAmp:
      if (onPowerAmpDnaChanged) onPowerAmpDnaChanged(SectionBytes<kPowerAmpDnaCount>(mDesignDna, kPowerAmpDnaOffset));
      break;
    default: break;
  }
  MarkDirty(false);
}

void OrvaneGUIControl::ApplyPreampStagePreset(int stage, int preset) {
  if (!IsStage(stage) || preset < 0 || static_cast<std::size_t>(preset) >= kPreampStagePresets.size()) return;
  if (!WriteDesignDna(PreampStageOffset(stage), kPreampStagePresets[preset].bytes)) return;
  ReportSectionDna(kDnaSectionPreampStage, stage);
}

void OrvaneGUIControl::ResetToneStackDna() {
  if (!WriteDesignDna(kToneStackDnaOffset, kToneStackPresets.front().bytes)) return;
  ReportSectionDna(kDnaSectionToneStack, 0);
}

void OrvaneGUIControl::ApplyPowerAmpPreset(int preset) {
  if (preset < 0 || static_cast<std::size_t>(preset) >= kPowerAmpPresets.size()) return;
  if (!WriteDesignDna(kPowerAmpDnaOffset, kPowerAmpPresets[preset].bytes)) return;
  ReportSectionDna(kDnaSectionPowerAmp, 0);
}

void OrvaneGUIControl::CopySectionDna(int offset, int count) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  if (count < 1) {
    graphics->SetClipboardText("");
    return;
  }
  if (!IsDnaRange(offset, count)) return;
  const std::span<const std::uint8_t> section(mEffectiveDna.data() + offset, static_cast<std::size_t>(count));
  graphics->SetClipboardText(DnaSectionText(section).c_str());
}

void OrvaneGUIControl::PasteSectionDna(int offset, int count, int target) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr || !IsWholeSection(offset, count, target)) return;
  plugkit::StrBuf text;
  if (!graphics->ClipboardText(text)) return;
  const std::optional<std::vector<std::uint8_t>> bytes = ReadDnaSectionText(text.Get(), count);
  if (!bytes || !WriteDesignDna(static_cast<std::size_t>(offset), *bytes)) return;
  // Through the preamp menu this is the stage the menu was opened for.
  ReportSectionDna(target, offset / kPreampRowsPerStage);
}

}  // namespace orvane
