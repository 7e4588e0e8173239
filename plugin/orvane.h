#pragma once

// The product plug-in: one object per plug-in instance. It owns the edited
// design and the plug-in state, the preset bookkeeping, the render-side
// component (engines, snapshots, controller slots, meters) and, while an
// editor is open, pointers to the editor's controls.
//
// Lock order: mSnapshotMutex before mDesignMutex. A commit holds the snapshot
// mutex throughout and the design mutex only for its copy; everything else
// releases the design mutex before it commits. The render thread takes
// neither.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "design/design.h"
#include "engine/amp_engine.h"
#include "engine/dna_table.h"
#include "engine/render/amp_renderer.h"
#include "framework/au/instance_info.h"
#include "framework/au/plugin_au.h"
#include "framework/plugin_config.h"
#include "plugin/dialog_completions.h"
#include "plugin/state/plugin_state.h"
#include "plugin/preset_library.h"

namespace plugkit::graphics {
class IGraphics;
}

namespace orvane {

class OrvaneGUIControl;
class OrvaneLevelMeterControl;
class MainThreadTaskGuard;

// What the framework is told about this product.
plugkit::PluginConfig MakeOrvaneConfig();

inline constexpr char kOrvaneBundleIdentifier[] = "com.Vellumtone.audiounit.Orvane";
inline constexpr int kOrvaneEditorWidth = 1392;
inline constexpr int kOrvaneEditorHeight = 783;

// The DNA groups that the editor edits as a whole.
inline constexpr std::size_t kDnaPreampStageSize = kPreampRowsPerStage;
inline constexpr std::size_t kDnaToneStackOffset = kDnaToneHpfFreqMin;
inline constexpr std::size_t kDnaPowerAmpOffset = kDnaPowerGain;
inline constexpr std::size_t kDnaToneStackSize = kDnaPowerAmpOffset - kDnaToneStackOffset;
inline constexpr std::size_t kDnaPowerAmpSize = kDnaSize - kDnaPowerAmpOffset;

class Orvane : public plugkit::IPluginAU {
public:
  explicit Orvane(const plugkit::InstanceInfo& info);
  ~Orvane() override;

  // Framework overrides.
  void OnEditorResizedByHost(int width, int height) override;
  void OnEditorClosed() override;
  void OnParamValue(int paramIdx) override;
  void OnStateRestored() override;
  int EvaluateHostViewSize(int width, int height) override;
  bool WriteState(plugkit::IStateChunk& chunk) override;
  int ReadState(const plugkit::IStateChunk& chunk, int startPos) override;
  void OnProcessorReset() override;
  void HandleMidiInput(const plugkit::IMidiMsg& msg) override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  // Main thread, every idle tick: the update notice, the editor's idle work
  // and the level meters.
  void OnIdle() override;

  // Publishes the live design to the render thread. A dnaIndex (0..72) or
  // knobIndex (0..6) names the value the user is dragging, which wins over any
  // script mapping; -1 names none.
  void CommitDesign(int dnaIndex, int knobIndex);

  // Any thread: what the render side publishes for the editor.
  std::uint64_t ReadMidiCCSlot(int cc) const { return mRenderer.ReadMidiCCSlot(cc); }
  double HostSampleRate() const { return mRenderer.HostSampleRate(); }
  std::array<float, 2> MeterLevels() const { return mRenderer.MeterLevels(); }
  void ClearMidiCCSeenFlags() { mRenderer.ClearMidiCCSeenFlags(); }

  // Copies the preset bookkeeping into the plug-in state and shows the preset
  // bar and the design-file label in an open editor.
  void RebuildPresetLists();
  // Compares the live design with the preset's baseline.
  void UpdatePresetModified();
  static bool ScanPresetFolder(OrvanePresets::Collection collection, const std::string& factoryFolder,
                               const std::string& userFolder, std::vector<PresetEntry>& out);
  // Writes the process's settings (theme, last notice date).
  static void SaveSettings();

  static AmpEnginePair BuildAmpEngine(double rateHz, const Design& design, std::int32_t oversampling);

  // A copy of the live design and state, taken under the design mutex.
  PluginStateDocument CopyDocument() const;

  // Design edits (main thread): each validates, stores under the design
  // mutex, commits when the audio must hear it, mutes the output around
  // audible switches (posted before the change is published) and re-checks
  // the preset's modified mark. Input outside the accepted range is ignored.
  void SetSectionEnabled(int section, bool on);
  void SetAmplifierEnabled(bool on);
  void SetBypassGainDb(int section, double gainDb);
  void SetDesignName(const std::string& name);
  void SetDesignDescription(const std::string& description);
  void SetOversampling(int factor);
  void SetToneStackPosition(int position);
  void SetDnaByte(int index, std::uint8_t value);
  void CopyPreampStageDna(int dstStage, int srcStage);
  void SetPreampStageDna(int stage, const std::array<std::uint8_t, kDnaPreampStageSize>& bytes);
  void SetToneStackDna(const std::array<std::uint8_t, kDnaToneStackSize>& bytes);
  void SetPowerAmpDna(const std::array<std::uint8_t, kDnaPowerAmpSize>& bytes);
  void SetKnob(int knob, double value);
  void SetTrimGainDb(bool input, double gainDb);
  void SetScriptAndValues(const std::string& script);
  void SetPlayerControlValue(int index, double value);
  // Several player values at once, as one controller message or idle tick
  // brings them: one commit, one mute when a switch changed, one modified check.
  void SetPlayerControlValues(std::span<const PlayerValueChange> changes);
  // The view the editor shows, kept with the state and in the settings file;
  // the meters redraw over the newly shown panel.
  void SetPlayerView(bool playerView);
  // Virtual so that what the render side sees at the moment of the post can be checked.
  virtual void PostMuteRequest(int fadeOutMs, int holdMs, int fadeInMs);

