#include "online/debugger/debug_protocol.h"

#include <cstring>

namespace bw {

namespace {

constexpr size_t kFlagOffset = 16;
constexpr size_t kBreakOffsetAt = 20;
constexpr size_t kEvaluateHeader = 20;  // four words and the count

uint32_t WordAt(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

DebugParse Malformed()
{
    DebugParse parse;
    parse.kind = DebugParse::Kind::Malformed;
    return parse;
}

// The count and requests after the header, all inside packet.
bool ReadRequests(std::span<const uint8_t> packet, std::vector<DebugEvaluateRequest>* requests)
{
    const uint32_t count = WordAt(packet, 16);
    size_t at = kEvaluateHeader;
    for (uint32_t i = 0; i < count; ++i) {
        if (packet.size() - at < 8) {
            return false;
        }
        DebugEvaluateRequest request;
        request.id = WordAt(packet, at);
        const uint32_t length = WordAt(packet, at + 4);
        at += 8;
        if (length == 0 || length > packet.size() - at) {
            return false;
        }
        const auto* text = reinterpret_cast<const char*>(packet.data() + at);
        request.text.assign(text, strnlen(text, length - 1));
        at += length;
        requests->push_back(std::move(request));
    }
    return true;
}

}  // namespace

DebugParse DebugProtocol_Parse(std::span<const uint8_t> held)
{
    DebugParse parse;
    if (held.size() >= 4 && WordAt(held, 0) != kDebugMagic) {
        return Malformed();
    }
    if (held.size() >= 8 && WordAt(held, 4) != kDebugPacketSize) {
        return Malformed();
    }
    if (held.size() < 16) {
        return parse;
    }
    const uint32_t code = WordAt(held, 8);
    uint32_t length = kDebugPacketSize;
    if (code == kDebugEvaluate) {
        length = WordAt(held, 12);
        if (length < kEvaluateHeader || length > kDebugMaxEvaluateSize) {
            return Malformed();
        }
    }
    if (held.size() < length) {
        return parse;
    }
    const std::span<const uint8_t> packet = held.first(length);
    parse.command.code = code;
    parse.command.argument = WordAt(packet, 12);
    if (code == kDebugEvaluate) {
        if (!ReadRequests(packet, &parse.command.requests)) {
            return Malformed();
        }
    } else {
        parse.command.flag = packet[kFlagOffset];
        parse.command.offset = WordAt(packet, kBreakOffsetAt);
    }
    parse.kind = DebugParse::Kind::Command;
    parse.consumed = length;
    return parse;
}

DebugReply::DebugReply()
{
    U32(kDebugMagic);
    U32(kDebugPacketSize);
}

void DebugReply::U8(uint8_t value)
{
    m_bytes.push_back(value);
}

void DebugReply::U32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        m_bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void DebugReply::F32(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void DebugReply::F64(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
}

void DebugReply::String(const std::string& text)
{
    U32(static_cast<uint32_t>(text.size() + 1));
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(0);
}

void DebugReply::Bytes(std::span<const uint8_t> bytes)
{
    U32(static_cast<uint32_t>(bytes.size()));
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    m_bytes.resize(m_bytes.size() + (4 - bytes.size() % 4) % 4, 0);
}

void DebugReply::PatchU32(size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i) {
        m_bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace bw
