#include "online/network/net_protocol.h"

#include <algorithm>
#include <cstring>

namespace bw {

namespace {

constexpr uint32_t kRequestWord0 = 0xCAFEBABE;
constexpr uint32_t kRequestWord1 = 0xDEADB00B;
constexpr uint32_t kReplyWord0 = 0xDEAFBEAD;
constexpr uint32_t kReplyWord1 = 0xF00DBEEB;

void PutWord(uint8_t* out, uint32_t word)
{
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(word >> (8 * i));
    }
}

uint32_t Word(std::span<const uint8_t> bytes, size_t index)
{
    uint32_t word = 0;
    for (int i = 3; i >= 0; --i) {
        word = (word << 8) | bytes[index * 4 + static_cast<size_t>(i)];
    }
    return word;
}

template <size_t N>
std::array<uint8_t, N> Words(std::initializer_list<uint32_t> words)
{
    std::array<uint8_t, N> out{};
    size_t at = 0;
    for (const uint32_t word : words) {
        PutWord(out.data() + at, word);
        at += 4;
    }
    return out;
}

bool StartsWith(std::span<const uint8_t> bytes, uint32_t word0, uint32_t word1, uint32_t word2)
{
    return bytes.size() >= 12 && Word(bytes, 0) == word0 && Word(bytes, 1) == word1 && Word(bytes, 2) == word2;
}

}  // namespace

std::array<uint8_t, kNetHeaderSize> NetPacketHeader_Encode(uint32_t payloadSize)
{
    return Words<kNetHeaderSize>({kNetPacketMagic, kNetHeaderSize, payloadSize});
}

std::vector<uint8_t> NetPacket_Frame(std::span<const uint8_t> payload)
{
    const auto header = NetPacketHeader_Encode(static_cast<uint32_t>(payload.size()));
    std::vector<uint8_t> packet(kNetHeaderSize + payload.size());
    std::copy(header.begin(), header.end(), packet.begin());
    std::copy(payload.begin(), payload.end(), packet.begin() + kNetHeaderSize);
    return packet;
}

std::array<uint8_t, kNetHandshakeRequestSize> NetHandshake_Request()
{
    return Words<kNetHandshakeRequestSize>({kRequestWord0, kRequestWord1, kNetHandshakeRequestSize, 0});
}

std::array<uint8_t, kNetHandshakeReplySize> NetHandshake_Reply()
{
    return Words<kNetHandshakeReplySize>({kReplyWord0, kReplyWord1, kNetHandshakeReplySize});
}

bool NetHandshake_IsRequest(std::span<const uint8_t> bytes)
{
    return StartsWith(bytes, kRequestWord0, kRequestWord1, kNetHandshakeRequestSize);
}

bool NetHandshake_IsReply(std::span<const uint8_t> bytes)
{
    return StartsWith(bytes, kReplyWord0, kReplyWord1, kNetHandshakeReplySize);
}

NetFrameStep NetFrames_Next(std::span<const uint8_t> bytes, bool stream)
{
    const NetFrameStep raw{NetFrameStep::Kind::Raw, 0, bytes.size(), bytes.size()};
    const auto header = NetPacketHeader_Encode(0);
    if (bytes.size() < kNetHeaderSize) {
        // The start of a header may be all that has come yet.
        const size_t known = std::min(bytes.size(), size_t{8});
        const bool headerStart =
            std::equal(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(known), header.begin());
        return stream && headerStart ? NetFrameStep{} : raw;
    }
    if (!std::equal(header.begin(), header.begin() + 8, bytes.begin())) {
        return raw;
    }
    const size_t payload = Word(bytes, 2);
    if (payload > kNetMaxPayload) {
        return raw;
    }
    if (bytes.size() - kNetHeaderSize < payload) {
        return stream ? NetFrameStep{} : raw;
    }
    return {NetFrameStep::Kind::Payload, kNetHeaderSize, payload, kNetHeaderSize + payload};
}

std::span<uint8_t> NetStreamAssembler::ReadArea(size_t want)
{
    Compact();
    m_pendingArea = std::min(want, Room());
    m_bytes.resize(m_bytes.size() + m_pendingArea);
    return std::span(m_bytes).last(m_pendingArea);
}

void NetStreamAssembler::Commit(size_t written)
{
    m_bytes.resize(m_bytes.size() - m_pendingArea + std::min(written, m_pendingArea));
    m_pendingArea = 0;
}

void NetStreamAssembler::Append(std::span<const uint8_t> bytes)
{
    const std::span<uint8_t> area = ReadArea(bytes.size());
    std::copy_n(bytes.begin(), area.size(), area.begin());
    Commit(area.size());
}

void NetStreamAssembler::Consume(size_t count)
{
    m_start += std::min(count, Held());
    if (m_start == m_bytes.size()) {
        m_bytes.clear();
        m_start = 0;
    }
}

std::optional<std::span<const uint8_t>> NetStreamAssembler::Next()
{
    if (Held() == 0) {
        return std::nullopt;
    }
    const std::span<const uint8_t> held = HeldBytes();
    const NetFrameStep step = NetFrames_Next(held, true);
    if (step.kind == NetFrameStep::Kind::Incomplete) {
        return std::nullopt;
    }
    // Consuming only moves the start: the bytes stay where they are.
    m_start += step.consumed;
    return held.subspan(step.offset, step.size);
}

void NetStreamAssembler::Compact()
{
    if (m_start > 0) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<ptrdiff_t>(m_start));
        m_start = 0;
    }
}

}  // namespace bw
