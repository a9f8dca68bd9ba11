#include "host/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override { HostFs_SimulateSpaceLeft(-1); }

    ScratchFolder m_folder;
};

TEST_F(AtomicFileTest, AReplacedFileHoldsTheNewBytesAndKeepsItsPermissions)
{
    const std::string path = m_folder.Write("save.dat", "old contents");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(HostFs_ReplaceFile(path, "new", 3));
    EXPECT_EQ(ScratchFolder::Read(path), "new");
    struct stat entry {};
    ASSERT_EQ(stat(path.c_str(), &entry), 0);
    EXPECT_EQ(entry.st_mode & 07777, 0640u);
    EXPECT_TRUE(HostFs_ReplaceFile(m_folder / "empty.dat", nullptr, 0));
    EXPECT_EQ(Names(m_folder.Path()), (std::set<std::string>{"save.dat", "empty.dat"}));
}

// A full disk part way through: the old file stays whole, a new one never
// appears, and the temporary file is gone.
TEST_F(AtomicFileTest, AWriteThatCannotFinishLeavesTheOldFileWhole)
{
    const std::string path = m_folder.Write("save.dat", "old contents");
    for (int64_t space : {0, 5}) {
        HostFs_SimulateSpaceLeft(space);
        std::string error;
        EXPECT_FALSE(HostFs_ReplaceFile(path, "the much longer new contents", 28, &error));
        EXPECT_EQ(error, "write: No space left on device");
        EXPECT_FALSE(HostFs_ReplaceFile(m_folder / "new.dat", "bytes", 5));
    }
    EXPECT_EQ(ScratchFolder::Read(path), "old contents");
    EXPECT_EQ(Names(m_folder.Path()), std::set<std::string>{"save.dat"});

    HostFs_SimulateSpaceLeft(0);
    AtomicFileWriter uncommitted(path);
    EXPECT_FALSE(uncommitted.Write("x", 1));
    EXPECT_FALSE(uncommitted.Commit());
    EXPECT_EQ(ScratchFolder::Read(path), "old contents");
}

TEST_F(AtomicFileTest, NothingIsWrittenWithoutACommitOrIntoAMissingFolder)
{
    const std::string path = m_folder.Write("save.dat", "old contents");
    {
        AtomicFileWriter abandoned(path);
        EXPECT_TRUE(abandoned.Write("new", 3));
    }
    EXPECT_EQ(ScratchFolder::Read(path), "old contents");
    EXPECT_EQ(Names(m_folder.Path()), std::set<std::string>{"save.dat"});
    std::string error;
    EXPECT_FALSE(HostFs_ReplaceFile(m_folder / "missing/save.dat", "x", 1, &error));
    EXPECT_EQ(error, "open: No such file or directory");
}

TEST_F(AtomicFileTest, WritingThroughALinkReplacesTheFileItLeadsTo)
{
    const std::string target = m_folder.Write("real/save.dat", "old");
    const std::string link = m_folder / "link.dat";
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(HostFs_ReplaceFile(link, "new", 3));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ScratchFolder::Read(target), "new");
    EXPECT_EQ(Names(m_folder / "real"), std::set<std::string>{"save.dat"});
}

}  // namespace
}  // namespace bw
