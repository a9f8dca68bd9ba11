#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/library/file_area_test.h"

namespace bw {
namespace {

using test::LastError;
using test::ScratchFolder;
using test::ScriptValue;

class IniBuiltinsTest : public test::FileAreaTest {
protected:
    IniBuiltinsTest() : FileAreaTest("IniGame") {}
};

TEST_F(IniBuiltinsTest, AnIniFromAStringClosesToItsText)
{
    Call("ini_open_from_string", {""});
    Call("ini_write_string", {"s", "a", "b"});
    EXPECT_EQ(Call("ini_close").Text(), "[s]\r\na=b\r\n");
    EXPECT_EQ(Call("ini_close").Text(), "");
}

TEST_F(IniBuiltinsTest, RealsAreWrittenFixedAndReadWithTheirDefaults)
{
    Call("ini_open_from_string", {"[s]\nk=3.25x\n"});
    Call("ini_write_real", {"s", "w", 1.0});
    EXPECT_EQ(Call("ini_read_string", {"s", "w", ""}).Text(), "1.000000");
    EXPECT_EQ(Call("ini_read_real", {"s", "k", 0.0}).Real(), 3.25);
    EXPECT_EQ(Call("ini_read_real", {"s", "missing", "2.5"}).Real(), 2.5);
    EXPECT_EQ(Call("ini_read_real", {"s", "missing", ""}).Real(), 0.0);
    EXPECT_EQ(Call("ini_read_real", {"s", "missing", 7.0}).Real(), 7.0);
    EXPECT_EQ(Call("ini_key_exists", {"s", "k"}).Real(), 1.0);
    EXPECT_EQ(Call("ini_section_exists", {"t"}).Real(), 0.0);
    Call("ini_key_delete", {"s", "k"});
    EXPECT_EQ(Call("ini_key_exists", {"s", "k"}).Real(), 0.0);
    Call("ini_section_delete", {"s"});
    EXPECT_EQ(Call("ini_section_exists", {"s"}).Real(), 0.0);
    EXPECT_EQ(LastError(), "");
}

TEST_F(IniBuiltinsTest, MisuseIsReportedWithTheDefaults)
{
    EXPECT_EQ(Call("ini_read_real", {"s", "k", 4.0}).Real(), 4.0);
    EXPECT_NE(LastError().find("Trying to read from undefined INI file"), std::string::npos);
    Code_Error_ResetState();
    Call("ini_section_delete", {"s"});
    EXPECT_NE(LastError().find("Trying to change undefined INI file"), std::string::npos);

    Call("ini_open_from_string", {""});
    Code_Error_ResetState();
    const ScriptValue text = Call("ini_read_string", {"s", 1.0, "d"});
    EXPECT_TRUE(text.IsString());
    EXPECT_EQ(text.Text(), "");
    EXPECT_NE(LastError().find("ini_read_string wrong type of arguments"), std::string::npos);
    Code_Error_ResetState();
    Call("ini_write_real", {"s", "k", "1"});
    EXPECT_NE(LastError().find("Wrong argument types for ini_write_real"), std::string::npos);
}

TEST_F(IniBuiltinsTest, IniFilesRoundTripThroughTheSaveArea)
{
    m_root.Write("game/settings.ini", "[video]\r\nwidth=640\r\n");
    Call("ini_open", {"settings.ini"});
    EXPECT_EQ(Call("ini_read_real", {"video", "width", 0.0}).Real(), 640.0);
    Call("ini_write_string", {"player", "name", "Ann ; Bo"});
    Call("ini_close");
    EXPECT_EQ(ScratchFolder::Read(m_root / "game/settings.ini"), "[video]\r\nwidth=640\r\n");

    Call("ini_open", {"settings.ini"});
    EXPECT_EQ(Call("ini_read_string", {"player", "name", ""}).Text(), "Ann ; Bo");
    EXPECT_EQ(Call("ini_read_real", {"video", "width", 0.0}).Real(), 640.0);
    // An ini left open is written when the game ends.
    Call("ini_write_string", {"player", "level", "3"});
    File_CloseAll();
    Call("ini_open", {"settings.ini"});
    EXPECT_EQ(Call("ini_read_string", {"player", "level", ""}).Text(), "3");
}

TEST_F(IniBuiltinsTest, RegistryNamesIgnoreCaseAndValuesAreTexts)
{
    Call("registry_write_string", {"Key", "x"});
    EXPECT_EQ(Call("registry_read_string", {"KEY"}).Text(), "x");
    Call("registry_write_string", {"kEy", "y"});
    EXPECT_EQ(Call("registry_read_string", {"key"}).Text(), "y");
    Call("registry_write_real", {"n", 2.0});
    EXPECT_EQ(Call("registry_read_string", {"n"}).Text(), "2.000000");
    EXPECT_EQ(Call("registry_read_real", {"N"}).Real(), 2.0);
    EXPECT_EQ(Call("registry_exists", {"missing"}).Real(), 0.0);
    EXPECT_EQ(Call("registry_read_real", {"missing"}).Real(), 0.0);
    EXPECT_EQ(Call("registry_read_string_ext", {"any", "n"}).Text(), "");
    EXPECT_EQ(Call("registry_exists_ext", {"any", "n"}).Real(), 0.0);
}

// The registry lives in memory for the run: every name reads back exactly,
// a game's own "registry.ini" is an ordinary file, and exit forgets it all.
TEST_F(IniBuiltinsTest, RegistryValuesLastForTheRunOnly)
{
    m_root.Write("data/IniGame/registry.ini", "[mine]\r\nj=2\r\n");
    const std::vector<std::string> names = {"Best", "", "[section", "a=b", "; note", "Имя"};
    const auto valueOf = [](const std::string& name) { return name + "\nline two ; Ωμέγα"; };
    for (const std::string& name : names) Call("registry_write_string", {name.c_str(), valueOf(name).c_str()});
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Call("registry_read_string", {name.c_str()}).Text(), valueOf(name));
    }
    EXPECT_EQ(Call("registry_read_string", {"BEST"}).Text(), "Best\nline two ; Ωμέγα");
    EXPECT_EQ(ScratchFolder::Read(Save("registry.ini")), "[mine]\r\nj=2\r\n");
    File_CloseAll();
    EXPECT_EQ(Call("registry_exists", {"best"}).Real(), 0.0);
    EXPECT_EQ(Call("registry_exists", {""}).Real(), 0.0);
}

}  // namespace
}  // namespace bw
