#pragma once

// What auhost knows of one product: the Orvane component's state chunk, so
// --design and --oversampling can edit the plug-in-state JSON it carries and
// state show can check it. Everything else in auhost treats components alike.

#include <AudioUnit/AudioComponent.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/design.h"

#include "host/auhost_class_info.h"
#include "host/auhost_command_line.h"

namespace orvane::auhost {

// Whether the description is the Orvane component's.
bool IsProductComponent(const AudioComponentDescription& description);

// The edits with the design file read and checked.
struct LoadedProductEdits {
  std::optional<Design> design;
  std::optional<int> oversampling;

  bool Any() const { return design.has_value() || oversampling.has_value(); }
};

// Throws Failure(kDesignFile) naming the file and the reason when the design
// file cannot be read or is not a valid design.
LoadedProductEdits LoadProductEdits(const ProductEdits& edits);

// The chunk with its JSON text edited: the design (its player-control values
// becoming the state's too) and the oversampling factor. Throws
// Failure(kStateFile) for a chunk that is not the product's.
std::vector<std::uint8_t> EditProductChunk(const std::vector<std::uint8_t>& chunk, const LoadedProductEdits& edits);

// Throws Failure(kStateFile) with the reason when the product would refuse
// this class info: another type, no data, a broken chunk header or a state
// document the product cannot read.
void CheckProductClassInfo(const ClassInfo& info);

// Empty when the design in the state has a valid controls script (or the
// state cannot be read); otherwise "the design's controls script has an error
// on line N: ...; its player controls are inactive".
std::string ControlsScriptProblem(const ClassInfo& info);

// EditProductChunk on the class info's "data"; Failure(kStateFile) without one.
ClassInfo EditProductClassInfo(const ClassInfo& info, const LoadedProductEdits& edits);

}  // namespace orvane::auhost
