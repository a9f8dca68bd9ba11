// A string parameter that receives anything but a string is read as no
// text; no text is the empty text everywhere. Numbers are read and printed
// in the C locale whatever locale the process runs in.
#include "library/string_builtins.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <string>

#include "script/arguments.h"
#include "platform/string_utf8.h"
#include "platform/strings.h"
#include "script/error_report.h"

namespace bw {

namespace {

// Longest result string_repeat makes; beyond it the answer is the empty text.
constexpr uint64_t kRepeatMaxBytes = 0x7FFFFFFF;
// string_format's width and precision are held to these.
constexpr int32_t kFormatMaxWidth = 1024;
constexpr int32_t kFormatMaxPrecision = 1024;

bool HasText(const Value& value)
{
    return Arg_Text(value) != nullptr;
}

std::string Printf(const char* format, int32_t width, int32_t precision, double value)
{
    const locale_t previous = uselocale(String_CLocale());
    const int size = std::snprintf(nullptr, 0, format, width, precision, value);
    std::string out(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) {
        std::snprintf(out.data(), out.size() + 1, format, width, precision, value);
    }
    uselocale(previous);
    return out;
}

// The byte position of character index in text (clamped to its end).
size_t ByteOffset(const char* text, int32_t index)
{
    const char* cursor = text;
    for (int32_t i = 0; i < index && *cursor != '\0'; ++i) {
        UTF8_GetChar(&cursor);
    }
    return static_cast<size_t>(cursor - text);
}

// Each character decoded, kept when keep says so (after map), encoded again.
template <typename Keep, typename Map>
std::string Filter(const char* text, Keep keep, Map map)
{
    std::string out;
    while (*text != '\0') {
        const uint16_t c = UTF8_GetChar(&text);
        if (keep(c)) {
            UTF8_PutChar(out, map(c));
        }
    }
    return out;
}

bool IsUpper(uint16_t c)
{
    return c >= 'A' && c <= 'Z';
}
bool IsLower(uint16_t c)
{
    return c >= 'a' && c <= 'z';
}
bool IsLetter(uint16_t c)
{
    return IsUpper(c) || IsLower(c);
}
bool IsDigit(uint16_t c)
{
    return c >= '0' && c <= '9';
}
uint16_t Same(uint16_t c)
{
    return c;
}

BW_BUILTIN(Real)
{
    if (Arg_IsReal(args[0])) {
        result->real = args[0].real;
        return;
    }
    const std::string ascii = UTF8_ToAscii(Arg_Text(args[0]));
    result->real = String_ReadDecimal(ascii.c_str());
}

BW_BUILTIN(String)
{
    std::string text;
    Value_ToString(text, args[0]);
    Result_SetString(result, text);
}

BW_BUILTIN(StringFormat)
{
    if (!Arg_IsReal(args[0])) {
        Result_SetString(result, Arg_Text(args[0]));
        return;
    }
    const int32_t width = Real_TruncToInt32(args[1].real - args[2].real);
    const int32_t precision = Real_TruncToInt32(args[2].real);
    Result_SetString(result, Printf("%*.*f", std::clamp(width, -kFormatMaxWidth, kFormatMaxWidth),
                           std::clamp(precision, 0, kFormatMaxPrecision), args[0].real));
}

BW_BUILTIN(Chr)
{
    int32_t code = Arg_Trunc(args[0]);
    code = code < 128 ? code & 0x7F : code & 0xFFFF;
    std::string text;
    UTF8_PutChar(text, static_cast<uint16_t>(code));
    Result_SetString(result, text);
}

BW_BUILTIN(AnsiChar)
{
    const char text[2] = {static_cast<char>(Arg_Round(args[0]) & 0xFF), '\0'};
    Result_SetString(result, text);
}

BW_BUILTIN(Ord)
{
    const char* text = Arg_TextOrEmpty(args[0]);
    result->real = UTF8_GetChar(&text);
}

BW_BUILTIN(StringLength)
{
    result->real = UTF8_Length(Arg_Text(args[0]));
}

BW_BUILTIN(StringByteLength)
{
    result->real = static_cast<double>(std::strlen(Arg_TextOrEmpty(args[0])));
}

BW_BUILTIN(StringPos)
{
    result->real = UTF8_Find(Arg_Text(args[0]), Arg_Text(args[1])) + 1;
}

BW_BUILTIN(StringCopy)
{
    if (argc != 3 || !HasText(args[0]) || !Arg_IsReal(args[1]) || !Arg_IsReal(args[2])) {
        Result_SetString(result, "");
        return;
    }
    const char* text = Arg_Text(args[0]);
    const int32_t index = Arg_Round(args[1]);
    const int32_t countGiven = Arg_Round(args[2]);
    const int64_t length = UTF8_Length(text);
    const int64_t start = std::max(index, 1) - int64_t{1};
    int64_t count = std::max(countGiven, 0);
    if (start + count > length) {
        count = length - start;
    }
    if (count < 0) {
        const std::string message =
            "string_copy(" + std::string(text) + ", " + std::to_string(index) + ", " + std::to_string(countGiven) +
            "): Index is out of bounds";
        Code_Error_Runtime(message.c_str(), false);
        Result_SetString(result, "");
        return;
    }
    Result_SetString(result, UTF8_Substring(text, static_cast<int32_t>(start), static_cast<int32_t>(count)));
}

BW_BUILTIN(StringCharAt)
{
    if (argc != 2 || !HasText(args[0]) || !Arg_IsReal(args[1])) {
        Result_SetString(result, "");
        return;
    }
    const int32_t position = std::max<int64_t>(int64_t{Arg_Round(args[1])} - 1, 0);
    Result_SetString(result, UTF8_Substring(Arg_Text(args[0]), position, 1));
}

BW_BUILTIN(StringByteAt)
{
    if (argc != 2 || !HasText(args[0]) || !Arg_IsReal(args[1])) {
        return;
    }
    const char* text = Arg_Text(args[0]);
    const auto length = static_cast<int64_t>(std::strlen(text));
    if (length == 0) {
        return;
    }
    const int64_t position = std::clamp<int64_t>(int64_t{Arg_Round(args[1])} - 1, 0, length - 1);
    result->real = static_cast<int8_t>(text[position]);
}

BW_BUILTIN(StringSetByteAt)
{
    std::string text = Arg_TextOrEmpty(args[0]);
    if (argc == 3 && HasText(args[0]) && Arg_IsReal(args[1]) && Arg_IsReal(args[2])) {
        const int64_t position = int64_t{Arg_Round(args[1])} - 1;
        if (position >= 0 && position < static_cast<int64_t>(text.size())) {
            text[static_cast<size_t>(position)] = static_cast<char>(Arg_Trunc(args[2]) & 0xFF);
        } else {
            Code_Error_Runtime("string_set_byte_at : index beyond end of string", false);
        }
    }
    Result_SetString(result, text.c_str());
}

BW_BUILTIN(StringDelete)
{
    std::string text = Arg_TextOrEmpty(args[0]);
    UTF8_DeleteRange(text, Arg_Round(args[1]), Arg_Round(args[2]));
    Result_SetString(result, text);
}

BW_BUILTIN(StringInsert)
{
    if (!HasText(args[0]) || !HasText(args[1])) {
        Result_SetString(result, "");
        return;
    }
    const char* part = Arg_Text(args[0]);
    std::string text = Arg_Text(args[1]);
    if (*part != '\0') {
        const int32_t length = UTF8_Length(text.c_str());
        const auto position =
            static_cast<int32_t>(std::clamp<int64_t>(int64_t{Arg_Round(args[2])} - 1, 0, length));
        text.insert(ByteOffset(text.c_str(), position), part);
    }
    Result_SetString(result, text);
}

BW_BUILTIN(StringLower)
{
    const char* text = Arg_Text(args[0]);
    Result_SetString(result, text == nullptr ? std::string() : Filter(text, [](uint16_t) { return true; }, [](uint16_t c) {
        return IsUpper(c) ? static_cast<uint16_t>(c + 32) : c;
    }));
}

BW_BUILTIN(StringUpper)
{
    const char* text = Arg_Text(args[0]);
    Result_SetString(result, text == nullptr ? std::string() : Filter(text, [](uint16_t) { return true; }, [](uint16_t c) {
        return IsLower(c) ? static_cast<uint16_t>(c - 32) : c;
    }));
}

BW_BUILTIN(StringRepeat)
{
    const std::string text = Arg_TextOrEmpty(args[0]);
    const int32_t count = Arg_Round(args[1]);
    if (text.empty() || count < 1 || text.size() * static_cast<uint64_t>(count) > kRepeatMaxBytes) {
        Result_SetString(result, "");
        return;
    }
    std::string out;
    out.reserve(text.size() * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        out += text;
    }
    Result_SetString(result, out);
}

BW_BUILTIN(StringLetters)
{
    const char* text = Arg_Text(args[0]);
    Result_SetString(result, text == nullptr ? std::string() : Filter(text, IsLetter, Same));
}

BW_BUILTIN(StringDigits)
{
    const char* text = Arg_Text(args[0]);
    Result_SetString(result, text == nullptr || argc != 1 ? std::string() : Filter(text, IsDigit, Same));
}

BW_BUILTIN(StringLettersDigits)
{
    const char* text = Arg_Text(args[0]);
    Result_SetString(result, text == nullptr ? std::string()
                                    : Filter(text, [](uint16_t c) { return IsLetter(c) || IsDigit(c); }, Same));
}

BW_BUILTIN(StringReplace)
{
    Result_SetString(result, String_Replace(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2]), false));
}

