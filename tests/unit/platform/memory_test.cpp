#include "platform/memory.h"

#include <gtest/gtest.h>

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

void HearLine(const char* line)
{
    g_loggedLines.emplace_back(line);
}

bool AllBytesAre(const void* data, size_t size, unsigned char value)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != value) {
            return false;
        }
    }
    return true;
}

// Counters are process-wide, so each test compares against where they stood.
class MemoryManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_loggedLines.clear();
        Console_SetDebugListener(&HearLine);
        m_before = MemoryManager_Counters();
    }
    void TearDown() override { Console_SetDebugListener(nullptr); }

    void ExpectBytesInUseGrewBy(uint32_t bytes, uint32_t blocks) const
    {
        const MemoryCounters now = MemoryManager_Counters();
        EXPECT_EQ(now.bytesInUse - m_before.bytesInUse, bytes);
        EXPECT_EQ(now.bytesTotalA - m_before.bytesTotalA, bytes);
        EXPECT_EQ(now.bytesTotalB - m_before.bytesTotalB, bytes);
        EXPECT_EQ(now.blocksInUse - m_before.blocksInUse, blocks);
    }
    void ExpectCountersUnchanged() const { ExpectBytesInUseGrewBy(0, 0); }

    MemoryCounters m_before{};
};

TEST_F(MemoryManagerTest, AllocOfZeroBytesGivesNullAndCountsNothing)
{
    EXPECT_EQ(BW_ALLOC(0, true), nullptr);
    EXPECT_EQ(MemoryManager_AllocAligned(0, 16, __FILE__, __LINE__, true), nullptr);
    ExpectCountersUnchanged();
}

TEST_F(MemoryManagerTest, AllocCountsTheRequestedBytesUntilFreed)
{
    void* block = BW_ALLOC(100, true);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllBytesAre(block, 100, 0));
    ExpectBytesInUseGrewBy(100, 1);
    MemoryManager_Free(block);
    ExpectCountersUnchanged();
}

TEST_F(MemoryManagerTest, HeaderBeforeTheBlockCarriesSizeAndMagicWords)
{
    void* block = BW_ALLOC(40, false);
    MemoryBlockHeader header;
    std::memcpy(&header, static_cast<char*>(block) - sizeof header, sizeof header);
    EXPECT_EQ(header.size, 40u);
    EXPECT_EQ(header.magic1, kMemoryMagic1);
    EXPECT_EQ(header.magic2, kMemoryMagic2);
    EXPECT_EQ(header.reserved, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    MemoryManager_Free(block);
}

TEST_F(MemoryManagerTest, GetSizeReportsTheRequestedSize)
{
    EXPECT_EQ(MemoryManager_GetSize(nullptr), 0u);
    for (size_t size : {size_t{1}, size_t{100}, size_t{4096}, size_t{70000}}) {
        void* block = BW_ALLOC(size, false);
        EXPECT_EQ(MemoryManager_GetSize(block), size);
        MemoryManager_Free(block);
    }
}

TEST_F(MemoryManagerTest, AlignedBlocksAreAlignedSizedAndCountedByRequest)
{
    for (size_t alignment : {size_t{1}, size_t{2}, size_t{16}, size_t{32}, size_t{256}, size_t{4096}}) {
        SCOPED_TRACE(alignment);
        void* block = MemoryManager_AllocAligned(10, alignment, __FILE__, __LINE__, true);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignment, 0u);
        EXPECT_TRUE(AllBytesAre(block, 10, 0));
        EXPECT_EQ(MemoryManager_GetSize(block), 10u);
        ExpectBytesInUseGrewBy(10, 1);
        MemoryManager_Free(block);
        ExpectCountersUnchanged();
    }
}

TEST_F(MemoryManagerTest, AlignmentThatIsNoPowerOfTwoGivesAPlainBlockAndALogLine)
{
    void* block = MemoryManager_AllocAligned(10, 24, __FILE__, __LINE__, false);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(MemoryManager_GetSize(block), 10u);
    EXPECT_EQ(g_loggedLines.size(), 1u);
    MemoryManager_Free(block);
    ExpectCountersUnchanged();
}

TEST_F(MemoryManagerTest, ReallocToTheSameSizeKeepsThePointer)
{
    void* block = BW_ALLOC(32, false);
    EXPECT_EQ(BW_REALLOC(block, 32, false), block);
    MemoryManager_Free(block);
}

TEST_F(MemoryManagerTest, ReallocGrowingKeepsTheOldBytesAndZeroesTheNew)
{
    auto* block = static_cast<unsigned char*>(BW_ALLOC(8, false));
    std::memset(block, 0xAB, 8);
    auto* grown = static_cast<unsigned char*>(BW_REALLOC(block, 16, false));
    EXPECT_TRUE(AllBytesAre(grown, 8, 0xAB));
    EXPECT_TRUE(AllBytesAre(grown + 8, 8, 0));
    EXPECT_EQ(MemoryManager_GetSize(grown), 16u);
    ExpectBytesInUseGrewBy(16, 1);
    MemoryManager_Free(grown);
}

