// Calling built-ins the way the virtual machine does, with values that free
// themselves, and a clean slate of data structures, buffers and errors.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "library/buffer.h"
#include "library/buffer_builtins.h"
#include "library/ds_builtins.h"
#include "library/json_builtins.h"
#include "library/ds.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/value.h"

namespace bw::test {

// A Value that owns its payload.
class ScriptValue {
public:
    ScriptValue() = default;
    ScriptValue(double real) { Value_SetReal(m_value, real); }  // NOLINT: reads like a literal
    ScriptValue(const char* text) { Value_SetString(m_value, text); }  // NOLINT
    ScriptValue(const ScriptValue& other) { Value_Copy(m_value, other.m_value); }
    ScriptValue& operator=(const ScriptValue& other)
    {
        Value_Copy(m_value, other.m_value);
        return *this;
    }
    ~ScriptValue() { Value_Free(m_value); }

    Value& Get() { return m_value; }
    const Value& Get() const { return m_value; }
    double Real() const { return m_value.real; }
    bool IsString() const { return Value_Kind(m_value) == kValueString; }
    std::string Text() const { return m_value.ptr != nullptr ? Value_String(m_value) : ""; }

private:
    Value m_value{};
};

// The built-in of that name called with the arguments; its result.
inline ScriptValue CallBuiltin(const char* name, const std::vector<ScriptValue>& arguments)
{
    int32_t id = -1;
    EXPECT_TRUE(Code_Function_Find(name, &id)) << name;
    std::vector<Value> args;
    for (const ScriptValue& argument : arguments) {
        args.push_back(argument.Get());  // views: the list keeps the payloads
    }
    ScriptValue result;
    Code_Function_CallBuiltin(id, &result.Get(), nullptr, nullptr, static_cast<int32_t>(args.size()), args.data());
    return result;
}
inline ScriptValue CallBuiltin(const char* name, std::initializer_list<ScriptValue> arguments)
{
    return CallBuiltin(name, std::vector<ScriptValue>(arguments));
}

// The library's built-ins, registered once per test program.
inline void RegisterLibraryBuiltins()
{
    static const bool registered = [] {
        Function_Data_Structures_Register();
        Function_Buffers_Register();
        Function_Json_Register();
        return true;
    }();
    (void)registered;
}

// The last run-time error's report, "" when none was made since the reset.
inline std::string LastError()
{
    const char* text = Code_Error_LastText();
    return text != nullptr ? text : "";
}

// Every test starts with empty pools and buffer table and no error, and
// errors go to the log only.
class LibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterLibraryBuiltins();
        DS_FreeAll();
        Buffer_FreeAll();
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(true);
    }
    void TearDown() override
    {
        DS_FreeAll();
        Buffer_FreeAll();
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(false);
    }
};

}  // namespace bw::test
