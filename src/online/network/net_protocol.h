// The protocol two runners speak over TCP and UDP: the server's greeting,
// the client's handshake and its reply, and the 12-byte header that frames
// each packet. Incoming bytes are untrusted: a stated payload size is never
// believed past the bytes at hand or past kNetMaxPayload.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bw {

inline constexpr uint32_t kNetPacketMagic = 0xDEADC0DE;
inline constexpr size_t kNetHeaderSize = 12;
// "BW:Runner-Connect" and its zero byte.
inline constexpr std::array<uint8_t, 18> kNetGreeting = {'B', 'W', ':', 'R', 'u', 'n', 'n', 'e', 'r',
                                                         '-', 'C', 'o', 'n', 'n', 'e', 'c', 't', 0};
inline constexpr size_t kNetHandshakeRequestSize = 16;
inline constexpr size_t kNetHandshakeReplySize = 12;
// A header stating a larger payload is no frame: its bytes arrive as raw
// data. It also bounds what one connection may hold back between reads.
inline constexpr size_t kNetMaxPayload = 4u << 20;
inline constexpr size_t kNetReceiveCap = kNetMaxPayload + kNetHeaderSize;

std::array<uint8_t, kNetHeaderSize> NetPacketHeader_Encode(uint32_t payloadSize);
// The header and the payload, as one send carries them.
std::vector<uint8_t> NetPacket_Frame(std::span<const uint8_t> payload);
std::array<uint8_t, kNetHandshakeRequestSize> NetHandshake_Request();
std::array<uint8_t, kNetHandshakeReplySize> NetHandshake_Reply();
// Only the first three words are looked at; false for fewer bytes.
bool NetHandshake_IsRequest(std::span<const uint8_t> bytes);
bool NetHandshake_IsReply(std::span<const uint8_t> bytes);

// One step of the walk over received bytes: a framed payload, or the rest
// delivered as it is (anything that is not a frame), or, on a stream, a
// frame (or the start of a header) whose remaining bytes are still to come.
struct NetFrameStep {
    enum class Kind { Payload, Raw, Incomplete };
    Kind kind = Kind::Incomplete;
    size_t offset = 0;    // of the delivered bytes
    size_t size = 0;      // delivered bytes
    size_t consumed = 0;  // bytes the step uses up
};
// bytes must not be empty. A datagram (stream false) never waits: a cut
// frame is delivered raw.
NetFrameStep NetFrames_Next(std::span<const uint8_t> bytes, bool stream);

// The bytes of one stream connection that are not yet delivered: a frame cut
// by the end of a read waits here for its rest. Never holds more than
// kNetReceiveCap bytes.
class NetStreamAssembler {
public:
    size_t Held() const { return m_bytes.size() - m_start; }
    size_t Room() const { return kNetReceiveCap - Held(); }
    std::span<const uint8_t> HeldBytes() const { return std::span(m_bytes).subspan(m_start); }
    // Room for up to want (cut to Room()) new bytes at the end; Commit says
    // how many were written there.
    std::span<uint8_t> ReadArea(size_t want);
    void Commit(size_t written);
    void Append(std::span<const uint8_t> bytes);
    void Consume(size_t count);
    // The next delivery, consumed; the span is valid until the assembler
    // next changes. Nothing when no bytes or only a cut frame are held.
    std::optional<std::span<const uint8_t>> Next();

private:
    void Compact();

    std::vector<uint8_t> m_bytes;
    size_t m_start = 0;
    size_t m_pendingArea = 0;  // size of the last ReadArea, dropped by Commit
};

}  // namespace bw
