#include "platform/sha1.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace bw {

namespace {

void SHA1_ProcessMessageBlock(SHA1Context& context)
{
    static constexpr uint32_t kRoundConstant[4] = {0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC, 0xCA62C1D6};

    uint32_t w[80];
    for (int t = 0; t < 16; ++t) {
        const uint8_t* p = context.messageBlock + 4 * t;
        w[t] = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    }
    for (int t = 16; t < 80; ++t)
        w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    uint32_t a = context.intermediateHash[0];
    uint32_t b = context.intermediateHash[1];
    uint32_t c = context.intermediateHash[2];
    uint32_t d = context.intermediateHash[3];
    uint32_t e = context.intermediateHash[4];
    for (int t = 0; t < 80; ++t) {
        uint32_t f;
        if (t < 20)
            f = (b & c) | (~b & d);
        else if (t < 40 || t >= 60)
            f = b ^ c ^ d;
        else
            f = (b & c) | (b & d) | (c & d);
        const uint32_t temp = std::rotl(a, 5) + f + e + w[t] + kRoundConstant[t / 20];
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = temp;
    }
    context.intermediateHash[0] += a;
    context.intermediateHash[1] += b;
    context.intermediateHash[2] += c;
    context.intermediateHash[3] += d;
    context.intermediateHash[4] += e;
    context.messageBlockIndex = 0;
}

// Appends the one bit, the zeros and the 64-bit length, processing one or two
// blocks as needed.
void SHA1_PadMessage(SHA1Context& context)
{
    size_t& index = context.messageBlockIndex;
    context.messageBlock[index++] = 0x80;
    if (index > 56) {
        std::memset(context.messageBlock + index, 0, 64 - index);
        SHA1_ProcessMessageBlock(context);
    }
    std::memset(context.messageBlock + index, 0, 56 - index);
    for (int i = 0; i < 8; ++i)
        context.messageBlock[56 + i] = uint8_t(context.lengthBits >> (56 - 8 * i));
    SHA1_ProcessMessageBlock(context);
}

}  // namespace

void SHA1_Reset(SHA1Context& context)
{
    context = SHA1Context{};
    context.intermediateHash[0] = 0x67452301;
    context.intermediateHash[1] = 0xEFCDAB89;
    context.intermediateHash[2] = 0x98BADCFE;
    context.intermediateHash[3] = 0x10325476;
    context.intermediateHash[4] = 0xC3D2E1F0;
}

void SHA1_Input(SHA1Context& context, const uint8_t* bytes, size_t length)
{
    if (length == 0)
        return;
    if (context.computed)
        context.corrupted = true;
    if (context.corrupted)
        return;

    // The padded message records its length in 64 bits; a longer message has
    // no digest. lengthBits is always a multiple of 8, so this is exact.
    const uint64_t roomInBytes = (std::numeric_limits<uint64_t>::max() - context.lengthBits) / 8;
    if (uint64_t(length) > roomInBytes) {
        context.corrupted = true;
        return;
    }
    context.lengthBits += uint64_t(length) * 8;

    while (length != 0) {
        const size_t take = std::min(length, 64 - context.messageBlockIndex);
        std::memcpy(context.messageBlock + context.messageBlockIndex, bytes, take);
        context.messageBlockIndex += take;
        bytes += take;
        length -= take;
        if (context.messageBlockIndex == 64)
            SHA1_ProcessMessageBlock(context);
    }
}

bool SHA1_Result(SHA1Context& context)
{
    if (context.corrupted)
        return false;
    if (!context.computed) {
        SHA1_PadMessage(context);
        // Nothing of the message stays behind in the context.
        std::memset(context.messageBlock, 0, sizeof context.messageBlock);
        context.lengthBits = 0;
        context.computed = true;
    }
    return true;
}

bool SHA1_Result(SHA1Context& context, uint8_t digest[20])
{
    if (!SHA1_Result(context))
        return false;
    for (int i = 0; i < 20; ++i)
        digest[i] = uint8_t(context.intermediateHash[i / 4] >> (24 - 8 * (i % 4)));
    return true;
}

}  // namespace bw
