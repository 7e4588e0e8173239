#include "host/auhost_commands.h"

#include <standin/testing/images.h>
#include <standin/testing/run_loop.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "host/audio_unit_instance.h"
#include "host/auhost_audio_file.h"
#include "host/auhost_class_info.h"
#include "host/auhost_command_line.h"
#include "host/auhost_editor.h"
#include "host/auhost_failure.h"
#include "host/auhost_info.h"
#include "host/auhost_level_summary.h"
#include "host/auhost_output_file.h"
#include "host/auhost_product_state.h"
#include "host/auhost_render.h"
#include "host/auhost_validate.h"
#include "host/component_bundle.h"
#include "host/component_identity.h"
#include "host/editor_session.h"

namespace orvane::auhost {
namespace {

// Renders of at least this much audio print a progress line.
constexpr double kLongRenderSeconds = 20.0;
constexpr int kProgressStepPercent = 10;
constexpr int kJsonIndent = 2;
constexpr char kVersionOption[] = "--version";
constexpr char kStateDocumentKey[] = "stateDocument";

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

// The codes a state names, as a component description.
AudioComponentDescription SavedBy(const ClassInfo& state) {
  AudioComponentDescription saver{};
  saver.componentType = static_cast<OSType>(state.type);
  saver.componentSubType = static_cast<OSType>(state.subtype);
  saver.componentManufacturer = static_cast<OSType>(state.manufacturer);
  return saver;
}

// Why the component refused the state, where auhost can tell, as the
// component itself does not say: the state was saved by another component,
// or the Orvane component's state reader refused it. Empty otherwise.
std::string RefusalReason(const ClassInfo& state, const host::ComponentBundle& bundle) {
  const AudioComponentDescription& own = bundle.Info().description;
  const AudioComponentDescription saver = SavedBy(state);
  if (!host::SameCodes(saver, own))
    return "the state was saved by another component (" + host::DescribeComponent(saver) + "), not by this one (" +
           host::DescribeComponent(own) + ")";
  if (!IsProductComponent(own)) return {};
  try {
    CheckProductClassInfo(state);
  } catch (const Failure& reason) {
    return reason.what();
  }
  return {};
}

// Sets the state; the component decides, and a refusal says why where auhost can tell.
void RestoreState(AudioUnit unit, const ClassInfo& state, const host::ComponentBundle& bundle) {
  try {
    SetClassInfo(unit, state);
  } catch (const Failure& refused) {
    const std::string reason = RefusalReason(state, bundle);
    if (reason.empty()) throw;
    throw Failure(refused.Code(), std::string(refused.what()) + ": " + reason);
  }
}

void ApplyProductEdits(AudioUnit unit, const LoadedProductEdits& edits, const host::ComponentBundle& bundle) {
  if (edits.Any()) RestoreState(unit, EditProductClassInfo(GetClassInfo(unit), edits), bundle);
}

LoadedProductEdits LoadEdits(const CommandLine& line) {
  return LoadProductEdits(line.edits, ProductPresetFolders(line.bundle));
}

// The state and the edits that render and editor take: read and checked
// before any component is loaded, set on the unit once it is open.
struct RequestedState {
  std::optional<ClassInfo> state;
  LoadedProductEdits edits;
};

RequestedState LoadRequestedState(const CommandLine& line) {
  RequestedState requested;
  if (!line.statePath.empty()) requested.state = ReadStateFile(line.statePath);
  requested.edits = LoadEdits(line);
  return requested;
}

void ApplyRequestedState(AudioUnit unit, const RequestedState& requested, const host::ComponentBundle& bundle) {
  if (requested.state) RestoreState(unit, *requested.state, bundle);
  ApplyProductEdits(unit, requested.edits, bundle);
}

void Warn(std::ostream& err, const std::string& message) { err << "auhost: warning: " << message << "\n"; }

// The Orvane component takes a design whose controls script has an error but
// leaves its player controls (and their MIDI controllers) inactive; say so.
void WarnOfScriptProblem(const ClassInfo& info, const host::ComponentBundle& bundle, std::ostream& err) {
  if (!IsProductComponent(bundle.Info().description)) return;
  const std::string problem = ControlsScriptProblem(info);
  if (!problem.empty()) Warn(err, problem);
}

// Controller changes the Orvane component would never hear: none of the
// design's controls is bound to them, or they fall after the input's end.
// The render goes on without them.
void WarnOfUnheardChanges(const CommandLine& line, const ClassInfo& info, const AudioFileReader& reader,
                          const host::ComponentBundle& bundle, std::ostream& err) {
  if (!IsProductComponent(bundle.Info().description)) return;
  for (const std::string& warning : UnboundControllerWarnings(info, line.controllerChanges)) Warn(err, warning);
  const std::size_t frames = reader.PresentFrames();
  for (const ControllerChange& change : line.controllerChanges)
    if (change.seconds > 0.0 && static_cast<std::size_t>(change.seconds * reader.SampleRate()) >= frames)
      Warn(err, "--cc " + ControllerChangeText(change) + " reaches nothing: " + line.inputPath + " ends at " +
                    FormatSeconds(static_cast<double>(frames) / reader.SampleRate()));
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

// Empty when the file holds the frames its header states.
std::string TruncationText(const std::string& path, std::size_t stated, std::size_t present) {
  if (present >= stated) return {};
  return path + " ends before its stated length: its header states " + std::to_string(stated) +
         " frames, the file holds " + std::to_string(present) + "; the " + std::to_string(present) +
         " present are rendered";
}

// The output may not be the recording being played.
void RefuseOutputOverInput(const CommandLine& line) {
  if (IsSameFile(line.inputPath, line.outputPath))
    throw Failure(ExitCode::kAudioFile, "the output " + line.outputPath + " is the input file " + line.inputPath +
                                        ": auhost does not write over the recording it plays");
}

struct RenderSummary {
  std::string componentName;
  double sampleRate = 0.0;
  int outputChannels = 0;
  std::size_t prerollFrames = 0;
  Levels input;
  Levels output;
  RenderResult result;
  std::string truncation;
};

void PrintRenderSummary(const CommandLine& line, const RenderSummary& summary, std::ostream& out) {
  char rate[32];
  std::snprintf(rate, sizeof rate, "%g Hz", summary.sampleRate);
  out << "rendered " << line.inputPath << " through " << summary.componentName << " to " << line.outputPath << " ("
      << summary.outputChannels << " channels, " << rate << ", block " << line.blockSize << ")\n";
  const double prerollSeconds = static_cast<double>(summary.prerollFrames) / summary.sampleRate;
  if (summary.prerollFrames > 0)
    out << "pre-roll: " << FormatSeconds(prerollSeconds) << " of silence (" << summary.prerollFrames
        << " frames) before the input, left out of the output\n";
  else
    out << "pre-roll: none\n";
  out << "input:  " << FormatLevels(summary.input) << "\n";
  out << "output: " << FormatLevels(summary.output) << "\n";
  const double renderedSeconds = static_cast<double>(summary.result.frames) / summary.sampleRate + prerollSeconds;
  out << "speed:  " << FormatRenderSpeed(renderedSeconds, summary.result.wallSeconds) << "\n";
  if (!summary.truncation.empty()) out << "warning: " << summary.truncation << "\n";
}

int RunInfo(const CommandLine& line, std::ostream& out) {
  const auto bundle = LoadBundle(line.bundle);
  const auto instance = OpenInstance(*bundle);
  PrintComponentInfo(bundle->Info(), instance->Unit(), out);
  return 0;
}

int RunRender(const CommandLine& line, std::ostream& out, std::ostream& err) {
  // The user's files are checked before any component is loaded.
  AudioFileReader reader(line.inputPath);
  CheckWritableAudioPath(line.outputPath);
  RefuseOutputOverInput(line);
  const RequestedState requested = LoadRequestedState(line);
  const std::string shortFile = TruncationText(line.inputPath, reader.StatedFrames(), reader.PresentFrames());
  if (!shortFile.empty()) Warn(err, shortFile);

  const auto bundle = LoadBundle(line.bundle);
  RequireProductFor(requested.edits, *bundle);
  const auto instance = OpenInstance(*bundle);
  const AudioUnit unit = instance->Unit();

  const int fileChannels = reader.Channels();
  const auto layout = ChooseChannelLayout(ReadChannelConfigurations(unit), fileChannels);
  if (!layout)
    throw Failure(ExitCode::kAudioFile, "the component " + bundle->Info().name + " takes no input of " +
                                            std::to_string(fileChannels) + " channel(s), as " + line.inputPath +
                                            " has");
  if (layout->mixDown)
    out << "mixing the " << fileChannels << " channels of " << line.inputPath
        << " down to one: the component takes one input channel\n";

  ApplyRequestedState(unit, requested, *bundle);
  const ClassInfo inEffect = GetClassInfo(unit);
  WarnOfScriptProblem(inEffect, *bundle, err);
  WarnOfUnheardChanges(line, inEffect, reader, *bundle, err);

  const double sampleRate = reader.SampleRate();
  RenderRequest request;
  request.blockSize = line.blockSize;
  request.layout = *layout;
  request.controllerChanges = line.controllerChanges;
  request.prerollFrames = static_cast<std::size_t>(std::llround(line.prerollSeconds * sampleRate));
  request.expectedFrames = reader.PresentFrames();
  ProgressLine progress(err);
  if (static_cast<double>(reader.PresentFrames()) / sampleRate >= kLongRenderSeconds)
    request.progress = [&](double fraction) { progress.Show(fraction); };

  // The input is read and measured ahead of the render, and the output
  // written and measured, on this thread while the render goes on.
  AudioFileWriter writer(line.outputPath, sampleRate, layout->outputChannels);
  LevelMeter inputLevels;
  LevelMeter outputLevels;
  std::vector<float> fileFrames;  // the file's own channels, before a mix-down
  request.input = [&](float* to, std::size_t frames) {
    std::size_t got = 0;
    if (layout->mixDown) {
      fileFrames.resize(frames * static_cast<std::size_t>(fileChannels));
      got = reader.Read(fileFrames.data(), frames);
      MixToMono(fileFrames, fileChannels, {to, got});
    } else {
      got = reader.Read(to, frames);
    }
    inputLevels.Add({to, got * static_cast<std::size_t>(layout->inputChannels)});
    return got;
  };
  request.output = [&](std::span<const float> frames) {
    writer.Write(frames);
    outputLevels.Add(frames);
  };
  const RenderResult result = RenderStream(unit, sampleRate, request);
  progress.Finish();
  writer.Finish();

  PrintRenderSummary(line,
                     {bundle->Info().name, sampleRate, layout->outputChannels, request.prerollFrames,
                      inputLevels.Result(), outputLevels.Result(), result,
                      TruncationText(line.inputPath, reader.StatedFrames(), reader.FramesRead())},
                     out);
  return 0;
}

int RunStateSave(const CommandLine& line, std::ostream& out, std::ostream& err) {
  const LoadedProductEdits edits = LoadEdits(line);
  const auto bundle = LoadBundle(line.bundle);
  RequireProductFor(edits, *bundle);
  const auto instance = OpenInstance(*bundle);
  ApplyProductEdits(instance->Unit(), edits, *bundle);
  // Read back, so the file holds what the component made of the edits.
  const ClassInfo info = GetClassInfo(instance->Unit());
  WarnOfScriptProblem(info, *bundle, err);
  WriteStateFile(line.statePath, info);
  out << "saved the state of " << bundle->Info().name << " to " << line.statePath << " ("
      << (info.data ? info.data->size() : 0) << " bytes of data)\n";
  return 0;
}

// The state file's keys, the component's codes as four characters; for the
// product, its state document as the product reads it.
int RunStateShow(const CommandLine& line, std::ostream& out) {
  const ClassInfo info = ReadStateFile(line.statePath);
  const auto refuse = [&](const std::string& reason) {
    throw Failure(ExitCode::kStateFile, "state file " + line.statePath + ": " + reason);
  };
  // Components restore no state without its data, so none is shown.
  if (!info.data) refuse("it carries no \"data\", and a component takes no state without it");
  const AudioComponentDescription named = SavedBy(info);
  // The product's data is shown only when the product would take it.
  std::optional<PluginStateDocument> document;
  try {
    if (IsProductComponent(named)) document = CheckProductClassInfo(info);
  } catch (const Failure& refused) {
    refuse(refused.what());
  }
  nlohmann::json shown = ClassInfoToJson(info);
  if (document) shown[kStateDocumentKey] = BuildPluginStateJson(*document);
  shown["type"] = host::FourCharText(named.componentType);
  shown["subtype"] = host::FourCharText(named.componentSubType);
  shown["manufacturer"] = host::FourCharText(named.componentManufacturer);
  out << shown.dump(kJsonIndent) << "\n";
  return 0;
}

// Opens the editor as a host does, lets it settle, sizes it and runs the
// script, saves what it shows and closes it again.
int RunEditor(const CommandLine& line, std::ostream& out, std::ostream& err) {
  // The user's files are checked before any component is loaded.
  const std::vector<host::ScriptLine> script =
      line.scriptPath.empty() ? std::vector<host::ScriptLine>() : LoadEditorScript(line.scriptPath);
  OutputFile png(CheckImagePath(line.pngPath), ExitCode::kImageFile, kImageWhat);
  const RequestedState requested = LoadRequestedState(line);
  const auto bundle = LoadBundle(line.bundle);
  RequireProductFor(requested.edits, *bundle);
  const auto instance = OpenInstance(*bundle);
  ApplyRequestedState(instance->Unit(), requested, *bundle);
  WarnOfScriptProblem(GetClassInfo(instance->Unit()), *bundle, err);
  const std::string& name = bundle->Info().name;
  std::string reason;
  auto session = host::EditorSession::Open(instance->Unit(), line.screenScale, reason);
  if (!session) throw Failure(ExitCode::kNoEditor, "the component " + name + " has no editor: " + reason);
  if (session->Layer() == nullptr)
    throw Failure(ExitCode::kNoFrame, "the editor of " + name + " has no Metal layer to present frames in");
  if (!session->WaitForFrame(host::kFirstFrameLimitSeconds)) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", host::kFirstFrameLimitSeconds);
    throw Failure(ExitCode::kNoFrame, "the editor of " + name + " presented no frame within " + limit + " s");
  }
  DriveEditor(*session, name, line.editorSize, script, out, err);
  WriteEditorImage(session->Capture(), png, line.pngPath, name, out);
  return 0;
}

int Dispatch(const CommandLine& line, std::ostream& out, std::ostream& err) {
  switch (line.command) {
    case Command::kInfo:
      return RunInfo(line, out);
    case Command::kRender:
      return RunRender(line, out, err);
    case Command::kStateSave:
      return RunStateSave(line, out, err);
    case Command::kStateShow:
      return RunStateShow(line, out);
    case Command::kEditor:
      return RunEditor(line, out, err);
  }
  return 0;
}

}  // namespace

int RunAuhost(std::span<const std::string> raw, std::ostream& out, std::ostream& err) {
  // This thread pumps the run loop and so is the components' main thread.
  standin::testing::RunOnce();
  try {
    const std::vector<std::string> split = SplitOptionValues(raw);
    const std::span<const std::string> arguments(split);
    if (const auto usage = RequestedUsage(arguments)) {
      out << *usage;
      return 0;
    }
    if (!arguments.empty() && arguments.front() == kVersionOption) {
      out << VersionText();
      return 0;
    }
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
