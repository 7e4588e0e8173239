#include "framework/host_identification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_plugin.h"

namespace plugkit {
namespace {

using testing::TestPlugin;

TEST(HostIdentificationTest, LongerTextsWinOverTheTextsTheyContain) {
  EXPECT_EQ(LookUpHost("WaveLab Elements 11"), kHostWaveLabElements);
  EXPECT_EQ(LookUpHost("WAVELAB ELEMENTS"), 32);
  EXPECT_EQ(LookUpHost("WaveLab Pro"), kHostWaveLab);
  EXPECT_EQ(LookUpHost("wavelab"), 31);
}

TEST(HostIdentificationTest, KnownHostsMatchInAnyLetterCase) {
  EXPECT_EQ(LookUpHost("Logic Pro"), 21);
  EXPECT_EQ(LookUpHost("LOGIC"), kHostLogic);
  EXPECT_EQ(LookUpHost("GarageBand"), 22);
  EXPECT_EQ(LookUpHost("Blue Cat's VST Host"), 44);
  EXPECT_EQ(LookUpHost("BLUE CAT'S VST HOST 3"), kHostBlueCat);
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("Bitwig Studio"), kHostBitwig);
}

TEST(HostIdentificationTest, TheTableOrderDecidesBetweenTwoMatches) {
  // "live" comes before "standalone" and "www".
  EXPECT_EQ(LookUpHost("standalone live www"), kHostLive);
  EXPECT_EQ(LookUpHost("my standalone app at www"), kHostStandalone);
}

TEST(HostIdentificationTest, UnknownEmptyAndNullNamesGiveUnknown) {
  EXPECT_EQ(LookUpHost("Some Other Host"), kHostUnknown);
  EXPECT_EQ(LookUpHost(""), 0);
  EXPECT_EQ(LookUpHost(nullptr), 0);
}

TEST(HostIdentificationTest, OnlyAsciiLettersAreFolded) {
  // U+0130 (capital I with dot, C4 B0) must not fold into an ASCII "i".
  EXPECT_EQ(LookUpHost("AUD\xC4\xB0T\xC4\xB0ON"), kHostUnknown);
  // Bytes above 0x7F next to a match leave the match intact.
  EXPECT_EQ(LookUpHost("\xFF\xFEreaper\xFF"), kHostReaper);
}

TEST(HostIdentificationTest, OnlyTheStartOfAVeryLongNameIsMatched) {
  const std::string padding(kHostNameMatchSize - 4, 'x');
  EXPECT_EQ(LookUpHost((padding + "bias").c_str()), kHostUnknown);
  EXPECT_EQ(LookUpHost((padding.substr(4) + "bias").c_str()), kHostBias);
}

TEST(HostIdentificationTest, IdentifyHostStoresClassifiesThenNotifies) {
  TestPlugin plugin;
  EXPECT_EQ(plugin.GetHost(), kHostUninit);
  const std::string longName = std::string(400, 'y') + " Logic";
  plugin.IdentifyHost(longName.c_str(), 0x000C0300);
  EXPECT_EQ(plugin.GetHostName(), longName);  // stored whole, though matched on its start only
  EXPECT_EQ(plugin.GetHost(), kHostUnknown);
  EXPECT_EQ(plugin.mLog, (std::vector<std::string>{"identified 0", "version 787200"}));

  plugin.IdentifyHost("Logic Pro X", 0x000A0401);
  EXPECT_EQ(plugin.GetHost(), kHostLogic);
  EXPECT_EQ(plugin.GetHostVersion(true), 100401);
}

TEST(VersionTextsTest, VersionsInPackedDecimalAndTextForm) {
  TestPlugin plugin;
  EXPECT_EQ(plugin.GetPluginVersion(true), 10004);
  StrBuf text;
  plugin.GetPluginVersionString(text);
  EXPECT_STREQ(text.Get(), "v1.0.4");
  plugin.IdentifyHost("Host", 0x000C0300);
  plugin.GetHostVersionString(text);
  EXPECT_STREQ(text.Get(), "v12.3.0");
}

TEST(VersionTextsTest, APINamesCoverCodesZeroToEightOnly) {
  EXPECT_STREQ(TestPlugin().GetAPIString(), "AU");
  EXPECT_STREQ(IPluginBase::APIName(0), "VST2");
  EXPECT_STREQ(IPluginBase::APIName(8), "CLAP");
  EXPECT_STREQ(IPluginBase::APIName(9), "");
  EXPECT_STREQ(IPluginBase::APIName(-1), "");
}

TEST(VersionTextsTest, BuildInfoNamesVersionAPIProcessorDateAndMinutes) {
  TestPlugin plugin;
  StrBuf info;
  plugin.GetBuildInfoString(info, "Dec  7 2026", "05:26:08");
  const std::string expected =
      std::string("v1.0.4 AU (") + IPluginBase::GetArchString() + "), built on Dec  7 2026 at 05:26 ";
  EXPECT_EQ(info.Get(), expected);
}

}  // namespace
}  // namespace plugkit
