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

const uint8_t* Bytes(std::string_view text)
{
    return reinterpret_cast<const uint8_t*>(text.data());
}

std::string Hex(const uint8_t* bytes, size_t length)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < length; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

// Longer than two blocks, so piecewise feeding crosses every block boundary.
const std::string kLongText =
    "The quick brown fox jumps over the lazy dog; then it jumps back again, "
    "and again, until the block boundaries have all been crossed twice over.";

// ---------------------------------------------------------------- MD5

std::string MD5Hex(std::string_view text)
{
    MD5Context context;
    MD5_Init(context);
    MD5_Update(context, Bytes(text), text.size());
    uint8_t digest[16];
    MD5_Final(digest, context);
    EXPECT_EQ(0, std::memcmp(digest, context.digest, sizeof digest)) << "context keeps the digest";
    return Hex(digest, sizeof digest);
}

TEST(MD5, MatchesTheRfc1321TestSuite)
{
    struct Case {
        const char* text;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.digest, MD5Hex(c.text)) << '"' << c.text << '"';
}

TEST(MD5, PadsEveryLengthAroundTheBlockEnd)
{
    // 55 bytes leave room for the length in the last block; 56 and more do not.
    EXPECT_EQ("ef1772b6dff9a122358552954ad0df65", MD5Hex(std::string(55, 'a')));
    EXPECT_EQ("3b0c8ac703f828b04c6c197006d17218", MD5Hex(std::string(56, 'a')));
    EXPECT_EQ("b06521f39153d618550606be297466d5", MD5Hex(std::string(63, 'a')));
    EXPECT_EQ("014842d480b571495a4a0363793f7367", MD5Hex(std::string(64, 'a')));
}

TEST(MD5, UpdateInTwoPiecesEqualsOneShot)
{
    const std::string whole = MD5Hex(kLongText);
    for (size_t split = 0; split <= kLongText.size(); ++split) {
        MD5Context context;
        MD5_Init(context);
        MD5_Update(context, Bytes(kLongText), split);
        MD5_Update(context, Bytes(kLongText) + split, kLongText.size() - split);
        MD5_Final(context);
        EXPECT_EQ(whole, Hex(context.digest, sizeof context.digest)) << "split at " << split;
    }
}

// ---------------------------------------------------------------- SHA-1

std::string SHA1Hex(std::string_view text, int repeat = 1)
{
    SHA1Context context;
    SHA1_Reset(context);
    for (int i = 0; i < repeat; ++i)
        SHA1_Input(context, Bytes(text), text.size());
    uint8_t digest[20];
    EXPECT_TRUE(SHA1_Result(context, digest));
    for (int word = 0; word < 5; ++word) {
        const uint8_t* p = digest + 4 * word;
        const uint32_t bigEndian = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        EXPECT_EQ(bigEndian, context.intermediateHash[word]) << "context keeps word " << word;
    }
    return Hex(digest, sizeof digest);
}

