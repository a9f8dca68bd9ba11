#include "platform/execute.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/messages.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScopedEnv;
using test::ScratchFolder;

const char* const kTouch = "/usr/bin/touch";
const char* const kMkdir = "/usr/bin/mkdir";

// ExecuteShell does not wait; its child shows its work a little later.
template <typename Done>
bool Eventually(Done done)
{
    for (int i = 0; i < 200 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

TEST(ExecuteTest, ArgumentsSplitByBlanksAndQuotesNeverByAShell)
{
    ScratchFolder root;
    ASSERT_TRUE(ExecuteProgram("touch", "plain \"with blank\" x\"y z\"w $(echo) ;semi |pipe",
                               root.Path().c_str(), true));
    for (const char* name : {"plain", "with blank", "xy zw", "$(echo)", ";semi", "|pipe"})
        EXPECT_TRUE(std::filesystem::exists(root / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(root / "with"));
}

TEST(ExecuteTest, ProgramIsOneItemFoundWhateverItsCase)
{
    ScratchFolder root;
    std::filesystem::create_directories(root / "my tools");
    std::filesystem::create_symlink(kTouch, root / "my tools/Toucher");
    std::string quoted = "\"" + root.Path() + "\\MY TOOLS\\toucher\"";
    ASSERT_TRUE(ExecuteProgram(quoted.c_str(), "made", root.Path().c_str(), true));
    EXPECT_TRUE(std::filesystem::exists(root / "made"));
    // A bare name is looked for in the folder before PATH.
    std::filesystem::create_symlink(kTouch, root / "LocalTool");
    ASSERT_TRUE(ExecuteProgram("localtool", "local", root.Path().c_str(), true));
    EXPECT_TRUE(std::filesystem::exists(root / "local"));
}

TEST(ExecuteTest, WaitingPumpsMessagesUntilTheProgramEnds)
{
    static int pumps;
    pumps = 0;
    ProcessMessages_SetPump([] { ++pumps; });
    ASSERT_TRUE(ExecuteProgram("sleep", "0.2", nullptr, true));
    ProcessMessages_SetPump(nullptr);
    EXPECT_GT(pumps, 1);
}

TEST(ExecuteTest, ProgramThatCannotStartIsReported)
{
    for (const char* program : {static_cast<const char*>(nullptr), "\"\"", "bw-no-such", "./bw-no-such"})
        EXPECT_FALSE(ExecuteProgram(program, "", nullptr, false)) << (program ? program : "(null)");
}

// The desktop's opener is found on PATH; a stand-in program put there in
// its place shows what it was given.
class ExecuteShellTest : public ::testing::Test {
protected:
    ExecuteShellTest() : m_path("PATH", (m_root.Path() + "/bin:" + std::getenv("PATH")).c_str())
    {
        std::filesystem::create_directories(m_root / "bin");
        std::filesystem::create_directories(m_work);
    }

    void UseOpener(const char* standIn) { std::filesystem::create_symlink(standIn, m_root / "bin/xdg-open"); }

    ScratchFolder m_root;
    std::string m_work = m_root / "work";
    ScopedEnv m_path;
};

TEST_F(ExecuteShellTest, AddressesGoToTheOpener)
{
    UseOpener(kMkdir);
    ASSERT_TRUE(ExecuteShell("mailto:someone", "", m_work.c_str()));
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(m_work + "/mailto:someone"); }));
}

TEST_F(ExecuteShellTest, DocumentsGoToTheOpenerByTheirRealPath)
{
    UseOpener(kTouch);
    std::string document = m_root.Write("work/Docs/ReadMe.txt", "text");
    const auto old = std::filesystem::file_time_type();
    std::filesystem::last_write_time(document, old);
    ASSERT_TRUE(ExecuteShell("docs\\README.TXT", "ignored", m_work.c_str()));
    EXPECT_TRUE(Eventually([&] { return std::filesystem::last_write_time(document) != old; }));
    EXPECT_FALSE(std::filesystem::exists(m_work + "/ignored"));
}

TEST_F(ExecuteShellTest, MissingDocumentsFailAtOnce)
{
    UseOpener(kTouch);
    // "C:" is a drive, not an address.
    for (const char* document : {static_cast<const char*>(nullptr), "", "missing.txt", "C:\\missing.txt"})
        EXPECT_FALSE(ExecuteShell(document, "", m_work.c_str())) << (document ? document : "(null)");
    EXPECT_FALSE(std::filesystem::exists(m_work + "/missing.txt"));
}

TEST_F(ExecuteShellTest, ProgramsAreStartedWithTheirParameters)
{
    ASSERT_TRUE(ExecuteShell(kTouch, "\"from shell\"", m_work.c_str()));
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(m_work + "/from shell"); }));
}

}  // namespace
}  // namespace bw
