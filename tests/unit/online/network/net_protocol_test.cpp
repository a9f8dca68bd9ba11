#include "online/network/net_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bw {
namespace {

// A frame whose header states statedSize.
std::vector<uint8_t> Frame(const std::string& payload, uint32_t statedSize)
{
    std::vector<uint8_t> bytes = NetPacket_Frame(std::vector<uint8_t>(payload.begin(), payload.end()));
    const auto header = NetPacketHeader_Encode(statedSize);
    std::copy(header.begin(), header.end(), bytes.begin());
    return bytes;
}

std::vector<uint8_t> Frame(const std::string& payload)
{
    return Frame(payload, static_cast<uint32_t>(payload.size()));
}

TEST(NetFramesTest, EachStepDeliversAFrameTheRestOrWaits)
{
    using Kind = NetFrameStep::Kind;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool stream;
        Kind kind;
        size_t size;
        size_t consumed;
    };
    std::vector<uint8_t> framedThenRaw = Frame("ab");
    framedThenRaw.push_back('z');
    const std::vector<Case> cases = {
        {"a frame", Frame("abc"), true, Kind::Payload, 3, 15},
        {"an empty frame", Frame(""), true, Kind::Payload, 0, 12},
        {"a frame then more", framedThenRaw, true, Kind::Payload, 2, 14},
        {"raw bytes", {'h', 'i'}, true, Kind::Raw, 2, 2},
        {"a cut frame on a stream", Frame("abc", 10), true, Kind::Incomplete, 0, 0},
        {"a cut frame in a datagram", Frame("abc", 10), false, Kind::Raw, 15, 15},
        {"the start of a header", {0xDE, 0xC0, 0xAD}, true, Kind::Incomplete, 0, 0},
        {"a header start in a datagram", {0xDE, 0xC0, 0xAD}, false, Kind::Raw, 3, 3},
        {"a size past the cap", Frame("abc", kNetMaxPayload + 1), true, Kind::Raw, 15, 15},
        {"a size near 4 GB", Frame("abc", 0xFFFFFFFF), true, Kind::Raw, 15, 15},
    };
    for (const Case& c : cases) {
        const NetFrameStep step = NetFrames_Next(c.bytes, c.stream);
        EXPECT_EQ(step.kind, c.kind) << c.what;
        EXPECT_EQ(step.size, c.size) << c.what;
        EXPECT_EQ(step.consumed, c.consumed) << c.what;
    }
}

TEST(NetFramesTest, HandshakeWordsAreCheckedWithoutReadingPastTheBytes)
{
    const auto request = NetHandshake_Request();
    const auto reply = NetHandshake_Reply();
    EXPECT_TRUE(NetHandshake_IsRequest(request));
    EXPECT_FALSE(NetHandshake_IsRequest(reply));
    EXPECT_TRUE(NetHandshake_IsReply(reply));
    EXPECT_FALSE(NetHandshake_IsRequest(std::span(request).first(11)));
}

TEST(NetStreamAssemblerTest, HoldsACutFrameUntilItsRestArrives)
{
    NetStreamAssembler stream;
    const std::vector<uint8_t> frame = Frame("payload");
    stream.Append(std::span(frame).first(5));
    EXPECT_FALSE(stream.Next());
    stream.Append(std::span(frame).subspan(5));
    const auto delivered = stream.Next();
    ASSERT_TRUE(delivered);
    EXPECT_EQ(std::string(delivered->begin(), delivered->end()), "payload");
    EXPECT_EQ(stream.Held(), 0u);
}

TEST(NetStreamAssemblerTest, NeverHoldsMoreThanTheCap)
{
    NetStreamAssembler stream;
    const std::vector<uint8_t> chunk(1 << 20, 'x');
    for (int i = 0; i < 8; ++i) {
        stream.Append(chunk);
    }
    EXPECT_EQ(stream.Held(), kNetReceiveCap);
    EXPECT_TRUE(stream.ReadArea(100).empty());
    stream.Commit(0);
    const auto delivered = stream.Next();
    ASSERT_TRUE(delivered);
    EXPECT_EQ(delivered->size(), kNetReceiveCap);
}

}  // namespace
}  // namespace bw
