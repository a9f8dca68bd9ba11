#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/message_box.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_heardLines;

void HearLine(const char* line)
{
    g_heardLines.emplace_back(line);
}

std::string ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ConsoleTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedSettings = Console_Settings();
        std::string pattern = (fs::path(testing::TempDir()) / "console_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        g_heardLines.clear();
    }

    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        Console_Settings() = m_savedSettings;
        fs::remove_all(m_folder);
    }

    fs::path UseOutputFile(const char* name)
    {
        const fs::path path = m_folder / name;
        Console_Settings().outputEnabled = true;
        Console_Settings().outputFile = path.string();
        return path;
    }

    fs::path m_folder;

private:
    ConsoleSettings m_savedSettings;
};

TEST_F(ConsoleTest, NullFormatWritesNothing)
{
    const fs::path log = UseOutputFile("out.log");
    Console_SetDebugListener(HearLine);
    const char* noFormat = nullptr;
    testing::internal::CaptureStdout();
    TConsole(false).Printf(noFormat);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(g_heardLines.empty());
    EXPECT_FALSE(fs::exists(log));
}

TEST_F(ConsoleTest, EveryDestinationReceivesTheSameFormattedText)
{
    const fs::path log = UseOutputFile("out.log");
    Console_SetDebugListener(HearLine);
    testing::internal::CaptureStdout();
    TConsole(false).Printf("stage %s: %d of %u, %.2f\n", "VM Init", -3, 12u, 0.5);
    const std::string expected = "stage VM Init: -3 of 12, 0.50\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    EXPECT_EQ(ReadWholeFile(log), expected);
    EXPECT_EQ(g_heardLines, std::vector<std::string>{expected});
}

TEST_F(ConsoleTest, LongMessageIsWholeOnStdoutAndCutElsewhere)
{
    const fs::path log = UseOutputFile("out.log");
    Console_SetDebugListener(HearLine);
    const std::string message(5000, 'x');
    testing::internal::CaptureStdout();
    TConsole(false).Printf("%s", message.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), message);
    EXPECT_EQ(ReadWholeFile(log), message.substr(0, 4095));
    ASSERT_EQ(g_heardLines.size(), 1u);
    EXPECT_EQ(g_heardLines[0], message.substr(0, 4095));
}

TEST_F(ConsoleTest, PercentSignsInTheTextReachTheLogFileUnchanged)
{
    const fs::path log = UseOutputFile("out.log");
    testing::internal::CaptureStdout();
    TConsole(false).Printf("%s\n", "100%s done, %d left %n%x");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadWholeFile(log), "100%s done, %d left %n%x\n");
}

TEST_F(ConsoleTest, MessagesAppendToAnExistingLogFile)
{
    const fs::path log = UseOutputFile("out.log");
    std::ofstream(log) << "earlier run\n";
    testing::internal::CaptureStdout();
    TConsole(false).Printf("first\n");
    TConsole(false).Printf("second\n");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadWholeFile(log), "earlier run\nfirst\nsecond\n");
}

TEST_F(ConsoleTest, EachConsoleWritesOnlyItsOwnLogFile)
{
    const fs::path output = UseOutputFile("out.log");
    const fs::path debugOutput = m_folder / "debug.log";
    Console_Settings().debugOutputEnabled = true;
    Console_Settings().debugOutputFile = debugOutput.string();
    testing::internal::CaptureStdout();
    TConsole(false).Printf("normal\n");
    TConsole(true).Printf("debug\n");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadWholeFile(output), "normal\n");
    EXPECT_EQ(ReadWholeFile(debugOutput), "debug\n");
}

TEST_F(ConsoleTest, LogFileIsWrittenOnlyWhenItsFlagIsSet)
{
    const fs::path log = UseOutputFile("out.log");
    Console_Settings().outputEnabled = false;
    testing::internal::CaptureStdout();
    TConsole(false).Printf("line\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "line\n");
    EXPECT_FALSE(fs::exists(log));
}

TEST_F(ConsoleTest, UnopenableLogFileIsSkipped)
{
    UseOutputFile("missing-folder/out.log");
    testing::internal::CaptureStdout();
    TConsole(false).Printf("still shown\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "still shown\n");
    EXPECT_FALSE(fs::exists(m_folder / "missing-folder"));
}

// Message boxes are switched off so the text comes back on standard error.
class ShowMessageTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedCaption = DialogCaption_Get();
        Host_SetDialogsEnabled(false);
    }

    void TearDown() override
    {
        ShowMessage_SetLeaveFullscreenHook(nullptr);
        Host_SetDialogsEnabled(true);
        DialogCaption_Set(m_savedCaption.c_str());
    }

private:
    std::string m_savedCaption;
};

TEST_F(ShowMessageTest, TextAndCaptionPassUnchangedAsUtf8)
{
    DialogCaption_Set("Sp\xC3\xAD" "el");
    testing::internal::CaptureStderr();
    const int answer = ShowMessage("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sp\xC3\xAD" "el: Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\n");
    EXPECT_EQ(answer, 1);
}

TEST_F(ShowMessageTest, FullScreenIsLeftBeforeTheMessageShows)
{
    ShowMessage_SetLeaveFullscreenHook([] { std::fputs("leaving full screen\n", stderr); });
    DialogCaption_Set("Game");
    testing::internal::CaptureStderr();
    ShowMessage("Failed to compile the scripts.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "leaving full screen\nGame: Failed to compile the scripts.\n");
}

}  // namespace
}  // namespace bw
