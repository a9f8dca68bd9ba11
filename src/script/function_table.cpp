#include "script/function_table.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/console.h"
#include "platform/memory.h"
#include "script/resource_seams.h"

namespace bw {

namespace {

constexpr int32_t kTableGrowth = 500;

struct FunctionTable {
    BuiltinFunction* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    // Name -> index of the first entry with that name. Lookups run for every
    // call the compiler resolves, so they must not walk ~1,700 entries.
    std::unordered_map<std::string, int32_t> firstByName;
};

FunctionTable& Table()
{
    static FunctionTable table;
    return table;
}

// An id found above a fixed base must still fit in 32 bits.
bool OffsetId(int32_t index, int32_t base, int32_t* id)
{
    if (index < 0 || index > INT32_MAX - base) {
        return false;
    }
    *id = base + index;
    return true;
}

// The index of the first built-in with that name; -1 when there is none.
int32_t BuiltinIndexOf(const char* name)
{
    const FunctionTable& table = Table();
    const auto found = table.firstByName.find(name);
    return found != table.firstByName.end() ? found->second : -1;
}

}  // namespace

bool Code_Function_Register(const char* name, BuiltinFunctionProc fn, int32_t argc)
{
    if (name == nullptr) {
        Console().Printf("Code_Function_Register: a built-in without a name was refused\n");
        return false;
    }
    const size_t length = std::strlen(name);
    if (length >= static_cast<size_t>(kBuiltinNameCapacity)) {
        Console().Printf("Code_Function_Register: name longer than %d characters refused: %s\n",
                         kBuiltinNameCapacity - 1, name);
        return false;
    }
    FunctionTable& table = Table();
    if (table.count == table.capacity) {
        table.capacity += kTableGrowth;
        table.entries = static_cast<BuiltinFunction*>(
            BW_REALLOC(table.entries, sizeof(BuiltinFunction) * static_cast<size_t>(table.capacity), true));
    }
    BuiltinFunction& entry = table.entries[table.count];
    std::memcpy(entry.name, name, length + 1);
    entry.fn = fn;
    entry.argc = argc;
    entry.callCount = -1;
    table.firstByName.emplace(name, table.count);
    ++table.count;
    return true;
}

bool Code_Function_Find(const char* name, int32_t* id)
{
    *id = -1;
    if (name == nullptr || name[0] == '\0') {
        return false;
    }
    if (OffsetId(Script_Find(name), kScriptFunctionIdBase, id)) {
        return true;
    }
    if (OffsetId(Extension_FindFunction(name), kExtensionFunctionIdBase, id)) {
        return true;
    }
    *id = BuiltinIndexOf(name);
    return *id >= 0;
}

BuiltinFunctionProc Code_Function_FindBuiltin(const char* name)
{
    if (name == nullptr) {
        return nullptr;
    }
    const int32_t index = BuiltinIndexOf(name);
    return index >= 0 ? Table().entries[index].fn : nullptr;
}

int32_t Code_Function_GetArgCount(int32_t id)
{
    if (id >= kExtensionFunctionIdBase) {
        return Extension_GetFunctionArgCount(id - kExtensionFunctionIdBase);
    }
    if (id >= kScriptFunctionIdBase) {
        return kBuiltinArgCountAny;
    }
    const FunctionTable& table = Table();
    if (id < 0 || id >= table.count) {
        return kFunctionArgCountNone;
    }
    return table.entries[id].argc;
}

bool Code_Function_GetInfo(int32_t index, const char** name, BuiltinFunctionProc* fn, int32_t* argc)
{
    const FunctionTable& table = Table();
    if (index < 0 || index >= table.count) {
        return false;
    }
    const BuiltinFunction& entry = table.entries[index];
    *name = entry.name;
    *fn = entry.fn;
    *argc = entry.argc;
    return true;
}

bool Code_Function_CallBuiltin(int32_t id, Value* result, CInstance* self, CInstance* other, int32_t argc,
                               Value* args)
{
    FunctionTable& table = Table();
    if (id < 0 || id >= table.count || table.entries[id].fn == nullptr) {
        return false;
    }
    BuiltinFunction& entry = table.entries[id];
    Value_SetReal(*result, 0.0);
    entry.callCount = entry.callCount < 0 ? 1 : entry.callCount + 1;
    entry.fn(result, self, other, argc, args);
    return true;
}

void Code_Function_DumpCallCounts()
{
    FunctionTable& table = Table();
    for (;;) {
        int32_t best = -1;
        for (int32_t i = 0; i < table.count; ++i) {
            const int32_t calls = table.entries[i].callCount;
            if (calls > 0 && (best < 0 || calls > table.entries[best].callCount)) {
                best = i;
            }
        }
        if (best < 0) {
            return;
        }
        Console().Printf("%s    %d\n", table.entries[best].name, table.entries[best].callCount);
        table.entries[best].callCount = -1;
    }
}

int32_t Code_Function_Count()
{
    return Table().count;
}

int32_t Code_Function_Capacity()
{
    return Table().capacity;
}

void Code_Function_Free()
{
    FunctionTable& table = Table();
    MemoryManager_Free(table.entries);
    table.entries = nullptr;
    table.count = 0;
    table.capacity = 0;
    table.firstByName.clear();
}

}  // namespace bw
