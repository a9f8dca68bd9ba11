// Files the game holds open for writing, as game code sees them: the name
// reads as what has been written so far, it follows a delete or a rename,
// and what is still open at the end of the game is put in place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "unit/library/file_area_test.h"

namespace bw {
namespace {

using test::ScratchFolder;
using test::ScriptValue;

class HeldFilesTest : public test::FileAreaTest {
protected:
    HeldFilesTest() : FileAreaTest("HeldGame") {}

    static ScriptValue WriteText(const char* name, const char* text)
    {
        const ScriptValue file = Call("file_text_open_write", {name});
        EXPECT_GE(file.Real(), 1.0);
        Call("file_text_write_string", {file, text});
        return file;
    }
    static std::string ReadText(const char* name)
    {
        const ScriptValue file = Call("file_text_open_read", {name});
        if (file.Real() < 1.0) return "<missing>";
        const std::string text = Call("file_text_read_string", {file}).Text();
        Call("file_text_close", {file});
        return text;
    }
};

TEST_F(HeldFilesTest, EveryReaderSeesWhatWasWrittenWhileTheOldFileStaysUntilClose)
{
    m_root.Write("data/HeldGame/old.txt", "old");
    const ScriptValue rewritten = WriteText("old.txt", "new");
    const ScriptValue created = WriteText("created.txt", "made");
    EXPECT_EQ(ScratchFolder::Read(Save("old.txt")), "old");
    EXPECT_EQ(ReadText("old.txt"), "new");
    EXPECT_EQ(Call("file_exists", {"created.txt"}).Real(), 1.0);
    EXPECT_EQ(ReadText("created.txt"), "made");

    const ScriptValue binary = Call("file_bin_open", {"created.txt", 0.0});
    EXPECT_EQ(Call("file_bin_size", {binary}).Real(), 4.0);
    Call("file_bin_close", {binary});
    EXPECT_EQ(Call("file_copy", {"created.txt", "copy.txt"}).Real(), 0.0);
    EXPECT_EQ(ScratchFolder::Read(Save("copy.txt")), "made");

    Call("file_text_close", {rewritten});
    Call("file_text_close", {created});
    EXPECT_EQ(ScratchFolder::Read(Save("old.txt")), "new");
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"old.txt", "created.txt", "copy.txt"}));
}

TEST_F(HeldFilesTest, DeletingOrRenamingAHeldFileCarriesItsWritesAlong)
{
    m_root.Write("data/HeldGame/deleted.txt", "old");
    const ScriptValue deleted = WriteText("deleted.txt", "lost");
    Call("file_delete", {"deleted.txt"});
    EXPECT_EQ(Call("file_exists", {"deleted.txt"}).Real(), 0.0);
    Call("file_text_close", {deleted});
    EXPECT_EQ(Call("file_exists", {"deleted.txt"}).Real(), 0.0);

    const ScriptValue created = WriteText("created.txt", "never closed before");
    Call("file_delete", {"created.txt"});
    Call("file_text_close", {created});
    EXPECT_EQ(Call("file_exists", {"created.txt"}).Real(), 0.0);

    m_root.Write("data/HeldGame/from.txt", "old");
    const ScriptValue moved = WriteText("from.txt", "moved");
    Call("file_rename", {"from.txt", "sub/to.txt"});
    EXPECT_EQ(ReadText("sub/to.txt"), "moved");
    Call("file_text_close", {moved});
    EXPECT_EQ(ScratchFolder::Read(Save("sub/to.txt")), "moved");
    EXPECT_EQ(SaveAreaNames(), std::set<std::string>{"sub"});
}

// A name is found in any case, as on the file system of the original
// platform; a held file not yet put in place has no entry on the disk to
// match against, yet it must answer to its name all the same.
TEST_F(HeldFilesTest, AHeldFileIsFoundUnderItsNameInAnyCase)
{
    m_root.Write("data/HeldGame/Sub/placed.txt", "");
    const ScriptValue held = WriteText("sub/Mixed.txt", "held");
    EXPECT_EQ(ReadText("SUB/mixed.TXT"), "held");
    Call("file_rename", {"sub/MIXED.txt", "sub/Renamed.txt"});
    EXPECT_EQ(ReadText("sub/renamed.txt"), "held");
    Call("file_text_close", {held});
    EXPECT_EQ(ScratchFolder::Read(Save("Sub/Renamed.txt")), "held");
    EXPECT_EQ(Call("file_exists", {"sub/MIXED.txt"}).Real(), 0.0);
}

