// The product plug-in: configuration, construction, destruction and the small
// framework overrides.

#include "plugin/orvane.h"

#include <cmath>
#include <utility>

#include "editor/orvane_editor.h"
#include "graphics/graphics_context.h"
#include "plugin/main_thread_task.h"
#include "plugin/settings_file.h"
#include "plugin/update_check.h"

namespace orvane {

namespace {

constexpr int kFactoryPresetSlots = 1;
constexpr int kOrvaneVersion = 0x00010004;
constexpr int kHostParameterDnaLast = static_cast<int>(kDnaSize) - 1;
constexpr std::uint32_t kByteMask = 0xFF;

}  // namespace

plugkit::PluginConfig MakeOrvaneConfig() {
  plugkit::PluginConfig config;
  config.nParams = 0;  // everything the user sets travels in the state
  config.nPresets = kFactoryPresetSlots;
  config.channelIOStr = "1-2 1-1";
  config.pluginName = "Orvane";
  config.productName = "Orvane";
  config.mfrName = "Vellumtone";
  config.vendorVersion = kOrvaneVersion;
  config.uniqueID = plugkit::MakeFourCC("Orvn");
  config.mfrID = plugkit::MakeFourCC("Vltn");
  config.latency = 0;
  config.plugDoesMidiIn = true;
  config.plugDoesMidiOut = false;
  config.plugDoesMPE = false;
  config.plugDoesChunks = true;
  config.plugType = 0;
  config.plugHasUI = true;
  config.plugWidth = kOrvaneEditorWidth;
  config.plugHeight = kOrvaneEditorHeight;
  config.plugMinWidth = kOrvaneEditorWidth / 3;
  config.plugMaxWidth = kOrvaneEditorWidth * 3;
  config.plugMinHeight = kOrvaneEditorHeight / 3;
  config.plugMaxHeight = kOrvaneEditorHeight * 3;
  config.plugHostResize = true;
  config.bundleID = kOrvaneBundleIdentifier;
  config.appGroupID = "group.com.Vellumtone.Orvane";
  return config;
}

AmpEnginePair Orvane::BuildAmpEngine(double rateHz, const Design& design, std::int32_t oversampling) {
  return ::orvane::BuildAmpEngine(EngineSettingsOf(design, oversampling), rateHz);
}

Orvane::Orvane(const plugkit::InstanceInfo& info)
    : IPluginAU(info, MakeOrvaneConfig()),
      mMainThreadTasks(std::make_shared<MainThreadTaskGuard>()) {
  ReadSettings();
  StartUpdateCheckOnce();
  mDocument.state.playerView = true;
  mDocument.design = MakeDefaultDesign();
  StartupPresetLoad();
  StoreLinearTrimGains(mDocument.design);
  RebuildPresetLists();
  InstallEngines(GetSampleRate());
  mHostRate = GetSampleRate();
  mHostBlockSize = GetBlockSize();
  SetMakeGraphicsFunc([this] { return OrvaneEditorGraphicsFactory(*this); });
  SetLayoutFunc([this](plugkit::graphics::IGraphics* graphics) { OrvaneEditorLayout(*this, graphics); });
  CommitDesign(-1, -1);
}

Orvane::~Orvane() {
  mMainThreadTasks->Cancel();
  // The editor's controls point into this object: close it while the members live.
  CloseEditor();
  // The renderer then frees the pending, current and retired snapshots and the engines.
}

void Orvane::InstallEngines(double rateHz) {
  mRenderer.InstallEngines(BuildAmpEngine(rateHz, mDocument.design, mDocument.state.oversampling),
                           EngineSettingsOf(mDocument.design, mDocument.state.oversampling), rateHz);
}

void Orvane::StoreLinearTrimGains(const Design& design) {
  mRenderer.SetInputGain(std::pow(10.0, design.trims.inputGainDb / 20.0));
  mRenderer.SetOutputGain(std::pow(10.0, design.trims.outputGainDb / 20.0));
}

PluginStateDocument Orvane::CopyDocument() const {
  std::lock_guard lock(mDesignMutex);
  return mDocument;
}

void Orvane::SaveSettings() { WriteSettings(); }

// Framework overrides -------------------------------------------------------------

void Orvane::OnProcessorReset() {
  const double rate = GetSampleRate();
  const double previous = mHostRate;
  mHostRate = rate;
  mHostBlockSize = GetBlockSize();
  if (rate != previous) mRenderer.PublishHostSampleRate(rate);
}

void Orvane::HandleMidiInput(const plugkit::IMidiMsg& msg) {
  mRenderer.HandleMidiInput(msg.mStatus, msg.mData1, msg.mData2);
}

void Orvane::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  const BlockFormat format{ConnectedChannelCount(plugkit::kInput), ConnectedChannelCount(plugkit::kOutput),
                           GetSampleRate()};
  mRenderer.ProcessBlock(inputs, outputs, nFrames, format);
}

void Orvane::OnEditorResizedByHost(int width, int height) {
  IPluginAU::OnEditorResizedByHost(width, height);
  if (width >= 1 && height >= 1 && GetUI() != nullptr) GetUI()->Resize(width, height, 1.f, false);
}

int Orvane::EvaluateHostViewSize(int width, int height) {
  if (width < 1 || height < 1) return kAskAgain;
  if (width != mLastViewWidth || height != mLastViewHeight) {
    mLastViewWidth = width;
    mLastViewHeight = height;
    mViewSizeRepeats = 1;
    return kAskAgain;
  }
  const int repeats = mViewSizeRepeats++;
  const plugkit::graphics::IGraphics* graphics = GetUI();
  if (repeats < 1 || graphics == nullptr) return kAskAgain;
  return width >= graphics->Width() && height >= graphics->Height() ? kKeepSize : kAdoptHostSize;
}

void Orvane::OnParamValue(int paramIdx) {
  if (static_cast<unsigned>(paramIdx) > static_cast<unsigned>(kHostParameterDnaLast)) return;
  const plugkit::IParam* param = GetParam(paramIdx);
  if (param == nullptr) return;
  {
    std::lock_guard lock(mDesignMutex);
    const auto truncated = static_cast<std::int32_t>(static_cast<float>(param->Value()));
    mDocument.design.amplifier.dna[static_cast<std::size_t>(paramIdx)] =
        static_cast<std::uint8_t>(static_cast<std::uint32_t>(truncated) & kByteMask);
  }
  CommitDesign(paramIdx, -1);
}

void Orvane::OnEditorClosed() {
  mDialogCompletions.CancelPending();
  mEditorControl = nullptr;
  mInputMeter = nullptr;
  mOutputMeter = nullptr;
  mLastViewWidth = 0;
  mLastViewHeight = 0;
  mViewSizeRepeats = 0;
}

void Orvane::OnStateRestored() {
  IPluginAU::OnStateRestored();
  if (OnMainThread()) {
    FinishStateRestore(true);
    return;
  }
  // The audio follows the restored design at once; the bookkeeping and the
  // editor belong to the main thread.
  CommitDesign(-1, -1);
  MainThreadTaskGuard::Post(mMainThreadTasks, [this] { FinishStateRestore(false); });
}

}  // namespace orvane