BW_BUILTIN(StringReplaceAll)
{
    Result_SetString(result, String_Replace(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2]), true));
}

// Overlapping matches count: the search goes on one byte after each match's
// first byte.
BW_BUILTIN(StringCount)
{
    const char* pattern = Arg_TextOrEmpty(args[0]);
    const char* text = Arg_TextOrEmpty(args[1]);
    if (*pattern == '\0') {
        return;
    }
    // The search stops where the pattern no longer fits: the C library's
    // search takes seconds to find that out about a long pattern.
    const size_t textLength = std::strlen(text);
    const size_t patternLength = std::strlen(pattern);
    double count = 0;
    for (size_t from = 0; patternLength <= textLength - from; ++count) {
        const char* at = std::strstr(text + from, pattern);
        if (at == nullptr) {
            break;
        }
        from = static_cast<size_t>(at - text) + 1;
    }
    result->real = count;
}

constexpr BuiltinRegistration kStringBuiltins[] = {
    {"real", &Real, 1},
    {"string", &String, 1},
    {"string_format", &StringFormat, 3},
    {"chr", &Chr, 1},
    {"ansi_char", &AnsiChar, 1},
    {"ord", &Ord, 1},
    {"string_length", &StringLength, 1},
    {"string_byte_length", &StringByteLength, 1},
    {"string_pos", &StringPos, 2},
    {"string_copy", &StringCopy, 3},
    {"string_char_at", &StringCharAt, 2},
    {"string_byte_at", &StringByteAt, 2},
    {"string_set_byte_at", &StringSetByteAt, 3},
    {"string_delete", &StringDelete, 3},
    {"string_insert", &StringInsert, 3},
    {"string_lower", &StringLower, 1},
    {"string_upper", &StringUpper, 1},
    {"string_repeat", &StringRepeat, 2},
    {"string_letters", &StringLetters, 1},
    {"string_digits", &StringDigits, 1},
    {"string_lettersdigits", &StringLettersDigits, 1},
    {"string_replace", &StringReplace, 3},
    {"string_replace_all", &StringReplaceAll, 3},
    {"string_count", &StringCount, 2},
};

}  // namespace

void Function_String_Register()
{
    Builtins_Register(kStringBuiltins);
}

}  // namespace bw
