#include "product_test_support.h"

#include <array>

#include <standin/testing/bundles.h>

#include "design/design_file.h"
#include "support/graphics/recording_graphics.h"
#include "plugin/update_check_globals.h"
#include "update_check_reset.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace orvane::testing {

namespace {

constexpr int kRenderRate = 48000;

}  // namespace

void TestOrvane::Edit(const std::function<void(PluginStateDocument&)>& change) {
  std::lock_guard lock(mDesignMutex);
  change(mDocument);
}

const RuntimeSnapshot* TestOrvane::RenderBlock(int nFrames) {
  std::vector<double> input(static_cast<std::size_t>(nFrames), 0.0);
  std::vector<double> left(static_cast<std::size_t>(nFrames), 0.0);
  std::vector<double> right(static_cast<std::size_t>(nFrames), 0.0);
  const double* inputs[] = {input.data()};
  double* outputs[] = {left.data(), right.data()};
  mRenderer.ProcessBlock(inputs, outputs, nFrames, BlockFormat{1, 2, kRenderRate});
  return mRenderer.CurrentSnapshot();
}

void TestOrvane::OpenHeadlessEditor() {
  SetMakeGraphicsFunc([this] {
    return new plugkit::testing::RecordingGraphics(*this, kOrvaneEditorWidth, kOrvaneEditorHeight);
  });
  OpenEditor(nullptr);
}

void TestOrvane::SendControlChange(int cc, int value) {
  constexpr std::uint8_t kControlChange = 0xB0;
  HandleMidiInput(plugkit::IMidiMsg(0, kControlChange, static_cast<std::uint8_t>(cc), static_cast<std::uint8_t>(value)));
}

ProductSandbox::ProductSandbox(bool withDefaultPreset) {
  fs::create_directories(Home());
  mHome = std::make_unique<ScopedEnvironmentVariable>("HOME", Home().string());
  const fs::path bundle = mFolder.Path() / "Orvane.component";
  fs::create_directories(FactoryFolder());
  WriteFileBytes(bundle / "Contents" / "Info.plist",
                 std::string("<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>") +
                     kOrvaneBundleIdentifier + "</string></dict></plist>");
  if (withDefaultPreset) fs::copy_file(CommittedDefaultPreset(), FactoryFolder() / "Default.orv");
  standin::testing::RegisterBundle(bundle.string());
}

ProductSandbox::~ProductSandbox() { ResetProcessWideState(); }

fs::path ProductSandbox::FactoryFolder() const {
  return mFolder.Path() / "Orvane.component" / "Contents" / "Resources" / "Presets";
}

std::unique_ptr<TestOrvane> ProductSandbox::MakeInstance() const { return std::make_unique<TestOrvane>(); }

fs::path WriteDesign(const fs::path& folder, const std::string& fileName, const std::string& designName) {
  fs::create_directories(folder);
  Design design;
  design.name = designName;
  std::string error;
  const fs::path path = folder / fileName;
  WriteDesignFile(path.string(), design, error);
  return path;
}

fs::path CommittedDefaultPreset() { return fs::path(ORVANE_SOURCE_DIR) / "resources" / "Presets" / "Default.orv"; }

}  // namespace orvane::testing
