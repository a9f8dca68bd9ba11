// How build faults in project files are placed and shown.
#include <gtest/gtest.h>

#include "bwpack/file_error.h"
#include "bwpack/package_build.h"
#include "bwpack/project.h"
#include "support/scratch_folder.h"

namespace bw::pack {
namespace {

TEST(FileErrorPath, OpensFromWhereBwpackRuns)
{
    struct Case {
        const char* project;
        const char* current;
        const char* expected;
    };
    const Case cases[] = {
        {"examples/demo", "/home/me", "examples/demo/code/a.bwl"},
        {".", "/home/me", "code/a.bwl"},
        {"./demo/", "/home/me", "demo/code/a.bwl"},
        {"../demo", "/home/me/other", "../demo/code/a.bwl"},
        // An absolute project inside the current folder shortens; one
        // outside it stays absolute rather than climbing with "..".
        {"/home/me/games/demo", "/home/me", "games/demo/code/a.bwl"},
        {"/srv/demo", "/home/me", "/srv/demo/code/a.bwl"},
        {"/home/me/demo", "", "/home/me/demo/code/a.bwl"},  // no current folder known
    };
    for (const Case& c : cases) EXPECT_EQ(Project_DisplayPath(c.project, "code/a.bwl", c.current), c.expected) << c.project;
}

TEST(FileErrorText, PlaceFirstThenLineAndCaret)
{
    EXPECT_EQ(FileError_Describe(FileError({"a.bwl", 3, 5, "x = ;"}, "Unexpected symbol."), "p/a.bwl"),
              "p/a.bwl:3:5: Unexpected symbol.\nx = ;\n    ^\n");
    // Tabs before the column stay tabs so the caret lines up however wide
    // the terminal shows them.
    EXPECT_EQ(FileError_Describe(FileError({"a.bwl", 1, 4, "\t\tb("}, "oops"), "a.bwl"), "a.bwl:1:4: oops\n\t\tb(\n\t\t ^\n");
    // Without a column there is nothing to point at; without a line, only the file.
    EXPECT_EQ(FileError_Describe(FileError({"game.json", 7}, "bad"), "d/game.json"), "d/game.json:7: bad\n");
    EXPECT_EQ(FileError_Describe(FileError({"game.json"}, "bad"), "d/game.json"), "d/game.json: bad\n");
}

// The compiler's own place of the fault reaches the error: line, column of
// the token, the line's text and the bare cause.
TEST(FileErrorText, CompileErrorCarriesTheTokensPlace)
{
    test::ScratchFolder folder;
    folder.Write("game.json", R"({"name": "t", "scripts": [{"name": "scr", "file": "code/scr.bwl"}], "rooms": [{"name": "rm"}]})");
    folder.Write("code/scr.bwl", "a = 1;\r\n  b = a + * 2;\r\n");
    for (PackageForm form : {PackageForm::Text, PackageForm::Bytecode}) {
        try {
            Package_Build(Project_Load(folder.Path()), form);
            ADD_FAILURE() << "built";
        } catch (const FileError& error) {
            EXPECT_EQ(error.Place().file, "code/scr.bwl");
            EXPECT_EQ(error.Place().line, 2);
            EXPECT_EQ(error.Place().column, 11);
            EXPECT_EQ(error.Place().lineText, "  b = a + * 2;");
            EXPECT_EQ(error.Cause().find("Error in code"), std::string::npos) << error.Cause();
            EXPECT_EQ(std::string(error.what()).rfind("code/scr.bwl:2:11: ", 0), 0u) << error.what();
        }
    }
}

}  // namespace
}  // namespace bw::pack
