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
    root.Write("twice/b.TXT", "1");
    root.Write("twice/B.txt", "2");
    const std::string folder = root.Path() + "/";
    const struct {
        const char* relative;
        const char* expected;
    } cases[] = {
        {"Maps/Level1/Tiles.PNG", "Maps/Level1/Tiles.PNG"}, {"maps/level1/tiles.png", "Maps/Level1/Tiles.PNG"},
        {"MAPS/LEVEL1/new.png", "Maps/Level1/new.png"}, {"maps/NewFolder/Tiles.PNG", "Maps/NewFolder/Tiles.PNG"},
        {"nothing/here", "nothing/here"}, {"", ""},
        {"twice/b.txt", "twice/B.txt"},  // of two matches the first in byte order, so always the same
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostFs_MatchCase(folder, c.relative), folder + c.expected) << c.relative;
    }
}

// Only absolute values count; without them the fallbacks below $HOME, or nothing.
TEST(FileSystemTest, UserFoldersFollowTheBaseDirectoryRules)
{
    const struct {
        const char *home, *dataHome, *configHome, *tmpDir;
        const char *data, *config, *temp;
    } cases[] = {
        {"/home/player", nullptr, "", nullptr, "/home/player/.local/share", "/home/player/.config", "/tmp"},
        {"/home/player", "/srv/data", "not/absolute", "/var/tmp", "/srv/data", "/home/player/.config", "/var/tmp"},
        {nullptr, nullptr, nullptr, "relative", "", "", "/tmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        ScopedEnv home("HOME", c.home), data("XDG_DATA_HOME", c.dataHome);
        ScopedEnv config("XDG_CONFIG_HOME", c.configHome), tmp("TMPDIR", c.tmpDir);
        EXPECT_EQ(HostFs_DataHome(), c.data);
        EXPECT_EQ(HostFs_ConfigHome(), c.config);
        EXPECT_EQ(HostFs_TempRoot(), c.temp);
    }
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
