#include "platform/console.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/message_box.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

std::vector<std::string> g_heardLines;
void HearLine(const char* line) { g_heardLines.emplace_back(line); }

template <typename Print>
std::string CapturedStdout(Print print)
{
    testing::internal::CaptureStdout();
    print();
    return testing::internal::GetCapturedStdout();
}

// The normal console logs to out.log and the debug window hears every line.
class ConsoleTest : public testing::Test {
protected:
    ConsoleTest()
    {
        g_heardLines.clear();
        Console_Settings() = {
            .outputEnabled = true, .outputFile = m_log, .debugOutputEnabled = false, .debugOutputFile = ""};
        Console_SetDebugListener(HearLine);
    }
    ~ConsoleTest() override
    {
        Console_SetDebugListener(nullptr);
        Console_Settings() = m_saved;
    }

    const ConsoleSettings m_saved = Console_Settings();
    ScratchFolder m_folder;
    const std::string m_log = m_folder / "out.log";
};

TEST_F(ConsoleTest, NullFormatWritesNothing)
{
    // A null format is what a caller may pass; the compiler cannot check it.
    const char* noFormat = nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
    EXPECT_EQ(CapturedStdout([&] { TConsole(false).Printf(noFormat); }), "");
#pragma GCC diagnostic pop
    EXPECT_TRUE(g_heardLines.empty());
    EXPECT_FALSE(std::filesystem::exists(m_log));
}

// Percent signs in the formatted text must not be taken as a format again.
TEST_F(ConsoleTest, EveryDestinationReceivesTheSameFormattedText)
{
    const std::string expected = "stage VM: -3 of 12, 0.50, 1%s %n%x\n";
    const auto print = [] { TConsole(false).Printf("stage %s: %d of %u, %.2f, %s\n", "VM", -3, 12u, 0.5, "1%s %n%x"); };
    EXPECT_EQ(CapturedStdout(print), expected);
    EXPECT_EQ(ScratchFolder::Read(m_log), expected);
    EXPECT_EQ(g_heardLines, std::vector<std::string>{expected});
}

TEST_F(ConsoleTest, LongMessageIsWholeOnStdoutAndCutElsewhere)
{
    const std::string message(5000, 'x');
    EXPECT_EQ(CapturedStdout([&] { TConsole(false).Printf("%s", message.c_str()); }), message);
    EXPECT_EQ(ScratchFolder::Read(m_log), message.substr(0, 4095));
    EXPECT_EQ(g_heardLines, std::vector<std::string>{message.substr(0, 4095)});
}

TEST_F(ConsoleTest, MessagesAppendToAnExistingLogFile)
{
    m_folder.Write("out.log", "earlier run\n");
    CapturedStdout([] { TConsole(false).Printf("first\n"); TConsole(false).Printf("second\n"); });
    EXPECT_EQ(ScratchFolder::Read(m_log), "earlier run\nfirst\nsecond\n");
}

TEST_F(ConsoleTest, EachConsoleWritesOnlyItsOwnLogFileAndOnlyWhenEnabled)
{
    const std::string debugLog = m_folder / "debug.log";
    Console_Settings().debugOutputEnabled = true;
    Console_Settings().debugOutputFile = debugLog;
    CapturedStdout([] { TConsole(false).Printf("normal\n"); TConsole(true).Printf("debug\n"); });
    EXPECT_EQ(ScratchFolder::Read(m_log), "normal\n");
    EXPECT_EQ(ScratchFolder::Read(debugLog), "debug\n");
    Console_Settings().outputEnabled = Console_Settings().debugOutputEnabled = false;
    EXPECT_EQ(CapturedStdout([] { TConsole(false).Printf("a\n"); TConsole(true).Printf("b\n"); }), "a\nb\n");
    EXPECT_EQ(ScratchFolder::Read(m_log), "normal\n");
    EXPECT_EQ(ScratchFolder::Read(debugLog), "debug\n");
}

TEST_F(ConsoleTest, UnopenableLogFileIsSkipped)
{
    Console_Settings().outputFile = m_folder / "missing-folder/out.log";
    EXPECT_EQ(CapturedStdout([] { TConsole(false).Printf("still shown\n"); }), "still shown\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder / "missing-folder"));
}

// Dialogs are switched off so the message comes back on standard error.
class ShowMessageTest : public testing::Test {
protected:
    ShowMessageTest() { Host_SetDialogsEnabled(false); }
    ~ShowMessageTest() override
    {
        ShowMessage_SetLeaveFullscreenHook(nullptr);
        Host_SetDialogsEnabled(true);
        DialogCaption_Set(m_savedCaption.c_str());
    }

    const std::string m_savedCaption = DialogCaption_Get();
};

TEST_F(ShowMessageTest, FullScreenIsLeftThenCaptionAndTextShowUnchangedAsUtf8)
{
    ShowMessage_SetLeaveFullscreenHook([] { std::fputs("leaving full screen\n", stderr); });
    DialogCaption_Set("Sp\xC3\xAD" "el");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowMessage("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "leaving full screen\nSp\xC3\xAD" "el: Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\n");
}

}  // namespace
}  // namespace bw
