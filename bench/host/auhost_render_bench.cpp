// What `auhost render` costs beyond the component's own work. Each iteration
// renders a minute of guitar through the default design at 1x three ways:
// with a bare render loop from memory (the component's share: loading,
// opening, initialising, rendering and closing it), with the whole command
// over the previous output, and with the whole command to a new file. The
// differences are auhost's own: reading, converting and writing, the threads
// and the run loop, the summary, and the waits on the disk. Beside them, the
// files alone are read and written as the command does, without a render.
//
// Counters, per run; the median over the runs is the figure to read on a
// shared machine:
//   component_ms, component_cpu_ms   the bare render, wall and CPU (user+sys)
//   own_ms, own_share                the command replacing its previous output,
//                                    beyond the bare render, and over it
//   own_cpu_ms, own_cpu_share        the same in CPU time of all threads
//   new_own_ms, new_own_share        the command writing a file that was not there
//   files_cpu_ms, files_cpu_share    the files alone, with nothing rendered,
//                                    measured or handed between threads: the
//                                    input read and an output of the rendered
//                                    size written over the previous one, CPU
//                                    time (the floor of own_cpu_ms)
//   finish_ms                        the disk waits of the safe replacement alone:
//                                    closing and flushing that output a render's
//                                    time after it was written, and renaming it
//                                    over the previous one (whose blocks the file
//                                    system frees then)
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <span>
#include <sstream>
#include <string>
#include <thread>
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
constexpr int kRepetitions = 15;
constexpr double kMilliseconds = 1000.0;

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
  std::string NewOutput() const { return (mFolder / "new.wav").string(); }

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

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * t.tv_usec; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall and CPU seconds (all threads) of one call.
struct Cost {
  double wall = 0.0;
  double cpu = 0.0;

  Cost& operator+=(const Cost& other) {
    wall += other.wall;
    cpu += other.cpu;
    return *this;
  }
};

template <typename Work>
Cost Measure(Work&& work) {
  const double cpu = CpuSeconds();
  const auto started = std::chrono::steady_clock::now();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), CpuSeconds() - cpu};
}

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

// The component alone: the bundle loaded, an instance opened, the minute
// rendered block by block with the same formats, block size and channels as
// auhost uses, and all of it closed again.
void RenderBare(const std::vector<float>& input) {
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
}

void RunCommand(const Workspace& workspace, const std::string& output) {
  // Without the pre-roll: its silence is the component's work, which the bare render leaves out.
  const std::string arguments[] = {"render", ORVANE_BUNDLE, workspace.Input(), output, "--preroll", "0"};
  std::ostringstream out;
  std::ostringstream err;
  if (auhost::RunAuhost(arguments, out, err) != 0) {
    throw std::runtime_error("auhost render failed: " + err.str());
  }
}

// The files alone: the input read a stretch at a time and an output of the
// rendered size written over the previous one a piece at a time, as the
// command does; then, given as long as a render takes to reach the disk, the
// replacement finished (its wall time is the disk's waits).
struct FilesCost {
  double cpu = 0.0;
  double finishWall = 0.0;
};

FilesCost FilesAlone(const Workspace& workspace, std::size_t frames, double renderSeconds) {
  auhost::AudioFileWriter writer(workspace.Output(), kRate, 2);
  const Cost io = Measure([&] {
    auhost::AudioFileReader reader(workspace.Input());
    std::vector<float> piece(2 * auhost::kStreamFrames);
    while (reader.Read(piece.data(), auhost::kStreamFrames) == auhost::kStreamFrames) {
    }
    for (std::size_t written = 0; written < frames; written += auhost::kStreamFrames)
      writer.Write(std::span<const float>(piece).first(2 * std::min(auhost::kStreamFrames, frames - written)));
  });
  std::this_thread::sleep_for(std::chrono::duration<double>(renderSeconds));
  const Cost finish = Measure([&] { writer.Finish(); });
  return {io.cpu + finish.cpu, finish.wall};
}

void BM_AuhostRenderOverhead(benchmark::State& state) {
  const Workspace workspace;
  const std::vector<float> input = Workspace::Guitar().samples;
  RunCommand(workspace, workspace.Output());
  RenderBare(input);
  Cost bare, replacing, fresh;
  FilesCost files;
  for (auto _ : state) {
    const Cost component = Measure([&] { RenderBare(input); });
    bare += component;
    const Cost command = Measure([&] { RunCommand(workspace, workspace.Output()); });
    replacing += command;
    fs::remove(workspace.NewOutput());
    fresh += Measure([&] { RunCommand(workspace, workspace.NewOutput()); });
    const FilesCost alone = FilesAlone(workspace, input.size(), component.wall);
    files.cpu += alone.cpu;
    files.finishWall += alone.finishWall;
    state.SetIterationTime(command.wall);
  }
  const double runs = static_cast<double>(state.iterations());
  const auto ms = [&](double seconds) { return kMilliseconds * seconds / runs; };
  state.counters["component_ms"] = ms(bare.wall);
  state.counters["component_cpu_ms"] = ms(bare.cpu);
  state.counters["own_ms"] = ms(replacing.wall - bare.wall);
  state.counters["own_share"] = (replacing.wall - bare.wall) / bare.wall;
  state.counters["own_cpu_ms"] = ms(replacing.cpu - bare.cpu);
  state.counters["own_cpu_share"] = (replacing.cpu - bare.cpu) / bare.cpu;
  state.counters["new_own_ms"] = ms(fresh.wall - bare.wall);
  state.counters["new_own_share"] = (fresh.wall - bare.wall) / bare.wall;
  state.counters["files_cpu_ms"] = ms(files.cpu);
  state.counters["files_cpu_share"] = files.cpu / bare.cpu;
  state.counters["finish_ms"] = ms(files.finishWall);
}
BENCHMARK(BM_AuhostRenderOverhead)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

}  // namespace
