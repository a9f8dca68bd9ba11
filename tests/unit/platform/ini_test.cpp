#include "platform/ini.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/atomic_file.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScopedEnv;
using test::ScratchFolder;

std::string FlushText(IniFile& ini)
{
    char* text = ini.Flush();
    const std::string result = text;
    MemoryManager_Free(text);
    return result;
}

std::string Read(IniFile& ini, const char* section, const char* key)
{
    return ini.ReadString(section, key, "<missing>");
}

TEST(IniTest, ReadsKeysValuesAndComments)
{
    IniFile ini;
    ini.SetText("ignored=1\n[main]\nno equals here\na   = 1 ; comment\n# whole line comment\n"
                "quoted = \"x ; y # z\" trailing words\nsingle='  padded  '\ntab\t=\tvalue\t \nempty=\n"
                "commented=;nothing\nopen=\"runs to the line end\n[other]\r\na=2\r\n");
    const struct { const char* section; const char* key; const char* value; } cases[] = {
        {"main", "a", "1"}, {"main", "quoted", "x ; y # z"}, {"main", "single", "  padded  "},
        {"main", "tab", "value"}, {"main", "empty", "<missing>"}, {"main", "commented", "<missing>"},
        {"main", "open", "runs to the line end"}, {"main", "ignored", "<missing>"}, {"other", "a", "2"},
        {"Main", "a", "<missing>"}, {"main", "no equals here\na", "<missing>"},  // a key ends at its line end
    };
    for (const auto& c : cases) EXPECT_EQ(Read(ini, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniTest, SignatureAtTheStartIsSkipped)
{
    IniFile plain, signed_;
    plain.SetText("[s]\nk=v\n");
    signed_.SetText("\xEF\xBB\xBF[s]\nk=v\n");
    EXPECT_EQ(FlushText(plain), FlushText(signed_));
    EXPECT_EQ(Read(signed_, "s", "k"), "v");
}

TEST(IniTest, RepeatedKeysAndSectionsReadAsOneWithTheLaterValue)
{
    IniFile ini;
    ini.SetText("[s]\nk=1\nj=a\n[t]\nx=0\n[s]\nk=2\n");
    EXPECT_EQ(Read(ini, "s", "k"), "2");
    EXPECT_EQ(Read(ini, "s", "j"), "a");
    EXPECT_EQ(FlushText(ini), "[t]\r\nx=0\r\n[s]\r\nj=a\r\nk=2\r\n");
}

TEST(IniTest, ReadSectionsAndKeysGoToTheHeadOfTheirListsAsWrittenOnesDo)
{
    IniFile ini;
    ini.SetText("[a]\nk=1\ncomment=\"x;y\"\n[b]\nm=3\n");
    ASSERT_TRUE(ini.WriteString("a", "new", "4"));
    // The value holding a comment start keeps its quotes, or it would read
    // back cut short.
    const std::string text = FlushText(ini);
    EXPECT_EQ(text, "[b]\r\nm=3\r\n[a]\r\nnew=4\r\ncomment=\"x;y\"\r\nk=1\r\n");
    IniFile reread;
    reread.SetText(text.c_str());
    EXPECT_EQ(FlushText(reread), "[a]\r\nk=1\r\ncomment=\"x;y\"\r\nnew=4\r\n[b]\r\nm=3\r\n");
}

TEST(IniTest, NewKeysAndSectionsComeFirst)
{
    IniFile ini;
    ini.SetText("[old]\nk=1\n");
    ASSERT_TRUE(ini.WriteString("new", "first", "1"));
    ASSERT_TRUE(ini.WriteString("new", "second", "2"));
    ASSERT_TRUE(ini.WriteString("old", "k", "3"));
    EXPECT_EQ(FlushText(ini), "[new]\r\nsecond=2\r\nfirst=1\r\n[old]\r\nk=3\r\n");
}

TEST(IniTest, AwkwardValuesSurviveWritingAndReading)
{
    const std::string values[] = {
        "",         " lead",       "trail ", "\tboth\t", "a;b",             "#colour",     "\"quoted\"",
        "'single'", "it's ; here", "plain",  "=eq=",     "[not a section]", "caf\xC3\xA9",
    };
    IniFile ini, reread;
    for (size_t i = 0; i < std::size(values); ++i)
        ASSERT_TRUE(ini.WriteString("s", std::to_string(i).c_str(), values[i].c_str()));
    const std::string text = FlushText(ini);
    reread.SetText(text.c_str());
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(Read(reread, "s", std::to_string(i).c_str()), values[i]) << text;
    // Each reading reverses the order of the keys: a second one restores it.
    IniFile again;
    again.SetText(FlushText(reread).c_str());
    EXPECT_EQ(FlushText(again), text);
}

TEST(IniTest, NumbersReadLikeTheirLeadingDigits)
{
    IniFile ini;
    ini.SetText("[n]\ni=42abc\nneg=-7\nbig=99999999999\nsmall=-99999999999\nf=2.5\nhuge=1e300\nword=abc\n");
    const struct { const char* key; int32_t value; } integers[] = {
        {"i", 42}, {"neg", -7}, {"big", INT32_MAX}, {"small", INT32_MIN}, {"word", 0}, {"missing", -1}};
    for (const auto& c : integers) EXPECT_EQ(ini.ReadInteger("n", c.key, -1), c.value) << c.key;
    EXPECT_EQ(ini.ReadFloat("n", "f", 0.0f), 2.5f);
    EXPECT_TRUE(std::isinf(ini.ReadFloat("n", "huge", 0.0f)));
    EXPECT_EQ(ini.ReadFloat("n", "missing", 1.5f), 1.5f);
}

TEST(IniTest, DeletingKeysAndSections)
{
    IniFile ini;
    ini.SetText("[a]\nk=1\nj=2\n[b]\nk=3\n");
    EXPECT_TRUE(ini.DeleteKey("a", "k"));
    EXPECT_FALSE(ini.DeleteKey("a", "k"));
    EXPECT_FALSE(ini.DeleteKey("missing", "k"));
    EXPECT_TRUE(ini.DeleteSection("b"));
    EXPECT_FALSE(ini.DeleteSection("b"));
    EXPECT_EQ(FlushText(ini), "[a]\r\nj=2\r\n");
    EXPECT_FALSE(ini.WriteString(nullptr, "k", "v"));
    EXPECT_FALSE(ini.WriteString("a", nullptr, "v"));
}

class IniFileTest : public ::testing::Test {
protected:
    IniFileTest() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("IniGame", false));
    }

    std::string SavedText() const { return ScratchFolder::Read(m_root / "data/IniGame/cfg/game.ini"); }

    ScratchFolder m_root;
    ScopedEnv m_data;
};

