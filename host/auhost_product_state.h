#pragma once

// What auhost knows of one product: the Orvane component's state chunk, so
// --design and --oversampling can edit the plug-in-state JSON it carries and
// state show can check it. Everything else in auhost treats components alike.

#include <AudioUnit/AudioComponent.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/design.h"
#include "plugin/state/plugin_state.h"

#include "host/auhost_class_info.h"
#include "host/auhost_command_line.h"

namespace orvane::auhost {

// Whether the description is the Orvane component's.
bool IsProductComponent(const AudioComponentDescription& description);

// The deepest nesting of arrays and objects auhost reads in a state's text:
// writing a document back recurses once per level. The product's own nest
// four deep.
inline constexpr std::size_t kMaxStateNesting = 100;

// Where the product finds its preset collections: the factory folder in its
// bundle, the user folder in the home folder ($HOME). Empty when unknown.
struct PresetFolders {
  std::string factory;
  std::string user;
};
PresetFolders ProductPresetFolders(const std::string& bundleFolder);

// A design as opening its file leaves the product: its player values fitted
// to its script, the file's absolute path (empty for a design of no file) and
// whether the file lies directly in a preset folder.
struct OpenedDesign {
  Design design;
  std::string path;
  bool inFactoryFolder = false;
  bool inUserFolder = false;
};
OpenedDesign OpenDesign(Design design, const std::string& path, const PresetFolders& folders);

// The edits with the design file read and checked.
struct LoadedProductEdits {
  std::optional<OpenedDesign> design;
  std::optional<int> oversampling;

  bool Any() const { return design.has_value() || oversampling.has_value(); }
};

// Throws Failure(kDesignFile) naming the file and the reason when the design
// file cannot be read or is not a valid design.
LoadedProductEdits LoadProductEdits(const ProductEdits& edits, const PresetFolders& folders);

// The chunk with its JSON text edited: the design (its player values becoming
// the state's too, and the state's current path, collection, active preset
// and baseline set as opening its file sets them) and the oversampling
// factor. Throws Failure(kStateFile) for a chunk that is not the product's or
// nests deeper than kMaxStateNesting.
std::vector<std::uint8_t> EditProductChunk(const std::vector<std::uint8_t>& chunk, const LoadedProductEdits& edits);

// The state document as the product reads it from this class info. Throws
// Failure(kStateFile) with the reason when the product would refuse it:
// another type, no data, a broken chunk header or a state document the
// product cannot read; and for a text nesting deeper than kMaxStateNesting.
PluginStateDocument CheckProductClassInfo(const ClassInfo& info);

// Empty when the design in the state has a valid controls script (or the
// state cannot be read); otherwise "the design's controls script has an error
// on line N: ...; its player controls are inactive".
std::string ControlsScriptProblem(const ClassInfo& info);

// Warnings for controller changes that the design in the state leaves
// unheard: one when its script declares no control, otherwise one for each
// controller no control is bound to. None when the state or its script
// cannot be read (ControlsScriptProblem tells of the script's error).
std::vector<std::string> UnboundControllerWarnings(const ClassInfo& info, const std::vector<ControllerChange>& changes);

// EditProductChunk on the class info's "data"; Failure(kStateFile) without one.
ClassInfo EditProductClassInfo(const ClassInfo& info, const LoadedProductEdits& edits);

}  // namespace orvane::auhost
