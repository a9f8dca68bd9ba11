#include "script/lexer.h"

#include <optional>
#include <string_view>

#include "script/code_unit.h"
#include "script/error_report.h"

namespace bw {

namespace {

// The scan runs three bytes past the text, as over blanks, so that every
// one-byte look-ahead stays inside it.
constexpr size_t kScanPadding = 3;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

struct Keyword {
    std::string_view word;
    CodeSymbol symbol;
};

constexpr Keyword kKeywords[] = {
    {"var", kSymVar},       {"if", kSymIf},         {"end", kSymEndBlock},   {"else", kSymElse},
    {"while", kSymWhile},   {"do", kSymDo},         {"for", kSymFor},        {"begin", kSymBegin},
    {"then", kSymThen},     {"with", kSymWith},     {"until", kSymUntil},    {"repeat", kSymRepeat},
    {"exit", kSymExit},     {"return", kSymReturn}, {"break", kSymBreak},    {"continue", kSymContinue},
    {"switch", kSymSwitch}, {"case", kSymCase},     {"default", kSymDefault}, {"and", kSymAnd},
    {"or", kSymOr},         {"not", kSymNot},       {"div", kSymDiv},        {"mod", kSymMod},
    {"xor", kSymXor},       {"globalvar", kSymGlobalVar},
};

struct Operator {
    std::string_view text;
    CodeSymbol symbol;
};

constexpr Operator kTwoCharOperators[] = {
    {":=", kSymAssign},     {"+=", kSymAddAssign},   {"-=", kSymSubAssign},   {"*=", kSymMulAssign},
    {"/=", kSymDivAssign},  {"&&", kSymAnd},         {"&=", kSymAndAssign},   {"||", kSymOr},
    {"|=", kSymOrAssign},   {"<=", kSymLessEqual},   {"<>", kSymNotEqual},    {"<<", kSymShiftLeft},
    {"==", kSymEqual},      {"!=", kSymNotEqual},    {">=", kSymGreaterEqual}, {">>", kSymShiftRight},
    {"^^", kSymXor},        {"^=", kSymXorAssign},
};

constexpr Operator kOneCharOperators[] = {
    {"!", kSymNot},         {"%", kSymMod},          {"&", kSymBitAnd},      {"(", kSymOpenParen},
    {")", kSymCloseParen},  {"*", kSymTimes},        {"+", kSymPlus},        {",", kSymComma},
    {"-", kSymMinus},       {".", kSymDot},          {"/", kSymSlash},       {":", kSymColon},
    {";", kSymSemicolon},   {"<", kSymLess},         {"=", kSymAssign},      {">", kSymGreater},
    {"[", kSymOpenBracket}, {"]", kSymCloseBracket}, {"^", kSymBitXor},      {"{", kSymBegin},
    {"|", kSymBitOr},       {"}", kSymEndBlock},     {"~", kSymBitNot},
};

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Control characters, the blank and every byte from 128 up separate tokens.
bool IsSkipped(char c)
{
    return static_cast<int8_t>(c) <= 32;
}

CodeSymbol WordSymbol(std::string_view word)
{
    if (word.size() >= 2 && word.size() <= 9) {
        for (const Keyword& keyword : kKeywords) {
            if (keyword.word == word) {
                return keyword.symbol;
            }
        }
    }
    return kSymWord;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text), m_scanLength(text.size() + kScanPadding) {}

    bool Run(const CCode& code, CodeTokens& tokens)
    {
        for (;;) {
            CodeToken& token = tokens.emplace_back();
            if (!Next(token)) {
                return true;
            }
            if (token.kind == kSymUnknown) {
                Code_Report_Error(code.text.c_str(), code.IsProgram(), token.position, "Unexpected symbol.");
                return false;
            }
        }
    }

    // Reads the token that follows into token; false (with kSymEnd) at the
    // end of the text.
    bool Next(CodeToken& token)
    {
        SkipBlanksAndComments();
        token.position = static_cast<int32_t>(m_at);
        if (m_at >= m_scanLength) {
            token.kind = kSymEnd;
            return false;
        }
        ReadToken(token);
        return true;
    }

    const std::optional<LostText>& Lost() const { return m_lost; }

private:
    char At(size_t index) const { return index < m_text.size() ? m_text[index] : ' '; }

