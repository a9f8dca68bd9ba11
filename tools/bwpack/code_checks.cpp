#include "bwpack/code_checks.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "script/lexer.h"

namespace bw::pack {
namespace {

constexpr std::string_view kLineEnds("\r\n", 2);
constexpr std::string_view kShownLineEnds("\r\n\0", 3);

// The UTF-8 character that starts at the byte, as it is written; nothing
// when the bytes there are no whole UTF-8 character.
std::optional<std::string_view> Utf8CharacterAt(std::string_view text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length == 0 || at + length > text.size()) return std::nullopt;
    for (size_t i = at + 1; i < at + length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return std::nullopt;
    }
    return text.substr(at, length);
}

std::string OutsideAsciiCause(std::string_view text, size_t at)
{
    const std::optional<std::string_view> character = Utf8CharacterAt(text, at);
    std::string what;
    if (character) {
        what = Quoted(std::string(*character));
    } else {
        constexpr char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(text[at]);
        what = std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
    }
    return what + " outside a string or comment: names are ASCII letters, digits and '_'";
}

std::string LostTextCause(const LostText& lost, std::string_view text)
{
    switch (lost.kind) {
    case LostText::Kind::UnclosedString: return "string never closed: it takes the rest of the file";
    case LostText::Kind::UnclosedComment: return "comment never closed: it takes the rest of the file";
    case LostText::Kind::OutsideAscii: break;
    }
    return OutsideAsciiCause(text, static_cast<size_t>(lost.position));
}

}  // namespace

FilePlace Code_FilePlace(const CodeText& code, int32_t position)
{
    const std::string_view text = code.source;
    const size_t at = static_cast<size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(text.size())));
    int32_t line = 1;
    size_t lineStart = 0;
    for (size_t end = text.find_first_of(kLineEnds); end < at; end = text.find_first_of(kLineEnds, lineStart)) {
        size_t next = end + 1;
        // A carriage return and a line feed end one line. A place on that
        // line feed stays on the line the pair ends.
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') {
            if (next == at) break;
            ++next;
        }
        ++line;
        lineStart = next;
    }
    const size_t lineEnd = std::min(text.find_first_of(kShownLineEnds, lineStart), text.size());
    return {code.file, line, static_cast<int32_t>(at - lineStart + 1), std::string(text.substr(lineStart, lineEnd - lineStart))};
}

void Code_RefuseLostText(const CodeText& code)
{
    const size_t nul = code.source.find('\0');
    if (nul != std::string::npos) {
        throw FileError(Code_FilePlace(code, static_cast<int32_t>(nul)), "a NUL byte ends the code here: the rest of the file would be lost");
    }
    const std::optional<LostText> lost = Code_FindLostText(code.source);
    if (lost) throw FileError(Code_FilePlace(code, lost->position), LostTextCause(*lost, code.source));
}

}  // namespace bw::pack
