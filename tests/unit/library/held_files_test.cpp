// Files the game holds open for writing, as game code sees them: the name
// reads as what has been written so far, it follows a delete or a rename,
// appends reach the disk at once, and what is still open at the end of the
// game is put in place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "library/buffer_builtins.h"
#include "unit/library/file_area_test.h"

namespace bw {
namespace {

using test::ScratchFolder;
using test::ScriptValue;

class HeldFilesTest : public test::FileAreaTest {
protected:
    HeldFilesTest() : FileAreaTest("HeldGame") {}

    void SetUp() override
    {
        FileAreaTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("buffer_save", &id)) Function_Buffers_Register();
    }

    static ScriptValue WriteText(const char* name, const char* text)
    {
        const ScriptValue file = Call("file_text_open_write", {name});
        EXPECT_GE(file.Real(), 1.0);
        Call("file_text_write_string", {file, text});
        return file;
    }
    static void WriteLine(const ScriptValue& file, const char* text)
    {
        Call("file_text_write_string", {file, text});
        Call("file_text_writeln", {file});
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

    // A new file under a deleted held name is another file: the held
    // handle's close leaves it alone.
    const ScriptValue dropped = WriteText("again.txt", "dropped");
    Call("file_delete", {"again.txt"});
    const ScriptValue again = Call("file_text_open_append", {"again.txt"});
    Call("file_text_close", {dropped});
    Call("file_text_write_string", {again, "kept"});
    Call("file_text_close", {again});
    EXPECT_EQ(ScratchFolder::Read(Save("again.txt")), "kept");

    m_root.Write("data/HeldGame/from.txt", "old");
    const ScriptValue moved = WriteText("from.txt", "moved");
    Call("file_rename", {"from.txt", "sub/to.txt"});
    EXPECT_EQ(ReadText("sub/to.txt"), "moved");
    Call("file_text_close", {moved});
    EXPECT_EQ(ScratchFolder::Read(Save("sub/to.txt")), "moved");
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"again.txt", "sub"}));
}

// A name is found in any case, as on the file system of the original
// platform; a new file held open answers to its name before it is first put
// in place.
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

// Appending writes in place, each line at the end of the file as it then
// stands: two handles on one file keep every line, and each line is on the
// disk as soon as it is written.
TEST_F(HeldFilesTest, TwoAppendHandlesKeepEveryLine)
{
    m_root.Write("data/HeldGame/log.txt", "start\r\n");
    const ScriptValue first = Call("file_text_open_append", {"log.txt"});
    WriteLine(first, "a");
    const ScriptValue second = Call("file_text_open_append", {"log.txt"});
    WriteLine(second, "b");
    WriteLine(first, "c");
    Call("file_open_append", {"log.txt"});
    Call("file_write_string", {"d"});
    Call("file_writeln");
    EXPECT_EQ(ScratchFolder::Read(Save("log.txt")), "start\r\na\r\nb\r\nc\r\nd\r\n");
    Call("file_text_close", {first});
    Call("file_text_close", {second});
    Call("file_close");
    EXPECT_EQ(ScratchFolder::Read(Save("log.txt")), "start\r\na\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(SaveAreaNames(), std::set<std::string>{"log.txt"});
}

// A file appended to and rewritten at once ends as the rewrite left it,
// whichever handle closes last.
TEST_F(HeldFilesTest, ARewriteOpenBesideAnAppendDecidesTheFile)
{
    for (const bool rewriteClosesFirst : {true, false}) {
        SCOPED_TRACE(rewriteClosesFirst ? "rewrite closed first" : "append closed first");
        m_root.Write("data/HeldGame/both.txt", "start");
        const ScriptValue append = Call("file_text_open_append", {"both.txt"});
        const ScriptValue rewrite = WriteText("both.txt", "rewritten");
        Call("file_text_write_string", {append, "+appended"});
        Call("file_text_close", {rewriteClosesFirst ? rewrite : append});
        Call("file_text_close", {rewriteClosesFirst ? append : rewrite});
        EXPECT_EQ(ScratchFolder::Read(Save("both.txt")), "rewritten");
    }
}

// Whatever puts a new file at an appended name (a saved ini, a saved
// buffer), the lines appended after it reach the
// new file.
TEST_F(HeldFilesTest, LinesAppendedAfterTheNameIsReplacedReachTheNewFile)
{
    const struct {
        const char* name;
        void (*replace)();
    } replacers[] = {
        {"ini_close",
         [] {
             Call("ini_open", {"log.txt"});
             Call("ini_write_string", {"s", "k", "v"});
             Call("ini_close");
         }},
        {"buffer_save",
         [] {
             const ScriptValue buffer = Call("buffer_create", {4.0, 1.0, 1.0});
             Call("buffer_write", {buffer, 1.0, 66.0});
             Call("buffer_save", {buffer, "log.txt"});
             Call("buffer_delete", {buffer});
         }},
    };
    for (const auto& replacer : replacers) {
        SCOPED_TRACE(replacer.name);
        m_root.Write("data/HeldGame/log.txt", "");
        const ScriptValue append = Call("file_text_open_append", {"log.txt"});
        WriteLine(append, "before");
        replacer.replace();
        const std::string replaced = ScratchFolder::Read(Save("log.txt"));
        EXPECT_NE(replaced, "before\r\n");
        WriteLine(append, "Ελληνικά");
        Call("file_text_close", {append});
        EXPECT_EQ(ScratchFolder::Read(Save("log.txt")), replaced + "Ελληνικά\r\n");
    }
}

// A file held open to rewrite is on the disk under its name from the open,
// so nothing can make a folder of the name meanwhile, and what the game
// wrote reaches it at the close.
TEST_F(HeldFilesTest, NoFolderTakesTheNameOfAHeldFile)
{
    const ScriptValue text = WriteText("held.txt", "text");
    const ScriptValue binary = Call("file_bin_open", {"held.bin", 1.0});
    Call("file_bin_write_byte", {binary, 66.0});
    for (const char* held : {"held.txt", "held.bin"}) {
        SCOPED_TRACE(held);
        const std::string below = std::string(held) + "/below.txt";
        Call("directory_create", {held});
        EXPECT_EQ(Call("file_text_open_write", {below.c_str()}).Real(), -1.0);
        EXPECT_EQ(Call("file_bin_open", {below.c_str(), 2.0}).Real(), -1.0);
        const ScriptValue buffer = Call("buffer_create", {4.0, 1.0, 1.0});
        Call("buffer_save", {buffer, below.c_str()});
        Call("buffer_delete", {buffer});
        Call("ini_open", {below.c_str()});
        Call("ini_write_string", {"a", "b", "c"});
        Call("ini_close");
        EXPECT_EQ(Call("directory_exists", {held}).Real(), 0.0);
    }
    Call("file_text_close", {text});
    Call("file_bin_close", {binary});
    EXPECT_EQ(ScratchFolder::Read(Save("held.txt")), "text");
    EXPECT_EQ(ScratchFolder::Read(Save("held.bin")), "B");
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"held.txt", "held.bin"}));
}

