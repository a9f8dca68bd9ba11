// The package chooser runs the desktop's chooser program and reads its
// answer; fake choosers on PATH stand in for zenity and kdialog.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "host/file_dialog.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

class FileDialogTest : public testing::Test {
protected:
    // A chooser script that prints the answer and exits with the code given.
    void FakeChooser(const char* name, const std::string& answer, int exitCode)
    {
        const std::string path = folder.Write(
            name, "#!/bin/sh\nprintf '%s\\n' '" + answer + "'\nexit " + std::to_string(exitCode) + "\n");
        chmod(path.c_str(), 0755);
    }

    test::ScratchFolder folder;
    test::ScopedEnv display{"DISPLAY", ":0"};
    test::ScopedEnv wayland{"WAYLAND_DISPLAY", nullptr};
    test::ScopedEnv driver{"SDL_VIDEODRIVER", nullptr};
    test::ScopedEnv path{"PATH", folder.Path().c_str()};
};

TEST_F(FileDialogTest, ChosenPathComesBackWithoutItsLineEnd)
{
    FakeChooser("kdialog", "/games/my game.win", 0);
    EXPECT_EQ(HostFileDialog_FindChooser(), "kdialog");
    std::string chosen;
    ASSERT_TRUE(HostFileDialog_ChoosePackage(&chosen));
    EXPECT_EQ(chosen, "/games/my game.win");
}

TEST_F(FileDialogTest, ZenityIsPreferredAndCancelGivesNothing)
{
    FakeChooser("kdialog", "/games/other.win", 0);
    FakeChooser("zenity", "", 1);
    EXPECT_EQ(HostFileDialog_FindChooser(), "zenity");
    std::string chosen = "unchanged";
    EXPECT_FALSE(HostFileDialog_ChoosePackage(&chosen));
    EXPECT_EQ(chosen, "unchanged");
}

TEST_F(FileDialogTest, NoChooserWithoutADisplay)
{
    FakeChooser("zenity", "/games/a.win", 0);
    test::ScopedEnv noDisplay("DISPLAY", nullptr);
    EXPECT_EQ(HostFileDialog_FindChooser(), "");
    std::string chosen;
    EXPECT_FALSE(HostFileDialog_ChoosePackage(&chosen));
}

TEST_F(FileDialogTest, GameDialogsPassFilterNameFolderAndTitleAsArguments)
{
    HostFileRequest request;
    request.save = true;
    request.filters = HostFileDialog_ParseFilter("Text|*.txt;*.log|All|*.*");
    request.defaultName = "notes.txt";
    request.folder = "/games";
    request.title = "Save notes";
    EXPECT_EQ(HostFileDialog_Arguments("zenity", request),
              (std::vector<std::string>{"--file-selection", "--save", "--confirm-overwrite", "--title=Save notes",
                                        "--filename=/games/notes.txt", "--file-filter=Text | *.txt *.log",
                                        "--file-filter=All | *.*"}));
    EXPECT_EQ(HostFileDialog_Arguments("kdialog", request),
              (std::vector<std::string>{"--getsavefilename", "/games/notes.txt", "*.txt *.log|Text\n*.*|All",
                                        "--title", "Save notes"}));
    EXPECT_EQ(HostFileDialog_ParseFilter("Odd|"), (std::vector<std::pair<std::string, std::string>>{{"Odd", ""}}));
    FakeChooser("zenity", "/games/chosen.txt", 0);
    std::string chosen;
    ASSERT_TRUE(HostFileDialog_Choose(request, &chosen));
    EXPECT_EQ(chosen, "/games/chosen.txt");
}

}  // namespace
}  // namespace bw
