// Plot datasets: the clipboard export of a plot's curves and the reference
// dataset loaded from a file.

#include <filesystem>
#include <sstream>
#include <string>

#include "common/str_buf.h"
#include "editor/orvane_gui_control.h"
#include "editor/plot_dataset.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

using plugkit::StrBuf;
using plugkit::graphics::kFileOpen;
using plugkit::graphics::kMB_OK;

constexpr char kCopyFailedText[] = "Could not copy the plot dataset to the clipboard.";
constexpr char kCopyFailedCaption[] = "Orvane";
constexpr char kReferenceErrorCaption[] = "Orvane plot reference";
constexpr char kReferenceExtensions[] = "csv txt tsv";

constexpr const char* kToneStackSeriesNames[kToneStackCurveCount] = {"TONE_0", "TONE_100", "TONE_50",
                                                                     "TONE_CURRENT"};

std::string PreampSeriesName(int stage) { return "PREAMP_" + std::to_string(stage + 1); }

std::string PlotReferencePath(const std::string& fileName, const std::string& folder) {
  const std::filesystem::path name(fileName);
  if (name.is_absolute() || folder.empty()) return fileName;
  return (std::filesystem::path(folder) / name).string();
}

}  // namespace

std::string OrvaneGUIControl::PlotDatasetText(PlotKind kind) const {
  constexpr bool kInDb = true;
  constexpr bool kRaw = false;
  std::ostringstream text;
  const auto& preampShown = mPreampCurveVisible[kind == kPlotPreampLinear ? 0 : 1];
  switch (kind) {
    case kPlotPreampLinear:
      for (int stage = 0; stage < kPreampStageCount; ++stage) {
        if (!preampShown[static_cast<std::size_t>(stage)]) continue;
        const FrequencyCurve& curve = mPlotData.PreampResponse(stage);
        AppendSeriesText(text, PreampSeriesName(stage), curve.frequencies, curve.magnitudes, kInDb);
      }
      break;
    case kPlotPreampNonLinear:
      for (int stage = 0; stage < kPreampStageCount; ++stage) {
        if (!preampShown[static_cast<std::size_t>(stage)]) continue;
        AppendTransferSeriesText(text, PreampSeriesName(stage), mPlotData.PreampInput(),
                                 mPlotData.PreampOutput(stage), kRaw);
      }
      break;
    case kPlotToneStack:
      for (std::size_t setting = 0; setting < kToneStackCurveCount; ++setting) {
        const FrequencyCurve& curve = mPlotData.ToneStackResponse(static_cast<int>(setting));
        AppendSeriesText(text, kToneStackSeriesNames[setting], curve.frequencies, curve.magnitudes, kInDb);
      }
      break;
    case kPlotPowerAmpLinear: {
      const FrequencyCurve& curve = mPlotData.PowerResponse();
      AppendSeriesText(text, "POWER_AMP_LINEAR", curve.frequencies, curve.magnitudes, kInDb);
      break;
    }
    case kPlotPowerAmpNonLinear:
      AppendTransferSeriesText(text, "POWER_AMP_NONLINEAR", mPlotData.PowerInput(), mPlotData.PowerOutput(), kRaw);
      break;
  }
  const PlotSeries& reference = mPlotReferences[kind];
  if (mPlotReferenceShown[kind] && !reference.x.empty())
    AppendSeriesText(text, "REFERENCE", reference.x, reference.y, kRaw);
  return text.str();
}

void OrvaneGUIControl::CopyPlotDataset(int plot) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr || !IsPlotKind(plot)) return;
  const std::string text = PlotDatasetText(static_cast<PlotKind>(plot));
  if (!graphics->SetClipboardText(text.c_str())) graphics->ShowAlert(kCopyFailedText, kCopyFailedCaption, kMB_OK);
}

void OrvaneGUIControl::PromptForPlotReference(int plot) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr || !IsPlotKind(plot)) return;
  StrBuf fileName("");
  StrBuf folder("");
  // The dialog answers from the main run loop, possibly after the editor closed.
  auto completion = mDialogCompletions.Guard<const StrBuf&, const StrBuf&>(
      [this, plot](const StrBuf& chosenFile, const StrBuf& chosenFolder) {
        LoadPlotReference(plot, chosenFile.Get(), chosenFolder.Get());
      });
  graphics->ChooseFile(fileName, folder, kFileOpen, kReferenceExtensions, std::move(completion));
}

void OrvaneGUIControl::LoadPlotReference(int plot, const std::string& fileName, const std::string& folder) {
  if (fileName.empty() || !IsPlotKind(plot)) return;
  PlotSeries series;
  std::string error;
  if (!ParsePlotReferenceFile(PlotReferencePath(fileName, folder), series, error)) {
    if (IGraphics* graphics = GetUI()) graphics->ShowAlert(error.c_str(), kReferenceErrorCaption, kMB_OK);
    return;
  }
  const auto kind = static_cast<std::size_t>(plot);
  mPlotReferences[kind] = std::move(series);
  mPlotReferenceShown[kind] = true;
  InvalidatePlotLayer(plot);
}

}  // namespace orvane
