#include "bwl_harness.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "script/world_access.h"
#include "support/argument_line.h"
#include "unit/world/script_state.h"
#include "world/script_access.h"

namespace bw::test {

namespace {

const char* const kObjectNames[] = {"obj_a", "obj_b", "obj_c"};
constexpr int32_t kObjectCount = 3;
constexpr int32_t kNextCreatedId = 100100;

std::vector<BwlScript>& Scripts()
{
    static std::vector<BwlScript> scripts;
    return scripts;
}

int32_t& NextCreatedId()
{
    static int32_t next = kNextCreatedId;
    return next;
}

void Print(Value* /*result*/, CInstance* /*self*/, CInstance* /*other*/, int32_t argc, Value* args)
{
    Bwl_Printed() += ArgumentLine(argc, args);
}

void Destroy(Value* /*result*/, CInstance* self, CInstance* /*other*/, int32_t /*argc*/, Value* /*args*/)
{
    self->i_marked = 1;
}

void Create(Value* result, CInstance* /*self*/, CInstance* /*other*/, int32_t /*argc*/, Value* args)
{
    const int32_t id = NextCreatedId()++;
    auto* instance = new CInstance(0.0f, 0.0f, id, static_cast<int32_t>(args[0].real), true);
    InstanceHash_Insert(id, instance);
    Room_Current()->activeInstances.InsertByDepth(instance);
    Value_SetReal(*result, id);
}

int32_t FindObject(const char* name)
{
    for (int32_t i = 0; i < kObjectCount; ++i) {
        if (std::strcmp(name, kObjectNames[i]) == 0) {
            return i;
        }
    }
    return -1;
}

int32_t FindScript(const char* name)
{
    const std::vector<BwlScript>& scripts = Scripts();
    for (size_t i = 0; i < scripts.size(); ++i) {
        if (scripts[i].name == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// The script resources' Script_Execute, as far as these tests need it: the
// caller's sixteen argument slots are kept and restored around the run.
bool ExecuteScript(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result, Value* args)
{
    std::vector<BwlScript>& scripts = Scripts();
    if (index < 0 || index >= static_cast<int32_t>(scripts.size())) {
        return false;
    }
    ScriptArguments& slots = Script_Arguments();
    ScriptArguments saved;
    saved.count = slots.count;
    for (int32_t i = 0; i < kScriptArgumentSlots; ++i) {
        saved.values[i] = slots.values[i];
        slots.values[i] = Value{};
        if (i < argc) {
            Value_Copy(slots.values[i], args[i]);
        }
    }
    slots.count = argc;
    const bool ran = Code_Execute_Value(self, other, *scripts[static_cast<size_t>(index)].code, result);
    if (!ran) {
        Code_Error_PrefixPending(("In script " + scripts[static_cast<size_t>(index)].name + ":\n").c_str());
    }
    for (int32_t i = 0; i < kScriptArgumentSlots; ++i) {
        Value_Free(slots.values[i]);
        slots.values[i] = saved.values[i];
    }
    slots.count = saved.count;
    return ran;
}

// Scripts compiled to bytecode run on the machine's own stack, as the
// script resources arrange for a game.
CCode* FindCode(int32_t index)
{
    std::vector<BwlScript>& scripts = Scripts();
    return index >= 0 && index < static_cast<int32_t>(scripts.size()) ? scripts[static_cast<size_t>(index)].code.get()
                                                                      : nullptr;
}

// Other tests empty the function table, so each test registers again what
// is missing.
void RegisterTestBuiltins()
{
    const BuiltinFunction builtins[] = {
        {"print", &Print, kBuiltinArgCountAny, 0},
        {"test_destroy", &Destroy, 0, 0},
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
    NextCreatedId() = kNextCreatedId;
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
    Scripts().clear();
    Script_SetExecutor(nullptr);
    Script_SetCodeFinder(nullptr);
    Resource_SetNameFinder(ResourceKind::Object, nullptr);
    Resource_SetNameFinder(ResourceKind::Script, nullptr);
    ScriptState_Reset();
    Code_SetUseBytecode(true);
    WorldTest::TearDown();
    Code_WorldAccess() = WorldAccess{};
}

std::string BwlTest::Run(const std::string& program, const std::vector<std::pair<std::string, std::string>>& scripts)
{
    Bwl_Printed().clear();
    Scripts().clear();
    for (const auto& [name, text] : scripts) {
        Scripts().push_back({name, std::make_unique<CCode>(text.c_str(), false)});
    }
    for (BwlScript& script : Scripts()) {
        EXPECT_TRUE(script.code->Compile(("Script." + script.name).c_str())) << Code_Error_PendingMessage();
    }
    CCode code(program.c_str(), false);
    if (!code.Compile("Test.program")) {
        return Bwl_Printed() + Failure();
    }
    Value result;
    const bool ran = Code_Execute_Value(self, other, code, &result);
    Value_Free(result);
    return ran ? Bwl_Printed() : Bwl_Printed() + Failure();
}

std::string BwlTest::Eval(const std::string& expression)
{
    CCode code(expression.c_str(), true);
    if (!code.Compile("Test.expression")) {
        return Failure();
    }
    Value result;
    const bool ran = Code_Execute_Value(self, other, code, &result);
    std::string text;
    Value_ToString(text, result);
    Value_Free(result);
    return ran ? text : Failure();
}

}  // namespace bw::test
