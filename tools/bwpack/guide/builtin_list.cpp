#include "bwpack/guide/builtin_list.h"

#include <set>
#include <stdexcept>

#include "app/registration.h"
#include "script/function_table.h"
#include "world/builtin_variables.h"

namespace bw::pack {
namespace {

std::string ArgumentCount(int32_t argc)
{
    return argc == kBuiltinArgCountAny ? "any" : std::to_string(argc);
}

// A name registered twice is reachable only as its first entry, so later
// entries are left out.
std::string FunctionTable(int32_t first, int32_t end, std::set<std::string>* listed)
{
    std::string rows;
    for (int32_t id = first; id < end; ++id) {
        const char* name = nullptr;
        BuiltinFunctionProc proc = nullptr;
        int32_t argc = 0;
        if (!Code_Function_GetInfo(id, &name, &proc, &argc) || !listed->insert(name).second) continue;
        rows += "| `" + std::string(name) + "` | " + ArgumentCount(argc) + " |\n";
    }
    return rows.empty() ? "" : "| function | arguments |\n|---|---|\n" + rows + "\n";
}

std::string VariableTable(int32_t first, int32_t end)
{
    std::string text = "| variable | assignable |\n|---|---|\n";
    for (int32_t id = first; id < end; ++id) {
        const BuiltinVariable* variable = Variable_BuiltIn_Get(id);
        text += "| `" + variable->name + "` | " + (variable->canSet ? "yes" : "no") + " |\n";
    }
    return text + "\n";
}

std::string Functions()
{
    if (Code_Function_Count() != 0) throw std::logic_error("the built-in function table is not empty");
    std::string text;
    std::set<std::string> listed;
    for (const RegistrationGroup& group : Registration_Groups()) {
        const int32_t first = Code_Function_Count();
        group.registrar();
        const std::string table = FunctionTable(first, Code_Function_Count(), &listed);
        if (!table.empty()) text += "### " + std::string(group.topic) + "\n\n" + table;
    }
    Code_Function_Free();
    return text;
}

std::string Variables()
{
    Variable_BuiltIn_Free();
    Variable_BuiltIn_RegisterInstance();
    const int32_t instanceEnd = Variable_BuiltIn_Count();
    Variable_BuiltIn_RegisterGlobal();
    const int32_t globalEnd = Variable_BuiltIn_Count();
    const std::string text = "### Variables of every instance\n\n" + VariableTable(0, instanceEnd) +
                             "### Variables of the game\n\n" + VariableTable(instanceEnd, globalEnd);
    Variable_BuiltIn_Free();
    return text;
}

}  // namespace

std::string Guide_BuiltinList()
{
    return "\n" + Functions() + Variables();
}

}  // namespace bw::pack
