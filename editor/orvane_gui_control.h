#pragma once

// The one control that shows and edits the whole design. It keeps its own
// copies of everything it shows, so drawing never touches the plug-in's
// records; the plug-in core pushes whole-design refreshes and the preset bar
// into it, and it reports edits through its callbacks. Main thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "design/controls_script.h"
#include "engine/dna_table.h"
#include "engine/engine_settings.h"
#include "graphics/control.h"

namespace orvane {

using plugkit::graphics::IControl;
using plugkit::graphics::IGraphics;
using plugkit::graphics::IRECT;

inline constexpr int kEditorPlotCount = 5;
inline constexpr int kMidiCCCount = 128;

class OrvaneGUIControl : public IControl {
public:
  using VoidFunc = std::function<void()>;
  using BoolFunc = std::function<void(bool)>;
  using IndexBoolFunc = std::function<void(int, bool)>;
  using IntFunc = std::function<void(int)>;
  using IndexValueFunc = std::function<void(int, double)>;
  using DnaByteFunc = std::function<void(int, unsigned char)>;
  using StageCopyFunc = std::function<void(int, int)>;
  using PreampStageDnaFunc = std::function<void(int, const std::array<unsigned char, 11>&)>;
  using ToneStackDnaFunc = std::function<void(const std::array<unsigned char, 16>&)>;
  using PowerAmpDnaFunc = std::function<void(const std::array<unsigned char, 13>&)>;
  using GainFunc = std::function<void(bool, double)>;
  using TextFunc = std::function<void(const std::string&)>;
  using MidiCcStateFunc = std::function<std::uint64_t(int)>;
  using SampleRateFunc = std::function<double()>;

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

  // Drawing comes with the renderer.
  void Draw(IGraphics&) override {}

  // Entry points of the plug-in core.
  void SetPresetBrowserState(bool factoryShown, bool activeIsFactory, int activeIndexFrom1, int entryCount,
                             bool modified, bool folderExists, std::string presetLabel,
                             std::vector<std::string> entryNames);
  // Adopts a new script: parses it, fits the values to its controls and
  // refreshes the effective amplifier.
  void SetScriptText(const std::string& script, const std::vector<double>& playerValues);
  // Effective DNA, knobs and sections from the design copies through the
  // script's mappings; raises the flags of the plots whose inputs changed.
  void RefreshEffectiveAmp();
  // Idle work: follows the MIDI controllers and the sample rate.
  void UpdatePlots();
  void ApplyMidiCCToPlayerControls();

  // Fields the plug-in core writes directly (each write followed by MarkDirty).
  std::string mDesignName;
  std::string mDesignDescription;
  std::uint64_t mNameCaret = 0;
  std::uint64_t mDescriptionCaret = 0;
  std::string mDesignFileLabel;

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
  MidiCcStateFunc getMidiCcState;
  SampleRateFunc getSampleRate;

  std::string mScriptText;
  std::uint64_t mScriptCaret = 0;
  ParsedControlsScript mParsedScript;
  std::vector<double> mPlayerValues;
  std::array<std::uint64_t, kMidiCCCount> mLastMidiCounters{};

  double mPlotSampleRate = 48000.0;
  double mLastSampleRate = 48000.0;
  std::array<bool, kEditorPlotCount> mPlotDirty{true, true, true, true, true};

  DnaBytes mEffectiveDna{};
  AmpKnobs mEffectiveKnobs{};
  DnaBytes mDesignDna{};
  AmpKnobs mDesignKnobs{};
  std::array<bool, kDnaSize> mDnaMapped{};
  std::array<bool, kAmpKnobCount> mKnobMapped{};
  std::int32_t mOversampling = 1;
  std::int32_t mToneStackPosition = 4;
  double mInputGainDb = 0.0;
  double mOutputGainDb = 0.0;
  bool mPlayerView = true;
  bool mAmplifierEnabled = true;
  float mThemeAnimation = 0.f;
  float mViewAnimation = 0.f;      // 0 in PLAY view, 1 in EDIT view
  float mAmplifierAnimation = 1.f;  // 1 on, 0 off

  // The preset bar.
  bool mFactoryPresetsShown = true;
  bool mActivePresetIsFactory = false;
  bool mPresetModified = false;
  bool mPresetFolderExists = false;
  std::vector<std::string> mPresetNames;
  std::string mActivePresetName;
  std::int32_t mActivePresetIndex = 0;
  std::int32_t mPresetCount = 0;

  AmpSections mEffectiveSections{true, true, true, true, true, true};
  AmpSections mDesignSections{true, true, true, true, true, true};
  AmpBypassGains mBypassGainDb{};

private:
  void RaisePlotFlagsOfChanges(const DnaBytes& oldDna, const AmpKnobs& oldKnobs);
  void FitPlayerValues();
};

}  // namespace orvane
