#pragma once

// Where the suites find the source tree's data and the programs and bundles
// the build makes. The paths are compiled into one generated file of the test
// support rather than into every suite's command line, so that a clone of the
// tree in another folder still hits the compiler cache for the suites.

namespace orvane::testing::paths {

extern const char* const kSourceDir;
extern const char* const kFontCacheDir;
extern const char* const kGoldenDir;
extern const char* const kEditorDataDir;
extern const char* const kSvgDataDir;
extern const char* const kProductBundle;
extern const char* const kAuTestPluginBundle;
extern const char* const kAuThrowingPluginBundle;
extern const char* const kAuBrokenPluginBundle;
extern const char* const kAuhostProgram;
extern const char* const kPluckNotesProgram;
extern const char* const kStandinProbeComponent;

}  // namespace orvane::testing::paths

#define ORVANE_SOURCE_DIR (::orvane::testing::paths::kSourceDir)
#define ORVANE_FONT_CACHE_DIR (::orvane::testing::paths::kFontCacheDir)
#define ORVANE_GOLDEN_DIR (::orvane::testing::paths::kGoldenDir)
#define ORVANE_EDITOR_DATA_DIR (::orvane::testing::paths::kEditorDataDir)
#define ORVANE_SVG_DATA_DIR (::orvane::testing::paths::kSvgDataDir)
#define ORVANE_PRODUCT_BUNDLE (::orvane::testing::paths::kProductBundle)
#define ORVANE_BUNDLE ORVANE_PRODUCT_BUNDLE
#define AU_TEST_PLUGIN_BUNDLE (::orvane::testing::paths::kAuTestPluginBundle)
#define AU_THROWING_PLUGIN_BUNDLE (::orvane::testing::paths::kAuThrowingPluginBundle)
#define AU_BROKEN_PLUGIN_BUNDLE (::orvane::testing::paths::kAuBrokenPluginBundle)
#define AUHOST_PROGRAM (::orvane::testing::paths::kAuhostProgram)
#define PLUCK_NOTES_PROGRAM (::orvane::testing::paths::kPluckNotesProgram)
#define STANDIN_PROBE_COMPONENT (::orvane::testing::paths::kStandinProbeComponent)
