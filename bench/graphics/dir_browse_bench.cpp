// Building a file menu from 5,000 files in 50 folders: the folder scan, the
// sorted insertion of every item and the item list collected afterwards.
#include <benchmark/benchmark.h>

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

}  // namespace
