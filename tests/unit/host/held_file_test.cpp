#include "host/held_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

class HeldFileTest : public ::testing::Test {
protected:
    // What a reader of path sees now.
    static std::string Contents(const std::string& path) { return ScratchFolder::Read(HostFs_ContentsPath(path)); }
    static void Put(HeldFileWriter& writer, const std::string& text)
    {
        ASSERT_NE(writer.Stream(), nullptr);
        std::fputs(text.c_str(), writer.Stream());
    }

    ScratchFolder m_folder;
};

TEST_F(HeldFileTest, AnEditStartsFromTheOldContentsAtTheirStart)
{
    const std::string path = m_folder.Write("save.bin", "abc");
    HeldFileWriter edit(path, HeldFileStart::kEdit);
    ASSERT_NE(edit.Stream(), nullptr);
    EXPECT_EQ(std::fgetc(edit.Stream()), 'a');
    std::fseek(edit.Stream(), 0, SEEK_CUR);
    std::fputc('X', edit.Stream());
    std::fseek(edit.Stream(), 0, SEEK_END);
    EXPECT_EQ(std::ftell(edit.Stream()), 3);
    ASSERT_TRUE(edit.Close());
    EXPECT_EQ(ScratchFolder::Read(path), "aXc");

    // A file that does not exist yet starts empty.
    HeldFileWriter fresh(m_folder / "fresh.bin", HeldFileStart::kEdit);
    Put(fresh, "f");
    ASSERT_TRUE(fresh.Close());
    EXPECT_EQ(ScratchFolder::Read(m_folder / "fresh.bin"), "f");
}

// The name is taken at the open, as a plain open takes it: a new file is
// there, empty, until the close, and a name the file system refuses fails
// at once instead of at the close. A writer dropped without a close takes
// its empty file away again, but never a file put there meanwhile.
TEST_F(HeldFileTest, TheNameExistsFromTheOpen)
{
    const std::string path = m_folder / "new.txt";
    {
        HeldFileWriter dropped(path, HeldFileStart::kEmpty);
        Put(dropped, "never closed");
        EXPECT_EQ(Contents(path), "never closed");
        EXPECT_TRUE(std::filesystem::is_regular_file(path));
        EXPECT_EQ(ScratchFolder::Read(path), "");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    {
        HeldFileWriter dropped(path, HeldFileStart::kEmpty);
        HeldFileWriter closed(path, HeldFileStart::kEmpty);
        Put(closed, "closed");
        ASSERT_TRUE(closed.Close());
    }
    EXPECT_EQ(ScratchFolder::Read(path), "closed");

    const std::string tooLong = m_folder / std::string(NAME_MAX + 1, 'n');
    HeldFileWriter refused(tooLong, HeldFileStart::kEmpty);
    EXPECT_EQ(refused.Stream(), nullptr);
    EXPECT_EQ(refused.Error(), "open: File name too long");
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{"new.txt"});
}

// Readers see the writes at once; the file itself only on a close.
TEST_F(HeldFileTest, AWriterNeverClosedPutsNothingInPlace)
{
    const std::string path = m_folder.Write("log.txt", "old");
    {
        HeldFileWriter abandoned(path, HeldFileStart::kEmpty);
        Put(abandoned, "new");
        EXPECT_EQ(Contents(path), "new");
        EXPECT_EQ(HostFs_ContentsPath(m_folder / "other.txt"), m_folder / "other.txt");
    }
    EXPECT_EQ(ScratchFolder::Read(path), "old");
    EXPECT_EQ(HostFs_ContentsPath(path), path);
    EXPECT_EQ(ScratchFolder::Names(m_folder.Path()), std::set<std::string>{"log.txt"});
}

}  // namespace
}  // namespace bw
