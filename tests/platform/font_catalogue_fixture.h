#pragma once

#include <gtest/gtest.h>
#include <standin/testing/fonts.h>
#include <standin/testing/objects.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/graphics/font_files.h"
#include "support/temp_folder.h"

namespace plugkit::testing {

// Font tests whose catalogue of installed fonts holds only copies of DejaVu
// Sans Mono and its bold face in a temporary folder, whatever the machine
// has; each test must leave the live CF object count as it found it.
class FontCatalogueTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sFolder = std::make_unique<TempFolder>();
    for (const std::string& name : {kDejaVuMonoFile, kDejaVuMonoBoldFile}) {
      std::filesystem::copy_file(std::filesystem::path(kDejaVuFolder) / name, sFolder->path() / name);
    }
    UseCatalogue(sFolder->path());
  }
  static void TearDownTestSuite() {
    standin::testing::UseSystemFonts();
    sFolder.reset();
  }

  void SetUp() override { mObjectsAtStart = standin::testing::LiveObjectCount(); }
  void TearDown() override {
    if (mCatalogueChanged) UseCatalogue(sFolder->path());
    EXPECT_EQ(standin::testing::LiveObjectCount(), mObjectsAtStart) << "CF objects leaked";
  }

  static void UseCatalogue(const std::filesystem::path& folder) {
    ASSERT_TRUE(standin::testing::UseFontFolders({folder.string()}));
  }
  // For this test only: the suite's catalogue comes back after it.
  void UseOtherCatalogue(const std::filesystem::path& folder) {
    UseCatalogue(folder);
    mCatalogueChanged = true;
  }
  static std::filesystem::path Copied(const std::string& name) { return sFolder->path() / name; }
  static FontBytes Mono() { return ReadFontFile(Copied(kDejaVuMonoFile)); }
  static FontBytes MonoBold() { return ReadFontFile(Copied(kDejaVuMonoBoldFile)); }
  static void WriteFile(const std::filesystem::path& path, const FontBytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }

  static inline std::unique_ptr<TempFolder> sFolder;

private:
  long mObjectsAtStart = 0;
  bool mCatalogueChanged = false;
};

}  // namespace plugkit::testing
