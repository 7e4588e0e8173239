#pragma once

// Rendering a clip through an open component, as a host's offline bounce
// does: formats and block size set, the input given by a render callback,
// MIDI controller changes delivered at their frame, blocks pulled one after
// another on a render thread while the calling (main) thread pumps the run
// loop.

#include <AudioUnit/AudioUnit.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "host/auhost_audio_file.h"
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

struct RenderRequest {
  std::uint32_t blockSize = kDefaultBlockSize;
  ChannelLayout layout;
  std::vector<ControllerChange> controllerChanges;
  // Called on the calling thread with the fraction done, while rendering.
  std::function<void(double)> progress;
  // Called on the calling thread with each new stretch of the output,
  // interleaved and in order, while rendering. What it throws stops the
  // render and passes on.
  std::function<void(std::span<const float>)> output;
};

struct RenderResult {
  double wallSeconds = 0.0;
};

// `input` holds layout.inputChannels channels at the rate to render at. The
// component is initialised here and uninitialised at the end. Throws
// Failure(kComponentError) naming the call that the component refused.
RenderResult RenderClip(AudioUnit unit, const AudioClip& input, const RenderRequest& request);

}  // namespace orvane::auhost
