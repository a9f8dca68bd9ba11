#include "platform/string_utf8.h"

#include <algorithm>
#include <cstring>

namespace bw {

namespace {

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

// The byte position of character index (clamped to the text's end).
size_t ByteOffsetOf(const char* text, int32_t index)
{
    const char* cursor = text;
    for (int32_t i = 0; i < index && *cursor != '\0'; ++i) {
        UTF8_GetChar(&cursor);
    }
    return static_cast<size_t>(cursor - text);
}

}  // namespace

uint16_t UTF8_GetChar(const char** cursor)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(*cursor);
    const uint32_t lead = bytes[0];
    if (lead == 0) {
        return 0;
    }
    if ((lead & 0x80) == 0) {
        *cursor += 1;
        return static_cast<uint16_t>(lead);
    }
    // A NUL inside the sequence ends it there: the bytes after the
    // terminator are not the text's.
    const uint32_t second = bytes[1];
    if (second == 0) {
        *cursor += 1;
        return static_cast<uint16_t>((lead & 0x20) == 0 ? (lead & 0x1F) << 6 : (lead & 0x0F) << 12);
    }
    if ((lead & 0x20) == 0) {
        *cursor += 2;
        return static_cast<uint16_t>((lead & 0x1F) << 6 | (second & 0x3F));
    }
    const uint32_t third = bytes[2];
    *cursor += third == 0 ? 2 : 3;
    return static_cast<uint16_t>((lead & 0x0F) << 12 | (second & 0x3F) << 6 | (third & 0x3F));
}

void UTF8_PutChar(std::string& out, uint16_t character)
{
    if (character < 0x80) {
        out.push_back(static_cast<char>(character));
    } else if (character < 0x800) {
        out.push_back(static_cast<char>(0xC0 | character >> 6));
        out.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | character >> 12));
        out.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    }
}

int32_t UTF8_Length(const char* text)
{
    const char* cursor = OrEmpty(text);
    int32_t count = 0;
    while (*cursor != '\0') {
        UTF8_GetChar(&cursor);
        ++count;
    }
    return count;
}

int32_t UTF8_CompareN(const char* first, const char* second, int32_t n)
{
    const char* a = OrEmpty(first);
    const char* b = OrEmpty(second);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t ca = UTF8_GetChar(&a);
        const int32_t cb = UTF8_GetChar(&b);
        if (ca != cb) {
            return ca - cb;
        }
        if (ca == 0) {
            return 0;
        }
    }
    return 0;
}

int32_t UTF8_Compare(const char* first, const char* second)
{
    // Every character of the longer text is looked at before its terminator
    // decides; a NUL never advances a cursor, so this ends.
    return UTF8_CompareN(first, second, INT32_MAX);
}

std::string UTF8_ToAscii(const char* text)
{
    std::string out;
    const char* cursor = OrEmpty(text);
    while (*cursor != '\0') {
        const uint16_t c = UTF8_GetChar(&cursor);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

int32_t UTF8_Find(const char* needle, const char* haystack)
{
    const int32_t n = UTF8_Length(needle);
    if (n == 0 || haystack == nullptr) {
        return -1;
    }
    const char* cursor = haystack;
    for (int32_t index = 0; *cursor != '\0'; ++index) {
        if (UTF8_CompareN(needle, cursor, n) == 0) {
            return index;
        }
        UTF8_GetChar(&cursor);
    }
    return -1;
}

std::string UTF8_Substring(const char* text, int32_t start, int32_t count)
{
    std::string out;
    const char* source = OrEmpty(text);
    const char* cursor = source + ByteOffsetOf(source, std::max(start, 0));
    for (int32_t i = 0; i < count && *cursor != '\0'; ++i) {
        UTF8_PutChar(out, UTF8_GetChar(&cursor));
    }
    return out;
}

void UTF8_DeleteRange(std::string& text, int32_t position, int32_t count)
{
    const int32_t length = UTF8_Length(text.c_str());
    if (position < 1 || position > length || count < 1) {
        return;
    }
    count = std::min(count, length - position + 1);
    const size_t from = ByteOffsetOf(text.c_str(), position - 1);
    const size_t to = from + ByteOffsetOf(text.c_str() + from, count);
    text.erase(from, to - from);
}

std::string String_Replace(const char* text, const char* pattern, const char* replacement, bool all)
{
    const char* rest = OrEmpty(text);
    const int32_t patternLength = UTF8_Length(pattern);
    if (patternLength == 0) {
        return rest;
    }
    std::string out;
    while (*rest != '\0') {
        const int32_t at = UTF8_Find(pattern, rest);
        if (at < 0) {
            break;
        }
        out.append(rest, ByteOffsetOf(rest, at));
        out.append(OrEmpty(replacement));
        rest += ByteOffsetOf(rest, at + patternLength);
        if (!all) {
            break;
        }
    }
    out.append(rest);
    return out;
}

int32_t ShowMessage_ConvertText(std::string& text)
{
    std::string out;
    out.reserve(text.size());
    int32_t count = 0;
    const char* cursor = text.c_str();
    while (*cursor != '\0') {
        if (cursor[0] == '\\' && cursor[1] == '#') {
            out.push_back('#');
            cursor += 2;
        } else if (cursor[0] == '#') {
            out.push_back('\r');
            cursor += 1;
        } else {
            UTF8_PutChar(out, UTF8_GetChar(&cursor));
        }
        ++count;
    }
    text = std::move(out);
    return count;
}

}  // namespace bw
