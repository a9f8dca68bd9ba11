// Incoming network bytes as a connection and a datagram see them: the first
// byte picks how the bytes are cut into reads, the rest arrive that way on a
// stream (frames held across reads) and whole as one datagram. Every byte
// must be accounted for: delivered, taken by a header, or still held.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "online/network/net_protocol.h"

namespace {

using bw::NetFrameStep;

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

void WalkDatagram(std::span<const uint8_t> datagram)
{
    while (!datagram.empty()) {
        const NetFrameStep step = bw::NetFrames_Next(datagram, false);
        Check(step.kind != NetFrameStep::Kind::Incomplete);
        Check(step.consumed > 0 && step.consumed <= datagram.size());
        Check(step.offset + step.size <= step.consumed);
        datagram = datagram.subspan(step.consumed);
    }
}

void FeedStream(std::span<const uint8_t> bytes, size_t readSize)
{
    bw::NetStreamAssembler stream;
    size_t fed = 0;
    size_t used = 0;
    while (fed < bytes.size()) {
        const size_t take = std::min({readSize, bytes.size() - fed, stream.Room()});
        stream.Append(bytes.subspan(fed, take));
        fed += take;
        while (stream.Held() > 0) {
            const NetFrameStep step = bw::NetFrames_Next(stream.HeldBytes(), true);
            const auto next = stream.Next();
            Check(next.has_value() == (step.kind != NetFrameStep::Kind::Incomplete));
            if (!next) break;
            Check(next->size() == step.size && step.size <= bw::kNetReceiveCap);
            used += step.consumed;
        }
        Check(stream.Held() <= bw::kNetReceiveCap);
        Check(used + stream.Held() == fed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    bw::NetHandshake_IsRequest(bytes);
    bw::NetHandshake_IsReply(bytes);
    FeedStream(bytes, static_cast<size_t>(data[0]) + 1);
    WalkDatagram(bytes);
    return 0;
}
