// The achievement cache: its file, the order of posts and the waits.
#include "online/http/achievement_cache.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "platform/files.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

class AchievementCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        AchievementCache_Clear();
        AchievementCache_SetEnabled(true);
        m_root.Write("game/data.win", "package");
        ASSERT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        ASSERT_TRUE(Files_SetSaveFolderName("CacheGame", false));
    }
    void TearDown() override
    {
        AchievementCache_Clear();
        AchievementCache_SetEnabled(false);
    }
    std::string CacheFile() const { return m_root / "data/CacheGame/playerachievementcache.dat"; }
    static std::string Names()
    {
        std::string names;
        for (const AchievementCacheEntry& entry : AchievementCache_Entries()) names += entry.name + ";";
        return names;
    }
    static void Steps(int count)
    {
        for (int i = 0; i < count; ++i) AchievementCache_Update();
    }

    test::ScratchFolder m_root;
    test::ScopedEnv m_data{"XDG_DATA_HOME", (m_root / "data").c_str()};
};

// kind 1 "gold" 7, kind 2 "speed" 1.5f
const std::string kTwoEntries = std::string("\x01\0\0\0gold\0\x07\0\0\0", 13) +
                                std::string("\x02\0\0\0speed\0\0\0\xc0\x3f", 14);

TEST_F(AchievementCacheTest, TheFileLoadsInOrderAndIsWrittenBackByteForByte)
{
    m_root.Write("data/CacheGame/playerachievementcache.dat", kTwoEntries);
    AchievementCache_Load();
    ASSERT_EQ(Names(), "gold;speed;");
    EXPECT_EQ(AchievementCache_Entries()[0].value, 7u);
    EXPECT_EQ(std::bit_cast<float>(AchievementCache_Entries()[1].value), 1.5f);
    AchievementCache_Save();
    EXPECT_EQ(test::ScratchFolder::Read(CacheFile()), kTwoEntries);

    AchievementCache_Load();
    EXPECT_EQ(Names(), "gold;speed;") << "a list that holds entries is not loaded into";
}

TEST_F(AchievementCacheTest, AnEmptyCacheWritesNoFileButEmptiesAnOldOne)
{
    AchievementCache_Load();
    AchievementCache_Save();
    EXPECT_FALSE(FileExists(CacheFile().c_str())) << "a first run leaves no empty cache file";

    m_root.Write("data/CacheGame/playerachievementcache.dat", kTwoEntries);
    AchievementCache_Load();
    AchievementCache_Clear();
    AchievementCache_Save();
    EXPECT_EQ(test::ScratchFolder::Read(CacheFile()), "") << "posted entries are not offered again";
}

TEST_F(AchievementCacheTest, AnEntryCutShortEndsTheFileWithoutReadingPastIt)
{
    const struct {
        std::string bytes;
        size_t entries;
    } cases[] = {
        {kTwoEntries.substr(0, 13) + std::string("\x02\0\0\0spe", 7), 1},  // name without its zero
        {kTwoEntries.substr(0, 13) + std::string("\x02\0\0\0speed\0\0", 12), 1},  // value cut
        {kTwoEntries.substr(0, 3), 0},
        {"", 0},
    };
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        EXPECT_EQ(AchievementCache_Parse({bytes, c.bytes.size()}).size(), c.entries);
    }
}

TEST_F(AchievementCacheTest, AnUnknownKindIsDroppedAndTheCacheWaits600Steps)
{
    AchievementCache_Add(7, "odd", 0);
    AchievementCache_Add(1, "next", 3);
    Steps(1);
    EXPECT_EQ(Names(), "next;");
    EXPECT_EQ(AchievementCache_State(), AchievementPostState::Waiting);
    Steps(kAchievementRetrySteps);
    EXPECT_EQ(AchievementCache_State(), AchievementPostState::Idle);
    Steps(1);
    EXPECT_EQ(AchievementCache_State(), AchievementPostState::Posting) << "the desktop service never answers";
}

TEST_F(AchievementCacheTest, AFailedPostMovesBehindTheOthersAndAnAcceptedOneLeaves)
{
    AchievementCache_Add(1, "a", 1);
    AchievementCache_Add(4, "b", 2);
    AchievementCache_Add(3, "c", 0);
    Steps(1);
    AchievementCache_SetState(AchievementPostState::Failed);
    Steps(1);
    EXPECT_EQ(Names(), "b;c;a;");
    EXPECT_EQ(AchievementCache_State(), AchievementPostState::Waiting);
    Steps(kAchievementRetrySteps + 1);
    AchievementCache_SetState(AchievementPostState::Posted);
    Steps(1);
    EXPECT_EQ(Names(), "c;a;");
    EXPECT_EQ(test::ScratchFolder::Read(CacheFile()).size(), 2u * (4 + 2 + 4));
}

TEST_F(AchievementCacheTest, TheAddPast2049PendingIsIgnoredAndNothingPostsWhileDisabled)
{
    std::string file;
    for (size_t i = 0; i < kAchievementMaxPending + 10; ++i) file += kTwoEntries.substr(0, 13);
    m_root.Write("data/CacheGame/playerachievementcache.dat", file);
    AchievementCache_Load();
    EXPECT_EQ(AchievementCache_Entries().size(), kAchievementMaxPending + 1);
    AchievementCache_Add(1, "late", 0);
    EXPECT_EQ(AchievementCache_Entries().back().name, "gold");
    EXPECT_EQ(test::ScratchFolder::Read(CacheFile()).size(), (kAchievementMaxPending + 1) * 13);
    AchievementCache_SetEnabled(false);
    Steps(1);
    EXPECT_EQ(AchievementCache_State(), AchievementPostState::Idle);
}

}  // namespace
}  // namespace bw
