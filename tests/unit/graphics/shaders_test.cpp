// The SHDR chunk read into shader records.
#include "graphics/shaders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/package_view.h"

namespace bw {
namespace {

class ShaderChunk : public ::testing::Test {
protected:
    void TearDown() override { Shader_Clear(); }

    uint32_t U32(uint32_t value)
    {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        bytes.resize(at + 4);
        std::memcpy(&bytes[at], &value, 4);
        return at;
    }
    uint32_t Text(const std::string& text)
    {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        return at;
    }
    void Patch(uint32_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

    // A chunk of count slots; the entries named get a name and eight texts.
    uint32_t Chunk(const std::vector<std::string>& names)
    {
        const uint32_t chunk = U32(static_cast<uint32_t>(names.size()));
        std::vector<uint32_t> slots;
        for (size_t i = 0; i < names.size(); ++i) {
            slots.push_back(U32(0));
        }
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i].empty()) {
                continue;
            }
            const uint32_t entry = U32(0);
            for (int k = 0; k < kShaderSourceCount; ++k) {
                U32(0);
            }
            Patch(slots[i], entry);
            Patch(entry, Text(names[i]));
            for (int k = 0; k < kShaderSourceCount; ++k) {
                Patch(entry + 4 + 4 * static_cast<uint32_t>(k), Text(names[i] + "#" + std::to_string(k)));
            }
        }
        chunkLength = static_cast<uint32_t>(bytes.size()) - chunk;
        return chunk;
    }

    std::vector<uint8_t> bytes = std::vector<uint8_t>(8, 0);
    uint32_t chunkLength = 0;
};

TEST_F(ShaderChunk, EmptySlotsTakeNoIndex)
{
    const uint32_t chunk = Chunk({"blur", "", "tint"});
    ASSERT_TRUE(Shader_LoadChunk(PackageView(bytes.data(), bytes.size()), chunk, chunkLength));
    ASSERT_EQ(Shader_Count(), 2);
    EXPECT_STREQ(Shader_Get(1)->name, "tint");
    EXPECT_EQ(Shader_Get(1)->index, 1);
    EXPECT_STREQ(Shader_Get(0)->sources[7], "blur#7");
}

TEST_F(ShaderChunk, IndicesOutsideTheTableGiveNothing)
{
    const uint32_t chunk = Chunk({});
    ASSERT_TRUE(Shader_LoadChunk(PackageView(bytes.data(), bytes.size()), chunk, chunkLength));
    for (int32_t index : {0, -1, 1}) {
        EXPECT_FALSE(Shader_Exists(index));
        EXPECT_EQ(Shader_Get(index), nullptr);
    }
}

TEST_F(ShaderChunk, TextsOutsideThePackageAreRefused)
{
    const uint32_t chunk = Chunk({"blur"});
    const uint32_t entry = chunk + 8;
    Patch(entry + 8, static_cast<uint32_t>(bytes.size()) + 100);
    EXPECT_FALSE(Shader_LoadChunk(PackageView(bytes.data(), bytes.size()), chunk, chunkLength));
    EXPECT_EQ(Shader_Count(), 0);
    bytes.back() = 'x';  // the last text loses its terminator
    Patch(entry + 8, entry + 40);
    EXPECT_FALSE(Shader_LoadChunk(PackageView(bytes.data(), bytes.size()), chunk, chunkLength));
}

}  // namespace
}  // namespace bw
