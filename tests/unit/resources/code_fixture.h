// A world in which resource code runs: one object, one instance as self and
// other, the world's and the resources' script access registered, and a
// test built-in record(values...) that writes one line to Recorded().
// Built-ins a test adds with AddBuiltin stay for the program's lifetime
// (other tests may empty the table, so each test registers what is missing).
#pragma once

#include <string>

#include "resources/script.h"
#include "resources/script_access.h"
#include "resources/timeline.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "script/world_access.h"
#include "support/argument_line.h"
#include "unit/world/script_state.h"
#include "unit/world/world_fixture.h"
#include "world/script_access.h"

namespace bw::test {

inline std::string& Recorded()
{
    static std::string recorded;
    return recorded;
}

inline void Record(Value* /*result*/, CInstance* /*self*/, CInstance* /*other*/, int32_t argc, Value* args)
{
    Recorded() += ArgumentLine(argc, args);
}

class ResourceCodeTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        CODE_Clear();
        Script_ClearTable();
        TimeLine_ClearTable();
        World_RegisterScriptAccess();
        Resources_RegisterScriptAccess();
        Code_Constant_Free();
        Code_Constant_Init();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(false);
        AddBuiltin("record", &Record, kBuiltinArgCountAny);
        Recorded().clear();
        LoadResources();
        AddObject(0);
        self = AddInstance(0);
    }

    // Before self is made: loading a package empties the object table.
    virtual void LoadResources() {}

    void TearDown() override
    {
        Script_ClearTable();
        TimeLine_ClearTable();
        CODE_Clear();
        Script_SetExecutor(nullptr);
        Script_SetCodeFinder(nullptr);
        Resource_SetNameFinder(ResourceKind::Script, nullptr);
        Resource_SetNameFinder(ResourceKind::TimeLine, nullptr);
        ScriptState_Reset();
        Event_Current() = CurrentEvent{};
        Code_SetUseBytecode(true);
        WorldTest::TearDown();
        Code_WorldAccess() = WorldAccess{};
    }

    static void AddBuiltin(const char* name, BuiltinFunctionProc fn, int32_t argc)
    {
        int32_t id = -1;
        if (!Code_Function_Find(name, &id)) {
            Code_Function_Register(name, fn, argc);
        }
    }

    // Compiles and runs a program with self as self and other; what it
    // recorded, then "error: <message>" when it failed.
    std::string Run(const char* program)
    {
        CCode code(program, false);
        if (!code.Compile("Test.program")) {
            return Recorded() + "error: " + Code_Error_PendingMessage() + "\n";
        }
        Value result;
        const bool ran = Code_Execute_Value(self, self, code, &result);
        Value_Free(result);
        return ran ? Recorded() : Recorded() + "error: " + Code_Error_PendingMessage() + "\n";
    }

    CInstance* self = nullptr;
};

}  // namespace bw::test
