#include <gtest/gtest.h>
#include <standin/testing/bundles.h>

#include <map>
#include <string>

namespace {

using Entries = std::map<std::string, std::string>;
using standin::testing::ParseInfoPlist;

constexpr const char* kComponentPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- the component description -->
<dict>
  <key>CFBundleIdentifier</key>
  <string>com.Vellumtone.audiounit.Orvane</string>
  <key>CFBundleVersion</key><string>1.0.4</string>
  <key>CFBundleSignature</key><integer>7</integer>
  <key>Flags</key><array><string>a</string><dict><key>x</key><true/></dict></array>
  <key>NAME</key>
  <string>Vellumtone: Orvane &amp; &lt;friends&gt; &#233;&#x2014;</string>
  <key>Empty</key><string/>
  <key>Enabled</key><false/>
</dict>
</plist>
)";

TEST(InfoPlistTest, ReadsTopLevelKeyStringPairsAndSkipsOtherValues) {
  Entries entries;
  ASSERT_TRUE(ParseInfoPlist(kComponentPlist, entries));
  const Entries expected = {
      {"CFBundleIdentifier", "com.Vellumtone.audiounit.Orvane"},
      {"CFBundleVersion", "1.0.4"},
      {"NAME", "Vellumtone: Orvane & <friends> \xC3\xA9\xE2\x80\x94"},
      {"Empty", ""},
  };
  EXPECT_EQ(entries, expected);
}

TEST(InfoPlistTest, EmptyDictionaryIsWellFormed) {
  Entries entries{{"stale", "x"}};
  EXPECT_TRUE(ParseInfoPlist("<plist><dict/></plist>", entries));
  EXPECT_TRUE(entries.empty());
}

TEST(InfoPlistTest, RefusesMalformedListsWithoutPartialEntries) {
  const char* malformed[] = {
      "",
      "not xml at all",
      "<plist><dict><key>A</key><string>1</string>",                            // never closed
      "<plist><dict><key>A</key><string>1</dict></plist>",                      // string not closed
      "<plist><array><string>1</string></array></plist>",                       // root is not a dictionary
      "<plist><dict><key>A</key></dict></plist>",                               // key without value
      "<plist><dict><string>1</string></dict></plist>",                         // value without key
      "<plist><dict><key>A</key><string>&bogus;</string></dict></plist>",       // unknown entity
      "<plist><dict><key>A</key><string>&#0;</string></dict></plist>",          // NUL reference
      "<plist><dict><key>A</key><string>&#1;</string></dict></plist>",          // control reference
      "<plist><dict><key>A</key><string>&#xD800;</string></dict></plist>",      // surrogate reference
      "<plist><dict><key>A</key><array><dict></array></dict></plist>",          // crossed tags
      "<plist><dict><key>A</key><string>1</string></dict></plist>trailing",     // text after the root
      "<plist><dict><key>A</key><string>\xC3</string></dict></plist>",          // invalid UTF-8
      "<plist><dict><key>A</key><string>1</string></dict></plist><plist>",      // a second root
      "<plist><dict><key>A</key><string a=\"1>1</string></dict></plist>",       // unterminated attribute
      "<plist><dict><key>A</key><integer>1x</integer></dict></plist>",          // not a number
      "<plist><dict><key>A</key><integer>9223372036854775808</integer></dict></plist>",  // beyond 64 bits
      "<plist><dict><key>A</key><real>one</real></dict></plist>",               // not a number
      "<plist><dict><key>A</key><data>a$b=</data></dict></plist>",              // not base64
      "<plist><dict><key>A</key><true>yes</true></dict></plist>",               // a boolean with text
      "<plist><dict><key>A</key><colour/></dict></plist>",                      // no kind of value
  };
  for (const char* text : malformed) {
    Entries entries;
    EXPECT_FALSE(ParseInfoPlist(text, entries)) << text;
    EXPECT_TRUE(entries.empty()) << text;
  }
}

TEST(InfoPlistTest, ACharacterXmlForbidsIsRefusedNotCutAt) {
  const struct {
    std::string text;
    std::string reason;
  } cases[] = {
      {std::string("<plist><dict><key>A</key><string>Orvane_Factory\0tail</string></dict></plist>", 76),
       "it holds U+0000 (a NUL byte) at byte 47, which XML does not allow"},
      {"<plist><dict><key>A</key><string>bell\x07</string></dict></plist>",
       "it holds U+0007 at byte 37, which XML does not allow"},
      {"<plist>", "it is not a well-formed property list with a dictionary at its root"},
  };
  for (const auto& c : cases) {
    Entries entries;
    std::string reason;
    EXPECT_FALSE(ParseInfoPlist(c.text, entries, &reason));
    EXPECT_EQ(reason, c.reason);
    EXPECT_TRUE(entries.empty());
  }
}

TEST(InfoPlistTest, RefusesNestingBeyondAnyRealList) {
  std::string deep = "<plist><dict><key>A</key>";
  for (int i = 0; i < 1000; ++i) deep += "<array>";
  for (int i = 0; i < 1000; ++i) deep += "</array>";
  deep += "</dict></plist>";
  Entries entries;
  EXPECT_FALSE(ParseInfoPlist(deep, entries));
}

}  // namespace
