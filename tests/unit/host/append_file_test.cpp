#include "host/append_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScratchFolder;

class AppendFileTest : public ::testing::Test {
protected:
    static void Put(const AppendFileWriter& writer, const std::string& text)
    {
        ASSERT_NE(writer.Stream(), nullptr);
        std::fputs(text.c_str(), writer.Stream());
    }

    ScratchFolder m_folder;
};

// Each write lands at the end of the file as it stands then, through a link
// at the file it names, without a flush or a close.
TEST_F(AppendFileTest, WritesReachTheEndOfTheFileAtOnce)
{
    const std::string target = m_folder.Write("real/log.txt", "old\n");
    const std::string link = m_folder / "log.txt";
    std::filesystem::create_symlink(target, link);
    AppendFileWriter first(link);
    AppendFileWriter second(target);
    Put(first, "a\n");
    Put(second, "b\n");
    Put(first, "c\n");
    EXPECT_EQ(ScratchFolder::Read(target), "old\na\nb\nc\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Close());
}

}  // namespace
}  // namespace bw
