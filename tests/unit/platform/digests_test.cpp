#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base64.h"
#include "platform/crc32.h"
#include "platform/md5.h"
#include "platform/sha1.h"

namespace bw {
namespace {

const uint8_t* Bytes(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

std::string Hex(const uint8_t* bytes, size_t length)
{
    std::string hex;
    for (size_t i = 0; i < length; ++i) hex += {"0123456789abcdef"[bytes[i] >> 4], "0123456789abcdef"[bytes[i] & 15]};
    return hex;
}

// Both digests take the head `repeat` times, then the tail.
std::string MD5Hex(std::string_view head, std::string_view tail, int repeat)
{
    MD5Context context;
    MD5_Init(context);
    for (int i = 0; i < repeat; ++i) MD5_Update(context, Bytes(head), head.size());
    MD5_Update(context, Bytes(tail), tail.size());
    uint8_t digest[16];
    MD5_Final(digest, context);
    EXPECT_EQ(Hex(digest, 16), Hex(context.digest, 16)) << "context keeps the digest";
    return Hex(digest, 16);
}

std::string SHA1Hex(std::string_view head, std::string_view tail, int repeat)
{
    SHA1Context context;
    SHA1_Reset(context);
    for (int i = 0; i < repeat; ++i) SHA1_Input(context, Bytes(head), head.size());
    SHA1_Input(context, Bytes(tail), tail.size());
    uint8_t digest[20], again[20];
    EXPECT_TRUE(SHA1_Result(context, digest) && SHA1_Result(context, again));
    EXPECT_EQ(Hex(digest, 20), Hex(again, 20)) << "a second result gives the same digest";
    return Hex(digest, 20);
}

TEST(Digests, MatchThePublishedVectorsAndPadEveryLengthAroundTheBlockEnd)
{
    using DigestHex = std::string (*)(std::string_view, std::string_view, int);
    const struct { DigestHex hash; const char* text; int repeat; const char* digest; } cases[] = {
        // RFC 1321
        {MD5Hex, "", 1, "d41d8cd98f00b204e9800998ecf8427e"},
        {MD5Hex, "a", 1, "0cc175b9c0f1b6a831c399e269772661"},
        {MD5Hex, "abc", 1, "900150983cd24fb0d6963f7d28e17f72"},
        {MD5Hex, "message digest", 1, "f96b697d7cb7938d525a2f31aaf161d0"},
        {MD5Hex, "abcdefghijklmnopqrstuvwxyz", 1, "c3fcd3d76192e4007dfb496cca67e13b"},
        {MD5Hex, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", 1,
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {MD5Hex, "12345678901234567890123456789012345678901234567890123456789012345678901234567890", 1,
         "57edf4a22be3c955ac49da2e2107b67a"},
        // RFC 3174
        {SHA1Hex, "abc", 1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {SHA1Hex, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {SHA1Hex, "a", 1000000, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {SHA1Hex, "0123456701234567012345670123456701234567012345670123456701234567", 10,
         "dea356a2cddd90c7a7ecedc5ebb563934f460452"},
        // 55 bytes leave room for the length in the last block; 56 and more do not.
        {MD5Hex, "a", 55, "ef1772b6dff9a122358552954ad0df65"},  {MD5Hex, "a", 56, "3b0c8ac703f828b04c6c197006d17218"},
        {MD5Hex, "a", 63, "b06521f39153d618550606be297466d5"},  {MD5Hex, "a", 64, "014842d480b571495a4a0363793f7367"},
        {SHA1Hex, "a", 55, "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
        {SHA1Hex, "a", 56, "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
        {SHA1Hex, "a", 63, "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
        {SHA1Hex, "a", 64, "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.digest, c.hash(c.text, "", c.repeat)) << '"' << c.text << "\" x" << c.repeat;
}

TEST(Digests, FeedingInTwoPiecesEqualsOneShot)
{
    using Pieces = std::string (*)(std::string_view head, std::string_view tail);
    const struct { const char* name; Pieces hash; } digests[] = {
        {"MD5", [](std::string_view h, std::string_view t) { return MD5Hex(h, t, 1); }},
        {"SHA1", [](std::string_view h, std::string_view t) { return SHA1Hex(h, t, 1); }},
        {"CRC32 bytes", [](std::string_view h, std::string_view t) {
             return std::to_string(CRC32_BytesUpdate(CRC32_Bytes(Bytes(h), h.size()), Bytes(t), t.size()));
         }},
        {"CRC32 string", [](std::string_view h, std::string_view t) {
             return std::to_string(CRC32_StringUpdate(CRC32_String(std::string(h).c_str()), std::string(t).c_str()));
         }},
    };
    // Longer than two blocks, so the split falls on every position within a block.
    const std::string_view text = "The quick brown fox jumps over the lazy dog; then it jumps back again, "
                                  "and again, until the block boundaries have all been crossed twice over.";
    for (const auto& d : digests)
        for (size_t split = 0; split <= text.size(); ++split)
            EXPECT_EQ(d.hash(text, ""), d.hash(text.substr(0, split), text.substr(split))) << d.name << " at " << split;
}

TEST(SHA1, MisuseCorruptsTheContextAndYieldsNoDigest)
{
    SHA1Context context;
    SHA1_Reset(context);
    SHA1_Input(context, Bytes("abc"), 3);
    ASSERT_TRUE(SHA1_Result(context));
    SHA1_Input(context, Bytes("d"), 1);  // input after the result
    uint8_t digest[20] = {};
    EXPECT_FALSE(SHA1_Result(context, digest));
    EXPECT_EQ(std::string(40, '0'), Hex(digest, sizeof digest)) << "a failed result writes nothing";
    SHA1_Reset(context);
    context.lengthBits = std::numeric_limits<uint64_t>::max() - 15;  // two bytes short of 2^64 bits
    SHA1_Input(context, Bytes("a"), 1);
    EXPECT_FALSE(context.corrupted) << "the last byte that fits is taken";
    SHA1_Input(context, Bytes("a"), 1);
    EXPECT_FALSE(SHA1_Result(context));
}

std::string Decoded(std::string_view text)
{
    const std::vector<uint8_t> bytes = Base64_Decode(text);
    return std::string(bytes.begin(), bytes.end());
}

struct Base64Case { const char* plain; std::string_view encoded; };

TEST(Base64, RoundTripsTheRfc4648Vectors)
{
    const Base64Case cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                                {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const Base64Case& c : cases) {
        EXPECT_EQ(c.encoded, Base64_Encode(Bytes(c.plain), std::strlen(c.plain))) << '"' << c.plain << '"';
        EXPECT_EQ(c.plain, Decoded(c.encoded)) << '"' << c.encoded << '"';
    }
}

TEST(Base64, BytesInPiecesEncodeAsTheyDoJoined)
{
    const std::string_view plain = "foobar!";
    for (size_t first = 0; first <= plain.size(); ++first) {
        for (size_t second = first; second <= plain.size(); ++second) {
            Base64Encoder encoder(plain.size());
            encoder.Add(Bytes(plain), first);
            encoder.Add(Bytes(plain.substr(first)), second - first);
            encoder.Add(Bytes(plain.substr(second)), plain.size() - second);
            EXPECT_EQ("Zm9vYmFyIQ==", encoder.Finish()) << "cut at " << first << " and " << second;
        }
    }
}

TEST(Base64, DecodingStopsAtThePadOrForeignCharacterAndKeepsOnlyWholeBytes)
{
    const Base64Case cases[] = {
        {"f", "Zg==Zm8="},  {"foo", "Zm9v*YmFy"},   {"foo", "Zm9v\r\nYmFy"}, {"foo", "Zm9v-_Zg"},
        {"", "=Zm9v"},      {"fo", "Zm8=garbage"},  {"foo", "Zm9v YmFy"},    {"foo", {"Zm9v\0YmFy", 9}},
        {"foo", "Zm9v\xD9\xE7"},      // bytes above 127 (negative as plain chars) are foreign too
        {"foo", "Zm9vY"},             // one trailing character: six bits, no byte
        {"foob", "Zm9vYg"}, {"fooba", "Zm9vYmE"},   {"", "Z"},
    };
    for (const Base64Case& c : cases)
        EXPECT_EQ(c.plain, Decoded(c.encoded)) << '"' << c.encoded << '"';
}

TEST(Base64, RoundTripsEveryByteValueAtEveryLengthOnOneLine)
{
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(255 - i);
    for (size_t length = 0; length <= bytes.size(); ++length) {
        const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + length);
        const std::string text = Base64_Encode(prefix.data(), prefix.size());
        EXPECT_EQ((length + 2) / 3 * 4, text.size());
        EXPECT_EQ(std::string::npos, text.find_first_of("\r\n"));
        EXPECT_EQ(prefix, Base64_Decode(text)) << "length " << length;
    }
}

TEST(Base64, DecodingIntoABufferNeverWritesPastItsCapacity)
{
    uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(2u, Base64_Decode("Zm9vYmFy", buffer, 2));
    EXPECT_EQ("fo\xEE", std::string(buffer, buffer + 3));
    EXPECT_EQ(6u, Base64_Decode("Zm9vYmFy", buffer, sizeof buffer));
    EXPECT_EQ("foobar", std::string(buffer, buffer + 6));
    EXPECT_EQ(0u, Base64_Decode("Zm9v", nullptr, 0));
}

// The register is kept without the final inversion: the bitwise NOT of the standard CRC.
TEST(CRC32, IsTheBitwiseNotOfTheStandardCrc)
{
    CRC32_Init();
    EXPECT_TRUE(CRC32_CheckTable());
    EXPECT_EQ(0xCADBBE3Du, CRC32_String("abc"));
    EXPECT_EQ(0x340BC6D9u, CRC32_String("123456789"));  // NOT of the catalogued check value
    for (uint32_t empty : {CRC32_String(""), CRC32_String(nullptr), CRC32_Bytes(nullptr, 0)})
        EXPECT_EQ(0xFFFFFFFFu, empty);
    std::vector<uint8_t> bytes(1000);  // starting with a NUL, which bytes (unlike strings) go past
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + i / 256);
    EXPECT_EQ(~uint32_t(crc32(0L, bytes.data(), uInt(bytes.size()))), CRC32_Bytes(bytes.data(), bytes.size()));
}

}  // namespace
}  // namespace bw
