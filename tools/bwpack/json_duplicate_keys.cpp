#include "bwpack/json_duplicate_keys.h"

#include <cstdint>
#include <set>
#include <vector>

#include "platform/strings.h"

namespace bw::pack {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Where a number, true, false or null (or anything else unquoted) ends.
bool EndsLiteral(char c)
{
    switch (c) {
    case '{':
    case '}':
    case '[':
    case ']':
    case ',':
    case ':':
    case '"':
    case '\'':
    case '/':
        return true;
    default:
        return IsSpace(c);
    }
}

std::optional<uint32_t> HexDigit(char c)
{
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    return std::nullopt;
}

// One open object or array, and the member or element being read in it.
struct Container {
    bool isObject = false;
    std::set<std::string> keys;
    std::string member;
    size_t element = 0;
};

class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    std::optional<JsonDuplicateKey> Run();

private:
    bool AtEnd() const { return m_at >= m_text.size(); }
    bool NextIs(char c) const { return m_at + 1 < m_text.size() && m_text[m_at + 1] == c; }
    void SkipSpaceAndComments();
    void SkipLiteral();
    // The string at the quote, decoded; nothing when the text ends inside it
    // or an escape is malformed.
    std::optional<std::string> ReadString();
    std::optional<uint32_t> ReadHex4();
    // After "\u": the run of \u escapes from there, as the UTF-16 they are
    // (a lone surrogate reads as U+FFFD, as json-c has it).
    std::optional<std::string> ReadUnicodeEscapes();
    std::string PathOfInnermost() const;

    std::string_view m_text;
    size_t m_at = 0;
    std::vector<Container> m_open;
};

void Scanner::SkipSpaceAndComments()
{
    while (!AtEnd()) {
        if (IsSpace(m_text[m_at])) {
            ++m_at;
        } else if (m_text[m_at] == '/' && NextIs('/')) {
            const size_t end = m_text.find('\n', m_at);
            m_at = end == std::string_view::npos ? m_text.size() : end + 1;
        } else if (m_text[m_at] == '/' && NextIs('*')) {
            const size_t end = m_text.find("*/", m_at + 2);
            m_at = end == std::string_view::npos ? m_text.size() : end + 2;
        } else {
            return;
        }
    }
}

void Scanner::SkipLiteral()
{
    do {
        ++m_at;
    } while (!AtEnd() && !EndsLiteral(m_text[m_at]));
}

std::optional<uint32_t> Scanner::ReadHex4()
{
    if (m_text.size() - m_at < 4) return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const std::optional<uint32_t> digit = HexDigit(m_text[m_at + i]);
        if (!digit) return std::nullopt;
        value = value * 16 + *digit;
    }
    m_at += 4;
    return value;
}

std::optional<std::string> Scanner::ReadUnicodeEscapes()
{
    std::u16string units;
    for (;;) {
        const std::optional<uint32_t> unit = ReadHex4();
        if (!unit) return std::nullopt;
        units.push_back(static_cast<char16_t>(*unit));
        if (m_text.substr(m_at, 2) != "\\u") return String_FromWide(units);
        m_at += 2;
    }
}

std::optional<std::string> Scanner::ReadString()
{
    const char quote = m_text[m_at++];
    std::string text;
    while (!AtEnd()) {
        const char c = m_text[m_at++];
        if (c == quote) return text;
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        if (AtEnd()) return std::nullopt;
        const char escaped = m_text[m_at++];
        switch (escaped) {
        case 'b': text.push_back('\b'); break;
        case 'f': text.push_back('\f'); break;
        case 'n': text.push_back('\n'); break;
        case 'r': text.push_back('\r'); break;
        case 't': text.push_back('\t'); break;
        case 'u': {
            const std::optional<std::string> characters = ReadUnicodeEscapes();
            if (!characters) return std::nullopt;
            text += *characters;
            break;
        }
        default: text.push_back(escaped); break;
        }
    }
    return std::nullopt;
}

std::string Scanner::PathOfInnermost() const
{
    std::string path;
    for (size_t i = 0; i + 1 < m_open.size(); ++i) {
        const Container& parent = m_open[i];
        if (parent.isObject) {
            path += (path.empty() ? "" : ".") + parent.member;
        } else {
            path += "[" + std::to_string(parent.element) + "]";
        }
    }
    return path;
}

std::optional<JsonDuplicateKey> Scanner::Run()
{
    bool keyNext = false;
    for (SkipSpaceAndComments(); !AtEnd(); SkipSpaceAndComments()) {
        const char c = m_text[m_at];
        if (c == '{' || c == '[') {
            ++m_at;
            m_open.push_back(Container{c == '{', {}, {}, 0});
            keyNext = c == '{';
            continue;
        }
        if (c == '}' || c == ']') {
            ++m_at;
            if (m_open.empty()) return std::nullopt;
            m_open.pop_back();
            keyNext = false;
        } else if (c == ',') {
            ++m_at;
            if (m_open.empty()) return std::nullopt;
            if (m_open.back().isObject) {
                keyNext = true;
            } else {
                ++m_open.back().element;
            }
        } else if (c == ':') {
            ++m_at;
            keyNext = false;
        } else if (c == '"' || c == '\'') {
            std::optional<std::string> text = ReadString();
            if (!text) return std::nullopt;
            if (keyNext && !m_open.empty()) {
                // json-c keeps keys as C strings: a key ends at its first NUL.
                if (const size_t nul = text->find('\0'); nul != std::string::npos) text->resize(nul);
                Container& object = m_open.back();
                if (!object.keys.insert(*text).second) return JsonDuplicateKey{PathOfInnermost(), *text};
                object.member = std::move(*text);
                keyNext = false;
            }
        } else {
            SkipLiteral();
        }
        // json-c reads no further than the end of the first value.
        if (m_open.empty()) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<JsonDuplicateKey> Json_FindDuplicateKey(std::string_view text) { return Scanner(text).Run(); }

}  // namespace bw::pack
