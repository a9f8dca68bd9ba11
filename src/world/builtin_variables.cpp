#include "world/builtin_variables.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cstring>
#include <limits>

#include "platform/console.h"
#include "platform/strings.h"

namespace bw {

namespace {

struct BuiltinTable {
    std::array<BuiltinVariable, kBuiltinVariableCapacity> entries;
    int32_t count = 0;
};

BuiltinTable& Table()
{
    static BuiltinTable table;
    return table;
}

// IEEE narrowing, spelled out so that values beyond f32 never reach a
// conversion the language leaves undefined.
float NarrowToFloat(double value)
{
    if (value > FLT_MAX) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -FLT_MAX) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

int32_t RoundToInt32(double value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(Real_ToInt64(value), INT32_MIN, INT32_MAX));
}

}  // namespace

void Variable_Init()
{
    Variable_BuiltIn_Free();
    Variable_BuiltIn_RegisterInstance();
    Variable_BuiltIn_RegisterGlobal();
}

int32_t Variable_BuiltIn_Add(const char* name, BuiltinVariableGetter getter, BuiltinVariableSetter setter, bool canSet)
{
    BuiltinTable& table = Table();
    if (table.count == kBuiltinVariableCapacity) {
        ShowMessage("INTERNAL ERROR: Adding too many variables");
        return -1;
    }
    BuiltinVariable& entry = table.entries[static_cast<size_t>(table.count)];
    entry.name = name != nullptr ? name : "";
    entry.getter = getter;
    entry.setter = setter;
    entry.canSet = canSet ? 1 : 0;
    return table.count++;
}

void Variable_BuiltIn_AddAll(std::span<const BuiltinVariableRegistration> entries)
{
    for (const BuiltinVariableRegistration& entry : entries) {
        Variable_BuiltIn_Add(entry.name, entry.getter, entry.setter, entry.canSet);
    }
}

int32_t Variable_BuiltIn_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    const BuiltinTable& table = Table();
    for (int32_t id = 0; id < table.count; ++id) {
        if (table.entries[static_cast<size_t>(id)].name == name) {
            return id;
        }
    }
    return -1;
}

const BuiltinVariable* Variable_BuiltIn_Get(int32_t id)
{
    const BuiltinTable& table = Table();
    return id >= 0 && id < table.count ? &table.entries[static_cast<size_t>(id)] : nullptr;
}

const char* Variable_BuiltIn_Name(int32_t id)
{
    const BuiltinVariable* entry = Variable_BuiltIn_Get(id);
    return entry != nullptr ? entry->name.c_str() : "<unknown built-in variable>";
}

int32_t Variable_BuiltIn_Count()
{
    return Table().count;
}

void Variable_BuiltIn_WriteNames(std::string& out)
{
    const BuiltinTable& table = Table();
    for (int32_t id = 0; id < table.count; ++id) {
        const BuiltinVariable& entry = table.entries[static_cast<size_t>(id)];
        out += entry.name;
        out += entry.canSet ? "\n" : "*\n";
    }
}

void Variable_BuiltIn_Free()
{
    BuiltinTable& table = Table();
    std::fill(table.entries.begin(), table.entries.end(), BuiltinVariable{});
    table.count = 0;
}

double BuiltinArg_Real(const Value* in)
{
    return Value_Kind(*in) == kValueReal ? in->real : 0.0;
}

const char* BuiltinArg_Text(const Value* in)
{
    return Value_Kind(*in) == kValueString && Value_String(*in) != nullptr ? Value_String(*in) : "";
}

float BuiltinArg_Float(const Value* in)
{
    return NarrowToFloat(BuiltinArg_Real(in));
}

int32_t BuiltinArg_Int(const Value* in)
{
    return RoundToInt32(BuiltinArg_Real(in));
}

int32_t BuiltinArg_IntFromFloat(const Value* in)
{
    return RoundToInt32(static_cast<double>(NarrowToFloat(BuiltinArg_Real(in))));
}

bool BuiltinArg_Flag(const Value* in)
{
    return BuiltinArg_Int(in) > 0;
}

int32_t BuiltinArg_Element(int32_t arrayIndex, int32_t count)
{
    return arrayIndex >= 0 && arrayIndex < count ? arrayIndex : 0;
}

}  // namespace bw
