#include "support/graphics/resource_bundle.h"

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>

#include <utility>

#include "support/graphics/image_files.h"

namespace plugkit::testing {

namespace {

constexpr const char* kBundleFolder = "Resources.component";

}  // namespace

ResourceBundle::ResourceBundle(std::string identifier) : mIdentifier(std::move(identifier)) {
  const std::filesystem::path bundle = mFolder.path() / kBundleFolder;
  mFolder.Write(bundle / "Contents/Info.plist",
                "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>" + mIdentifier +
                    "</string></dict></plist>");
  std::filesystem::create_directories(Resources());
  EXPECT_NE(standin::testing::RegisterBundle(bundle.string()), nullptr);
}

std::filesystem::path ResourceBundle::Resources() const { return mFolder.path() / kBundleFolder / "Contents/Resources"; }

void ResourceBundle::WritePng(const std::string& name, int width, int height, const graphics::IColor& color) const {
  EXPECT_TRUE(WriteSolidPng(Resources() / name, width, height, color)) << name;
}

void ResourceBundle::WriteText(const std::string& name, const std::string& text) const {
  mFolder.Write(Resources() / name, text);
}

}  // namespace plugkit::testing
