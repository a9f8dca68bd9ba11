#include "platform/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/console.h"

namespace bw {
namespace {

std::vector<std::string> g_loggedLines;

bool AllBytesAre(const void* data, size_t size, unsigned char value)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::all_of(bytes, bytes + size, [value](unsigned char byte) { return byte == value; });
}

// Alignment 0: a plain block, aligned to 16 by its header.
void* Alloc(size_t size, size_t alignment, bool zeroed)
{
    return alignment == 0 ? BW_ALLOC(size, zeroed)
                          : MemoryManager_AllocAligned(size, alignment, __FILE__, __LINE__, zeroed);
}

// Counters are process-wide, so each test compares against where they stood.
class MemoryManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_loggedLines.clear();
        Console_SetDebugListener([](const char* line) { g_loggedLines.emplace_back(line); });
        m_before = MemoryManager_Counters();
    }
    void TearDown() override { Console_SetDebugListener(nullptr); }

    void ExpectInUseGrewBy(uint32_t bytes, uint32_t blocks) const
    {
        const MemoryCounters now = MemoryManager_Counters();
        EXPECT_EQ(now.bytesInUse - m_before.bytesInUse, bytes);
        EXPECT_EQ(now.bytesTotalA - m_before.bytesTotalA, bytes);
        EXPECT_EQ(now.bytesTotalB - m_before.bytesTotalB, bytes);
        EXPECT_EQ(now.blocksInUse - m_before.blocksInUse, blocks);
    }

    MemoryCounters m_before{};
};

TEST_F(MemoryManagerTest, BlocksAreAlignedZeroedSizedAndCountedByRequest)
{
    EXPECT_EQ(BW_ALLOC(0, true), nullptr);
    EXPECT_EQ(MemoryManager_AllocAligned(0, 16, __FILE__, __LINE__, true), nullptr);
    EXPECT_EQ(MemoryManager_GetSize(nullptr), 0u);
    const struct { size_t size, alignment, alignedTo, logLines; } cases[] = {
        {1, 0, 16, 0}, {100, 0, 16, 0}, {70000, 0, 16, 0}, {10, 1, 1, 0}, {10, 2, 2, 0}, {10, 32, 32, 0},
        {10, 256, 256, 0}, {10, 4096, 4096, 0},
        // The offset word of an aligned block can describe neither: a plain block instead.
        {10, 24, 16, 1}, {10, 8192, 16, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " aligned to " << c.alignment);
        g_loggedLines.clear();
        void* block = Alloc(c.size, c.alignment, true);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % c.alignedTo, 0u);
        EXPECT_TRUE(AllBytesAre(block, c.size, 0));
        EXPECT_EQ(MemoryManager_GetSize(block), c.size);
        EXPECT_EQ(g_loggedLines.size(), c.logLines);
        ExpectInUseGrewBy(static_cast<uint32_t>(c.size), 1);
        MemoryManager_Free(block);
        ExpectInUseGrewBy(0, 0);
    }
}

// The same size keeps the block; an aligned one reaches only `from` bytes past its pointer (ASan).
TEST_F(MemoryManagerTest, ReallocKeepsTheOldBytesAndZeroesTheNew)
{
    // Plain blocks above 16 KB are resized by the runtime heap, in place
    // where it can; an aligned one always moves into a plain block.
    const struct { size_t alignment, from, to; } cases[] = {
        {0, 8, 16},           {0, 64, 4},           {0, 32, 32},          {256, 24, 1024},
        {0, 20000, 1 << 20},  {0, 1 << 20, 30000},  {0, 20000, 20000},    {256, 20000, 40000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        auto* block = static_cast<unsigned char*>(Alloc(c.from, c.alignment, false));
        std::memset(block, 0xAB, c.from);
        auto* moved = static_cast<unsigned char*>(BW_REALLOC(block, c.to, false));
        if (c.from <= 16 * 1024 || c.from == c.to) {
            EXPECT_EQ(moved == block, c.from == c.to);
        }
        EXPECT_EQ(reinterpret_cast<uintptr_t>(moved) % 16, 0u);
        const size_t kept = std::min(c.from, c.to);
        EXPECT_TRUE(AllBytesAre(moved, kept, 0xAB));
        EXPECT_TRUE(AllBytesAre(moved + kept, c.to - kept, 0));
        EXPECT_EQ(MemoryManager_GetSize(moved), c.to);
        ExpectInUseGrewBy(static_cast<uint32_t>(c.to), 1);
        MemoryManager_Free(moved);
        ExpectInUseGrewBy(0, 0);
    }
}

TEST_F(MemoryManagerTest, ReallocOfNullAllocatesZeroedAndToZeroFrees)
{
    void* block = nullptr;
    EXPECT_EQ(MemoryManager_ReallocPtr(&block, 300, __FILE__, __LINE__), block);  // stored through the pointer
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllBytesAre(block, 300, 0));
    EXPECT_EQ(BW_REALLOC(nullptr, 0, false), nullptr);
    EXPECT_EQ(BW_REALLOC(block, 0, false), nullptr);
    ExpectInUseGrewBy(0, 0);
}