TEST(SHA1, MatchesTheRfc3174TestVectors)
{
    struct Case {
        const char* text;
        int repeat;
        const char* digest;
    };
    const Case cases[] = {
        {"abc", 1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"a", 1000000, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {"0123456701234567012345670123456701234567012345670123456701234567", 10,
         "dea356a2cddd90c7a7ecedc5ebb563934f460452"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.digest, SHA1Hex(c.text, c.repeat)) << '"' << c.text << "\" x" << c.repeat;
}

TEST(SHA1, PadsEveryLengthAroundTheBlockEnd)
{
    EXPECT_EQ("c1c8bbdc22796e28c0e15163d20899b65621d65a", SHA1Hex(std::string(55, 'a')));
    EXPECT_EQ("c2db330f6083854c99d4b5bfb6e8f29f201be699", SHA1Hex(std::string(56, 'a')));
    EXPECT_EQ("03f09f5b158a7a8cdad920bddc29b81c18a551f5", SHA1Hex(std::string(63, 'a')));
    EXPECT_EQ("0098ba824b5c16427bd7a1122a5a442a25ec644d", SHA1Hex(std::string(64, 'a')));
}

TEST(SHA1, InputInTwoPiecesEqualsOneShot)
{
    const std::string whole = SHA1Hex(kLongText);
    for (size_t split = 0; split <= kLongText.size(); ++split) {
        SHA1Context context;
        SHA1_Reset(context);
        SHA1_Input(context, Bytes(kLongText), split);
        SHA1_Input(context, Bytes(kLongText) + split, kLongText.size() - split);
        uint8_t digest[20];
        ASSERT_TRUE(SHA1_Result(context, digest));
        EXPECT_EQ(whole, Hex(digest, sizeof digest)) << "split at " << split;
    }
}

TEST(SHA1, ResultTwiceGivesTheSameDigest)
{
    SHA1Context context;
    SHA1_Reset(context);
    SHA1_Input(context, Bytes("abc"), 3);
    uint8_t first[20];
    uint8_t second[20];
    ASSERT_TRUE(SHA1_Result(context, first));
    ASSERT_TRUE(SHA1_Result(context, second));
    EXPECT_EQ(Hex(first, 20), Hex(second, 20));
}

TEST(SHA1, InputAfterTheResultCorruptsTheContext)
{
    SHA1Context context;
    SHA1_Reset(context);
    SHA1_Input(context, Bytes("abc"), 3);
    ASSERT_TRUE(SHA1_Result(context));
    SHA1_Input(context, Bytes("d"), 1);
    uint8_t digest[20] = {};
    EXPECT_FALSE(SHA1_Result(context, digest));
    EXPECT_EQ(std::string(40, '0'), Hex(digest, sizeof digest)) << "a failed result writes nothing";
}

TEST(SHA1, MessageLongerThan64BitsOfLengthCorruptsTheContext)
{
    // Pretend most of a 2^64-bit message has gone by already.
    SHA1Context context;
    SHA1_Reset(context);
    context.lengthBits = std::numeric_limits<uint64_t>::max() - 15;  // two bytes short of the wrap
    SHA1_Input(context, Bytes("a"), 1);
    EXPECT_FALSE(context.corrupted) << "the last byte that fits is taken";
    SHA1_Input(context, Bytes("a"), 1);
    EXPECT_FALSE(SHA1_Result(context));
}

// ---------------------------------------------------------------- base64

std::string Decoded(std::string_view text)
{
    const std::vector<uint8_t> bytes = Base64_Decode(text);
    return std::string(bytes.begin(), bytes.end());
}

struct Base64Case {
    const char* plain;
    const char* encoded;
};
const Base64Case kRfc4648Vectors[] = {
    {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(Base64, EncodesTheRfc4648Vectors)
{
    for (const Base64Case& c : kRfc4648Vectors)
        EXPECT_EQ(c.encoded, Base64_Encode(Bytes(c.plain), std::strlen(c.plain))) << '"' << c.plain << '"';
}

TEST(Base64, DecodesTheRfc4648Vectors)
{
    for (const Base64Case& c : kRfc4648Vectors)
        EXPECT_EQ(c.plain, Decoded(c.encoded)) << '"' << c.encoded << '"';
}

TEST(Base64, EncodingIsOneLineHoweverLong)
{
    const std::string text = Base64_Encode(Bytes(kLongText), kLongText.size());
    EXPECT_EQ((kLongText.size() + 2) / 3 * 4, text.size());
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n"));
}

TEST(Base64, DecodingStopsAtThePadOrTheFirstForeignCharacter)
{
    const Base64Case cases[] = {
        {"f", "Zg==Zm8="},     {"foo", "Zm9v*YmFy"}, {"foo", "Zm9v\r\nYmFy"},
        {"foo", "Zm9v-_Zg"},   {"", "=Zm9v"},        {"fo", "Zm8=garbage"},
        {"foo", "Zm9v YmFy"},
    };
    for (const Base64Case& c : cases)
        EXPECT_EQ(c.plain, Decoded(c.encoded)) << '"' << c.encoded << '"';
    EXPECT_EQ("foo", Decoded(std::string_view("Zm9v\0YmFy", 9))) << "a NUL ends the text";
}

TEST(Base64, TrailingPartialGroupGivesTheWholeBytesItHolds)
{
    const Base64Case cases[] = {
        {"foo", "Zm9vY"},     // one character: six bits, no byte
        {"foob", "Zm9vYg"},   // two characters: one byte
        {"fooba", "Zm9vYmE"}, // three characters: two bytes
        {"", "Z"},
    };
    for (const Base64Case& c : cases)
        EXPECT_EQ(c.plain, Decoded(c.encoded)) << '"' << c.encoded << '"';
}

TEST(Base64, RoundTripsEveryByteValueAtEveryLength)
{
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(255 - i);
    for (size_t length = 0; length <= bytes.size(); ++length) {
        const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + length);
        EXPECT_EQ(prefix, Base64_Decode(Base64_Encode(prefix.data(), prefix.size()))) << "length " << length;
    }
}

TEST(Base64, DecodingIntoABufferNeverWritesPastItsCapacity)
{
    uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(2u, Base64_Decode("Zm9vYmFy", buffer, 2));
    EXPECT_EQ("fo", std::string(buffer, buffer + 2));
    EXPECT_EQ(0xEE, buffer[2]);

    EXPECT_EQ(6u, Base64_Decode("Zm9vYmFy", buffer, sizeof buffer));
    EXPECT_EQ("foobar", std::string(buffer, buffer + 6));
    EXPECT_EQ(0u, Base64_Decode("Zm9v", nullptr, 0));
}

TEST(Base64, CharacterValuesFollowTheStandardAlphabet)
{
    const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int code = 0; code < 256; ++code) {
        const char ch = char(code);
        const size_t position = alphabet.find(ch);
        const int expected = position == std::string_view::npos ? -1 : int(position);
        EXPECT_EQ(expected, Base64_CharValue(ch)) << "code " << code;
        EXPECT_EQ(expected >= 0, Base64_IsChar(ch)) << "code " << code;
    }
}

// ---------------------------------------------------------------- CRC-32

TEST(CRC32, TableChecksOutAfterInit)
{
    CRC32_Init();
    EXPECT_TRUE(CRC32_CheckTable());
}

TEST(CRC32, KeepsTheRegisterWithoutFinalInversion)
{
    EXPECT_EQ(0xCADBBE3Du, CRC32_String("abc"));
    EXPECT_EQ(0xCADBBE3Du, CRC32_Bytes(Bytes("abc"), 3));
    EXPECT_EQ(0x340BC6D9u, CRC32_String("123456789"));  // NOT of the catalogued check value
}

TEST(CRC32, EmptyInputGivesTheStartValue)
{
    EXPECT_EQ(0xFFFFFFFFu, CRC32_String(""));
    EXPECT_EQ(0xFFFFFFFFu, CRC32_String(nullptr));
    EXPECT_EQ(0xFFFFFFFFu, CRC32_Bytes(nullptr, 0));
}

TEST(CRC32, IsTheBitwiseNotOfTheStandardCrcOverAnyBytes)
{
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + i / 256);
    const uLong standard = crc32(0L, bytes.data(), uInt(bytes.size()));
    EXPECT_EQ(~uint32_t(standard), CRC32_Bytes(bytes.data(), bytes.size()));
}

TEST(CRC32, StringStopsAtTheTerminatorWhileBytesGoOn)
{
    const char withNul[] = {'a', 'b', '\0', 'c'};
    EXPECT_EQ(CRC32_String("ab"), CRC32_String(withNul));
    EXPECT_NE(CRC32_String("ab"), CRC32_Bytes(Bytes({withNul, 4}), 4));
}

TEST(CRC32, UpdateInTwoPiecesEqualsOneShot)
{
    const uint32_t whole = CRC32_String(kLongText.c_str());
    for (size_t split = 0; split <= kLongText.size(); ++split) {
        const std::string head = kLongText.substr(0, split);
        const std::string tail = kLongText.substr(split);
        EXPECT_EQ(whole, CRC32_StringUpdate(CRC32_String(head.c_str()), tail.c_str())) << "split at " << split;
        EXPECT_EQ(whole, CRC32_BytesUpdate(CRC32_Bytes(Bytes(head), head.size()), Bytes(tail), tail.size()))
            << "split at " << split;
    }
}

}  // namespace
}  // namespace bw
