#include "platform/filename.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/memory.h"

namespace bw {
namespace {

std::string Take(char* text)
{
    std::string result = text;
    MemoryManager_Free(text);
    return result;
}

TEST(FilenameTest, PartsOfNames)
{
    const struct {
        const char* name;
        const char* drive;
        const char* path;
        const char* folder;
        const char* file;
        const char* ext;
    } cases[] = {
        {"dir\\sub\\file.txt", "", "dir\\sub", "dir\\sub\\", "file.txt", ".txt"},
        {"dir/sub/file.txt", "", "dir/sub", "dir/sub/", "file.txt", ".txt"},
        {"dir\\sub/file.tar.gz", "", "dir\\sub", "dir\\sub/", "file.tar.gz", ".gz"},
        {"file.txt", "", "", "", "file.txt", ".txt"},
        {"\\file.txt", "", "", "\\", "file.txt", ".txt"},
        {"dir.d/file", "", "dir.d", "dir.d/", "file", ""},
        {"dir/", "", "dir", "dir/", "", ""},
        {".hidden", "", "", "", ".hidden", ".hidden"},
        {"C:\\games\\a.sav", "C:", "C:\\games", "C:\\games\\", "a.sav", ".sav"},
        {"d:file", "d:", "", "", "d:file", ""},
        {"1:\\x", "", "1:", "1:\\", "x", ""},
        {"C", "", "", "", "C", ""},
        {"", "", "", "", "", ""},
        {nullptr, "", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(Take(FilenamePath(c.name)), c.path);
        EXPECT_EQ(Take(FilenameFolder(c.name)), c.folder);
        EXPECT_EQ(Take(FilenameName(c.name)), c.file);
        EXPECT_EQ(Take(FilenameExt(c.name)), c.ext);
        EXPECT_EQ(Take(FilenameDrive(c.name)), c.drive);
    }
}

}  // namespace
}  // namespace bw