  // Design files (main thread). Opening and starting over commit, mute and
  // show the design in the editor; a failed open or save changes nothing.
  bool OpenDesignFile(const std::string& path, bool showErrors);
  bool SaveDesign(const std::string& path, const std::string& author);
  // Saves with the live design's own author.
  bool SaveDesign(const std::string& path);
  void NewDesign();

  // Commands of the editor's header (main thread). Those that replace the
  // live design ask about unsaved changes first; answers that come later
  // arrive through completions, which closing the editor cancels.
  using Continuation = std::function<void()>;
  void PromptForOpenDesign();
  void SaveDesignFromUI();
  void PromptForSaveDesignAsInCollection();
  void NewDesignFromUI();
  void ChangePresetCollection(OrvanePresets::Collection collection);
  void NavigatePreset(int direction);
  void SelectPresetFromUI(int index);
  void RequestDesignReplacement(Continuation cont);
  void PromptForSaveDesignAs(Continuation cont, const std::string& startFolder);
  void OpenPresetEntry(OrvanePresets::Collection collection, std::size_t index);
  void PromptForSaveDesignAsInLastFolder();
  void PromptForSaveAsUserPreset(Continuation cont);
  bool SaveActivePreset();

protected:
  friend void OrvaneEditorLayout(Orvane& plugin, plugkit::graphics::IGraphics* graphics);

  // Player values of controls whose MIDI controller moved them since the seen
  // flags were last cleared follow that controller.
  void SeedPlayerValuesFromMidi(const ParsedControlsScript& script, std::vector<double>& values) const;
  // Writes a design and its player values into the open editor (none: nothing).
  void ShowDesignInEditor(const Design& design, const PluginState& state);
  // Builds the engines for the live design at the rate (48 kHz when not above 0).
  void InstallEngines(double rateHz);
  // The steps of a state restore after the chunk was read; the commit is left
  // out when it already ran on the host's thread.
  void FinishStateRestore(bool commit);
  void StartupPresetLoad();
  void StoreLinearTrimGains(const Design& design);
  std::string PresetLabel() const;
  std::string DesignFileLabel() const;
  // "Could not <verb> Orvane design:\n<detail>" in a message box of the open editor.
  void ShowDesignError(const std::string& verb, const std::string& detail);
  // Stores DNA bytes from `offset` on; true when one changed.
  template <std::size_t N>
  bool StoreDnaBytes(std::size_t offset, const std::array<std::uint8_t, N>& bytes);
  // The short mute around an audible switch: fade-out 0 ms, hold 50 ms, fade-in 50 ms.
  void PostStandardMute();
  // Mute, commit and modified check of a DNA group edit that changed a byte.
  void PublishDnaGroupEdit();
  std::string LiveAuthor() const;
  // mLastDesignFolder = the path up to its last separator, when it has one.
  void RememberDesignFolderOf(const std::string& path);
  void ListCollection(OrvanePresets::Collection collection);
  // The user's answer to the unsaved-changes question.
  void AnswerReplacementQuestion(int answer, const Continuation& cont);
  // The current design file when a save may write it without asking; empty
  // when the user must pick a file.
  std::string PathToSaveWithoutAsking() const;
  void ShowOpenDesignDialog();

  AmpRenderer mRenderer;
  double mHostRate = 0.0;
  std::int32_t mHostBlockSize = 0;
  std::mutex mSnapshotMutex;
  PluginStateDocument mDocument;
  mutable std::mutex mDesignMutex;

  std::string mCurrentDesignPath;
  // The path came from a host's project and no open or save has confirmed it.
  bool mCurrentDesignPathRestored = false;
  std::string mLastDesignFolder;
  std::string mFactoryPresetsFolder;
  std::string mUserPresetsFolder;
  OrvanePresets::Collection mPresetCollection = OrvanePresets::Collection::kFactory;
  std::vector<PresetEntry> mPresetEntries;
  std::uint64_t mActivePresetIndex = 0;
  std::string mActivePresetPath;
  bool mActivePresetFactory = false;
  Design mPresetBaseline;
  bool mHasPresetBaseline = false;
  bool mPresetModified = false;
  bool mPresetFolderExists = false;

  OrvaneGUIControl* mEditorControl = nullptr;
  OrvaneLevelMeterControl* mInputMeter = nullptr;
  OrvaneLevelMeterControl* mOutputMeter = nullptr;
  std::int32_t mLastViewWidth = 0;
  std::int32_t mLastViewHeight = 0;
  std::int32_t mViewSizeRepeats = 0;

  // Cancels main-thread work this instance posted and that has not run yet.
  std::shared_ptr<MainThreadTaskGuard> mMainThreadTasks;
  // Dialog completions still to come; revoked when the editor closes.
  DialogCompletions mDialogCompletions;
};

}  // namespace orvane
