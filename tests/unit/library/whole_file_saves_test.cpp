// Saves that cannot finish, as the game meets them: a whole file keeps its
// old contents and leaves nothing else behind; a file the game writes through
// a handle reports the failure in the log.
#include <gtest/gtest.h>

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

    std::set<std::string> SaveAreaNames() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Save(""))) names.insert(entry.path().filename());
        return names;
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
        {"registry.ini", true, [] { Call("registry_write_string", {"Key", "a value longer than the space left"}); }},
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

// Files the game holds open keep writing in place; a device that takes
// nothing (a full disk) is told in the log when the handle closes.
TEST_F(WholeFileSavesTest, AFailedWriteThroughAHandleIsLogged)
{
    std::filesystem::create_directories(Save(""));
    std::filesystem::create_symlink("/dev/full", Save("full.txt"));
    const test::ScriptValue text = Call("file_text_open_write", {"full.txt"});
    ASSERT_GE(text.Real(), 1.0);
    Call("file_text_write_string", {text, "lost"});
    EXPECT_EQ(HeardLines(), "");
    Call("file_text_close", {text});
    EXPECT_EQ(HeardLines(), "ERROR!!! :: Failed to write file: " + Save("full.txt") + "\n");

    HeardLines().clear();
    const test::ScriptValue binary = Call("file_bin_open", {"full.txt", 1.0});
    ASSERT_GE(binary.Real(), 1.0);
    Call("file_bin_write_byte", {binary, 7.0});
    Call("file_bin_close", {binary});
    EXPECT_EQ(HeardLines(), "ERROR!!! :: Failed to write file: " + Save("full.txt") + "\n");
}

}  // namespace
}  // namespace bw
