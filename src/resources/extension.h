// Extension packages: functions and constants that a game adds to its
// language. A package holds files; the functions of a library file are
// exports of that library (resources/external), those of a code file are
// BWL compiled by the runner. Game code numbers an extension function
// id + 500000. A file may name functions run when the game starts and ends.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/package_view.h"
#include "script/value.h"

namespace bw {

class CCode;
class CInstance;

inline constexpr int32_t kExtensionMaxArgumentTypes = 16;
inline constexpr int32_t kExtensionCallCdecl = 12;  // any other call kind is stdcall
inline constexpr int32_t kExtensionTypeString = 1;
inline constexpr int32_t kExtensionTypeReal = 2;

enum ExtensionFileKind : int32_t {
    kExtensionFileLibrary = 1,
    kExtensionFileCode = 2,
};

enum ExtensionFunctionKind : int32_t {
    kExtensionFunctionLibrary = 0,
    kExtensionFunctionCompiled = 1,
};

constexpr std::array<int32_t, kExtensionMaxArgumentTypes> AllReal()
{
    std::array<int32_t, kExtensionMaxArgumentTypes> types{};
    types.fill(kExtensionTypeReal);
    return types;
}

struct CExtensionFunction {
    std::string name;          // the name game code uses
    std::string externalName;  // the library export
    int32_t callKind = 0;
    int32_t id = 0;
    int32_t argCount = -1;  // -1: any number
    std::array<int32_t, kExtensionMaxArgumentTypes> argTypes = AllReal();
    int32_t resultType = kExtensionTypeReal;
    std::string code;  // BWL source (code files); dropped once compiled

    // Places past the sixteenth read as real.
    int32_t ArgumentType(int32_t index) const;
};

struct CExtensionConstant {
    std::string name;
    std::string value;  // an expression
};

struct CExtensionFile {
    std::string fileName;  // relative to the game's folder
    int32_t kind = 0;
    std::string initFunction;   // empty: none
    std::string finalFunction;  // empty: none
    std::vector<CExtensionFunction> functions;
    std::vector<CExtensionConstant> constants;

    // The first function of exactly that name, null when none.
    const CExtensionFunction* FindFunction(const std::string& name) const;
};

struct CExtensionPackage {
    std::string name;
    std::string folder;
    std::vector<CExtensionFile> files;

    // The first function of the files in order with that name / id.
    const CExtensionFunction* FindFunction(const std::string& name) const;
    const CExtensionFunction* FindFunctionById(int32_t id) const;
};

// The EXTN reader. Every record, list and text must lie inside the package
// and ids must not be negative; anything else is a load error, logged with
// what was wrong, and leaves the table empty.
bool Extension_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Defines the constants, binds every library function and compiles every
// code function; false (reported) on the first code that does not compile.
// A library that does not load leaves its functions returning 0.
bool Extension_Prepare();
// Run at game start and end: each file's init (final) function, a game
// script of that name first, else a library function of the package. False
// (reported) when a script fails or the name is found nowhere.
bool Extension_Initialize();
bool Extension_Finalize();

// Adds a package at the end of the table (packages made at run time, tests).
void Extension_Add(std::unique_ptr<CExtensionPackage> package);
// Empties the table and the prepared functions.
void Extension_ClearTable();

int32_t Extension_PackageCount();
// Null for an index outside the table or an empty slot.
const CExtensionPackage* Extension_GetPackage(int32_t index);

// The lookups behind the script engine's extension seams, which answer from
// the table as soon as the package is read.
int32_t ExtensionTable_Find(const char* name);
int32_t ExtensionTable_GetArgCount(int32_t id);
bool ExtensionTable_Call(int32_t id, CInstance* self, CInstance* other, int32_t argc, Value* args, Value* result);
// Registers the three above with the script engine.
void Extension_RegisterLookups();

// The name of the first function with that id and a name; null when none.
const char* Extension_GetFunctionName(int32_t id);
// What preparation bound the id to; library for an id it did not see.
int32_t Extension_GetFunctionKind(int32_t id);
// The compiled unit of a code function; null otherwise.
CCode* Extension_GetFunctionCode(int32_t id);

}  // namespace bw
