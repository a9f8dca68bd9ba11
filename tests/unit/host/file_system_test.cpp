#include "host/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScopedEnv;
using test::ScratchFolder;

TEST(FileSystemTest, MatchCaseFindsEachExistingPartAndKeepsTheRest)
{
    ScratchFolder root;
    root.Write("Maps/Level1/Tiles.PNG", "x");
    root.Write("maps_other/a", "x");
    const std::string folder = root.Path() + "/";
    struct Case {
        const char* relative;
        const char* expected;
    };
    const Case cases[] = {
        {"Maps/Level1/Tiles.PNG", "Maps/Level1/Tiles.PNG"},
        {"maps/level1/tiles.png", "Maps/Level1/Tiles.PNG"},
        {"MAPS/LEVEL1/new.png", "Maps/Level1/new.png"},
        {"maps/NewFolder/Tiles.PNG", "Maps/NewFolder/Tiles.PNG"},
        {"nothing/here", "nothing/here"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HostFs_MatchCase(folder, c.relative), folder + c.expected) << c.relative;
    }
}

TEST(FileSystemTest, MatchCasePicksTheSameEntryEveryTime)
{
    ScratchFolder root;
    root.Write("b.TXT", "1");
    root.Write("B.txt", "2");
    EXPECT_EQ(HostFs_MatchCase(root.Path() + "/", "b.txt"), root.Path() + "/B.txt");
}

TEST(FileSystemTest, UserFoldersFollowTheBaseDirectoryRules)
{
    ScopedEnv home("HOME", "/home/player");
    {
        ScopedEnv data("XDG_DATA_HOME", nullptr);
        ScopedEnv config("XDG_CONFIG_HOME", "");
        EXPECT_EQ(HostFs_DataHome(), "/home/player/.local/share");
        EXPECT_EQ(HostFs_ConfigHome(), "/home/player/.config");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", "/srv/data");
        ScopedEnv config("XDG_CONFIG_HOME", "not/absolute");
        EXPECT_EQ(HostFs_DataHome(), "/srv/data");
        EXPECT_EQ(HostFs_ConfigHome(), "/home/player/.config");
    }
    ScopedEnv noHome("HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(HostFs_DataHome(), "");
    {
        ScopedEnv tmp("TMPDIR", "/var/tmp");
        EXPECT_EQ(HostFs_TempRoot(), "/var/tmp");
    }
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(HostFs_TempRoot(), "/tmp");
}

TEST(FileSystemTest, DeleteTreeRefusesALinkAtTheTop)
{
    ScratchFolder root;
    root.Write("real/file", "x");
    std::filesystem::create_directory_symlink(root / "real", root / "link");
    EXPECT_FALSE(HostFs_DeleteTree(root / "link"));
    EXPECT_TRUE(std::filesystem::exists(root / "real/file"));
    EXPECT_TRUE(HostFs_DeleteTree(root / "real"));
    EXPECT_FALSE(std::filesystem::exists(root / "real"));
}

TEST(FileSystemTest, OnlyRegularFilesCountAsReadable)
{
    ScratchFolder root;
    root.Write("file", "abc");
    std::filesystem::create_directory(root / "folder");
    EXPECT_TRUE(HostFs_IsReadableFile(root / "file"));
    EXPECT_EQ(HostFs_FileSize(root / "file"), 3);
    EXPECT_FALSE(HostFs_IsReadableFile(root / "folder"));
    EXPECT_FALSE(HostFs_IsReadableFile("/dev/null"));
    EXPECT_TRUE(HostFs_IsFile("/dev/null"));
    EXPECT_EQ(HostFs_FileSize(root / "missing"), -1);
}

}  // namespace
}  // namespace bw
