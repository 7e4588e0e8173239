#include "host/auhost_commands.h"

#include <standin/testing/run_loop.h>

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "host/audio_unit_instance.h"
#include "host/auhost_audio_file.h"
#include "host/auhost_class_info.h"
#include "host/auhost_command_line.h"
#include "host/auhost_failure.h"
#include "host/auhost_info.h"
#include "host/auhost_level_summary.h"
#include "host/auhost_product_state.h"
#include "host/auhost_render.h"
#include "host/auhost_validate.h"
#include "host/component_bundle.h"

namespace orvane::auhost {
namespace {

// Renders of at least this much audio print a progress line.
constexpr double kLongRenderSeconds = 20.0;
constexpr int kProgressStepPercent = 10;
constexpr int kJsonIndent = 2;

std::unique_ptr<host::ComponentBundle> LoadBundle(const std::string& folder) {
  std::string error;
  auto bundle = host::ComponentBundle::Load(folder, error);
  if (!bundle) throw Failure(ExitCode::kBundle, "cannot load bundle " + folder + ": " + error);
  return bundle;
}

std::unique_ptr<host::AudioUnitInstance> OpenInstance(const host::ComponentBundle& bundle) {
  OSStatus status = noErr;
  auto instance = host::AudioUnitInstance::Open(bundle, status);
  if (!instance)
    throw Failure(ExitCode::kComponentError,
                  "the component " + bundle.Info().name + " did not open (status " + std::to_string(status) + ")");
  return instance;
}

void RequireProductFor(const LoadedProductEdits& edits, const host::ComponentBundle& bundle) {
  if (edits.Any() && !IsProductComponent(bundle.Info().description))
    throw Failure(ExitCode::kUsage,
                  "--design and --oversampling apply only to the Orvane component, not to " + bundle.Info().name);
}

void ApplyProductEdits(AudioUnit unit, const LoadedProductEdits& edits) {
  if (edits.Any()) SetClassInfo(unit, EditProductClassInfo(GetClassInfo(unit), edits));
}

// Prints "progress: N%" at each step; on a terminal the line is rewritten.
class ProgressLine {
public:
  explicit ProgressLine(std::ostream& out) : mOut(out), mRewrite(isatty(STDERR_FILENO) == 1) {}
  void Show(double fraction) {
    const int percent = static_cast<int>(fraction * 100.0) / kProgressStepPercent * kProgressStepPercent;
    if (percent <= mShown) return;
    mShown = percent;
    mOut << "progress: " << percent << "%" << (mRewrite ? "\r" : "\n") << std::flush;
  }
  void Finish() {
    if (mRewrite && mShown >= 0) mOut << "\n";
  }

private:
  std::ostream& mOut;
  bool mRewrite;
  int mShown = -1;
};

void PrintRenderSummary(const CommandLine& line, const std::string& componentName, const AudioClip& input,
                        int outputChannels, const Levels& inputLevels, const Levels& outputLevels,
                        const RenderResult& result, std::ostream& out) {
  char rate[32];
  std::snprintf(rate, sizeof rate, "%g Hz", input.sampleRate);
  out << "rendered " << line.inputPath << " through " << componentName << " to " << line.outputPath << " ("
      << outputChannels << " channels, " << rate << ", block " << line.blockSize << ")\n";
  out << "input:  " << FormatLevels(inputLevels) << "\n";
  out << "output: " << FormatLevels(outputLevels) << "\n";
  out << "speed:  " << FormatRenderSpeed(input.Seconds(), result.wallSeconds) << "\n";
}

int RunInfo(const CommandLine& line, std::ostream& out) {
  const auto bundle = LoadBundle(line.bundle);
  const auto instance = OpenInstance(*bundle);
  PrintComponentInfo(bundle->Info(), instance->Unit(), out);
  return 0;
}

int RunRender(const CommandLine& line, std::ostream& out, std::ostream& err) {
  // The user's files are checked before any component is loaded.
  const AudioClip clip = ReadAudioFile(line.inputPath);
  const std::optional<ClassInfo> state =
      line.statePath.empty() ? std::nullopt : std::optional<ClassInfo>(ReadStateFile(line.statePath));
  const LoadedProductEdits edits = LoadProductEdits(line.edits);
  const auto bundle = LoadBundle(line.bundle);
  RequireProductFor(edits, *bundle);
  const auto instance = OpenInstance(*bundle);
  const AudioUnit unit = instance->Unit();

  const auto layout = ChooseChannelLayout(ReadChannelConfigurations(unit), clip.channels);
  if (!layout)
    throw Failure(ExitCode::kAudioFile, "the component " + bundle->Info().name + " takes no input of " +
                                            std::to_string(clip.channels) + " channel(s), as " + line.inputPath +
                                            " has");
  if (layout->mixDown)
    out << "mixing the " << clip.channels << " channels of " << line.inputPath
        << " down to one: the component takes one input channel\n";

  if (state) SetClassInfo(unit, *state);
  ApplyProductEdits(unit, edits);

  RenderRequest request;
  request.blockSize = line.blockSize;
  request.layout = *layout;
  request.controllerChanges = line.controllerChanges;
  ProgressLine progress(err);
  if (clip.Seconds() >= kLongRenderSeconds) request.progress = [&](double fraction) { progress.Show(fraction); };
  const AudioClip mixed = layout->mixDown ? MixToMono(clip) : AudioClip{};
  const AudioClip& input = layout->mixDown ? mixed : clip;

  // The output is written, and both clips measured, while the render goes on.
  AudioFileWriter writer(line.outputPath, input.sampleRate, layout->outputChannels);
  LevelMeter inputLevels;
  LevelMeter outputLevels;
  std::size_t framesTaken = 0;
  request.output = [&](std::span<const float> frames) {
    writer.Write(frames);
    outputLevels.Add(frames);
    const std::size_t count = frames.size() / static_cast<std::size_t>(layout->outputChannels);
    const auto inputChannels = static_cast<std::size_t>(input.channels);
    inputLevels.Add(std::span<const float>(input.samples).subspan(framesTaken * inputChannels, count * inputChannels));
    framesTaken += count;
  };
  const RenderResult result = RenderClip(unit, input, request);
  progress.Finish();
  writer.Finish();
  PrintRenderSummary(line, bundle->Info().name, input, layout->outputChannels, inputLevels.Result(),
                     outputLevels.Result(), result, out);
  return 0;
}

int RunStateSave(const CommandLine& line, std::ostream& out) {
  const LoadedProductEdits edits = LoadProductEdits(line.edits);
  const auto bundle = LoadBundle(line.bundle);
  RequireProductFor(edits, *bundle);
  const auto instance = OpenInstance(*bundle);
  ApplyProductEdits(instance->Unit(), edits);
  // Read back, so the file holds what the component made of the edits.
  const ClassInfo info = GetClassInfo(instance->Unit());
  WriteStateFile(line.statePath, info);
  out << "saved the state of " << bundle->Info().name << " to " << line.statePath << " ("
      << (info.data ? info.data->size() : 0) << " bytes of data)\n";
  return 0;
}

int RunStateShow(const CommandLine& line, std::ostream& out) {
  const ClassInfo info = ReadStateFile(line.statePath);
  AudioComponentDescription named{};
  named.componentSubType = static_cast<OSType>(info.subtype);
  named.componentManufacturer = static_cast<OSType>(info.manufacturer);
  // The product's data is shown only when the product would take it.
  try {
    if (IsProductComponent(named)) CheckProductClassInfo(info);
  } catch (const Failure& refused) {
    throw Failure(ExitCode::kStateFile, "state file " + line.statePath + ": " + refused.what());
  }
  out << ClassInfoToJson(info).dump(kJsonIndent) << "\n";
  return 0;
}

int Dispatch(const CommandLine& line, std::ostream& out, std::ostream& err) {
  switch (line.command) {
    case Command::kHelp:
      out << kUsageText;
      return 0;
    case Command::kInfo:
      return RunInfo(line, out);
    case Command::kRender:
      return RunRender(line, out, err);
    case Command::kStateSave:
      return RunStateSave(line, out);
    case Command::kStateShow:
      return RunStateShow(line, out);
  }
  return 0;
}

}  // namespace

int RunAuhost(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  // This thread pumps the run loop and so is the components' main thread.
  standin::testing::RunOnce();
  try {
    if (!arguments.empty() && arguments.front() == validate::kValidateCommand)
      return validate::RunValidate(arguments.subspan(1), out);
    return Dispatch(ParseCommandLine(arguments), out, err);
  } catch (const Failure& failure) {
    err << "auhost: " << failure.what() << "\n";
    if (failure.Code() == ExitCode::kUsage) err << "(auhost help shows the usage)\n";
    return static_cast<int>(failure.Code());
  } catch (const std::exception& error) {
    err << "auhost: " << error.what() << "\n";
    return static_cast<int>(ExitCode::kComponentError);
  }
}

}  // namespace orvane::auhost