TEST_F(MemoryManagerTest, ReallocShrinkingKeepsThePrefix)
{
    auto* block = static_cast<unsigned char*>(BW_ALLOC(64, false));
    std::memset(block, 0x5C, 64);
    auto* shrunk = static_cast<unsigned char*>(BW_REALLOC(block, 4, false));
    EXPECT_TRUE(AllBytesAre(shrunk, 4, 0x5C));
    ExpectBytesInUseGrewBy(4, 1);
    MemoryManager_Free(shrunk);
}

TEST_F(MemoryManagerTest, ReallocOfNullAllocatesZeroedAndToZeroFrees)
{
    void* block = BW_REALLOC(nullptr, 300, false);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllBytesAre(block, 300, 0));
    EXPECT_EQ(BW_REALLOC(nullptr, 0, false), nullptr);
    EXPECT_EQ(BW_REALLOC(block, 0, false), nullptr);
    ExpectCountersUnchanged();
}

// The block reaches only `size` bytes past the aligned pointer; copying more
// would read beyond it (AddressSanitizer catches that).
TEST_F(MemoryManagerTest, ReallocOfAnAlignedBlockCopiesOnlyItsUsableBytes)
{
    auto* block = static_cast<unsigned char*>(MemoryManager_AllocAligned(24, 256, __FILE__, __LINE__, false));
    std::memset(block, 0x77, 24);
    auto* moved = static_cast<unsigned char*>(BW_REALLOC(block, 1024, false));
    EXPECT_TRUE(AllBytesAre(moved, 24, 0x77));
    EXPECT_TRUE(AllBytesAre(moved + 24, 1000, 0));
    ExpectBytesInUseGrewBy(1024, 1);
    MemoryManager_Free(moved);
    ExpectCountersUnchanged();
}

TEST_F(MemoryManagerTest, ReallocPtrStoresTheNewBlockThroughThePointer)
{
    void* block = BW_ALLOC(8, false);
    void* result = MemoryManager_ReallocPtr(&block, 64, __FILE__, __LINE__);
    EXPECT_EQ(result, block);
    EXPECT_EQ(MemoryManager_GetSize(block), 64u);
    MemoryManager_Free(block);
}

TEST_F(MemoryManagerTest, SecondFreeOfABlockIsReportedAndIgnored)
{
    void* plain = BW_ALLOC(32, false);
    void* aligned = MemoryManager_AllocAligned(32, 64, __FILE__, __LINE__, false);
    MemoryManager_Free(plain);
    MemoryManager_Free(aligned);
    const MemoryCounters afterFirstFree = MemoryManager_Counters();

    MemoryManager_Free(plain);
    MemoryManager_Free(aligned);

    EXPECT_EQ(MemoryManager_Counters().bytesInUse, afterFirstFree.bytesInUse);
    EXPECT_EQ(MemoryManager_Counters().blocksInUse, afterFirstFree.blocksInUse);
    ASSERT_EQ(g_loggedLines.size(), 2u);
    EXPECT_NE(g_loggedLines[0].find("already freed"), std::string::npos);
}

TEST_F(MemoryManagerTest, FreedBlocksAreNoLongerOurs)
{
    void* block = BW_ALLOC(32, false);
    MemoryManager_Free(block);
    const MemoryCounters afterFree = MemoryManager_Counters();

    EXPECT_EQ(MemoryManager_GetSize(block), 0u);
    EXPECT_EQ(BW_REALLOC(block, 64, false), nullptr);

    EXPECT_EQ(MemoryManager_Counters().blocksInUse, afterFree.blocksInUse);
    EXPECT_EQ(g_loggedLines.size(), 1u);
}

TEST_F(MemoryManagerTest, TickCountsFrames)
{
    MemoryManager_Tick();
    MemoryManager_Tick();
    EXPECT_EQ(MemoryManager_Counters().frame - m_before.frame, 2u);
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

TEST_F(MemoryManagerTest, ReserveBlockHeaderHoldsItsUsableSize)
{
    MemoryBlockHeader* header = MemoryManager_ReserveBlock();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->size, 0u);
    EXPECT_EQ(header->magic1, 0u);
    EXPECT_EQ(header->magic2, 0u);
    const uint32_t usable = header->reserved;
    EXPECT_GE(usable + sizeof *header, 0x100000u);
    EXPECT_LE(usable + sizeof *header, 0x4000000u);
    // Only a halving of 64 MB can come out.
    EXPECT_EQ(0x4000000u % (usable + sizeof *header), 0u);
    std::free(header);
    ExpectCountersUnchanged();
}

TEST(MemoryManagerDeathTest, SizeBeyondAU32EndsTheProgramAsOutOfMemory)
{
    EXPECT_EXIT(BW_ALLOC(size_t{1} << 32, false), testing::ExitedWithCode(255), "Out of Memory!");
}

TEST(MemoryManagerDeathTest, InstalledNewHandlerEndsTheProgramAsOutOfMemory)
{
    EXPECT_EXIT(
        {
            MemoryManager_InstallNewHandler();
            std::get_new_handler()();
        },
        testing::ExitedWithCode(255), "Out of Memory!");
}

}  // namespace
}  // namespace bw
