// Reading a bundle's Info.plist and loading its library.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "host_test_support.h"
#include "support/test_paths.h"

namespace orvane::host::testing {
namespace {

namespace fs = std::filesystem;

// A bundle folder of our own under the temporary folder.
class ScratchBundle {
public:
  ScratchBundle() {
    std::random_device random;
    mFolder = fs::temp_directory_path() / ("host-test-" + std::to_string(random()) + ".component");
    fs::create_directories(mFolder / "Contents" / "MacOS");
  }
  ~ScratchBundle() {
    std::error_code ignored;
    fs::remove_all(mFolder, ignored);
  }
  ScratchBundle(const ScratchBundle&) = delete;
  ScratchBundle& operator=(const ScratchBundle&) = delete;

  std::string Folder() const { return mFolder.string(); }

  void WritePlist(const std::map<std::string, std::string>& entries) const {
    std::ofstream plist(mFolder / "Contents" / "Info.plist");
    plist << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : entries) plist << "<key>" << key << "</key><string>" << value << "</string>\n";
    plist << "</dict>\n</plist>\n";
  }
  void WriteRawPlist(const std::string& text) const { std::ofstream(mFolder / "Contents" / "Info.plist") << text; }
  // The test plug-in's library under another name.
  void LinkLibrary(const std::string& name) const {
    fs::create_symlink(fs::path(AU_TEST_PLUGIN_BUNDLE) / "Contents" / "MacOS" / "AUTestPlugin",
                       mFolder / "Contents" / "MacOS" / name);
  }

private:
  fs::path mFolder;
};

std::map<std::string, std::string> GoodEntries() {
  return {{"CFBundleIdentifier", "com.plugkit.tests.scratch"},
          {"CFBundleExecutable", "Scratch"},
          {"AudioComponentType", "aumf"},
          {"AudioComponentSubType", "Scr1"},
          {"AudioComponentManufacturer", "Plkt"},
          {"AudioComponentFactoryFunction", "AUTestPlugin_Factory"}};
}

TEST(ComponentInfo, ReadsTheTestPluginsPropertyList) {
  ComponentInfo info;
  std::string error;
  ASSERT_TRUE(ReadComponentInfo(AU_TEST_PLUGIN_BUNDLE, info, error)) << error;
  EXPECT_EQ(info.bundleIdentifier, "com.plugkit.tests.autestplugin");
  EXPECT_EQ(info.bundleVersion, "1.0.4");
  EXPECT_EQ(info.executableName, "AUTestPlugin");
  EXPECT_EQ(info.factoryFunction, "AUTestPlugin_Factory");
  EXPECT_EQ(info.name, "Plugkit Tests: AU Test Plugin");
  EXPECT_EQ(info.description.componentType, kAudioUnitType_MusicEffect);
  EXPECT_EQ(info.description.componentSubType, standin::FourCharCodeOf("Atst"));
  EXPECT_EQ(info.description.componentManufacturer, standin::FourCharCodeOf("Plkt"));
  EXPECT_EQ(info.version, 0x00010004u);
}

TEST(ComponentInfo, RefusesMissingMalformedOrIncompleteLists) {
  ScratchBundle bundle;
  ComponentInfo info;
  std::string error;
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;

  bundle.WriteRawPlist("<plist><dict><key>CFBundleIdentifier</key>");
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("malformed"), std::string::npos) << error;

