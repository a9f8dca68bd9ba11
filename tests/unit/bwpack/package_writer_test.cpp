#include <gtest/gtest.h>

#include "bwpack/package_view.h"
#include "bwpack/package_writer.h"

namespace bw::pack {
namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at)
{
    return PackageView(bytes).U32(at);
}

TEST(PackageWriter, LabelsResolveToFileOffsetsForwardAndBackward)
{
    PackageWriter writer;
    const Label later = writer.NewLabel();
    const Label earlier = writer.NewLabel();
    writer.U32(0xAAAAAAAA);
    writer.Bind(earlier);
    writer.Put(Word::OffsetOf(later));
    writer.Put(Word::OffsetOf(earlier));
    writer.Put(Word::Null());
    writer.U16(7);
    writer.Align4();
    writer.Bind(later);
    writer.I32(-1);
    const std::vector<uint8_t> bytes = writer.Finish();

    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(U32At(bytes, 4), 20u);   // the later label
    EXPECT_EQ(U32At(bytes, 8), 4u);    // the earlier one
    EXPECT_EQ(U32At(bytes, 12), 0u);   // null stays 0
    EXPECT_EQ(U32At(bytes, 16), 7u);   // padded to 4
    EXPECT_EQ(U32At(bytes, 20), 0xFFFFFFFFu);
}

TEST(PackageWriter, LabelUsedButUnboundOrBoundTwiceIsAnError)
{
    PackageWriter unbound;
    unbound.Put(Word::OffsetOf(unbound.NewLabel()));
    EXPECT_THROW(unbound.Finish(), BuildError);
    PackageWriter twice;
    const Label label = twice.NewLabel();
    twice.Bind(label);
    EXPECT_THROW(twice.Bind(label), BuildError);
}

TEST(PackageWriter, ChunkLengthCoversPaddedPayload)
{
    PackageWriter writer;
    writer.BeginChunk("TEST");
    for (uint8_t byte : {1, 2, 3}) writer.U8(byte);
    writer.EndChunk();
    const std::vector<uint8_t> bytes = writer.Finish();
    ASSERT_EQ(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TEST");
    EXPECT_EQ(U32At(bytes, 4), 4u);
}

TEST(StringTable, StoresEachTextOnceAndRefersToItsBytes)
{
    PackageWriter writer;
    StringTable strings(writer);
    writer.Put(strings.Ref("beta"));
    writer.Put(strings.Ref("alpha"));
    writer.Put(strings.Ref("beta"));
    writer.Put(strings.Ref(""));
    const size_t stringsAt = writer.Size();
    strings.WriteChunk();
    const std::vector<uint8_t> bytes = writer.Finish();
    const PackageView view(bytes);

    EXPECT_EQ(strings.Count(), 3u);
    EXPECT_EQ(view.U32(0), view.U32(8));
    EXPECT_EQ(view.String(view.U32(0)), "beta");
    EXPECT_EQ(view.String(view.U32(4)), "alpha");
    EXPECT_EQ(view.String(view.U32(12)), "");
    // STRG lists its entries in the order of first use; each entry is the
    // length word, and a reference points 4 bytes past it.
    const std::vector<uint32_t> entries = view.PointerList(stringsAt + 8);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0] + 4, view.U32(0));
    EXPECT_EQ(entries[1] + 4, view.U32(4));
    EXPECT_EQ(entries[2] + 4, view.U32(12));
    for (uint32_t entry : entries) EXPECT_EQ(entry % 4, 0u);
}

}  // namespace
}  // namespace bw::pack
