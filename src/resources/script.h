// Scripts: named units of game code that other code calls like functions.
// The table is filled from the package's SCPT chunk, every script gets its
// code before the first room starts, and the table then stays fixed for the
// whole game. A script's id is its index; game code numbers it id + 100000.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/package_view.h"
#include "script/value.h"

namespace bw {

class CCode;
class CInstance;

class CScript {
public:
    explicit CScript(const char* scriptName);
    virtual ~CScript();
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    // Makes the code unit: the package's code entry when the package carries
    // bytecode (nothing to compile), else the source text compiled under
    // "Script.<name>". False when the text does not compile; the compiler's
    // message is left pending.
    bool Compile();

    // The source text; empty for a script that has none (bytecode packages).
    const char* GetText() const;
    // Null until the script is prepared, and for a code entry without code.
    CCode* GetCode() const { return m_code; }

    const char* name;            // points into the package image
    const char* text = nullptr;  // text packages only
    int32_t codeIndex = -1;      // bytecode packages only: the CODE entry

private:
    CCode* m_code = nullptr;
    std::unique_ptr<CCode> m_ownedCode;  // a unit compiled from the text
};

// The SCPT reader. Every record and text must lie inside the package and a
// code index inside the code list; anything else is a load error, logged
// with what was wrong, and leaves the table empty.
bool Script_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Compiles every script in index order; the first failure is reported
// ("COMPILATION ERROR in Script: ...") and stops the walk.
bool Script_Prepare();
// Empties the table: before a package is read, and at game end.
void Script_ClearTable();
void Script_FreeAll();

int32_t Script_Count();
bool Script_Exists(int32_t index);
// Null for an index out of range or an empty slot.
CScript* Script_Get(int32_t index);
// "<undefined>" for an index out of range or an empty slot.
const char* Script_GetName(int32_t index);
// The first used slot whose name equals name byte for byte; -1 when none.
// Game code reaches it through Script_Find.
int32_t ScriptTable_Find(const char* name);

// Runs script index for self and other with argc (0 to 16) arguments. The
// sixteen argument slots are kept and restored around the run, so a nested
// call never changes its caller's arguments. False, with a message pending
// and nothing run, for more than 16 arguments; false with nothing pending
// for a missing script; false with "In script <name>:" put before the
// pending message when the run failed. Game code reaches it through
// Script_Execute.
bool ScriptTable_Execute(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result,
                         Value* args);
// The prepared code of script index, null when there is none.
CCode* ScriptTable_GetCode(int32_t index);

}  // namespace bw
