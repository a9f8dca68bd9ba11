#include "platform/base64.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace bw {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPadding = '=';

// Value of every byte, -1 outside the alphabet, so decoding is one lookup.
constexpr std::array<int8_t, 256> MakeDecodeTable()
{
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (int value = 0; value < 64; ++value)
        table[uint8_t(kAlphabet[value])] = int8_t(value);
    return table;
}
constexpr std::array<int8_t, 256> kDecodeTable = MakeDecodeTable();

}  // namespace

bool Base64_IsChar(char ch)
{
    return Base64_CharValue(ch) >= 0;
}

int Base64_CharValue(char ch)
{
    return kDecodeTable[uint8_t(ch)];
}

Base64Encoder::Base64Encoder(size_t length)
{
    m_text.reserve((length + 2) / 3 * 4);
}

void Base64Encoder::EncodeGroup(const uint8_t* group, size_t count)
{
    uint32_t bits = uint32_t(group[0]) << 16;
    if (count > 1)
        bits |= uint32_t(group[1]) << 8;
    if (count > 2)
        bits |= uint32_t(group[2]);
    // n bytes carry n + 1 characters' worth of bits; '=' fills the group.
    for (size_t c = 0; c < 4; ++c)
        m_text += c <= count ? kAlphabet[(bits >> (18 - 6 * c)) & 63] : kPadding;
}

void Base64Encoder::Add(const uint8_t* bytes, size_t length)
{
    if (length == 0)
        return;
    const size_t toComplete = std::min(length, sizeof m_pending - m_pendingCount);
    std::memcpy(m_pending + m_pendingCount, bytes, toComplete);
    m_pendingCount += toComplete;
    if (m_pendingCount < sizeof m_pending)
        return;
    EncodeGroup(m_pending, sizeof m_pending);
    size_t at = toComplete;
    for (; length - at >= 3; at += 3)
        EncodeGroup(bytes + at, 3);
    m_pendingCount = length - at;
    std::memcpy(m_pending, bytes + at, m_pendingCount);
}

std::string Base64Encoder::Finish()
{
    if (m_pendingCount != 0)
        EncodeGroup(m_pending, m_pendingCount);
    m_pendingCount = 0;
    return std::move(m_text);
}

std::string Base64_Encode(const uint8_t* bytes, size_t length)
{
    Base64Encoder encoder(length);
    encoder.Add(bytes, length);
    return encoder.Finish();
}

std::vector<uint8_t> Base64_Decode(std::string_view text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    uint32_t bits = 0;
    int bitCount = 0;
    for (char ch : text) {
        const int value = Base64_CharValue(ch);
        if (value < 0)
            break;
        bits = ((bits << 6) | uint32_t(value)) & 0xFFFFFF;
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(uint8_t(bits >> bitCount));
        }
    }
    return bytes;
}

size_t Base64_Decode(std::string_view text, uint8_t* out, size_t capacity)
{
    const std::vector<uint8_t> bytes = Base64_Decode(text);
    const size_t written = std::min(capacity, bytes.size());
    if (written != 0)
        std::memcpy(out, bytes.data(), written);
    return written;
}

}  // namespace bw
