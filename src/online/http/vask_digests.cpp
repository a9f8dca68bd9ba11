#include "online/http/vask_digests.h"

#include <cstdio>

#include "script/arguments.h"
#include "platform/base64.h"
#include "platform/files.h"
#include "platform/md5.h"
#include "platform/memory.h"
#include "platform/sha1.h"
#include "platform/strings.h"

namespace bw {

namespace {

// Lower-case hexadecimal digits of value, zero-padded to digits.
void AppendHex(std::string& out, uint32_t value, int digits)
{
    char text[9];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    out += text;
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
    for (const char16_t unit : String_ToWide(utf8)) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));  // little-endian
        out.push_back(static_cast<uint8_t>(unit >> 8));
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
