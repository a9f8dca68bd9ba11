// Saves that cannot finish, as the game meets them: a whole file, and a file
// the game writes through a handle, keep their old contents, leave nothing
// else behind, and report the failure in the log where the game has no
// answer to hear it by.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "host/atomic_file.h"
#include "library/buffer_builtins.h"
#include "platform/console.h"
#include "unit/library/file_area_test.h"

namespace bw {
namespace {

using test::ScratchFolder;

std::string& HeardLines()
{
    static std::string lines;
    return lines;
}

class WholeFileSavesTest : public test::FileAreaTest {
protected:
    WholeFileSavesTest() : FileAreaTest("SavesGame") {}

    void SetUp() override
    {
        FileAreaTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("buffer_save", &id)) Function_Buffers_Register();
        HeardLines().clear();
        Console_SetDebugListener([](const char* line) { HeardLines() += line; });
    }
    void TearDown() override
    {
        HostFs_SimulateSpaceLeft(-1);
        Console_SetDebugListener(nullptr);
        FileAreaTest::TearDown();
    }
};

TEST_F(WholeFileSavesTest, AFullDiskLeavesEveryWholeFileAsItWas)
{
    m_root.Write("game/source.txt", std::string(100, 's'));
    const struct {
        const char* file;
        bool logged;  // where the game has no answer to hear it by
        std::function<void()> save;
    } cases[] = {
        {"scores.ini", true,
         [] {
             Call("ini_open", {"scores.ini"});
             Call("ini_write_string", {"best", "score", "a value longer than the space left"});
             Call("ini_close");
         }},
        {"level.bin", true,
         [] {
             const test::ScriptValue buffer = Call("buffer_create", {64.0, 1.0, 1.0});
             Call("buffer_write", {buffer, 11.0, "bytes longer than the space left"});
             Call("buffer_save", {buffer, "level.bin"});
             Call("buffer_delete", {buffer});
         }},
        {"copy.txt", false, [] { EXPECT_EQ(Call("file_copy", {"source.txt", "copy.txt"}).Real(), -1.0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        m_root.Write("data/SavesGame/" + std::string(c.file), "old contents");
        const std::set<std::string> before = SaveAreaNames();
        HostFs_SimulateSpaceLeft(8);
        HeardLines().clear();
        c.save();
        HostFs_SimulateSpaceLeft(-1);
        EXPECT_EQ(ScratchFolder::Read(Save(c.file)), "old contents");
        EXPECT_EQ(SaveAreaNames(), before) << "no temporary file is left";
        EXPECT_EQ(HeardLines().find("Failed to write file: " + Save(c.file)) != std::string::npos, c.logged)
            << HeardLines();
    }
}

// Files the game holds open replace the old file only when closed: a disk
// that fills up on the way leaves the old file whole, nothing else behind,
// and the reason in the log.
TEST_F(WholeFileSavesTest, AHandleThatCannotFinishLeavesTheOldFileWhole)
{
    const std::string longText(5000, 'n');
    const struct {
        const char* name;
        std::function<void()> write;
    } cases[] = {
        {"text write",
         [&] {
             const test::ScriptValue file = Call("file_text_open_write", {"held.txt"});
             Call("file_text_write_string", {file, longText.c_str()});
             Call("file_text_close", {file});
         }},
        {"binary write and rewrite",
         [] {
             for (double mode : {1.0, 2.0}) {
                 const test::ScriptValue file = Call("file_bin_open", {"held.txt", mode});
                 Call("file_bin_rewrite", {file});
                 for (int i = 0; i < 5000; ++i) Call("file_bin_write_byte", {file, 65.0});
                 Call("file_bin_close", {file});
             }
         }},
        {"legacy write",
         [&] {
             Call("file_open_write", {"held.txt"});
             Call("file_write_string", {longText.c_str()});
             Call("file_close");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_root.Write("data/SavesGame/held.txt", "old text");
        HeardLines().clear();
        HostFs_SimulateSpaceLeft(4096);
        c.write();
        HostFs_SimulateSpaceLeft(-1);
        EXPECT_EQ(ScratchFolder::Read(Save("held.txt")), "old text");
        EXPECT_EQ(SaveAreaNames(), std::set<std::string>{"held.txt"});
        EXPECT_NE(HeardLines().find("ERROR!!! :: Failed to write file: " + Save("held.txt") +
                                    " (write: No space left on device)\n"),
                  std::string::npos)
            << HeardLines();
    }
}

// A copy to edit that does not fit fails the open: the game hears -1, and
// no empty file is left to hide a file shipped with the game.
TEST_F(WholeFileSavesTest, AnEditWhoseCopyDoesNotFitIsRefused)
{
    m_root.Write("data/SavesGame/log.txt", std::string(100, 'l'));
    m_root.Write("game/shipped.bin", std::string(100, 's'));
    HostFs_SimulateSpaceLeft(10);
    EXPECT_EQ(Call("file_bin_open", {"log.txt", 2.0}).Real(), -1.0);
    EXPECT_EQ(Call("file_bin_open", {"shipped.bin", 2.0}).Real(), -1.0);
    HostFs_SimulateSpaceLeft(-1);
    EXPECT_EQ(ScratchFolder::Read(Save("log.txt")), std::string(100, 'l'));
    EXPECT_EQ(SaveAreaNames(), std::set<std::string>{"log.txt"});
    const test::ScriptValue shipped = Call("file_bin_open", {"shipped.bin", 0.0});
    EXPECT_EQ(Call("file_bin_size", {shipped}).Real(), 100.0);
    Call("file_bin_close", {shipped});
    EXPECT_NE(HeardLines().find("Failed to write file: " + Save("log.txt") + " (write: No space left on device)"),
              std::string::npos);
}

// An append that does not fit adds nothing, not even a line's text without
// its end, and is logged once; what was written before it stays, and the
// handle writes on once there is room again.
TEST_F(WholeFileSavesTest, AnAppendThatDoesNotFitAddsNothing)
{
    m_root.Write("data/SavesGame/log.txt", "old\r\n");
    const test::ScriptValue file = Call("file_text_open_append", {"log.txt"});
    Call("file_text_write_string", {file, "kept"});
    Call("file_text_writeln", {file});
    // Room for the text, not for its end.
    HostFs_SimulateSpaceLeft(7);
    Call("file_text_write_string", {file, "a line"});
    Call("file_text_writeln", {file});
    Call("file_text_write_string", {file, " and another"});
    Call("file_text_writeln", {file});
    HostFs_SimulateSpaceLeft(-1);
    EXPECT_EQ(ScratchFolder::Read(Save("log.txt")), "old\r\nkept\r\n");
    Call("file_text_write_string", {file, "more"});
    Call("file_text_close", {file});
    EXPECT_EQ(ScratchFolder::Read(Save("log.txt")), "old\r\nkept\r\nmore");
    const std::string logged = "Failed to write file: " + Save("log.txt") + " (write: No space left on device)";
    EXPECT_NE(HeardLines().find(logged), std::string::npos) << HeardLines();
    EXPECT_EQ(HeardLines().find(logged), HeardLines().rfind(logged)) << "logged once";
}

// A pipe (or a device) under a save name is never swapped for a plain file.
TEST_F(WholeFileSavesTest, ANameThatIsNoRegularFileIsNotReplaced)
{
    std::filesystem::create_directories(Save(""));
    ASSERT_EQ(mkfifo(Save("pipe.txt").c_str(), 0600), 0);
    EXPECT_EQ(Call("file_text_open_write", {"pipe.txt"}).Real(), -1.0);
    EXPECT_EQ(Call("file_text_open_append", {"pipe.txt"}).Real(), -1.0);
    EXPECT_EQ(Call("file_bin_open", {"pipe.txt", 1.0}).Real(), -1.0);
    EXPECT_TRUE(std::filesystem::is_fifo(Save("pipe.txt")));
    EXPECT_NE(HeardLines().find("Failed to write file: " + Save("pipe.txt") + " (open: not a regular file)"),
              std::string::npos);
}

}  // namespace
}  // namespace bw
