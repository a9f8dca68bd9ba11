// A scratch game for the tests of resources added from files: the package
// in game/, the save area in data/<name>/ (XDG_DATA_HOME), and PNG files
// written to either.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "support/png_file.h"
#include "support/scratch_folder.h"

namespace bw::test {

class GameFolder {
public:
    explicit GameFolder(const std::string& saveName)
        : m_data("XDG_DATA_HOME", (m_root / "data").c_str()), m_config("XDG_CONFIG_HOME", (m_root / "config").c_str())
    {
        m_root.Write("game/data.win", "package");
        m_root.Write("data/" + saveName + "/.keep", "");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName(saveName.c_str(), false));
    }

    // relative: "game/<file>" or "data/<save name>/<file>"
    void WritePng(const std::string& relative, int32_t width, int32_t height, uint32_t pixel = 0xFF00FF00u) const
    {
        m_root.Write(relative, "");
        const PngImage png{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), pixel)};
        ASSERT_TRUE(Png_Write(m_root / relative, png));
    }
    void Write(const std::string& relative, const std::string& content) const { m_root.Write(relative, content); }

private:
    ScratchFolder m_root;
    ScopedEnv m_data;
    ScopedEnv m_config;
};

}  // namespace bw::test
