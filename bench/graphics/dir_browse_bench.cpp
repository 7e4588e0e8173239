// Building a file menu from 5,000 files in 50 folders: the folder scan, the
// sorted insertion of every item and the item list collected afterwards. And
// a tree of 17 levels whose every folder holds two links to the next: the
// scan stops entering folders at its limit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "graphics/controls/dir_browse_control_base.h"
#include "support/temp_folder.h"

namespace {

using namespace plugkit::graphics;

constexpr int kFolders = 50;
constexpr int kFilesPerFolder = 100;

class Browser : public IDirBrowseControlBase {
public:
  using IDirBrowseControlBase::IDirBrowseControlBase;
  void Draw(IGraphics&) override {}
  void ShowSelectedFile() override {}
};

void BM_SetupMenu5000FilesIn50Folders(benchmark::State& state) {
  TempFolder folder;
  for (int f = 0; f < kFolders; ++f)
    for (int i = 0; i < kFilesPerFolder; ++i)
      folder.Write("folder" + std::to_string(f) + "/preset " + std::to_string(i * 7919 % 1000) + ".txt", "");
  Browser browser(IRECT(), "txt", false);
  browser.AddPath(folder.path().c_str(), "");
  for (auto _ : state) {
    browser.SetupMenu();
    benchmark::DoNotOptimize(browser.NItems());
  }
}
BENCHMARK(BM_SetupMenu5000FilesIn50Folders)->Unit(benchmark::kMillisecond);

constexpr int kLinkedLevels = 17;

void BM_SetupMenuDepth17TwoLinksPerLevel(benchmark::State& state) {
  TempFolder folder;
  const auto level = [&](int i) { return folder.path() / ("level" + std::to_string(i)); };
  for (int i = 0; i <= kLinkedLevels; ++i) folder.Write(level(i) / "preset.txt", "");
  for (int i = 0; i < kLinkedLevels; ++i)
    for (const char* link : {"a", "b"}) std::filesystem::create_directory_symlink(level(i + 1), level(i) / link);
  Browser browser(IRECT(), "txt", false);
  browser.AddPath(level(0).c_str(), "");
  for (auto _ : state) {
    browser.SetupMenu();
    benchmark::DoNotOptimize(browser.NItems());
  }
  state.counters["items"] = browser.NItems();
}
BENCHMARK(BM_SetupMenuDepth17TwoLinksPerLevel)->Unit(benchmark::kMillisecond);

}  // namespace