// A search of the save area lists the game's files as they will be: a held
// file before it is first put in place, never a temporary file beside it.
TEST_F(HeldFilesTest, SearchesListHeldFilesAndNoTemporaryFiles)
{
    m_root.Write("data/HeldGame/old.txt", "old");
    const ScriptValue rewritten = WriteText("old.txt", "new");
    const ScriptValue created = WriteText("new.txt", "made");
    EXPECT_EQ(FindAll("*.*", 0.0), (std::vector<std::string>{"new.txt", "old.txt", "data.win"}));
    EXPECT_EQ(FindAll("*.tmp", 2.0), std::vector<std::string>{});
    EXPECT_EQ(Call("file_attributes", {"new.txt", 0.0}).Real(), 1.0);
    Call("file_text_close", {rewritten});
    Call("file_text_close", {created});
}

// The same file open twice: an append opened later starts from what the
// first handle wrote; the handle closed last decides.
TEST_F(HeldFilesTest, AFileOpenTwiceEndsAsTheLastClosedHandleLeftIt)
{
    const ScriptValue first = WriteText("twice.txt", "first");
    const ScriptValue second = Call("file_text_open_append", {"twice.txt"});
    Call("file_text_write_string", {second, "+second"});
    EXPECT_EQ(ReadText("twice.txt"), "first+second");
    Call("file_text_close", {first});
    Call("file_text_close", {second});
    EXPECT_EQ(ScratchFolder::Read(Save("twice.txt")), "first+second");
}

// The game ends with files still open: they are put in place, as closing
// them would, and nothing is left beside them.
TEST_F(HeldFilesTest, FilesLeftOpenAreCompletedWhenTheGameEnds)
{
    m_root.Write("data/HeldGame/old.bin", "ab");
    WriteText("text.txt", "kept");
    const ScriptValue binary = Call("file_bin_open", {"old.bin", 2.0});
    Call("file_bin_seek", {binary, 2.0});
    Call("file_bin_write_byte", {binary, 99.0});
    Call("file_open_append", {"legacy.txt"});
    Call("file_write_string", {"legacy"});
    File_CloseAll();
    EXPECT_EQ(ScratchFolder::Read(Save("text.txt")), "kept");
    EXPECT_EQ(ScratchFolder::Read(Save("old.bin")), "abc");
    EXPECT_EQ(ScratchFolder::Read(Save("legacy.txt")), "legacy");
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"text.txt", "old.bin", "legacy.txt"}));
}

// A fatal error may end the process with exit() while game code still holds
// files open: what it wrote is put in place as at any other end of the game.
TEST_F(HeldFilesTest, FilesLeftOpenAreCompletedWhenTheProcessExits)
{
    m_root.Write("data/HeldGame/exit.txt", "old");
    EXPECT_EXIT(
        {
            WriteText("exit.txt", "kept");
            Call("file_open_write", {"legacy.txt"});
            Call("file_write_string", {"legacy"});
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ScratchFolder::Read(Save("exit.txt")), "kept");
    EXPECT_EQ(ScratchFolder::Read(Save("legacy.txt")), "legacy");
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"exit.txt", "legacy.txt"}));
}

TEST_F(HeldFilesTest, StartUpClearsTheSaveAreaOfTemporaryFilesOfEndedProcesses)
{
    // Far above any process number the system hands out.
    m_root.Write("data/HeldGame/.score.ini.2147483647-0.tmp", "half");
    m_root.Write("data/HeldGame/score.ini", "whole");
    Files_RemoveStaleTemporaries();
    EXPECT_EQ(SaveAreaNames(), std::set<std::string>{"score.ini"});
}

}  // namespace
}  // namespace bw
