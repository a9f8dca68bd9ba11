#include "online/vask_digests.h"

#include <cstdio>

#include "library/arguments.h"
#include "platform/base64.h"
#include "platform/files.h"
#include "platform/md5.h"
#include "platform/memory.h"
#include "platform/sha1.h"

namespace bw {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// One character from the front of text; malformed input yields U+FFFD and
// moves past one byte.
uint32_t NextCodePoint(std::string_view& text)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    size_t length = 1;
    uint32_t code = lead;
    uint32_t least = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0x80) {
        text.remove_prefix(1);
        return kReplacement;
    }
    if (text.size() < length) {
        text.remove_prefix(1);
        return kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) {
            text.remove_prefix(1);
            return kReplacement;
        }
        code = code << 6 | (byte(i) & 0x3Fu);
    }
    text.remove_prefix(length);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return (code < least || code > 0x10FFFF || surrogate) ? kReplacement : code;
}

// Lower-case hexadecimal digits of value, zero-padded to digits.
void AppendHex(std::string& out, uint32_t value, int digits)
{
    char text[9];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    out += text;
}

void PutUnit(std::vector<uint8_t>& out, uint32_t unit)
{
    out.push_back(static_cast<uint8_t>(unit));
    out.push_back(static_cast<uint8_t>(unit >> 8));
}

std::span<const uint8_t> Bytes(const char* text)
{
    return {reinterpret_cast<const uint8_t*>(text), std::char_traits<char>::length(text)};
}

// The file from the save area, else from the program area; false when it
// is in neither.
bool ReadFile(const char* name, std::vector<uint8_t>& out)
{
    size_t size = 0;
    uint8_t* data = LoadSave_ReadSaveFile(name, &size);
    if (data == nullptr) data = LoadSave_ReadBundleFile(name, &size);
    if (data == nullptr) return false;
    out.assign(data, data + size);
    MemoryManager_Free(data);
    return true;
}

using Digest = std::string (*)(std::span<const uint8_t>);

template <Digest D>
BW_BUILTIN(DigestUtf8)
{
    Result_SetString(result, Arguments_Check(argc, args, "s") ? D(Bytes(Value_String(args[0]))) : "");
}

template <Digest D>
BW_BUILTIN(DigestUnicode)
{
    Result_SetString(result, Arguments_Check(argc, args, "s") ? D(Digest_Utf16LE(Value_String(args[0]))) : "");
}

template <Digest D>
BW_BUILTIN(DigestFile)
{
    std::vector<uint8_t> bytes;
    const bool found = Arguments_Check(argc, args, "s") && ReadFile(Value_String(args[0]), bytes);
    Result_SetString(result, found ? D(bytes) : "");
}

BW_BUILTIN(Base64Encode)
{
    const bool ok = argc == 1 && Arg_IsString(args[0]);
    const std::span<const uint8_t> bytes = ok ? Bytes(Value_String(args[0])) : std::span<const uint8_t>();
    Result_SetString(result, ok ? Base64_Encode(bytes.data(), bytes.size()) : "");
}

BW_BUILTIN(Base64Decode)
{
    const bool ok = argc == 1 && Arg_IsString(args[0]);
    std::vector<uint8_t> bytes = ok ? Base64_Decode(Value_String(args[0])) : std::vector<uint8_t>();
    // The text stops at a zero byte.
    bytes.push_back(0);
    Result_SetString(result, reinterpret_cast<const char*>(bytes.data()));
}

const BuiltinRegistration kDigestBuiltins[] = {
    {"base64_encode", &Base64Encode, 1},
    {"base64_decode", &Base64Decode, 1},
    {"md5_string_utf8", &DigestUtf8<&Digest_MD5Hex>, 1},
    {"md5_string_unicode", &DigestUnicode<&Digest_MD5Hex>, 1},
    {"md5_file", &DigestFile<&Digest_MD5Hex>, 1},
    {"sha1_string_utf8", &DigestUtf8<&Digest_SHA1Hex>, 1},
    {"sha1_string_unicode", &DigestUnicode<&Digest_SHA1Hex>, 1},
    {"sha1_file", &DigestFile<&Digest_SHA1Hex>, 1},
};

}  // namespace

std::vector<uint8_t> Digest_Utf16LE(std::string_view utf8)
{
    std::vector<uint8_t> out;
    while (!utf8.empty()) {
        const uint32_t code = NextCodePoint(utf8);
        if (code >= 0x10000) {
            PutUnit(out, 0xD800 + ((code - 0x10000) >> 10));
            PutUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            PutUnit(out, code);
        }
    }
    return out;
}

std::string Digest_MD5Hex(std::span<const uint8_t> bytes)
{
    MD5Context context;
    MD5_Init(context);
    MD5_Update(context, bytes.data(), bytes.size());
    MD5_Final(context);
    std::string hex;
    for (uint8_t byte : context.digest) AppendHex(hex, byte, 2);
    return hex;
}

std::string Digest_SHA1Hex(std::span<const uint8_t> bytes)
{
    SHA1Context context;
    SHA1_Reset(context);
    SHA1_Input(context, bytes.data(), bytes.size());
    if (!SHA1_Result(context)) return "";
    std::string hex;
    for (uint32_t word : context.intermediateHash) AppendHex(hex, word, 8);
    return hex;
}

void Function_VaskDigest_Register()
{
    Builtins_Register(kDigestBuiltins);
}

}  // namespace bw
