#include "host/spawn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

int g_polls = 0;
void CountPoll() { ++g_polls; }

TEST(SpawnTest, ChildGetsEachArgumentWholeInItsFolder)
{
    ScratchFolder root;
    int pid = HostSpawn_Start("touch", {"with blank", "$(not run)", "a;b"}, root.Path());
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(HostSpawn_Wait(pid, nullptr, 1));
    EXPECT_TRUE(std::filesystem::exists(root / "with blank"));
    EXPECT_TRUE(std::filesystem::exists(root / "$(not run)"));
    EXPECT_TRUE(std::filesystem::exists(root / "a;b"));
}

TEST(SpawnTest, WaitingPollsUntilTheChildEnds)
{
    g_polls = 0;
    int pid = HostSpawn_Start("sleep", {"0.2"}, "");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(HostSpawn_Wait(pid, CountPoll, 10));
    EXPECT_GT(g_polls, 1);
    EXPECT_FALSE(HostSpawn_Wait(pid, CountPoll, 10));  // already reaped
}

TEST(SpawnTest, MissingProgramOrFolderFailsToStart)
{
    EXPECT_EQ(HostSpawn_Start("bw-no-such-program", {}, ""), -1);
    EXPECT_EQ(HostSpawn_Start("", {}, ""), -1);
    EXPECT_EQ(HostSpawn_Start("touch", {"x"}, "/nonexistent/folder"), -1);
}

}  // namespace
}  // namespace bw
