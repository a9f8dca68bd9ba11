#include "platform/string_utf8.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

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

// Finds a text's characters in others in time linear in both lengths
// (Knuth, Morris and Pratt), so a long pattern that almost matches
// everywhere cannot make a search take the product of the two.
// Characters are compared as the routines here decode them.
class CharacterSearch {
public:
    explicit CharacterSearch(const char* needle)
    {
        const char* cursor = OrEmpty(needle);
        while (*cursor != '\0') {
            m_needle.push_back(UTF8_GetChar(&cursor));
        }
        // m_fallback[i]: the length of the longest proper prefix of the
        // needle's first i + 1 characters that also ends them.
        m_fallback.assign(m_needle.size(), 0);
        for (size_t i = 1, matched = 0; i < m_needle.size(); ++i) {
            matched = Advance(matched, m_needle[i]);
            m_fallback[i] = matched;
        }
    }

    size_t Length() const { return m_needle.size(); }

    struct Match {
        int32_t index;  // of the match's first character in the text
        size_t byte;    // where that character starts
    };
    // The first match in text; none when the needle is empty.
    std::optional<Match> FindIn(const char* text) const
    {
        if (m_needle.empty()) {
            return std::nullopt;
        }
        // Where each of the last Length() characters started.
        std::vector<size_t> starts(m_needle.size());
        const char* cursor = text;
        size_t matched = 0;
        for (int32_t index = 0; *cursor != '\0'; ++index) {
            starts[static_cast<size_t>(index) % starts.size()] = static_cast<size_t>(cursor - text);
            matched = Advance(matched, UTF8_GetChar(&cursor));
            if (matched == m_needle.size()) {
                const int32_t first = index + 1 - static_cast<int32_t>(matched);
                return Match{first, starts[static_cast<size_t>(first) % starts.size()]};
            }
        }
        return std::nullopt;
    }

private:
    // The characters matched after c follows the matched ones.
    size_t Advance(size_t matched, uint16_t c) const
    {
        while (matched > 0 && m_needle[matched] != c) {
            matched = m_fallback[matched - 1];
        }
        return m_needle[matched] == c ? matched + 1 : matched;
    }

    std::vector<uint16_t> m_needle;
    std::vector<size_t> m_fallback;
};

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
    if (haystack == nullptr) {
        return -1;
    }
    const std::optional<CharacterSearch::Match> match = CharacterSearch(needle).FindIn(haystack);
    return match ? match->index : -1;
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
    const CharacterSearch search(pattern);
    std::string out;
    while (*rest != '\0') {
        const std::optional<CharacterSearch::Match> match = search.FindIn(rest);
        if (!match) {
            break;
        }
        out.append(rest, match->byte);
        out.append(OrEmpty(replacement));
        rest += match->byte;
        rest += ByteOffsetOf(rest, static_cast<int32_t>(search.Length()));
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
