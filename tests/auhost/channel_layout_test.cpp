#include <gtest/gtest.h>

#include "host/auhost_render.h"

namespace orvane::auhost {
namespace {

TEST(AuhostChannelLayout, MonoInStereoOutIsPreferredAndStereoFilesAreMixedDown) {
  const std::vector<AUChannelInfo> product = {{1, 2}, {1, 1}};
  EXPECT_EQ(ChooseChannelLayout(product, 1), (ChannelLayout{1, 2, false}));
  EXPECT_EQ(ChooseChannelLayout(product, 2), (ChannelLayout{1, 2, true}));
  EXPECT_EQ(ChooseChannelLayout(product, 6), (ChannelLayout{1, 2, true}));
  EXPECT_EQ(ChooseChannelLayout({{1, 1}, {1, 2}}, 1), (ChannelLayout{1, 2, false}));
}

TEST(AuhostChannelLayout, FilesKeepTheirChannelsWhenTheComponentTakesThem) {
  EXPECT_EQ(ChooseChannelLayout({{1, 1}, {2, 2}}, 2), (ChannelLayout{2, 2, false}));
  // Both counts open: the output follows the input.
  EXPECT_EQ(ChooseChannelLayout({{-1, -1}}, 3), (ChannelLayout{3, 3, false}));
  // Any input, any output: two out.
  EXPECT_EQ(ChooseChannelLayout({{-1, -2}}, 1), (ChannelLayout{1, 2, false}));
  EXPECT_EQ(ChooseChannelLayout({{2, 6}}, 2), (ChannelLayout{2, 6, false}));
}

TEST(AuhostChannelLayout, NoConfigurationForTheFile) {
  EXPECT_FALSE(ChooseChannelLayout({{2, 2}}, 1));
  EXPECT_FALSE(ChooseChannelLayout({}, 1));
  EXPECT_FALSE(ChooseChannelLayout({{1, 0}}, 1));
}

}  // namespace
}  // namespace orvane::auhost
