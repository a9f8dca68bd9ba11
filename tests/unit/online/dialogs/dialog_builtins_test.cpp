// The message, file-dialog and high-score built-ins, and what a run without
// a display answers.
#include "online/dialogs/dialog_builtins.h"

#include <gtest/gtest.h>

#include <string>

#include "online/dialogs/high_score.h"
#include "online/dialogs/input_dialogs.h"
#include "platform/console.h"
#include "platform/files.h"
#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"
#include "unit/online/dialogs/scripted_dialogs.h"

namespace bw {
namespace {

using test::CallBuiltin;

std::string& Logged()
{
    static std::string lines;
    return lines;
}

class DialogBuiltinsTest : public testing::Test {
protected:
    void SetUp() override
    {
        int32_t id = -1;
        if (!Code_Function_Find("show_message", &id)) Function_Interaction_Register();
        Logged().clear();
        Console_SetDebugListener([](const char* line) { Logged() += line; });
        HighScore_Init();
    }
    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        PickedFiles_Clear();
        HighScore_Init();
    }
};

TEST_F(DialogBuiltinsTest, MessagesBreakLinesAtHashesAndShowRealsShortest)
{
    // With no display the '#' line break reaches the terminal as a LF.
    const std::pair<test::ScriptValue, const char*> cases[] = {
        {"a#b\\#c", "a\nb#c"}, {3.0, "3"}, {2.5, "2.50"}};
    for (const auto& [argument, shown] : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(CallBuiltin("show_message", {argument}).Real(), 1.0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("Brackwell: ") + shown + "\n");
    }
}

TEST_F(DialogBuiltinsTest, WithoutADisplayDialogsTakeTheirDefaultAndSaySo)
{
    test::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    EXPECT_EQ(CallBuiltin("get_string", {"Name?", "Ann"}).Text(), "Ann");
    EXPECT_EQ(CallBuiltin("show_question", {"Sure?"}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("get_open_filename", {"Text|*.txt", ""}).Text(), "");
    EXPECT_EQ(Logged(),
              "No display: the input dialog \"Name?\" takes its default answer\n"
              "No display: the question dialog \"Sure?\" takes its default answer\n"
              "No display: the open dialog is cancelled\n");
}

TEST_F(DialogBuiltinsTest, ARealDefaultIsOfferedWithTwoDecimalsAndEveryDigit)
{
    test::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    EXPECT_EQ(CallBuiltin("get_string", {"Sum?", 2.5}).Text(), "2.50");
    EXPECT_EQ(CallBuiltin("get_string", {"Sum?", 1e100}).Text(),
              "10000000000000000159028911097599180468360808563945281389781327557747838772170381060813469985856815104"
              ".00");
}

TEST_F(DialogBuiltinsTest, PickedFilesBecomeReachableAndSavesTakeTheFiltersExtension)
{
    test::ScriptedDialogs dialogs;
    test::ScratchFolder folder;
    const std::string opened = folder.Write("notes.txt", "hello");
    dialogs.chosenFiles = {opened, folder / "slot", ""};
    EXPECT_EQ(CallBuiltin("get_open_filename_ext", {"Text|*.txt|All|*.*", "n.txt", "/games", "Pick"}).Text(), opened);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const HostFileRequest& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.filters, (std::vector<std::pair<std::string, std::string>>{{"Text", "*.txt"}, {"All", "*.*"}}));
    EXPECT_EQ(request.defaultName, "n.txt");
    EXPECT_EQ(request.folder, "/games");
    EXPECT_EQ(request.title, "Pick");
    char resolved[kLoadSavePathSize];
    EXPECT_TRUE(LoadSave_PathRead(resolved, sizeof resolved, opened.c_str()));

    EXPECT_EQ(CallBuiltin("get_save_filename", {"Saves|*.sav", ""}).Text(), folder / "slot.sav");
    EXPECT_EQ(Logged(), "pDefExt = sav\n");
    EXPECT_TRUE(LoadSave_PathWrite(resolved, sizeof resolved, (folder / "slot.sav").c_str()));
    EXPECT_EQ(CallBuiltin("get_save_filename", {"Saves|*.sav", ""}).Text(), "");
    EXPECT_EQ(CallBuiltin("get_open_filename", {"Text|*.txt", 3.0}).Text(), "");
    EXPECT_EQ(dialogs.fileRequests.size(), 3u) << "a non-string argument asks nothing";
}

TEST_F(DialogBuiltinsTest, HighScoreBuiltinsReadTheTable)
{
    CallBuiltin("highscore_add", {"Ann", 10.4});
    CallBuiltin("highscore_add", {1.0, 20.0});
    EXPECT_EQ(CallBuiltin("highscore_value", {1.0}).Real(), 20.0);
    EXPECT_EQ(CallBuiltin("highscore_name", {1.0}).Text(), "");
    EXPECT_EQ(CallBuiltin("highscore_name", {2.0}).Text(), "Ann");
    EXPECT_EQ(CallBuiltin("highscore_value", {2.0}).Real(), 10.0);
    CallBuiltin("highscore_clear", {});
    EXPECT_EQ(CallBuiltin("highscore_name", {1.0}).Text(), "<nobody>");
}

TEST_F(DialogBuiltinsTest, LegacyNamesOnlySayTheyAreMissing)
{
    EXPECT_EQ(CallBuiltin("message_alpha", {0.5}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("show_message_ext", {"a", "b", "c", "d"}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("get_directory", {""}).Text(), "");
    CallBuiltin("highscore_set_font", {"Arial", 12.0, 0.0});
    EXPECT_EQ(Logged(),
              "message_alpha(alpha) not impleneted\n"
              "show_message_ext(str,but1,but2,but3) not impleneted\n"
              "get_directory(dname) not implemented.\n"
              "Function F_HighscoreSetFont has no implementation.\n\n");
}

}  // namespace
}  // namespace bw
