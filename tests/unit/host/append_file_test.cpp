#include "host/append_file.h"

#include <gtest/gtest.h>

#include <cstdio>
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

// Each line lands at the end of the file as it stands then, through a link
// at the file it names, without a flush or a close; the text of a line not
// yet ended waits for its end or the close.
TEST_F(AppendFileTest, LinesReachTheEndOfTheFileAtOnce)
{
    const std::string target = m_folder.Write("real/log.txt", "old\n");
    const std::string link = m_folder / "log.txt";
    std::filesystem::create_symlink(target, link);
    AppendFileWriter first(link);
    AppendFileWriter second(target);
    Put(first, "a\n");
    Put(second, "b\n");
    Put(first, "c");
    EXPECT_EQ(ScratchFolder::Read(target), "old\na\nb\n");
    Put(first, "\nd");
    EXPECT_EQ(ScratchFolder::Read(target), "old\na\nb\nc\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Close());
    EXPECT_EQ(ScratchFolder::Read(target), "old\na\nb\nc\nd");
}

// A name replaced, renamed away or deleted under the handle: the next line
// goes to the file then at the name, made anew when there is none; a line
// begun before the change stays with the file it was begun in.
TEST_F(AppendFileTest, LinesFollowTheName)
{
    const std::string log = m_folder.Write("log.txt", "");
    AppendFileWriter writer(log);
    Put(writer, "one\n");
    ASSERT_TRUE(HostFs_ReplaceFile(log, "replaced\n", 9));
    Put(writer, "two\n");
    EXPECT_EQ(ScratchFolder::Read(log), "replaced\ntwo\n");

    Put(writer, "begun");
    std::filesystem::rename(log, m_folder / "moved.txt");
    Put(writer, " after the move\n");
    EXPECT_EQ(ScratchFolder::Read(m_folder / "moved.txt"), "replaced\ntwo\nbegun");
    EXPECT_EQ(ScratchFolder::Read(log), " after the move\n");

    std::filesystem::remove(log);
    Put(writer, "three\n");
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ScratchFolder::Read(log), "three\n");
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), (std::set<std::string>{"log.txt", "moved.txt"}));
}

// A line whose text would fit but whose end would not is left out whole,
// so the file never ends in a line's text run on by the next line.
TEST_F(AppendFileTest, AFullDiskTakesALineWholeOrNotAtAll)
{
    const std::string log = m_folder.Write("log.txt", "old\r\n");
    AppendFileWriter writer(log);
    Put(writer, "kept\r\n");
    HostFs_SimulateSpaceLeft(5);
    Put(writer, "lost");
    Put(writer, "\r\n");
    HostFs_SimulateSpaceLeft(-1);
    Put(writer, "more\r\n");
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.Error(), "write: No space left on device");
    EXPECT_EQ(ScratchFolder::Read(log), "old\r\nkept\r\nmore\r\n");
}

// A line the game never ends is not kept back without bound: past 64 KiB
// its start reaches the file, and once its rest fails nothing more follows,
// so the file ends at most in the start of one line.
TEST_F(AppendFileTest, ALineNeverEndedReachesTheFilePastTheBound)
{
    const std::string log = m_folder.Write("log.txt", "old\n");
    AppendFileWriter writer(log);
    const std::string start(40 * 1024, 'a');
    const std::string more(40 * 1024, 'b');
    Put(writer, start);
    EXPECT_EQ(ScratchFolder::Read(log), "old\n");
    Put(writer, more);
    EXPECT_EQ(ScratchFolder::Read(log), "old\n" + start + more);
    HostFs_SimulateSpaceLeft(2);
    Put(writer, "end\n");
    HostFs_SimulateSpaceLeft(-1);
    Put(writer, "next\n");
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(ScratchFolder::Read(log), "old\n" + start + more);
}

}  // namespace
}  // namespace bw
