#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/state_chunk.h"
#include "plugin/state/state_chunk_format.h"
#include "product_test_support.h"

namespace orvane::testing {
namespace {

const std::string kSliderAndSwitch =
    "slider: \"Drive\"\n[cc7]\ngain = x\nswitch,4: \"Voice\", \"A\", \"B\", \"C\", \"D\"\n[cc8]\npreamp2 = 0, 1, 1, 0\n";

// A chunk with the given header fields and bytes after it.
plugkit::IStateChunk MakeChunk(std::uint32_t magic, std::uint32_t version, std::uint32_t length,
                               const std::string& bytes) {
  plugkit::IStateChunk chunk;
  chunk.Put(magic);
  chunk.Put(version);
  chunk.Put(length);
  chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

std::string TextOf(const plugkit::IStateChunk& chunk) {
  std::string text;
  int end = 0;
  EXPECT_TRUE(ReadStateChunkText(chunk, 0, text, end));
  return text;
}

class OrvaneStateChunk : public ::testing::Test {
protected:
  plugkit::IStateChunk WrittenState() {
    plugkit::IStateChunk chunk;
    EXPECT_TRUE(plugin->WriteState(chunk));
    return chunk;
  }

  ProductSandbox sandbox{true};
  std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
};

TEST_F(OrvaneStateChunk, HeaderStartsWithTheMagicInLittleEndianOrder) {
  const plugkit::IStateChunk chunk = WrittenState();
  ASSERT_GE(chunk.Size(), kStateChunkHeaderBytes);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.GetData()), 4), "ATSO");
  std::uint32_t version = 0;
  std::uint32_t length = 0;
  chunk.Get(&version, 4);
  chunk.Get(&length, 8);
  EXPECT_EQ(version, 1u);
  EXPECT_EQ(static_cast<int>(length) + kStateChunkHeaderBytes, chunk.Size());
  const std::string text = TextOf(chunk);
  EXPECT_EQ(text.find('\n'), std::string::npos);  // compact
}

TEST_F(OrvaneStateChunk, RoundTripRestoresAnEqualDocument) {
  plugin->Edit([](PluginStateDocument& document) {
    document.design.name = "Crème brûlée";
    document.design.script = "slider: \"Drive\"\ngain = x\n";
    document.design.playerControlValues = {33.0};
    document.state.playerControlValues = {33.0};
    document.state.oversampling = 8;
    document.state.amplifierEnabled = false;
  });
  const plugkit::IStateChunk chunk = WrittenState();
  EXPECT_NE(TextOf(chunk).find("Crème brûlée"), std::string::npos);  // not escaped

  auto other = sandbox.MakeInstance();
  EXPECT_EQ(other->ReadState(chunk, 0), chunk.Size());
  EXPECT_EQ(other->CopyDocument(), plugin->CopyDocument());
  EXPECT_FALSE(other->mRenderer.AmpEnabled());
}

TEST_F(OrvaneStateChunk, TextsThatAreNotUtf8AreSavedWithReplacementCharacters) {
  const std::string invalid = "\xFF\xC3(";  // a stray byte and a cut two-byte sequence
  const std::string replaced = "\xEF\xBF\xBD\xEF\xBF\xBD(";
  plugin->Edit([&](PluginStateDocument& document) {
    document.design.name = "name " + invalid;
    document.design.script = "# " + invalid + "\n";
    document.state.activePresetFilename = invalid + ".orv";
    document.state.currentDesignPath = "/bundle " + invalid + "/Default.orv";
  });
  const plugkit::IStateChunk chunk = WrittenState();

  auto other = sandbox.MakeInstance();
  ASSERT_EQ(other->ReadState(chunk, 0), chunk.Size());
  const PluginStateDocument restored = other->CopyDocument();
  EXPECT_EQ(restored.design.name, "name " + replaced);
  EXPECT_EQ(restored.design.script, "# " + replaced + "\n");
  EXPECT_EQ(restored.state.activePresetFilename, replaced + ".orv");
  EXPECT_EQ(restored.state.currentDesignPath, "/bundle " + replaced + "/Default.orv");
}

TEST(OrvaneStateFixedPoint, SaveRestoreSaveGivesTheSameBytesWithOrWithoutAFactoryPreset) {
  for (const bool withDefaultPreset : {true, false}) {
    SCOPED_TRACE(withDefaultPreset);
    ProductSandbox sandbox(withDefaultPreset);
    auto plugin = sandbox.MakeInstance();
    plugkit::IStateChunk first;
    ASSERT_TRUE(plugin->WriteState(first));
    auto other = sandbox.MakeInstance();
    ASSERT_EQ(other->ReadState(first, 0), first.Size());
    other->OnStateRestored();
    plugkit::IStateChunk second;
    ASSERT_TRUE(other->WriteState(second));
    EXPECT_EQ(TextOf(second), TextOf(first));
  }
}

TEST_F(OrvaneStateChunk, ExtraStateWritesAndReadsNothing) {
  plugkit::IStateChunk chunk = WrittenState();
  const int size = chunk.Size();
  for (const int pos : {0, 5, size}) {
    EXPECT_TRUE(plugin->WriteExtraState(chunk));
    EXPECT_EQ(chunk.Size(), size);
    EXPECT_EQ(plugin->ReadExtraState(chunk, pos), pos);
  }
}