  auto entries = GoodEntries();
  entries.erase("AudioComponentFactoryFunction");
  bundle.WritePlist(entries);
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("AudioComponentFactoryFunction"), std::string::npos) << error;

  // Not cut at the NUL: that would load the factory the bytes before it name.
  entries = GoodEntries();
  entries["AudioComponentFactoryFunction"] = std::string("AUTestPlugin_Factory\0Other", 26);
  bundle.WritePlist(entries);
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("malformed property list"), std::string::npos) << error;
  EXPECT_NE(error.find("U+0000 (a NUL byte)"), std::string::npos) << error;

  entries = GoodEntries();
  entries["AudioComponentSubType"] = "Toolong";
  bundle.WritePlist(entries);
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("four characters"), std::string::npos) << error;

  entries = GoodEntries();
  entries["CFBundleExecutable"] = "../../lib/other";
  bundle.WritePlist(entries);
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("inside Contents/MacOS"), std::string::npos) << error;

  entries = GoodEntries();
  entries["AudioComponentVersion"] = "1.2";
  bundle.WritePlist(entries);
  EXPECT_FALSE(ReadComponentInfo(bundle.Folder(), info, error));
  EXPECT_NE(error.find("decimal"), std::string::npos) << error;
}

TEST(ComponentInfo, ExecutableDefaultsToTheBundleName) {
  ScratchBundle bundle;
  auto entries = GoodEntries();
  entries.erase("CFBundleExecutable");
  bundle.WritePlist(entries);
  ComponentInfo info;
  std::string error;
  ASSERT_TRUE(ReadComponentInfo(bundle.Folder() + "/", info, error)) << error;
  EXPECT_EQ(info.executableName, fs::path(bundle.Folder()).stem().string());
}

TEST(ComponentBundleLoad, ReportsAMissingLibraryOrFactory) {
  ScratchBundle bundle;
  bundle.WritePlist(GoodEntries());
  std::string error;
  EXPECT_EQ(ComponentBundle::Load(bundle.Folder(), error), nullptr);
  EXPECT_NE(error.find("cannot load"), std::string::npos) << error;

  bundle.LinkLibrary("Scratch");
  auto entries = GoodEntries();
  entries["AudioComponentFactoryFunction"] = "NoSuchFactory";
  bundle.WritePlist(entries);
  EXPECT_EQ(ComponentBundle::Load(bundle.Folder(), error), nullptr);
  EXPECT_NE(error.find("exports no NoSuchFactory"), std::string::npos) << error;
}

TEST(ComponentBundleLoad, TheClassInfoMustNameTheRegisteredComponent) {
  const std::string registered = "type aumf, subtype Scr1, manufacturer Plkt";
  const std::string reported = "type aumf, subtype Atst, manufacturer Plkt";
  const struct {
    std::string subtype;
    std::string mismatch;  // empty when the two agree
  } cases[] = {{"Atst", ""},
               {"Scr1", "the Info.plist registers " + registered + ", but the component reports " + reported +
                            " in its class info"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subtype);
    ScratchBundle bundle;
    bundle.LinkLibrary("Scratch");
    auto entries = GoodEntries();
    entries["AudioComponentSubType"] = c.subtype;
    bundle.WritePlist(entries);

    std::string error;
    const auto checked = ComponentBundle::Load(bundle.Folder(), error);
    EXPECT_EQ(checked == nullptr, !c.mismatch.empty());
    EXPECT_EQ(error, c.mismatch);

    const auto unchecked = ComponentBundle::Load(bundle.Folder(), error, ComponentBundle::IdentityCheck::kLeftToCaller);
    ASSERT_NE(unchecked, nullptr) << error;
    EXPECT_EQ(CheckComponentIdentity(unchecked->Info(), unchecked->Component(), error), c.mismatch.empty());
    EXPECT_EQ(error, c.mismatch);
  }
}

TEST(ComponentBundleLoad, RegistersTheComponentUnderItsDescription) {
  const ComponentBundle& bundle = TestPluginBundle();
  AudioComponentDescription description{};
  ASSERT_EQ(AudioComponentGetDescription(bundle.Component(), &description), noErr);
  EXPECT_EQ(description.componentSubType, standin::FourCharCodeOf("Atst"));
  EXPECT_NE(bundle.Symbol("AUTestPlugin_Entry"), nullptr);
  EXPECT_EQ(bundle.Symbol("_ZN7plugkit9IPluginAU10InitializeEv"), nullptr) << "only the entry points are exported";
}

}  // namespace
}  // namespace orvane::host::testing
