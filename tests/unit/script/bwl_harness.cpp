#include "bwl_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/memory.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "script/world_access.h"
#include "support/argument_line.h"
#include "unit/world/script_state.h"
#include "world/room.h"
#include "world/script_access.h"

namespace bw::test {

namespace {

const char* const kObjectNames[] = {"obj_a", "obj_b", "obj_c"};
constexpr int32_t kFirstCreatedId = 100100;

std::vector<BwlScript> g_scripts;

void Print(Value* /*result*/, CInstance* /*self*/, CInstance* /*other*/, int32_t argc, Value* args)
{
    Bwl_Printed() += ArgumentLine(argc, args);
}

void Destroy(Value* /*result*/, CInstance* self, CInstance* /*other*/, int32_t /*argc*/, Value* /*args*/)
{
    self->i_marked = 1;
}

void Deactivate(Value* /*result*/, CInstance* self, CInstance* /*other*/, int32_t /*argc*/, Value* /*args*/)
{
    self->i_deactivated = 1;
}

void Create(Value* result, CInstance* /*self*/, CInstance* /*other*/, int32_t /*argc*/, Value* args)
{
    const int32_t id = Instance_NextId();
    auto* instance = new CInstance(0.0f, 0.0f, id, static_cast<int32_t>(args[0].real), true);
    InstanceHash_Insert(id, instance);
    Room_Current()->activeInstances.InsertByDepth(instance);
    Value_SetReal(*result, id);
}

int32_t FindObject(const char* name)
{
    const auto found = std::find_if(std::begin(kObjectNames), std::end(kObjectNames),
                                    [&](const char* object) { return std::strcmp(name, object) == 0; });
    return found == std::end(kObjectNames) ? -1 : static_cast<int32_t>(found - std::begin(kObjectNames));
}

int32_t FindScript(const char* name)
{
    const auto found = std::find_if(g_scripts.begin(), g_scripts.end(),
                                    [&](const BwlScript& script) { return script.name == name; });
    return found == g_scripts.end() ? -1 : static_cast<int32_t>(found - g_scripts.begin());
}

// Scripts compiled to bytecode run on the machine's own stack, as the
// script resources arrange for a game.
CCode* FindCode(int32_t index)
{
    return index >= 0 && index < static_cast<int32_t>(g_scripts.size()) ? g_scripts[static_cast<size_t>(index)].code.get()
                                                                        : nullptr;
}

// The script resources' Script_Execute, as far as these tests need it: the
// caller's argument slots stay as they were.
bool ExecuteScript(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result, Value* args)
{
    CCode* const code = FindCode(index);
    if (code == nullptr) {
        return false;
    }
    const ScriptArgumentsScope arguments(args, argc, argc);
    const bool ran = Code_Execute_Value(self, other, *code, result);
    if (!ran) {
        Code_Error_PrefixPending(("In script " + g_scripts[static_cast<size_t>(index)].name + ":\n").c_str());
    }
    return ran;
}

// Other tests empty the function table, so each test registers again what
// is missing.
void RegisterTestBuiltins()
{
    const BuiltinFunction builtins[] = {
        {"print", &Print, kBuiltinArgCountAny, 0},
        {"test_destroy", &Destroy, 0, 0},
        {"test_deactivate", &Deactivate, 0, 0},
        {"test_create", &Create, 1, 0},
    };
    for (const BuiltinFunction& builtin : builtins) {
        int32_t id = -1;
        if (!Code_Function_Find(builtin.name, &id)) {
            Code_Function_Register(builtin.name, builtin.fn, builtin.argc);
        }
    }
}

std::string Failure()
{
    return std::string("error: ") + Code_Error_PendingMessage() + "\n";
}

// Runs a compiled unit; false when it failed. The result is its value as print shows it.
bool Execute(CInstance* self, CInstance* other, CCode& code, std::string* shown)
{
    Value result;
    const bool ran = Code_Execute_Value(self, other, code, &result);
    Value_ToString(*shown, result);
    Value_Free(result);
    return ran;
}

}  // namespace

std::string& Bwl_Printed()
{
    static std::string printed;
    return printed;
}

void BwlTest::SetUp()
{
    WorldTest::SetUp();
    // Tests of the language run on the tree interpreter unless they ask
    // for the virtual machine.
    Code_SetUseBytecode(false);
    World_RegisterScriptAccess();
    RegisterTestBuiltins();
    Code_Constant_Free();
    Code_Constant_Init();
    Code_Error_ResetState();
    Code_Error_SetShowErrors(false);
    Variable_SetStrictReads(true);
    Resource_SetNameFinder(ResourceKind::Object, &FindObject);
    Resource_SetNameFinder(ResourceKind::Script, &FindScript);
    Script_SetExecutor(&ExecuteScript);
    Script_SetCodeFinder(&FindCode);
    Instance_SetLastId(kFirstCreatedId - 1);
    AddObject(0);
    AddObject(1);
    CObject* child = AddObject(2);
    child->parent = 0;
    child->parentObject = Object_Find(0);
    nextId = 100001;
    self = AddInstance(0);
    AddInstance(0);
    other = AddInstance(1);
    AddInstance(2);
}

void BwlTest::TearDown()
{
    g_scripts.clear();
    Script_SetExecutor(nullptr);
    Script_SetCodeFinder(nullptr);
    Resource_SetNameFinder(ResourceKind::Object, nullptr);
    Resource_SetNameFinder(ResourceKind::Script, nullptr);
    ScriptState_Reset();
    Code_SetUseBytecode(true);
    WorldTest::TearDown();
    Code_WorldAccess() = WorldAccess{};
}

void Bwl_AddScript(const std::string& name, std::unique_ptr<CCode> code)
{
    g_scripts.push_back({name, std::move(code)});
    Script_CodeChanged();
}

std::string BwlTest::Run(const std::string& program, const std::vector<std::pair<std::string, std::string>>& scripts,
                         const std::function<void(CCode&)>& prepare)
{
    Bwl_Printed().clear();
    g_scripts.clear();
    Script_CodeChanged();
    for (const auto& [name, text] : scripts) {
        g_scripts.push_back({name, std::make_unique<CCode>(text.c_str(), false)});
    }
    const auto compile = [&prepare](CCode& code, const std::string& unitName) {
        const bool compiled = code.Compile(unitName.c_str());
        if (compiled && prepare) {
            prepare(code);
        }
        return compiled;
    };
    for (BwlScript& script : g_scripts) {
        EXPECT_TRUE(compile(*script.code, "Script." + script.name)) << Code_Error_PendingMessage();
    }
    CCode code(program.c_str(), false);
    const bool compiled = compile(code, "Test.program");
    std::string ignored;
    const bool ran = compiled && Execute(self, other, code, &ignored);
    return ran ? Bwl_Printed() : Bwl_Printed() + Failure();
}

std::string BwlTest::Eval(const std::string& expression)
{
    CCode code(expression.c_str(), true);
    std::string text;
    return code.Compile("Test.expression") && Execute(self, other, code, &text) ? text : Failure();
}

}  // namespace bw::test
