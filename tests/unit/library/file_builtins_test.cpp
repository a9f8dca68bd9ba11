#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "unit/library/file_area_test.h"

namespace bw {
namespace {

using test::LastError;
using test::ScopedEnv;
using test::ScratchFolder;
using test::ScriptValue;

class FileBuiltinsTest : public test::FileAreaTest {
protected:
    FileBuiltinsTest() : FileAreaTest("FileGame") {}
};

TEST_F(FileBuiltinsTest, ThirtyOneBinaryFilesOpenAndTheNextIsRefused)
{
    for (int i = 1; i <= 31; ++i) {
        EXPECT_EQ(Call("file_bin_open", {("f" + std::to_string(i)).c_str(), 1.0}).Real(), i);
    }
    EXPECT_EQ(Call("file_bin_open", {"one_more", 1.0}).Real(), -1.0);
    EXPECT_NE(LastError().find("Cannot open another file (maximum exceeded)."), std::string::npos);

    Call("file_bin_close", {7.0});
    EXPECT_EQ(Call("file_bin_open", {"again", 1.0}).Real(), 7.0);
}

TEST_F(FileBuiltinsTest, TextHandlesRunOutCleanlyAndClosingTwiceIsHarmless)
{
    for (int i = 1; i <= 31; ++i) EXPECT_EQ(Call("file_text_open_from_string", {"x"}).Real(), i);
    EXPECT_EQ(Call("file_text_open_write", {"t.txt"}).Real(), -1.0);
    EXPECT_NE(LastError().find("Cannot open another file (maximum exceeded)."), std::string::npos);

    Code_Error_ResetState();
    Call("file_text_close", {3.0});
    Call("file_text_close", {3.0});
    EXPECT_EQ(LastError(), "");
    Call("file_text_close", {32.0});
    EXPECT_NE(LastError().find("Trying to close unexisting text file."), std::string::npos);
}

TEST_F(FileBuiltinsTest, ReadStringLeavesTheLineEndForReadln)
{
    m_root.Write("game/lines.txt", "ab\r\ncd");
    const ScriptValue file = Call("file_text_open_read", {"lines.txt"});
    ASSERT_EQ(file.Real(), 1.0);
    EXPECT_EQ(Call("file_text_read_string", {file}).Text(), "ab");
    EXPECT_EQ(Call("file_text_eoln", {file}).Real(), 1.0);
    EXPECT_EQ(Call("file_text_readln", {file}).Text(), "\r\n");
    EXPECT_EQ(Call("file_text_read_string", {file}).Text(), "cd");
    EXPECT_EQ(Call("file_text_eof", {file}).Real(), 1.0);
    Call("file_text_close", {file});
    EXPECT_EQ(LastError(), "");
}

TEST_F(FileBuiltinsTest, TextFromAStringReadsLikeAFile)
{
    const ScriptValue file = Call("file_text_open_from_string", {" 2.5 rest\nnext"});
    EXPECT_EQ(Call("file_text_read_real", {file}).Real(), 2.5);
    EXPECT_EQ(Call("file_text_readln", {file}).Text(), " rest\n");
    EXPECT_EQ(Call("file_text_read_string", {file}).Text(), "next");
}

TEST_F(FileBuiltinsTest, TextWritesUseCrLfAndTheCLocaleRealForm)
{
    const ScriptValue file = Call("file_text_open_write", {"out\\w.txt"});
    ASSERT_GE(file.Real(), 1.0);
    Call("file_text_write_string", {file, "x"});
    Call("file_text_write_real", {file, 1.5});
    Call("file_text_writeln", {file});
    Call("file_text_write_real", {file, 1e20});
    Call("file_text_close", {file});
    EXPECT_EQ(ScratchFolder::Read(Save("out/w.txt")), "x1.5 \r\n1e+20 ");

    const ScriptValue append = Call("file_text_open_append", {"out/w.txt"});
    Call("file_text_write_string", {append, "!"});
    Call("file_text_close", {append});
    EXPECT_EQ(ScratchFolder::Read(Save("out/w.txt")), "x1.5 \r\n1e+20 !");

    const ScriptValue fresh = Call("file_text_open_append", {"new.txt"});
    ASSERT_GE(fresh.Real(), 1.0);
    Call("file_text_write_string", {fresh, "made"});
    Call("file_text_close", {fresh});
    EXPECT_EQ(ScratchFolder::Read(Save("new.txt")), "made");
}

TEST_F(FileBuiltinsTest, ReadingAndWritingTheWrongWayIsReported)
{
    const ScriptValue reader = Call("file_text_open_from_string", {"text"});
    Call("file_text_write_string", {reader, "x"});
    EXPECT_NE(LastError().find("File not opened for writing."), std::string::npos);
    Code_Error_ResetState();
    Call("file_text_read_string", {0.0});
    EXPECT_NE(LastError().find("File is not opened for reading."), std::string::npos);
}

TEST_F(FileBuiltinsTest, BinaryFilesReadWriteSeekAndMeasure)
{
    const ScriptValue file = Call("file_bin_open", {"data.bin", 2.0});
    ASSERT_EQ(file.Real(), 1.0);
    for (double byte : {1.0, 258.0, 3.0}) Call("file_bin_write_byte", {file, byte});
    EXPECT_EQ(Call("file_bin_size", {file}).Real(), 3.0);
    Call("file_bin_seek", {file, 1.0});
    EXPECT_EQ(Call("file_bin_read_byte", {file}).Real(), 2.0);
    EXPECT_EQ(Call("file_bin_position", {file}).Real(), 2.0);
    Call("file_bin_close", {file});

    const ScriptValue reader = Call("file_bin_open", {"data.bin", 0.0});
    Call("file_bin_seek", {reader, 3.0});
    EXPECT_EQ(Call("file_bin_read_byte", {reader}).Real(), 0.0);
    EXPECT_NE(LastError().find("Error reading byte."), std::string::npos);
    Call("file_bin_close", {reader});
    Code_Error_ResetState();
    Call("file_bin_close", {reader});
    EXPECT_NE(LastError().find("Trying to close unopened file."), std::string::npos);

    EXPECT_EQ(Call("file_bin_open", {"missing.bin", 0.0}).Real(), -1.0);
}

TEST_F(FileBuiltinsTest, RewriteEmptiesTheFileForWriting)
{
    m_root.Write("data/FileGame/r.bin", "old bytes");
    const ScriptValue file = Call("file_bin_open", {"r.bin", 2.0});
    Call("file_bin_rewrite", {file});
    Call("file_bin_write_byte", {file, 65.0});
    Call("file_bin_close", {file});
    EXPECT_EQ(ScratchFolder::Read(Save("r.bin")), "A");
}

TEST_F(FileBuiltinsTest, WritesLandInTheSaveAreaAndLeaveTheShippedFileAlone)
{
    m_root.Write("game/shipped.bin", "AB");
    const ScriptValue file = Call("file_bin_open", {"shipped.bin", 2.0});
    EXPECT_EQ(Call("file_bin_read_byte", {file}).Real(), 65.0);
    Call("file_bin_write_byte", {file, 67.0});
    Call("file_bin_close", {file});
    EXPECT_EQ(ScratchFolder::Read(Save("shipped.bin")), "AC");
    EXPECT_EQ(ScratchFolder::Read(Program("shipped.bin")), "AB");
}

TEST_F(FileBuiltinsTest, NamesThatLeaveTheAreasAreRefused)
{
    const std::string outside = m_root.Write("outside.txt", "keep");
    m_root.Write("game/copy.txt", "source");
    for (const char* name : {"../../outside.txt", "..\\..\\..\\outside.txt", outside.c_str()}) {
        EXPECT_EQ(Call("file_text_open_write", {name}).Real(), -1.0) << name;
        EXPECT_EQ(Call("file_text_open_read", {name}).Real(), -1.0) << name;
        EXPECT_EQ(Call("file_bin_open", {name, 2.0}).Real(), -1.0) << name;
        EXPECT_EQ(Call("file_copy", {name, "copy.txt"}).Real(), -1.0) << name;
        EXPECT_EQ(Call("file_copy", {"copy.txt", name}).Real(), -1.0) << name;
        Call("file_delete", {name});
        Call("file_rename", {name, "moved.txt"});
        Call("file_open_write", {name});
        Call("file_write_string", {"overwritten"});
        Call("file_close");
        Call("directory_create", {(std::string(name) + "_dir").c_str()});
    }
    EXPECT_EQ(ScratchFolder::Read(outside), "keep");
    EXPECT_FALSE(std::filesystem::exists(outside + "_dir"));
}

TEST_F(FileBuiltinsTest, SearchSeesBothAreasOnceEachAndFiltersFolders)
{
    m_root.Write("game/a.sav", "");
    m_root.Write("game/b.SAV", "");
    m_root.Write("game/notes.txt", "");
    m_root.Write("data/FileGame/a.sav", "");
    m_root.Write("data/FileGame/c.sav", "");
    m_root.Write("data/FileGame/saves/x.sav", "");
    m_root.Write("data/FileGame/.hidden", "");

    EXPECT_EQ(FindAll("*.sav", 0), (std::vector<std::string>{"a.sav", "c.sav", "b.SAV"}));
    EXPECT_EQ(FindAll("saves\\*", 0), (std::vector<std::string>{"x.sav"}));
    EXPECT_EQ(FindAll("*.*", 16), (std::vector<std::string>{".hidden", "a.sav", "c.sav", "saves", "b.SAV",
                                                            "data.win", "notes.txt"}));
    EXPECT_EQ(FindAll("*", 2), (std::vector<std::string>{".hidden"}));
    EXPECT_EQ(FindAll("s*", 16), (std::vector<std::string>{"saves"}));
    EXPECT_EQ(FindAll("s*", 0), (std::vector<std::string>{}));
    EXPECT_EQ(Call("file_find_next").Text(), "");
}

TEST_F(FileBuiltinsTest, EveryNameMatchesStarDotStar)
{
    m_root.Write("game/noext", "");
    m_root.Write("data/FileGame/one.txt", "");
    EXPECT_EQ(FindAll("*.*", 0), (std::vector<std::string>{"one.txt", "data.win", "noext"}));
}

TEST_F(FileBuiltinsTest, WholeFileOperationsWorkInTheSaveAreaOnly)
{
    m_root.Write("game/shipped.txt", "ship");
    EXPECT_EQ(Call("file_exists", {"SHIPPED.txt"}).Real(), 1.0);
    Call("file_delete", {"shipped.txt"});
    EXPECT_TRUE(std::filesystem::exists(Program("shipped.txt")));

    EXPECT_EQ(Call("file_copy", {"shipped.txt", "sub/copy.txt"}).Real(), 0.0);
    EXPECT_EQ(ScratchFolder::Read(Save("sub/copy.txt")), "ship");
    EXPECT_EQ(Call("file_copy", {"sub/copy.txt", "sub/copy.txt"}).Real(), 0.0);
    EXPECT_EQ(ScratchFolder::Read(Save("sub/copy.txt")), "ship");
    Call("file_rename", {"sub/copy.txt", "renamed.txt"});
    EXPECT_EQ(ScratchFolder::Read(Save("renamed.txt")), "ship");
    m_root.Write("data/FileGame/taken.txt", "mine");
    Call("file_rename", {"renamed.txt", "TAKEN.txt"});
    EXPECT_EQ(ScratchFolder::Read(Save("renamed.txt")), "ship");
    EXPECT_EQ(ScratchFolder::Read(Save("taken.txt")), "mine");
    Call("file_delete", {"renamed.txt"});
    EXPECT_EQ(Call("file_exists", {"renamed.txt"}).Real(), 0.0);
    EXPECT_EQ(Call("file_copy", {"missing.txt", "x.txt"}).Real(), -1.0);

    Call("directory_create", {"deep\\er"});
    EXPECT_EQ(Call("directory_exists", {"deep/er"}).Real(), 1.0);
    EXPECT_EQ(Call("file_attributes", {"deep", 16.0}).Real(), 1.0);
    EXPECT_EQ(Call("file_attributes", {"shipped.txt", 16.0}).Real(), 0.0);
    EXPECT_EQ(Call("file_attributes", {"shipped.txt", 0.0}).Real(), 1.0);
    EXPECT_EQ(Call("file_attributes", {"missing.txt", 0.0}).Real(), 0.0);
}

TEST_F(FileBuiltinsTest, TheLegacyFileWritesAndReadsAsText)
{
    Call("file_open_write", {"legacy.txt"});
    Call("file_write_string", {"name"});
    Call("file_writeln");
    Call("file_write_real", {1.5});
    Call("file_writeln");
    Call("file_write_string", {"last"});
    Call("file_close");
    EXPECT_EQ(ScratchFolder::Read(Save("legacy.txt")), "name\r\n    1.5000\r\nlast");

    Call("file_open_read", {"legacy.txt"});
    EXPECT_EQ(Call("file_read_string").Text(), "name");
    EXPECT_EQ(Call("file_read_real").Real(), 1.5);
    EXPECT_EQ(Call("file_readln").Text(), "\n");
    EXPECT_EQ(Call("file_readln").Text(), "last");
    EXPECT_EQ(Call("file_eof").Real(), 1.0);
    Call("file_close");
    Call("file_read_string");
    EXPECT_NE(LastError().find("File not opened for reading."), std::string::npos);
}

TEST_F(FileBuiltinsTest, FileNamesSplitAndChangeTheirExtension)
{
    struct Case {
        const char* name;
        const char* extension;
        const char* changed;
    };
    for (const Case& c : {Case{"a.txt", ".png", "a.png"}, Case{"a", "png", "a.png"}, Case{"a", ".png", "a..png"},
                          Case{"dir.d\\file", ".x", "dir.x"}}) {
        EXPECT_EQ(Call("filename_change_ext", {c.name, c.extension}).Text(), c.changed) << c.name;
    }
    EXPECT_EQ(Call("filename_change_ext", {1.0, ".png"}).Text(), "");
    EXPECT_EQ(Call("filename_path", {"C:\\games\\a.sav"}).Text(), "C:\\games\\");
    EXPECT_EQ(Call("filename_dir", {"C:\\games\\a.sav"}).Text(), "C:\\games");
    EXPECT_EQ(Call("filename_name", {"saves/a.sav"}).Text(), "a.sav");
    EXPECT_EQ(Call("filename_ext", {"saves/a.sav"}).Text(), ".sav");
}

TEST_F(FileBuiltinsTest, ParametersAndEnvironmentAreRead)
{
    const std::vector<std::string> kept = CommandLine_ProcessArguments();
    CommandLine_SetProcessArguments({"bwrun", "-game", "x y.win"});
    EXPECT_EQ(Call("parameter_count").Real(), 3.0);
    EXPECT_EQ(Call("parameter_string", {1.0}).Text(), "bwrun");
    EXPECT_EQ(Call("parameter_string", {3.0}).Text(), "x y.win");
    EXPECT_EQ(Call("parameter_string", {4.0}).Text(), "");
    EXPECT_EQ(Call("parameter_string", {0.0}).Text(), "");
    CommandLine_SetProcessArguments(kept);

    const ScopedEnv variable("BW_FILE_TEST_VARIABLE", "value");
    EXPECT_EQ(Call("environment_get_variable", {"BW_FILE_TEST_VARIABLE"}).Text(), "value");
    EXPECT_EQ(Call("environment_get_variable", {"BW_FILE_TEST_UNSET"}).Text(), "");
}

}  // namespace
}  // namespace bw