TEST_F(IniFileTest, ReadsTheShippedFileAndWritesToTheSaveArea)
{
    m_root.Write("game/cfg/game.ini", "[s]\nk=shipped\n");
    {
        IniFile ini("cfg\\game.ini", false);
        EXPECT_EQ(Read(ini, "s", "k"), "shipped");
        ini.WriteString("s", "k", "saved");
        MemoryManager_Free(ini.Flush());
    }
    EXPECT_EQ(SavedText(), "[s]\r\nk=saved\r\n");
    EXPECT_EQ(ScratchFolder::Read(m_root / "game/cfg/game.ini"), "[s]\nk=shipped\n");
    IniFile again("cfg/game.ini", false);
    EXPECT_EQ(Read(again, "s", "k"), "saved");
}

TEST_F(IniFileTest, UnchangedIniIsNotWritten)
{
    m_root.Write("game/cfg/game.ini", "[s]\nk=1\n");
    IniFile ini("cfg/game.ini", true);
    EXPECT_EQ(FlushText(ini), "[s]\r\nk=1\r\n");
    EXPECT_EQ(SavedText(), "");
}

TEST_F(IniFileTest, SystemCommandFlushWritesWithoutAddingAKey)
{
    IniFile ini("cfg/game.ini", false);
    ini.WriteString("s", "k", "v");
    EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "NOW"));
    EXPECT_EQ(SavedText(), "[s]\r\nk=v\r\n");
    EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "OTHER", "NOW"));
    EXPECT_EQ(ini.FindSection("SYSTEM_COMMAND"), nullptr);
}

// A flush the disk had no room for changes nothing, and the next flush
// tries again.
TEST_F(IniFileTest, AFailedWriteIsTriedAgainAtTheNextFlush)
{
    m_root.Write("data/IniGame/cfg/game.ini", "[s]\r\nk=old\r\n");
    IniFile ini("cfg/game.ini", false);
    ini.WriteString("s", "k", "new");
    HostFs_SimulateSpaceLeft(4);
    MemoryManager_Free(ini.Flush());
    HostFs_SimulateSpaceLeft(-1);
    EXPECT_EQ(SavedText(), "[s]\r\nk=old\r\n");
    MemoryManager_Free(ini.Flush());
    EXPECT_EQ(SavedText(), "[s]\r\nk=new\r\n");
}

}  // namespace
}  // namespace bw
