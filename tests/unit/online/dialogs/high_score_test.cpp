// The high-score table: where a score goes, and the bytes of its file.
#include "online/dialogs/high_score.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

class HighScoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        HighScore_Init();
        m_root.Write("game/data.win", "package");
        ASSERT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        ASSERT_TRUE(Files_SetSaveFolderName("ScoreGame", false));
    }
    void TearDown() override { HighScore_Init(); }

    static std::vector<int32_t> Values()
    {
        std::vector<int32_t> values;
        for (int32_t i = 1; i <= kHighScoreEntries; ++i) values.push_back(HighScore_GetValue(i));
        return values;
    }
    static std::string Name(int32_t index)
    {
        const char* name = HighScore_GetName(index);
        return name != nullptr ? name : "(none)";
    }
    std::string SavedFile() const { return test::ScratchFolder::Read(m_root / "data/ScoreGame/hiscore.dat"); }
    static void Parse(const std::string& bytes)
    {
        HighScore_Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }

    test::ScratchFolder m_root;
    test::ScopedEnv m_data{"XDG_DATA_HOME", (m_root / "data").c_str()};
};

TEST_F(HighScoreTest, ScoresGoAfterEveryEqualOneAndTheLowestDropsOut)
{
    for (int32_t value : {50, 90, 70, 70, 10}) HighScore_Add("p", value);
    HighScore_Add("late", 70);
    EXPECT_EQ(HighScore_LastPosition(), 3);
    EXPECT_EQ(Values(), (std::vector<int32_t>{90, 70, 70, 70, 50, 10, 0, 0, 0, 0}));
    EXPECT_EQ(Name(4), "late");
    EXPECT_EQ(Name(7), "<nobody>");
    for (int32_t value : {20, 30, 40, 60, 80}) HighScore_Add("q", value);
    HighScore_Add("top", 91);
    EXPECT_EQ(Values(), (std::vector<int32_t>{91, 90, 80, 70, 70, 70, 60, 50, 40, 30}));
}

TEST_F(HighScoreTest, AScoreThatTiesTheWholeTableChangesNothing)
{
    for (int32_t i = 0; i < kHighScoreEntries; ++i) HighScore_Add("p", 100);
    HighScore_Save();
    HighScore_Add("tie", 100);
    EXPECT_FALSE(HighScore_Changed());
    EXPECT_EQ(Name(10), "p");
    EXPECT_EQ(HighScore_GetValue(0), 0);
    EXPECT_EQ(HighScore_GetName(11), nullptr);
}

TEST_F(HighScoreTest, TheSavedFileHoldsLengthThenTenRecords)
{
    HighScore_Add("Ann", 300);
    HighScore_Add(nullptr, 200);
    HighScore_Fini();
    std::string expected = "HISC";
    expected += std::string(4, '\0');  // the length, set below
    expected += std::string("\x03\x00\x00\x00" "Ann" "\x2c\x01\x00\x00", 11);
    expected += std::string("\x00\x00\x00\x00" "\xc8\x00\x00\x00", 8);  // a nameless entry keeps its value
    std::string nobody = std::string("\x08\x00\x00\x00", 4) + "<nobody>" + std::string(4, '\0');
    for (int i = 0; i < 8; ++i) expected += nobody;
    expected[4] = static_cast<char>(expected.size());
    EXPECT_EQ(SavedFile(), expected);
    EXPECT_FALSE(HighScore_Changed());
}

TEST_F(HighScoreTest, NothingIsWrittenUnlessAScoreWasAdded)
{
    HighScore_Clear();
    HighScore_Fini();
    EXPECT_EQ(SavedFile(), "");
}

TEST_F(HighScoreTest, ASavedTableLoadsBack)
{
    HighScore_Add("Ann", 300);
    HighScore_Add("", 5);
    HighScore_Save();
    HighScore_Init();
    HighScore_Load();
    EXPECT_EQ(Name(1), "Ann");
    EXPECT_EQ(Name(2), "(none)");
    EXPECT_EQ(HighScore_GetValue(2), 5);
    EXPECT_EQ(Name(3), "<nobody>");
}

TEST_F(HighScoreTest, ADamagedFileKeepsTheEntriesBeforeTheDamage)
{
    HighScore_Add("Ann", 300);
    HighScore_Add("Bob", 200);
    const std::vector<uint8_t> sound = HighScore_Serialise();
    const std::string good(sound.begin(), sound.end());
    std::string firstTooLong = good;
    firstTooLong[9] = 1;  // the first name claims 259 bytes
    std::string secondTooLong = good;
    secondTooLong[8 + 11 + 1] = 1;
    std::string headerTooLong = good;
    headerTooLong[4] = static_cast<char>(good.size() + 1);
    std::string foreign = good;
    foreign[0] = 'X';
    std::string lastCutShort = good.substr(0, good.size() - 2);
    lastCutShort[4] = static_cast<char>(lastCutShort.size());
    const struct {
        std::string bytes;
        std::vector<std::string> names;
    } cases[] = {
        {lastCutShort, {"Ann", "Bob", "<nobody>"}},
        {secondTooLong, {"Ann", "<nobody>", "<nobody>"}},
        {firstTooLong, {"Kept", "<nobody>", "<nobody>"}},
        {good.substr(0, 6), {"Kept", "<nobody>", "<nobody>"}},
        {headerTooLong, {"Kept", "<nobody>", "<nobody>"}},
        {foreign, {"Kept", "<nobody>", "<nobody>"}},
        {std::string(), {"Kept", "<nobody>", "<nobody>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names[0] + " " + c.names[1]);
        HighScore_Init();
        HighScore_Add("Kept", 7);
        Parse(c.bytes);
        EXPECT_EQ((std::vector<std::string>{Name(1), Name(2), Name(3)}), c.names);
        EXPECT_FALSE(HighScore_Changed());
    }
}

}  // namespace
}  // namespace bw
