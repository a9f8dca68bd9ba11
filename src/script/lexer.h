// The first phase of compiling game code: source text becomes a list of
// tokens. Keywords, operators and punctuation get numeric codes here, and the
// same codes name statement kinds and operators in the syntax tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

class CCode;

// Token codes. Statement keywords double as statement node kinds, operators
// as operator codes of expression nodes.
enum CodeSymbol : int32_t {
    kSymEnd = -2,
    kSymUnknown = -1,
    kSymWord = 0,
    kSymNumber = 1,
    kSymString = 2,

    kSymBegin = 11,  // begin {
    kSymEndBlock = 12,  // end }
    kSymIf = 13,
    kSymThen = 14,
    kSymElse = 15,
    kSymWhile = 16,
    kSymDo = 17,
    kSymFor = 18,
    kSymUntil = 19,
    kSymRepeat = 20,
    kSymExit = 21,
    kSymBreak = 22,
    kSymContinue = 23,
    kSymWith = 24,
    kSymReturn = 25,
    kSymSwitch = 26,
    kSymCase = 27,
    kSymDefault = 28,
    kSymVar = 29,
    kSymGlobalVar = 30,

    kSymAssign = 101,  // = :=  (equality inside expressions)
    kSymAddAssign = 102,
    kSymSubAssign = 103,
    kSymMulAssign = 104,
    kSymDivAssign = 105,
    kSymOpenParen = 106,
    kSymCloseParen = 107,
    kSymSemicolon = 108,
    kSymComma = 109,
    kSymOpenBracket = 110,
    kSymCloseBracket = 111,
    kSymDot = 112,
    kSymColon = 113,
    kSymOrAssign = 114,
    kSymAndAssign = 115,
    kSymXorAssign = 116,

    kSymAnd = 201,  // and &&
    kSymOr = 202,   // or ||
    kSymNot = 203,  // not !
    kSymLess = 204,
    kSymLessEqual = 205,
    kSymEqual = 206,
    kSymNotEqual = 207,  // != <>
    kSymGreaterEqual = 208,
    kSymGreater = 209,
    kSymPlus = 210,
    kSymMinus = 211,
    kSymTimes = 212,
    kSymSlash = 213,
    kSymDiv = 214,
    kSymMod = 215,  // mod %
    kSymXor = 216,  // xor ^^
    kSymBitOr = 217,
    kSymBitAnd = 218,
    kSymBitXor = 219,
    kSymBitNot = 220,
    kSymShiftLeft = 221,
    kSymShiftRight = 222,
};

struct CodeToken {
    int32_t kind = kSymEnd;
    std::string text;      // words, numbers ("$" kept for hex) and strings
    int32_t position = 0;  // byte offset in the source text, for error reports
};

using CodeTokens = std::vector<CodeToken>;

// Lexes the unit's source text into tokens, ending with kSymEnd. A byte that
// starts no token reports "Unexpected symbol." and gives false.
bool Code_Phase1(const CCode& code, CodeTokens& tokens);

// Text the lexer passes over without a word, which a build tool refuses so
// that nothing an author wrote vanishes: a string or block comment never
// closed takes the rest of the text, and a byte from 128 up outside strings
// and comments is skipped as a blank (a name written in another script reads
// as nothing, or as its ASCII part). The lexer keeps accepting both, as it
// always has, for the packages already made.
struct LostText {
    enum class Kind { UnclosedString, UnclosedComment, OutsideAscii };
    Kind kind = Kind::UnclosedString;
    // Byte offset of the opening quote or "/*", or of the byte from 128 up.
    int32_t position = 0;
};

// The first text of the source, in text order, that the lexer would lose;
// nothing when there is none. A UTF-8 byte-order mark at the very start is
// no loss. The scan stops at a byte that starts no token.
std::optional<LostText> Code_FindLostText(std::string_view text);

}  // namespace bw