    void SkipBlanksAndComments()
    {
        while (m_at < m_scanLength) {
            const char c = At(m_at);
            if (IsSkipped(c)) {
                if (static_cast<unsigned char>(c) >= 0x80 && !InByteOrderMark(m_at)) {
                    NoteLost(LostText::Kind::OutsideAscii);
                }
                ++m_at;
            } else if (c == '/' && At(m_at + 1) == '/') {
                m_at += 2;
                while (m_at < m_scanLength && At(m_at) != '\r' && At(m_at) != '\n') {
                    ++m_at;
                }
                ++m_at;  // the line break itself
            } else if (c == '/' && At(m_at + 1) == '*') {
                const size_t close = m_text.find("*/", m_at + 2);
                if (close == std::string_view::npos) {
                    NoteLost(LostText::Kind::UnclosedComment);
                }
                m_at = close == std::string_view::npos ? m_scanLength : close + 2;
            } else {
                return;
            }
        }
    }

    void ReadToken(CodeToken& token)
    {
        const char c = At(m_at);
        if (IsLetter(c)) {
            const size_t start = m_at;
            while (IsLetter(At(m_at)) || IsDigit(At(m_at))) {
                ++m_at;
            }
            const std::string_view word = m_text.substr(start, m_at - start);
            token.kind = WordSymbol(word);
            if (token.kind == kSymWord) {
                token.text.assign(word);
            }
        } else if (IsDigit(c) || (c == '.' && IsDigit(At(m_at + 1)))) {
            const size_t start = m_at;
            bool sawPoint = false;
            while (IsDigit(At(m_at)) || (At(m_at) == '.' && !sawPoint)) {
                sawPoint = sawPoint || At(m_at) == '.';
                ++m_at;
            }
            token.kind = kSymNumber;
            token.text.assign(m_text.substr(start, m_at - start));
        } else if (c == '$') {
            const size_t start = m_at++;
            while (IsHexDigit(At(m_at))) {
                ++m_at;
            }
            token.kind = kSymNumber;
            token.text.assign(m_text.substr(start, m_at - start));
        } else if (c == '"' || c == '\'') {
            ReadString(token, c);
        } else {
            ReadOperator(token);
        }
    }

    void ReadString(CodeToken& token, char quote)
    {
        const size_t start = m_at + 1;
        const size_t close = start <= m_text.size() ? m_text.find(quote, start) : std::string_view::npos;
        const size_t end = close == std::string_view::npos ? m_text.size() : close;
        token.kind = kSymString;
        token.position = static_cast<int32_t>(start);
        if (end > start) {
            token.text.assign(m_text.substr(start, end - start));
        }
        if (close == std::string_view::npos) {
            NoteLost(LostText::Kind::UnclosedString);
        }
        m_at = close == std::string_view::npos ? m_scanLength : close + 1;
    }

    // Only the first loss is kept: it comes first in the text.
    void NoteLost(LostText::Kind kind)
    {
        if (!m_lost) {
            m_lost = LostText{kind, static_cast<int32_t>(m_at)};
        }
    }

    bool InByteOrderMark(size_t index) const
    {
        return index < kUtf8ByteOrderMark.size() && m_text.starts_with(kUtf8ByteOrderMark);
    }

    void ReadOperator(CodeToken& token)
    {
        if (m_at + 1 < m_scanLength) {
            const char pair[2] = {At(m_at), At(m_at + 1)};
            for (const Operator& op : kTwoCharOperators) {
                if (op.text == std::string_view(pair, 2)) {
                    token.kind = op.symbol;
                    m_at += 2;
                    return;
                }
            }
        }
        for (const Operator& op : kOneCharOperators) {
            if (op.text[0] == At(m_at)) {
                token.kind = op.symbol;
                ++m_at;
                return;
            }
        }
        token.kind = kSymUnknown;
    }

    std::string_view m_text;
    size_t m_scanLength;
    size_t m_at = 0;
    std::optional<LostText> m_lost;
};

}  // namespace

bool Code_Phase1(const CCode& code, CodeTokens& tokens)
{
    Code_Error_ClearPending();
    tokens.clear();
    return Lexer(code.text).Run(code, tokens);
}

std::optional<LostText> Code_FindLostText(std::string_view text)
{
    Lexer lexer(text);
    CodeToken token;
    // A byte that starts no token ends the scan: the compile reports it.
    while (lexer.Next(token) && token.kind != kSymUnknown) {
    }
    return lexer.Lost();
}

}  // namespace bw
