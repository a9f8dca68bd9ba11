#include "platform/md5.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace bw {

namespace {

uint32_t LoadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void StoreLE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left-rotation amounts, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void MD5_Transform(uint32_t state[4], const uint8_t block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLE32(block + 4 * i);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f;
        int word;
        switch (round) {
        case 0: f = (b & c) | (~b & d); word = i; break;
        case 1: f = (b & d) | (c & ~d); word = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; word = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); word = (7 * i) % 16; break;
        }
        const uint32_t rotated = std::rotl(a + f + x[word] + kSine[i], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void MD5_Init(MD5Context& context)
{
    context = MD5Context{};
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
}

void MD5_Update(MD5Context& context, const uint8_t* bytes, size_t length)
{
    if (length == 0)
        return;
    size_t used = size_t((context.bitCount >> 3) & 63);
    // The count is kept modulo 2^64 bits, so the shift may drop high bits.
    context.bitCount += uint64_t(length) << 3;

    if (used != 0) {
        const size_t take = std::min(length, 64 - used);
        std::memcpy(context.buffer + used, bytes, take);
        bytes += take;
        length -= take;
        used += take;
        if (used < 64)
            return;
        MD5_Transform(context.state, context.buffer);
    }
    for (; length >= 64; bytes += 64, length -= 64)
        MD5_Transform(context.state, bytes);
    if (length != 0)
        std::memcpy(context.buffer, bytes, length);
}

void MD5_Final(MD5Context& context)
{
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = uint8_t(context.bitCount >> (8 * i));

    // A one bit, zeros up to 56 bytes modulo 64, then the original length.
    static constexpr uint8_t kPadding[64] = {0x80};
    const size_t used = size_t((context.bitCount >> 3) & 63);
    const size_t padLength = used < 56 ? 56 - used : 120 - used;
    MD5_Update(context, kPadding, padLength);
    MD5_Update(context, lengthBytes, sizeof lengthBytes);

    for (int i = 0; i < 4; ++i)
        StoreLE32(context.digest + 4 * i, context.state[i]);
}

void MD5_Final(uint8_t digest[16], MD5Context& context)
{
    MD5_Final(context);
    std::memcpy(digest, context.digest, sizeof context.digest);
}

}  // namespace bw
