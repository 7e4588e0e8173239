#pragma once

// A plug-in bundle in a temporary folder, registered under its identifier
// (give the recording graphics the same through SetBundleIdentifier), whose
// Resources folder a test fills with fixtures.

#include <filesystem>
#include <string>

#include "graphics/graphics_types.h"
#include "support/temp_folder.h"

namespace plugkit::testing {

class ResourceBundle {
public:
  explicit ResourceBundle(std::string identifier);

  const std::string& Identifier() const { return mIdentifier; }
  std::filesystem::path Resources() const;
  // A PNG of width x height pixels in one colour.
  void WritePng(const std::string& name, int width, int height,
                const graphics::IColor& color = graphics::kColorWhite) const;
  void WriteText(const std::string& name, const std::string& text) const;

private:
  TempFolder mFolder;
  std::string mIdentifier;
};

}  // namespace plugkit::testing
