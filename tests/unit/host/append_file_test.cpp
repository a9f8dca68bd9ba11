#include "host/append_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "host/atomic_file.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

class AppendFileTest : public ::testing::Test {
protected:
    void TearDown() override { HostFs_SimulateSpaceLeft(-1); }

    static void Put(const AppendFileWriter& writer, const std::string& text)
    {
        ASSERT_NE(writer.Stream(), nullptr);
        std::fputs(text.c_str(), writer.Stream());
    }

    ScratchFolder m_folder;
};

// Each write lands at the end of the file as it stands then, through a link
// at the file it names, without a flush or a close.
TEST_F(AppendFileTest, WritesReachTheEndOfTheFileAtOnce)
{
    const std::string target = m_folder.Write("real/log.txt", "old\n");
    const std::string link = m_folder / "log.txt";
    std::filesystem::create_symlink(target, link);
    AppendFileWriter first(link);
    AppendFileWriter second(target);
    Put(first, "a\n");
    Put(second, "b\n");
    Put(first, "c\n");
    EXPECT_EQ(ScratchFolder::Read(target), "old\na\nb\nc\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Close());
}

// A write that does not fit is taken back whole; the handle goes on once
// there is room, and its first failure is the one it reports.
TEST_F(AppendFileTest, AWriteThatDoesNotFitAddsNothing)
{
    const std::string path = m_folder.Write("log.txt", "old\n");
    AppendFileWriter writer(path);
    HostFs_SimulateSpaceLeft(3);
    EXPECT_FALSE(writer.Write("too long\n", 9));
    HostFs_SimulateSpaceLeft(-1);
    EXPECT_EQ(ScratchFolder::Read(path), "old\n");
    EXPECT_TRUE(writer.Write("fits\n", 5));
    EXPECT_EQ(ScratchFolder::Read(path), "old\nfits\n");
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.Error(), "write: No space left on device");
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{"log.txt"});
}

TEST_F(AppendFileTest, ANameThatIsNoRegularFileIsRefused)
{
    std::filesystem::create_directories(m_folder / "folder.txt");
    AppendFileWriter writer(m_folder / "folder.txt");
    EXPECT_EQ(writer.Stream(), nullptr);
    EXPECT_EQ(writer.Error(), "open: not a regular file");
}

}  // namespace
}  // namespace bw
