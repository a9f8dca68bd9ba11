#include "host/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

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
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), (std::set<std::string>{"save.dat", "empty.dat"}));
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
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{"save.dat"});

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
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{"save.dat"});
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
    EXPECT_EQ(ScratchFolder::Names(m_folder / "real"), std::set<std::string>{"save.dat"});
}

// The temporary name adds some twenty bytes to the name it stands beside; a
// name the file system takes must not fail for want of room for them.
TEST_F(AtomicFileTest, ANameNearTheFileSystemsLimitIsReplacedAndSwept)
{
    const std::string longest(NAME_MAX, 'n');
    const std::string path = m_folder.Write(longest, "old");
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Write("new", 3)) << writer.Error();
    const std::string temporary = writer.TemporaryPath().substr(m_folder.Path().size() + 1);
    pid_t pid = 0;
    EXPECT_TRUE(HostFs_ParseTemporaryName(temporary, &pid));
    EXPECT_EQ(pid, getpid());
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ScratchFolder::Read(path), "new");
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{longest});
}

// A file the player made read-only is refused as opening it for writing
// would refuse it: the rename needs only the folder's permission, which must
// not be enough to replace it.
TEST_F(AtomicFileTest, AFileThatMayNotBeWrittenIsNeverReplaced)
{
    const std::string path = m_folder.Write("kept.dat", "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(m_folder.Path().c_str(), 0777), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The superuser may write anything; an ordinary user may not.
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && setuid(kNobody) != 0) _exit(2);
        std::string error;
        const bool replaced = HostFs_ReplaceFile(path, "new", 3, &error);
        _exit(!replaced && error == "open: Permission denied" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ScratchFolder::Read(path), "old");
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{"kept.dat"});
}

TEST_F(AtomicFileTest, ANameThatIsNoRegularFileIsNeverReplaced)
{
    const std::string pipe = m_folder / "pipe.dat";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directories(m_folder / "folder.dat");
    for (const std::string& path : {pipe, m_folder / "folder.dat"}) {
        std::string error;
        EXPECT_FALSE(HostFs_ReplaceFile(path, "x", 1, &error)) << path;
        EXPECT_EQ(error, "open: not a regular file");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), (std::set<std::string>{"pipe.dat", "folder.dat"}));
}

// Game code can write any name but one holding a backslash (its
// backslashes separate folders), so the form with one is the writer's alone:
// the same name with a dot, as a game may write it, is no temporary file.
TEST_F(AtomicFileTest, OnlyTheExactTemporaryFormIsRecognised)
{
    pid_t pid = 0;
    EXPECT_TRUE(HostFs_ParseTemporaryName(".save.dat\\1234-7.tmp", &pid));
    EXPECT_EQ(pid, 1234);
    EXPECT_TRUE(HostFs_ParseTemporaryName(".a-b.c\\99-0.tmp", &pid));
    EXPECT_EQ(pid, 99);
    for (const char* name : {".save.dat.1234-7.tmp", "save.dat\\1234-7.tmp", ".save.dat\\1234-7.tmp.bak",
                             ".save.dat\\1234.tmp", ".save.dat\\1234-.tmp", ".save.dat\\-7.tmp", ".\\1234-7.tmp",
                             "\\1234-7.tmp", ".save.dat\\12a4-7.tmp", ".save.dat\\0-7.tmp", ".save.dat\\01234-7.tmp",
                             ".save.dat\\99999999999999999999-7.tmp", ".save.dat\\1234-7x.tmp", ".tmp", ""}) {
        EXPECT_FALSE(HostFs_ParseTemporaryName(name, &pid)) << name;
    }
}

// A process that ended before committing (killed) leaves its temporary file;
// the sweep takes exactly the files of ended processes, in every folder.
TEST_F(AtomicFileTest, TheSweepRemovesOnlyTheTemporaryFilesOfEndedProcesses)
{
    const std::string path = m_folder.Write("deep/save.dat", "old contents");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFileWriter killed(path);
        killed.Write("half", 4);
        _exit(0);  // no destructor runs, as under a kill
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const std::string dead = std::to_string(child);
    const std::string running = std::to_string(getpid());
    const std::vector<std::string> kept = {
        ".save.dat\\" + running + "-1.tmp",  // its process still runs
        "save.dat\\" + dead + "-1.tmp",      // not hidden
        ".save.dat\\" + dead + "-1.tmp.bak",
        ".save.dat." + dead + "-1.tmp",  // a name the game may write
    };
    for (const std::string& name : kept) m_folder.Write(name, "x");
    m_folder.Write(".other.dat\\" + dead + "-3.tmp", "x");
    std::filesystem::create_directories(m_folder / (".folder\\" + dead + "-4.tmp"));
    std::filesystem::create_symlink(path, m_folder / (".link\\" + dead + "-5.tmp"));
    // The count in its name is however many temporary files came before.
    const std::set<std::string> left = ScratchFolder::Names(m_folder / "deep");
    ASSERT_EQ(left.size(), 2u);
    pid_t writer = 0;
    ASSERT_TRUE(HostFs_ParseTemporaryName(*left.begin(), &writer));
    ASSERT_EQ(writer, child);

    HostFs_RemoveStaleTemporaries(m_folder.Path());
    EXPECT_EQ(ScratchFolder::Names(m_folder / "deep"), std::set<std::string>{"save.dat"});
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert({"deep", ".folder\\" + dead + "-4.tmp", ".link\\" + dead + "-5.tmp"});
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), expected);
    EXPECT_EQ(ScratchFolder::Read(path), "old contents");
}

TEST_F(AtomicFileTest, TheSweepNeverFollowsALinkOutOfItsFolder)
{
    // Far above any process number the system hands out.
    const std::string stale = ".save.dat\\2147483647-0.tmp";
    m_folder.Write("outside/" + stale, "x");
    m_folder.Write("area/" + stale, "x");
    std::filesystem::create_directory_symlink(m_folder / "outside", m_folder / "area/linked");
    HostFs_RemoveStaleTemporaries(m_folder / "area");
    EXPECT_EQ(ScratchFolder::Names(m_folder / "area"), std::set<std::string>{"linked"});
    EXPECT_EQ(ScratchFolder::Names(m_folder / "outside"), std::set<std::string>{stale});
}

}  // namespace
}  // namespace bw
