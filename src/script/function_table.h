// The built-in function table and the one name lookup of every callable
// thing: scripts of the package, functions of loaded extensions and the
// built-ins registered at start-up. The id a lookup gives says which it is.
#pragma once

#include <cstdint>

#include "script/value.h"

namespace bw {

class CInstance;

// The caller presets result to real 0 and owns the arguments; a string result
// is a fresh block that the caller owns afterwards.
using BuiltinFunctionProc = void (*)(Value* result, CInstance* self, CInstance* other, int32_t argc, Value* args);

inline constexpr int32_t kBuiltinNameCapacity = 64;  // 63 characters and the NUL
inline constexpr int32_t kBuiltinArgCountAny = -1;
inline constexpr int32_t kFunctionArgCountNone = -100;  // no such function
// Ids below kScriptFunctionIdBase are built-ins; scripts and extension
// functions sit above at fixed offsets.
inline constexpr int32_t kScriptFunctionIdBase = 100000;
inline constexpr int32_t kExtensionFunctionIdBase = 500000;

struct BuiltinFunction {
    char name[kBuiltinNameCapacity];
    BuiltinFunctionProc fn;
    int32_t argc;       // kBuiltinArgCountAny for any number
    int32_t callCount;  // calls through Code_Function_CallBuiltin; -1 until the first
};

// Appends an entry (the table grows by 500 entries when full). A duplicate
// name is stored like any other; lookups find the first. A null name, or one
// longer than 63 characters, is refused with a log line: cutting it short
// could make it collide with another built-in.
bool Code_Function_Register(const char* name, BuiltinFunctionProc fn, int32_t argc);

// Finds a script of that name, then an extension function, then the first
// built-in with exactly that name. Not found (or a null or empty name):
// false, *id = -1.
bool Code_Function_Find(const char* name, int32_t* id);

// The first built-in with exactly that name, never a script or extension
// function that happens to share it; null when there is none.
BuiltinFunctionProc Code_Function_FindBuiltin(const char* name);

// Scripts take any number (-1); an unknown id gives kFunctionArgCountNone.
int32_t Code_Function_GetArgCount(int32_t id);

// Outputs are left untouched for an index outside the table.
bool Code_Function_GetInfo(int32_t index, const char** name, BuiltinFunctionProc* fn, int32_t* argc);

// Calls built-in id with result reset to real 0 and counts the call; false
// (nothing called) for an id that is no built-in.
bool Code_Function_CallBuiltin(int32_t id, Value* result, CInstance* self, CInstance* other, int32_t argc,
                               Value* args);

// Diagnostic: "%s    %d\n" for each built-in that was called, most called
// first (ties: registration order). Each listed count goes back to -1.
void Code_Function_DumpCallCounts();

int32_t Code_Function_Count();
int32_t Code_Function_Capacity();

// Frees the whole table (shut-down); registration may start again after it.
void Code_Function_Free();

}  // namespace bw
