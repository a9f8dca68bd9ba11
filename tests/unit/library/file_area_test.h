// Built-ins of the "File.." group against a game of their own: the program
// area is <scratch>/game, the save area <scratch>/data/<name>, and every
// file, the search, the open ini and the registry are closed around each
// test.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "library/file_builtins.h"
#include "platform/files.h"
#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"

namespace bw::test {

class FileAreaTest : public LibraryTest {
protected:
    explicit FileAreaTest(const char* saveFolder)
        : m_saveFolder(saveFolder), m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName(saveFolder, false));
    }
    void SetUp() override
    {
        LibraryTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("file_bin_open", &id)) Function_File_Register();
        File_CloseAll();
    }
    void TearDown() override
    {
        File_CloseAll();
        LibraryTest::TearDown();
    }

    std::string Program(const std::string& relative) const { return m_root / ("game/" + relative); }
    std::string Save(const std::string& relative) const { return m_root / ("data/" + m_saveFolder + "/" + relative); }
    std::set<std::string> SaveAreaNames() const { return ScratchFolder::Names(Save("")); }
    static ScriptValue Call(const char* name, const std::vector<ScriptValue>& args = {})
    {
        return CallBuiltin(name, args);
    }
    // Every name of a search, in the order handed out.
    static std::vector<std::string> FindAll(const char* mask, double attributes)
    {
        std::vector<std::string> names;
        for (std::string name = Call("file_find_first", {mask, attributes}).Text(); !name.empty();
             name = Call("file_find_next").Text()) {
            names.push_back(name);
        }
        Call("file_find_close");
        return names;
    }

    std::string m_saveFolder;
    ScratchFolder m_root;
    ScopedEnv m_data;
};

}  // namespace bw::test
