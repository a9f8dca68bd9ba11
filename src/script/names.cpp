#include "script/names.h"

#include <charconv>
#include <cmath>
#include <deque>
#include <string>
#include <unordered_map>

#include "script/code_unit.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/world_access.h"

namespace bw {

namespace {

// Never shrinks while the program runs: ids handed out stay valid. A deque
// keeps each name where it is, so the names handed out stay valid too.
struct UserVariableTable {
    std::deque<std::string> names;
    std::unordered_map<std::string, int32_t> ids;
};

UserVariableTable& UserVariables()
{
    static UserVariableTable table;
    return table;
}

int32_t HexDigitValue(char c)
{
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return static_cast<unsigned char>(c) - '0';
}

bool ResolveToken(const CCode& code, const CodeToken& token, int32_t nextKind, ResolvedToken& out)
{
    out.position = token.position;
    switch (token.kind) {
    case kSymWord:
        if (nextKind == kSymOpenParen) {
            if (Code_Function_Find(token.text.c_str(), &out.id)) {
                out.kind = kResolvedFunction;
                return true;
            }
            out.kind = kResolvedUnknownFunction;
            out.id = 0;
            const std::string message = "Unknown function or script: " + token.text;
            Code_Report_Error(code.text.c_str(), code.IsProgram(), token.position, message.c_str());
            return false;
        }
        if (Code_Resource_Find(token.text.c_str(), &out.value)) {
            out.kind = kResolvedConstant;
            return true;
        }
        out.kind = kResolvedVariable;
        out.id = Code_Variable_Find_Or_Add(token.text.c_str());
        return true;
    case kSymNumber:
        out.kind = kResolvedConstant;
        Value_SetReal(out.value, Code_Number_Value(token.text));
        return true;
    case kSymString:
        out.kind = kResolvedConstant;
        Value_SetString(out.value, token.text.c_str());
        return true;
    default:
        out.kind = token.kind;
        return true;
    }
}

}  // namespace

void ResolvedTokens::Clear()
{
    for (ResolvedToken& token : items) {
        Value_Free(token.value);
    }
    items.clear();
}

double Code_Number_Value(const std::string& text)
{
    if (text.empty()) {
        return 0.0;
    }
    if (text[0] == '$') {
        double value = 0.0;
        for (size_t i = 1; i < text.size(); ++i) {
            value = value * 16.0 + HexDigitValue(text[i]);
        }
        return value;
    }
    // Correctly rounded and independent of the locale, so that 0.1 + 0.2
    // folds to the same real as it adds at run time.
    double value = 0.0;
    const std::from_chars_result parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Only overflow is possible for digits and a point: more digits than
        // a real can hold.
        return HUGE_VAL;
    }
    return value;
}

bool Code_Phase2(const CCode& code, const CodeTokens& tokens, ResolvedTokens& resolved)
{
    Code_Error_ClearPending();
    resolved.Clear();
    resolved.items.resize(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        const int32_t nextKind = i + 1 < tokens.size() ? tokens[i + 1].kind : kSymEnd;
        if (!ResolveToken(code, tokens[i], nextKind, resolved.items[i])) {
            return false;
        }
    }
    return true;
}

int32_t Code_Variable_Find_Or_Add(const char* name)
{
    const int32_t builtin = Code_WorldAccess().findBuiltinVariable(name);
    return builtin >= 0 ? builtin : Code_Variable_Add(name);
}

int32_t Code_Variable_Add(const char* name)
{
    const std::string key = name != nullptr ? name : "";
    UserVariableTable& table = UserVariables();
    const auto found = table.ids.find(key);
    if (found != table.ids.end()) {
        return found->second;
    }
    const int32_t id = kUserVariableIdBase + static_cast<int32_t>(table.names.size());
    table.names.push_back(key);
    table.ids.emplace(key, id);
    return id;
}

int32_t Code_Variable_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    const UserVariableTable& table = UserVariables();
    const auto found = table.ids.find(name);
    return found != table.ids.end() ? found->second : -1;
}

const char* Code_Variable_Name(int32_t id)
{
    const UserVariableTable& table = UserVariables();
    const int64_t index = static_cast<int64_t>(id) - kUserVariableIdBase;
    if (index < 0 || index >= static_cast<int64_t>(table.names.size())) {
        return "<unknown variable>";
    }
    return table.names[static_cast<size_t>(index)].c_str();
}

const char* Code_Variable_GetName(int32_t id)
{
    return id < kUserVariableIdBase ? Code_WorldAccess().builtinVariableName(id) : Code_Variable_Name(id);
}

int32_t Code_Variable_Count()
{
    return static_cast<int32_t>(UserVariables().names.size());
}

}  // namespace bw
