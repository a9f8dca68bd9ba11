// The remote debugger's wire format: fixed 44-byte command packets (the
// evaluate command carries its whole length and its requests), and replies
// of little-endian words. Code addresses on the wire are a code identity
// (Code_Identity) and a byte offset, never a pointer: a breakpoint packet's
// argument word is the identity and the word at byte 20 the offset.
// Incoming bytes are untrusted: every length is checked against the bytes
// received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bw {

inline constexpr uint32_t kDebugMagic = 0xBE11C0DE;
inline constexpr uint32_t kDebugPacketSize = 44;
// The most an evaluate packet may hold; a longer one is malformed.
inline constexpr uint32_t kDebugMaxEvaluateSize = 1u << 20;

enum DebugCommandCode : uint32_t {
    kDebugInfo = 1,
    kDebugSymbols = 2,
    kDebugPause = 3,
    kDebugRun = 4,
    kDebugStep = 5,
    kDebugStepOver = 6,
    kDebugBreakpoint = 8,
    kDebugEvaluate = 9,
};

struct DebugEvaluateRequest {
    uint32_t id = 0;
    std::string text;
};

struct DebugCommand {
    uint32_t code = 0;
    uint32_t argument = 0;
    uint8_t flag = 0;
    uint32_t offset = 0;  // a breakpoint's byte offset
    std::vector<DebugEvaluateRequest> requests;
};

// The first packet of held: Incomplete until all its bytes are there;
// Malformed (the connection is dropped) for a wrong magic word or length.
struct DebugParse {
    enum class Kind { Incomplete, Malformed, Command };
    Kind kind = Kind::Incomplete;
    size_t consumed = 0;
    DebugCommand command;
};
DebugParse DebugProtocol_Parse(std::span<const uint8_t> held);

// A reply, opened by the magic word and 44.
class DebugReply {
public:
    DebugReply();
    void U8(uint8_t value);
    void U32(uint32_t value);
    void F32(float value);
    void F64(double value);
    // A u32 length counting the closing zero byte, the bytes and the zero.
    void String(const std::string& text);
    // A u32 length, the bytes, and zeros up to a multiple of 4.
    void Bytes(std::span<const uint8_t> bytes);
    size_t Size() const { return m_bytes.size(); }
    // Writes value over the u32 at offset (a count or length known last).
    void PatchU32(size_t offset, uint32_t value);
    const std::vector<uint8_t>& Data() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace bw
