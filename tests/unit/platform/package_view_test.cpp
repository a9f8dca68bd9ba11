// The bounds-checked view of the package image.
#include "platform/package_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace bw {
namespace {

TEST(PackageView, ReadsOnlyInsideTheImage)
{
    const uint8_t bytes[8] = {1, 0, 0, 0, 0xFE, 0xFF, 'a', 0};
    const PackageView view(bytes, sizeof(bytes));
    uint32_t word = 0;
    int16_t half = 0;
    EXPECT_TRUE(view.ReadU32(0, word));
    EXPECT_EQ(word, 1u);
    EXPECT_TRUE(view.ReadI16(4, half));
    EXPECT_EQ(half, -2);
    EXPECT_FALSE(view.ReadU32(5, word));
    EXPECT_FALSE(view.ReadU32(UINT64_MAX - 1, word));
    EXPECT_STREQ(view.String(6), "a");
    EXPECT_EQ(view.String(8), nullptr);
    EXPECT_EQ(PackageView(bytes, 7).String(6), nullptr);  // a text must end inside the image
    EXPECT_EQ(view.Bytes(8, 1), nullptr);
    EXPECT_NE(view.Bytes(8, 0), nullptr);
}

TEST(PackageView, PointerListsMustFitTheirLimit)
{
    std::vector<uint8_t> bytes(16, 0);
    const uint32_t words[3] = {2, 40, 0};
    std::memcpy(bytes.data(), words, sizeof(words));
    const PackageView view(bytes.data(), bytes.size());
    std::vector<uint32_t> entries;
    ASSERT_TRUE(view.ReadPointerList(0, 12, entries));
    EXPECT_EQ(entries, (std::vector<uint32_t>{40, 0}));
    EXPECT_FALSE(view.ReadPointerList(0, 11, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(view.ReadPointerList(0, 100, entries));  // a limit past the image
}

}  // namespace
}  // namespace bw