TEST_F(OrvaneStateChunk, ReadAtAnOffsetInsideALargerChunk) {
  plugkit::IStateChunk chunk;
  chunk.Put(std::uint64_t{0x1122334455667788});
  ASSERT_TRUE(plugin->WriteState(chunk));
  auto other = sandbox.MakeInstance();
  EXPECT_EQ(other->ReadState(chunk, 8), chunk.Size());
}

TEST_F(OrvaneStateChunk, ControllersThatMovedControlsAreWrittenIntoBothLists) {
  plugin->Edit([](PluginStateDocument& document) {
    document.design.script = kSliderAndSwitch;
    document.state.playerControlValues = {10.0, 0.0};
  });
  plugin->CommitDesign(-1, -1);
  plugin->RenderBlock();
  plugin->SendControlChange(7, 127);
  plugin->SendControlChange(8, 64);
  plugin->RenderBlock();

  const plugkit::IStateChunk chunk = WrittenState();
  auto other = sandbox.MakeInstance();
  ASSERT_GT(other->ReadState(chunk, 0), 0);
  const PluginStateDocument restored = other->CopyDocument();
  EXPECT_EQ(restored.state.playerControlValues, (std::vector<double>{100.0, 2.0}));
  EXPECT_EQ(restored.design.playerControlValues, (std::vector<double>{100.0, 2.0}));
}

TEST_F(OrvaneStateChunk, ReadClearsTheSeenFlagsSoTheRestoredValuesWin) {
  plugin->Edit([](PluginStateDocument& document) {
    document.design.script = kSliderAndSwitch;
    document.state.playerControlValues = {10.0, 0.0};
  });
  const plugkit::IStateChunk saved = WrittenState();
  plugin->CommitDesign(-1, -1);
  plugin->RenderBlock();
  plugin->SendControlChange(7, 127);
  plugin->RenderBlock();
  ASSERT_TRUE(plugin->mRenderer.MidiCCSeen(7));

  ASSERT_EQ(plugin->ReadState(saved, 0), saved.Size());
  EXPECT_FALSE(plugin->mRenderer.MidiCCSeen(7));
  auto other = sandbox.MakeInstance();
  ASSERT_GT(other->ReadState(WrittenState(), 0), 0);
  EXPECT_EQ(other->CopyDocument().state.playerControlValues, (std::vector<double>{10.0, 0.0}));
}

TEST_F(OrvaneStateChunk, ZeroByteInsideTheTextEndsIt) {
  const std::string text = TextOf(WrittenState());
  const std::string bytes = text + std::string(1, '\0') + "garbage after the terminator";
  const plugkit::IStateChunk chunk =
      MakeChunk(kStateChunkMagic, kStateChunkVersion, static_cast<std::uint32_t>(bytes.size()), bytes);
  auto other = sandbox.MakeInstance();
  EXPECT_EQ(other->ReadState(chunk, 0), chunk.Size());
  EXPECT_EQ(other->CopyDocument(), plugin->CopyDocument());
}

TEST_F(OrvaneStateChunk, RefusedChunksChangeNothing) {
  const std::string text = TextOf(WrittenState());
  const auto length = static_cast<std::uint32_t>(text.size());
  const std::uint32_t swappedMagic = __builtin_bswap32(kStateChunkMagic);
  const std::string trailing = text + " {}";
  const struct {
    const char* what;
    plugkit::IStateChunk chunk;
  } refused[] = {
      {"other byte order", MakeChunk(swappedMagic, 1, length, text)},
      {"version 2", MakeChunk(kStateChunkMagic, 2, length, text)},
      {"length beyond the chunk", MakeChunk(kStateChunkMagic, 1, length + 1, text)},
      {"length 0", MakeChunk(kStateChunkMagic, 1, 0, text)},
      {"trailing garbage", MakeChunk(kStateChunkMagic, 1, static_cast<std::uint32_t>(trailing.size()), trailing)},
      {"length 0xFFFFFFFF", MakeChunk(kStateChunkMagic, 1, 0xFFFFFFFFu, text)},
      {"length 0x7FFFFFFF", MakeChunk(kStateChunkMagic, 1, 0x7FFFFFFFu, text)},
      {"not a state document", MakeChunk(kStateChunkMagic, 1, 2, "{}")},
      {"header cut short", MakeChunk(kStateChunkMagic, 1, length, "")},
      {"empty chunk", plugkit::IStateChunk()},
  };
  plugin->Edit([](PluginStateDocument& document) { document.design.name = "kept"; });
  plugin->mRenderer.SetAmpEnabled(true);
  const PluginStateDocument before = plugin->CopyDocument();
  for (const auto& entry : refused) {
    SCOPED_TRACE(entry.what);
    EXPECT_EQ(plugin->ReadState(entry.chunk, 0), -1);
    EXPECT_EQ(plugin->CopyDocument(), before);
    EXPECT_TRUE(plugin->mRenderer.AmpEnabled());
  }
  EXPECT_EQ(plugin->ReadState(WrittenState(), -1), -1);
}

TEST(StateChunkFormat, TextFramingRoundTrip) {
  plugkit::IStateChunk chunk;
  ASSERT_TRUE(AppendStateChunkText(chunk, "{\"a\":1}"));
  std::string text;
  int end = 0;
  ASSERT_TRUE(ReadStateChunkText(chunk, 0, text, end));
  EXPECT_EQ(text, "{\"a\":1}");
  EXPECT_EQ(end, chunk.Size());
}

}  // namespace
}  // namespace orvane::testing
