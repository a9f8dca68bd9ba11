// How build faults in project files are placed and shown.
#include <gtest/gtest.h>

#include <clocale>
#include <string_view>

#include "bwpack/code_checks.h"
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

// The caret stands under the place on a terminal: a character takes one
// column, a wide one two, a mark that combines with the one before none;
// the column number stays a count of bytes.
TEST(FileErrorText, CaretCountsTerminalColumnsInAnyLocale)
{
    const struct {
        const char* line;
        int32_t column;
        const char* caret;
    } cases[] = {
        {"a = \"Привет\"; b = ;", 25, "                  ^"},
        {"\tx = \"Γειά\"; b = ;", 22, "\t                ^"},
        {"a = \"日本語\"; b = ;", 22, "                  ^"},
        {"s = \"e\xCC\x81\"; b = ;", 16, "             ^"},  // e and a combining acute
        {"\xFF\xFE = ;", 4, "   ^"},                            // no UTF-8: a column per byte
        {"x", 4, "   ^"},                                        // past the end of the line
    };
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "C.UTF-8"}) {
        std::setlocale(LC_ALL, locale);
        for (const auto& c : cases) {
            const std::string described = FileError_Describe(FileError({"a.bwl", 1, c.column, c.line}, "x"), "a.bwl");
            EXPECT_EQ(described, "a.bwl:1:" + std::to_string(c.column) + ": x\n" + c.line + "\n" + c.caret + "\n") << locale;
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
}

// Lines end as the lexer ends them: a carriage return, a line feed, or the
// pair; the column counts bytes from the line's start.
TEST(CodeFilePlace, LinesEndAtCarriageReturnLineFeedOrThePair)
{
    using namespace std::string_view_literals;
    const struct {
        std::string_view source;
        int32_t position;
        int32_t line, column;
        const char* lineText;
    } cases[] = {
        {"x = 1;\ry = ;\r"sv, 11, 2, 5, "y = ;"},
        {"x = 1;\r\ny = ;\r\n"sv, 12, 2, 5, "y = ;"},
        {"x = 1;\n\r\ny\rz"sv, 11, 4, 1, "z"},
        {"x = 1;\r\n"sv, 7, 1, 8, "x = 1;"},  // on the line feed of the pair
        {"ab"sv, 9, 1, 3, "ab"},                // past the end: the end
        {"a = 1;\nb = \"Γ\0c\n"sv, 14, 2, 8, "b = \"Γ"},  // shown up to a NUL
    };
    for (const auto& c : cases) {
        const FilePlace place = Code_FilePlace({std::string(c.source), "c.bwl"}, c.position);
        EXPECT_EQ(place.file, "c.bwl");
        EXPECT_EQ(place.line, c.line) << c.source;
        EXPECT_EQ(place.column, c.column) << c.source;
        EXPECT_EQ(place.lineText, c.lineText) << c.source;
    }
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
