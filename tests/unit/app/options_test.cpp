// The options chunk: its words, the game constants and what the command
// line overrides.
#include <gtest/gtest.h>

#include <vector>

#include "platform/options.h"
#include "unit/app/test_package.h"

namespace bw {
namespace {

using test::TestPackage;

struct OptionsChunk {
    std::vector<uint8_t> bytes;
    uint32_t offset = 0;
    uint32_t length = 0;
};

// Words 0..34 as given (the rest 0), then the constant pairs; count may
// claim more pairs than follow.
OptionsChunk WriteOptions(std::vector<std::pair<uint32_t, uint32_t>> words,
                          std::initializer_list<const char*> texts, uint32_t claimedPairs)
{
    TestPackage package;
    const std::vector<uint32_t> strings = package.Strings(texts);
    package.BeginChunk("OPTN");
    const uint32_t start = package.Here();
    std::vector<uint32_t> record(35, 0);
    for (const auto& [index, value] : words) record[index] = value;
    for (uint32_t word : record) package.U32(word);
    package.U32(claimedPairs);
    for (uint32_t offset : strings) package.U32(offset);
    package.EndChunk();
    std::vector<uint8_t> bytes = package.Finish();
    const uint32_t length = static_cast<uint32_t>(bytes.size()) - start;
    return {std::move(bytes), start, length};
}

class OptionsTest : public testing::Test {
protected:
    void SetUp() override { Options_SetDefaults(); }
    void TearDown() override { Options_SetDefaults(); }
    bool Load(const OptionsChunk& chunk, int32_t format = 13, bool inAWindow = false)
    {
        m_kept = chunk.bytes;
        return Options_Load(PackageView(m_kept.data(), m_kept.size()), chunk.offset, chunk.length, format, inAWindow);
    }
    std::vector<uint8_t> m_kept;
};

TEST_F(OptionsTest, WordsLandInTheirOptions)
{
    ASSERT_TRUE(Load(WriteOptions({{0, 1}, {2, 1}, {8, 0x123456}, {9, 1}, {11, 4}, {22, 1}, {32, 1}, {33, 1}, {34, 1}},
                                  {}, 0)));
    const GameOptions& o = Options();
    EXPECT_TRUE(o.fullScreen);
    EXPECT_TRUE(o.newAudio);
    EXPECT_FALSE(o.showCursor);
    EXPECT_EQ(o.windowColour, 0x123456u);
    EXPECT_TRUE(o.changeDisplay);
    EXPECT_EQ(o.resolutionCode, 4);
    EXPECT_TRUE(o.freezeWhenInactive);
    EXPECT_TRUE(o.allErrorsFatal);
    EXPECT_TRUE(o.uninitialisedAreErrors);
    EXPECT_TRUE(o.createEventBeforeCode);
    EXPECT_EQ(o.flag28, 0);
}

TEST_F(OptionsTest, InAWindowKeepsFullScreenOff)
{
    ASSERT_TRUE(Load(WriteOptions({{0, 1}}, {}, 0), 13, true));
    EXPECT_FALSE(Options().fullScreen);
}

TEST_F(OptionsTest, OldHeaderFormatsNeverReadTheCreateOrder)
{
    ASSERT_TRUE(Load(WriteOptions({{34, 1}}, {}, 0), 4));
    EXPECT_FALSE(Options().createEventBeforeCode);
}

TEST_F(OptionsTest, ConstantsAndVersionNumbers)
{
    ASSERT_TRUE(Load(WriteOptions({}, {"VersionMajor", "2", "VersionMinor", "15", "LIVES", "3"}, 3)));
    const GameOptions& o = Options();
    ASSERT_EQ(o.constants.size(), 3u);
    EXPECT_STREQ(o.constants[2].name, "LIVES");
    EXPECT_STREQ(o.constants[2].value, "3");
    EXPECT_EQ(o.versionMajor, 2);
    EXPECT_EQ(o.versionMinor, 15);
}

TEST_F(OptionsTest, NameOffsetZeroLeavesAnEmptyEntry)
{
    OptionsChunk chunk = WriteOptions({}, {"x", "1"}, 1);
    std::memset(&chunk.bytes[chunk.offset + 144], 0, 4);
    ASSERT_TRUE(Load(chunk));
    ASSERT_EQ(Options().constants.size(), 1u);
    EXPECT_EQ(Options().constants[0].name, nullptr);
    EXPECT_STREQ(Options().constants[0].value, "1");
}

TEST_F(OptionsTest, ConstantCountIsBoundedByTheChunk)
{
    EXPECT_FALSE(Load(WriteOptions({{0, 1}}, {"A", "1"}, 0x10000000)));
    EXPECT_FALSE(Options().fullScreen) << "a refused chunk leaves the defaults";
    OptionsChunk cut = WriteOptions({}, {}, 0);
    cut.length -= 8;
    EXPECT_FALSE(Load(cut));
}

}  // namespace
}  // namespace bw
