// The second phase of compiling game code: every token is resolved. Numbers
// and strings become constants, a word before "(" a call target, any other
// word a resource, a named constant or a variable. Variables that are not
// built-in get ids from the user variable name table kept here, which the
// whole program shares: one id names the variable in every instance, in the
// global scope and among locals.
#pragma once

#include <cstdint>
#include <vector>

#include "script/lexer.h"
#include "script/value.h"

namespace bw {

enum ResolvedKind : int32_t {
    kResolvedConstant = 5,
    kResolvedFunction = 6,
    kResolvedVariable = 7,
    kResolvedUnknownFunction = -1,
    // any other kind: the lexer's code, kept
};

struct ResolvedToken {
    int32_t kind = kSymEnd;
    int32_t id = 0;  // function id or variable id
    Value value;     // the constant (owned by the list)
    int32_t position = 0;
};

// Owns the constants of its tokens.
class ResolvedTokens {
public:
    ResolvedTokens() = default;
    ~ResolvedTokens() { Clear(); }
    ResolvedTokens(const ResolvedTokens&) = delete;
    ResolvedTokens& operator=(const ResolvedTokens&) = delete;

    void Clear();
    std::vector<ResolvedToken> items;
};

// Resolves every token in order; the first error ("Unknown function or
// script: <name>") stops it with false.
bool Code_Phase2(const CCode& code, const CodeTokens& tokens, ResolvedTokens& resolved);

inline constexpr int32_t kUserVariableIdBase = 100000;

// A built-in variable of that name, else the user variable (added if new).
int32_t Code_Variable_Find_Or_Add(const char* name);
// The user variable's id, added when the name is new. Exact, case-sensitive.
int32_t Code_Variable_Add(const char* name);
// The user variable's id, -1 when the name is unknown.
int32_t Code_Variable_Find(const char* name);
// A user variable's name; "<unknown variable>" for other ids.
const char* Code_Variable_Name(int32_t id);
// Any variable's name: built-ins by their table, users as above.
const char* Code_Variable_GetName(int32_t id);
int32_t Code_Variable_Count();

// The real of a number token's text: decimal (correctly rounded) or
// hexadecimal after "$".
double Code_Number_Value(const std::string& text);

}  // namespace bw
