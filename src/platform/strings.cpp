#include "platform/strings.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/memory.h"

namespace bw {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Decodes one code point at text[pos] and advances pos. An ill-formed
// sequence gives U+FFFD and consumes only its longest valid-looking start, so
// the byte that broke it is read again as the start of the next character.
char32_t DecodeUtf8(std::string_view text, size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    size_t extra;
    char32_t code;
    // The second byte's range also rules out overlong forms, UTF-16
    // surrogates and code points above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        code = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        code = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return kReplacement;
    }
    for (size_t n = 0; n < extra; ++n) {
        if (pos >= text.size()) {
            return kReplacement;
        }
        const auto byte = static_cast<unsigned char>(text[pos]);
        const bool fits = n == 0 ? (byte >= low && byte <= high) : IsContinuation(byte);
        if (!fits) {
            return kReplacement;
        }
        code = (code << 6) | (byte & 0x3F);
        ++pos;
    }
    return code;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

char* String_ConcatTexts(char* block, std::span<const char* const> texts)
{
    // Join into a scratch string first: any text may be block itself or lie
    // inside it, and the reallocation below may move or free block.
    std::string joined;
    for (const char* text : texts) {
        if (text != nullptr) {
            joined += text;
        }
    }
    if (joined.empty()) {
        MemoryManager_Free(block);
        return nullptr;
    }
    auto* result = static_cast<char*>(BW_REALLOC(block, joined.size() + 1, false));
    std::memcpy(result, joined.c_str(), joined.size() + 1);
    return result;
}

std::u16string String_ToWide(std::string_view text)
{
    std::u16string wide;
    wide.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t code = DecodeUtf8(text, pos);
        if (code >= 0x10000) {
            const char32_t offset = code - 0x10000;
            wide += static_cast<char16_t>(0xD800 + (offset >> 10));
            wide += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        } else {
            wide += static_cast<char16_t>(code);
        }
    }
    return wide;
}

std::string String_FromWide(std::u16string_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char16_t next = text[++i];
            AppendUtf8(narrow, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (next - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(narrow, kReplacement);
        } else {
            AppendUtf8(narrow, unit);
        }
    }
    return narrow;
}

void VCL_StringAssign(char** dest, const char* text)
{
    if (text == nullptr) {
        MemoryManager_Free(*dest);
        *dest = nullptr;
        return;
    }
    const size_t size = std::strlen(text) + 1;
    if (*dest != nullptr && MemoryManager_GetSize(*dest) >= size) {
        // text may lie inside *dest (assigning a text's own tail to it).
        std::memmove(*dest, text, size);
        return;
    }
    auto* copy = static_cast<char*>(BW_ALLOC(size, false));
    std::memcpy(copy, text, size);
    MemoryManager_Free(*dest);
    *dest = copy;
}

size_t String_WholeCharactersWithin(std::string_view text, size_t limit)
{
    if (text.size() <= limit) {
        return text.size();
    }
    size_t cut = limit;
    while (cut > 0 && IsContinuation(static_cast<unsigned char>(text[cut]))) {
        --cut;
    }
    return cut;
}

int32_t String_Pos(const char* needle, const char* haystack)
{
    if (needle == nullptr || haystack == nullptr) {
        return 0;
    }
    const char* found = std::strstr(haystack, needle);
    return found == nullptr ? 0 : static_cast<int32_t>(found - haystack) + 1;
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

const char* SkipDigits(const char* at)
{
    while (IsDecimalDigit(*at)) {
        ++at;
    }
    return at;
}

}  // namespace

locale_t String_CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

double String_ReadDecimal(const char* text, const char** end)
{
    if (end != nullptr) {
        *end = text;
    }
    if (text == nullptr) {
        return 0.0;
    }
    const char* start = text;
    while (IsBlank(*start)) {
        ++start;
    }
    const char* at = start + (*start == '+' || *start == '-' ? 1 : 0);
    const char* const digits = at;
    at = SkipDigits(at);
    bool anyDigit = at != digits;
    if (*at == '.') {
        const char* const fraction = at + 1;
        at = SkipDigits(fraction);
        anyDigit = anyDigit || at != fraction;
    }
    if (!anyDigit) {
        return 0.0;
    }
    if (*at == 'e' || *at == 'E') {
        const char* exponent = at + 1;
        exponent += *exponent == '+' || *exponent == '-' ? 1 : 0;
        if (IsDecimalDigit(*exponent)) {
            at = SkipDigits(exponent);
        }
    }
    if (end != nullptr) {
        *end = at;
    }
    // The span is a decimal number and nothing else, which strtod reads
    // exactly; a copy ends it where the reading stopped.
    return strtod_l(std::string(start, at).c_str(), nullptr, String_CLocale());
}

int64_t Real_ToInt64(double x)
{
    if (std::isnan(x)) {
        return std::numeric_limits<int64_t>::min();
    }
    // The program never changes the rounding mode, so this is nearest, ties
    // to even.
    const double rounded = std::nearbyint(x);
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (rounded >= kTwoTo63) {
        return std::numeric_limits<int64_t>::max();
    }
    if (rounded < -kTwoTo63) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(rounded);
}

std::string String_FromReal(double value, std::chars_format format, int precision, size_t width)
{
    // Large enough for any double in fixed form (309 digits before the point)
    // with the precisions the runner asks for.
    char buffer[400];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    std::string text(buffer, written.ec == std::errc() ? written.ptr : buffer);
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string String_FromWholeReal(double whole)
{
    // Adding 0 turns -0 into 0.
    return String_FromReal(whole + 0.0, std::chars_format::fixed, 0);
}

}  // namespace bw
