#pragma once

// Rendering through an open component, as a host's offline bounce does:
// formats and block size set, the input given by a render callback, MIDI
// controller changes delivered at their frame, blocks pulled one after another
// on a render thread while the calling (main) thread pumps the run loop. The
// input and output stream through in stretches of frames.

#include <AudioUnit/AudioUnit.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "host/auhost_command_line.h"

namespace orvane::auhost {

// The channel counts a render uses, from the component's configurations.
struct ChannelLayout {
  int inputChannels = 0;
  int outputChannels = 0;
  bool mixDown = false;  // the file's channels are averaged into one input channel

  bool operator==(const ChannelLayout&) const = default;
};

// The component's supported channel configurations; empty when it reports none.
std::vector<AUChannelInfo> ReadChannelConfigurations(AudioUnit unit);

// The file's own channel count when a configuration takes it, else one mixed
// input channel; two output channels when any such configuration gives two,
// else the largest it gives. Negative counts in a configuration accept any
// number; with an open input, -1 outputs follow the input. Null when no
// configuration takes the file.
std::optional<ChannelLayout> ChooseChannelLayout(const std::vector<AUChannelInfo>& configurations,
                                                 int fileChannels);

// Frames read, rendered and written at a time (rounded up to whole blocks),
// so that memory stays the same whatever the length of the file.
inline constexpr std::size_t kStreamFrames = 65536;

struct RenderRequest {
  std::uint32_t blockSize = kDefaultBlockSize;
  ChannelLayout layout;
  std::vector<ControllerChange> controllerChanges;
  // Silence rendered before the input, its output dropped, so that the
  // component has settled when the input's first frame plays.
  std::size_t prerollFrames = 0;
  // The input's length as far as it is known, for progress.
  std::size_t expectedFrames = 0;
  // Called on the calling thread, ahead of the render, for the next stretch
  // of input: fills up to `frames` interleaved frames of the layout's input
  // channels, fewer only at the end (after which it is not called again).
  // What it throws stops the render and passes on.
  std::function<std::size_t(float* interleaved, std::size_t frames)> input;
  // Called on the calling thread with the fraction done, while rendering.
  std::function<void(double)> progress;
  // Called on the calling thread with each new stretch of the output,
  // interleaved and in order, while rendering. What it throws stops the
  // render and passes on.
  std::function<void(std::span<const float>)> output;
};

struct RenderResult {
  std::size_t frames = 0;  // of input read and output given
  double wallSeconds = 0.0;
};

// Renders the whole input at `sampleRate`: the component is initialised here
// and uninitialised at the end. Controller changes at second 0 are sent before
// the pre-roll, later ones at their frame of the input. Throws
// Failure(kComponentError) naming the call that the component refused.
RenderResult RenderStream(AudioUnit unit, double sampleRate, const RenderRequest& request);

}  // namespace orvane::auhost
