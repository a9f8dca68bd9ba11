#include "platform/base64.h"

#include <algorithm>
#include <array>
#include <cstring>

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

std::string Base64_Encode(const uint8_t* bytes, size_t length)
{
    std::string text;
    text.reserve((length + 2) / 3 * 4);
    for (size_t i = 0; i < length; i += 3) {
        const size_t groupBytes = std::min<size_t>(3, length - i);
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (groupBytes > 1)
            group |= uint32_t(bytes[i + 1]) << 8;
        if (groupBytes > 2)
            group |= uint32_t(bytes[i + 2]);
        // n bytes carry n + 1 characters' worth of bits; '=' fills the group.
        for (size_t c = 0; c < 4; ++c)
            text += c <= groupBytes ? kAlphabet[(group >> (18 - 6 * c)) & 63] : kPadding;
    }
    return text;
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
