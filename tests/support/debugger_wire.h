// The debugger's side of the link's wire, for the tests that speak it: the
// command packets, and a reader of the replies' little-endian words and
// strings that never reads past the bytes it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "online/debugger/debug_protocol.h"

namespace bw::test {

inline std::vector<uint8_t> Packet(uint32_t command, uint32_t argument = 0, uint8_t flag = 0, uint32_t offset = 0)
{
    DebugReply packet;  // the same little-endian words, opened the same way
    packet.U32(command);
    packet.U32(argument);
    packet.U8(flag);
    packet.U8(0);
    packet.U8(0);
    packet.U8(0);
    packet.U32(offset);
    std::vector<uint8_t> bytes = packet.Data();
    bytes.resize(kDebugPacketSize, 0);
    return bytes;
}

inline std::vector<uint8_t> EvaluatePacket(const std::vector<std::pair<uint32_t, std::string>>& requests)
{
    DebugReply packet;
    packet.U32(kDebugEvaluate);
    packet.U32(0);  // the whole length, known last
    packet.U32(static_cast<uint32_t>(requests.size()));
    for (const auto& [id, text] : requests) {
        packet.U32(id);
        packet.String(text);
    }
    packet.PatchU32(12, static_cast<uint32_t>(packet.Size()));
    return packet.Data();
}

// Reads little-endian words and strings from a reply.
class ReplyReader {
public:
    explicit ReplyReader(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    uint32_t U32() { return Word<uint32_t>(); }
    uint8_t U8() { return m_at < m_bytes.size() ? m_bytes[m_at++] : 0; }
    double F64() { return Word<double>(); }
    float F32() { return Word<float>(); }
    std::string String()
    {
        const uint32_t length = U32();
        if (length == 0 || m_at + length > m_bytes.size()) {
            return "<bad string>";
        }
        std::string text(reinterpret_cast<const char*>(m_bytes.data() + m_at), length - 1);
        m_at += length;
        return text;
    }
    // A byte run: its length, the bytes, zeros up to a multiple of 4.
    std::vector<uint8_t> Bytes()
    {
        const uint32_t length = U32();
        if (m_at + length > m_bytes.size()) {
            m_at = m_bytes.size() + 1;
            return {};
        }
        std::vector<uint8_t> bytes(m_bytes.begin() + static_cast<ptrdiff_t>(m_at),
                                   m_bytes.begin() + static_cast<ptrdiff_t>(m_at + length));
        m_at += (length + 3) / 4 * 4;
        return bytes;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }

private:
    // A little-endian word of T's size; 0 where the reply runs out.
    template <typename T>
    T Word()
    {
        T value{};
        if (m_at + sizeof(T) <= m_bytes.size()) {
            std::memcpy(&value, m_bytes.data() + m_at, sizeof(T));
        }
        m_at += sizeof(T);
        return value;
    }

    std::vector<uint8_t> m_bytes;
    size_t m_at = 0;
};

}  // namespace bw::test