// A name longer than the file system takes gets no handle, whether it would
// be held or appended to; the longest it takes works either way.
TEST_F(HeldFilesTest, ANameTheFileSystemRefusesGetsNoHandle)
{
    const std::string tooLong(NAME_MAX + 45, 'n');
    EXPECT_EQ(Call("file_text_open_write", {tooLong.c_str()}).Real(), -1.0);
    EXPECT_EQ(Call("file_text_open_append", {tooLong.c_str()}).Real(), -1.0);
    EXPECT_EQ(Call("file_bin_open", {tooLong.c_str(), 1.0}).Real(), -1.0);
    EXPECT_EQ(Call("file_bin_open", {tooLong.c_str(), 2.0}).Real(), -1.0);

    const std::string longest(NAME_MAX, 'l');
    Call("file_text_close", {WriteText(longest.c_str(), "held")});
    const ScriptValue append = Call("file_text_open_append", {longest.c_str()});
    Call("file_text_write_string", {append, "+appended"});
    Call("file_text_close", {append});
    EXPECT_EQ(ScratchFolder::Read(Save(longest)), "held+appended");
    EXPECT_EQ(SaveAreaNames(), std::set<std::string>{longest});
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

// A kill before the close keeps what the game saw under the name: a file
// shipped with the game is copied in whole at the open, so no empty file
// hides it; the temporary files left behind go at the next start.
TEST_F(HeldFilesTest, AKillBeforeTheCloseKeepsAShippedFilesContents)
{
    m_root.Write("game/text.txt", "shipped text");
    m_root.Write("game/data.bin", "shipped data");
    EXPECT_EXIT(
        {
            WriteText("text.txt", "rewritten");
            const ScriptValue binary = Call("file_bin_open", {"data.bin", 2.0});
            Call("file_bin_write_byte", {binary, 88.0});
            _exit(0);  // no exit handler runs, as under a kill
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadText("text.txt"), "shipped text");
    EXPECT_EQ(ScratchFolder::Read(Save("data.bin")), "shipped data");
    EXPECT_EQ(SaveAreaNames().size(), 4u) << "two temporary files";
    Files_RemoveStaleTemporaries();
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"text.txt", "data.bin"}));
}

// The sweep takes what writes of ended processes left, never a file of the
// game's own that looks like one.
TEST_F(HeldFilesTest, StartUpClearsTheSaveAreaOfTemporaryFilesOfEndedProcesses)
{
    // Far above any process number the system hands out.
    m_root.Write("data/HeldGame/.score.ini\\2147483647-0.tmp", "half");
    m_root.Write("data/HeldGame/score.ini", "whole");
    Call("file_text_close", {WriteText(".notes.2147483647-0.tmp", "the game's")});
    Call("file_text_close", {WriteText(".notes\\2147483647-0.tmp", "the game's, in a folder")});
    Files_RemoveStaleTemporaries();
    EXPECT_EQ(SaveAreaNames(), (std::set<std::string>{"score.ini", ".notes.2147483647-0.tmp", ".notes"}));
}

}  // namespace
}  // namespace bw