// A second free, or the runtime's realloc of a freed block, would corrupt its heap.
TEST_F(MemoryManagerTest, FreedBlocksAreReportedAndLeftAlone)
{
    // A small block's realloc frees it as MemoryManager_Free does.
    void* grown = BW_ALLOC(16, false);
    void* const stale = grown;
    grown = BW_REALLOC(grown, 32, false);
    MemoryManager_Free(stale);
    MemoryManager_Free(grown);
    ASSERT_EQ(g_loggedLines.size(), 1u);
    EXPECT_NE(g_loggedLines[0].find("already freed"), std::string::npos);
    g_loggedLines.clear();

    void* plain = BW_ALLOC(32, false);
    void* aligned = MemoryManager_AllocAligned(32, 64, __FILE__, __LINE__, false);
    MemoryManager_Free(plain);
    MemoryManager_Free(aligned);
    MemoryManager_Free(plain);
    MemoryManager_Free(aligned);
    EXPECT_EQ(MemoryManager_GetSize(plain), 0u);
    EXPECT_EQ(BW_REALLOC(plain, 64, false), nullptr);
    ExpectInUseGrewBy(0, 0);
    ASSERT_EQ(g_loggedLines.size(), 3u);
    for (int i : {0, 1}) EXPECT_NE(g_loggedLines[i].find("already freed"), std::string::npos) << i;
}

TEST_F(MemoryManagerTest, DumpTotalLogsTheBytesInUse)
{
    void* block = BW_ALLOC(1000, false);
    const uint32_t bytes = MemoryManager_Counters().bytesInUse;
    MemoryManager_DumpTotal();
    MemoryManager_Free(block);
    char expected[80];
    std::snprintf(expected, sizeof expected, "Total memory used = %u(0x%08x) bytes\n", bytes, bytes);
    ASSERT_EQ(g_loggedLines.size(), 1u);
    EXPECT_EQ(g_loggedLines[0], expected);
}

TEST_F(MemoryManagerTest, ReserveBlockIsAHalvingOf64MBWithItsUsableSizeInTheHeader)
{
    MemoryBlockHeader* header = MemoryManager_ReserveBlock();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->size, 0u);
    EXPECT_EQ(header->magic1, 0u);
    EXPECT_EQ(header->magic2, 0u);
    const uint32_t total = header->reserved + sizeof *header;
    EXPECT_GE(total, 0x100000u);
    EXPECT_EQ(0x4000000u % total, 0u);
    std::free(header);
    ExpectInUseGrewBy(0, 0);
}

// Sizes beyond a u32 and failed `new`s alike.
TEST(MemoryManagerDeathTest, OutOfMemoryEndsTheProgram)
{
    EXPECT_EXIT(BW_ALLOC(size_t{1} << 32, false), testing::ExitedWithCode(255), "Out of Memory!");
    EXPECT_EXIT((MemoryManager_InstallNewHandler(), std::get_new_handler()()), testing::ExitedWithCode(255),
                "Out of Memory!");
}

}  // namespace
}  // namespace bw
