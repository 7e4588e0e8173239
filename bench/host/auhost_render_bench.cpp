// What `auhost render` costs beyond the component's own work. Each iteration
// runs the whole command on a minute of guitar through the default design at
// 1x, and renders the same minute with a bare render loop from memory (the
// component's share: opening, initialising and rendering). The difference is
// auhost's own: reading, converting and writing, the run loop, the summary.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "host/audio_unit_instance.h"
#include "host/auhost_audio_file.h"
#include "host/auhost_commands.h"
#include "host/auhost_render.h"
#include "host/component_bundle.h"
#include "host/render_loop.h"

namespace {

namespace fs = std::filesystem;
using namespace orvane;

constexpr double kRate = 48000.0;
constexpr int kSeconds = 60;
constexpr int kRepetitions = 5;

// A temporary home (the product keeps its settings there) with the input file.
class Workspace {
public:
  Workspace() : mFolder(fs::temp_directory_path() / ("auhost_render_bench_" + std::to_string(::getpid()))) {
    fs::create_directories(mFolder);
    setenv("HOME", mFolder.c_str(), 1);
    auhost::WriteAudioFile(Input(), Guitar());
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(mFolder, ignored);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  std::string Input() const { return (mFolder / "guitar.wav").string(); }
  std::string Output() const { return (mFolder / "rendered.wav").string(); }

  // Plucked notes with a few harmonics, a new note every half second.
  static auhost::AudioClip Guitar() {
    const double notes[] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
    auhost::AudioClip clip;
    clip.sampleRate = kRate;
    clip.channels = 1;
    const int frames = static_cast<int>(kRate) * kSeconds;
    const int noteLength = static_cast<int>(kRate) / 2;
    clip.samples.resize(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
      const double t = (i % noteLength) / kRate;
      const double f = notes[(i / noteLength) % 6];
      double x = 0.0;
      for (int h = 1; h <= 6; ++h) {
        x += std::sin(2.0 * std::numbers::pi * f * h * t) / (h * h) * std::exp(-t * (2.0 + h));
      }
      clip.samples[static_cast<std::size_t>(i)] = static_cast<float>(0.3 * x);
    }
    return clip;
  }

private:
  fs::path mFolder;
};

struct MemoryInput {
  const std::vector<float>* samples;
};

OSStatus ProvideFromMemory(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp, UInt32,
                           UInt32 frames, AudioBufferList* data) {
  const std::vector<float>& samples = *static_cast<MemoryInput*>(refCon)->samples;
  const auto first = static_cast<std::size_t>(timeStamp->mSampleTime);
  const std::size_t available = std::min<std::size_t>(frames, samples.size() - std::min(first, samples.size()));
  for (UInt32 buffer = 0; buffer < data->mNumberBuffers; ++buffer) {
    auto* out = static_cast<float*>(data->mBuffers[buffer].mData);
    std::memcpy(out, samples.data() + first, available * sizeof(float));
    std::fill(out + available, out + frames, 0.0f);
  }
  return noErr;
}

// The component alone: the bundle opened, the minute rendered block by block
// with the same formats, block size and channels as auhost uses.
double RenderBare(const std::vector<float>& input) {
  const auto started = std::chrono::steady_clock::now();
  std::string error;
  const auto bundle = host::ComponentBundle::Load(ORVANE_BUNDLE, error);
  OSStatus status = noErr;
  const auto instance = host::AudioUnitInstance::Open(*bundle, status);
  const AudioUnit unit = instance->Unit();
  const auto layout = *auhost::ChooseChannelLayout(auhost::ReadChannelConfigurations(unit), 1);
  host::RenderLoop loop(unit, auhost::kDefaultBlockSize, {static_cast<UInt32>(layout.outputChannels)});
  Float64 rate = kRate;
  AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof rate);
  const auto inputFormat = host::FloatStreamFormat(kRate, layout.inputChannels);
  AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &inputFormat,
                       sizeof inputFormat);
  const auto outputFormat = host::FloatStreamFormat(kRate, layout.outputChannels);
  AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &outputFormat,
                       sizeof outputFormat);
  const UInt32 block = auhost::kDefaultBlockSize;
  AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &block,
                       sizeof block);
  MemoryInput source{&input};
  loop.SetInputCallback(0, ProvideFromMemory, &source);
  AudioUnitInitialize(unit);
  for (std::size_t start = 0; start < input.size(); start += block) {
    loop.RenderBlock(static_cast<UInt32>(std::min<std::size_t>(block, input.size() - start)));
  }
  AudioUnitUninitialize(unit);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

double RunCommand(const Workspace& workspace) {
  // Without the pre-roll: its silence is the component's work, which the bare render leaves out.
  const std::string arguments[] = {"render", ORVANE_BUNDLE, workspace.Input(), workspace.Output(), "--preroll", "0"};
  std::ostringstream out;
  std::ostringstream err;
  const auto started = std::chrono::steady_clock::now();
  if (auhost::RunAuhost(arguments, out, err) != 0) {
    throw std::runtime_error("auhost render failed: " + err.str());
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void BM_AuhostRenderOverhead(benchmark::State& state) {
  const Workspace workspace;
  const std::vector<float> input = Workspace::Guitar().samples;
  RunCommand(workspace);
  RenderBare(input);
  double commandSeconds = 0.0;
  double bareSeconds = 0.0;
  for (auto _ : state) {
    const double command = RunCommand(workspace);
    bareSeconds += RenderBare(input);
    commandSeconds += command;
    state.SetIterationTime(command);
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["command_ms"] = 1000.0 * commandSeconds / runs;
  state.counters["component_ms"] = 1000.0 * bareSeconds / runs;
  state.counters["own_ms"] = 1000.0 * (commandSeconds - bareSeconds) / runs;
  state.counters["own_share"] = (commandSeconds - bareSeconds) / bareSeconds;
}
BENCHMARK(BM_AuhostRenderOverhead)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

}  // namespace
