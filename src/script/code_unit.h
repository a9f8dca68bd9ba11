// CCode: one unit of game code (an event's action, a script, creation code,
// a constant's value, a string game code asks to run). A unit made from text
// compiles itself: lexer, name resolution, parser, folding. Running a unit
// goes through one dispatch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/code_node.h"
#include "script/value.h"

namespace bw {

class CInstance;
struct VMProgram;

// The identity the debugger names a unit by. A package unit is named by its
// code entry index; a unit compiled from text into bytecode (the events and
// scripts of a package stored as text, execute_string, the debugger's own
// expressions) gets one of its own from kCodeTextIdentityFirst up, which no
// code entry index reaches, for as long as it lives. Identities are handed
// out in turn, so one that a unit gave up is not seen again soon.
inline constexpr uint32_t kCodeNoIdentity = 0xFFFFFFFFu;
inline constexpr uint32_t kCodeTextIdentityFirst = 0x80000000u;

enum CodeKind : int32_t {
    kCodeProgram = 1,
    kCodeExpression = 2,
    kCodeConstantExpression = 3,  // an expression folded to a constant
};

class CCode {
public:
    // The unit keeps its own copy of the text: text units are made every
    // step by execute_string, from texts that do not outlive the call.
    CCode(const char* text, bool expression);
    // A unit of package bytecode, already verified: it has no text and no
    // tree, so it always runs on the virtual machine.
    CCode(const char* unitName, std::unique_ptr<VMProgram> program, int32_t entryIndex);
    virtual ~CCode();
    CCode(const CCode&) = delete;
    CCode& operator=(const CCode&) = delete;

    // Compiles the text under name (blanks and control white space become
    // underscores; null clears the name). The first failing phase has
    // reported its error and the unit stays uncompiled.
    bool Compile(const char* name);

    bool IsProgram() const { return kind == kCodeProgram; }

    int32_t kind;
    bool compiled = false;
    std::string text;
    CodeNode root;
    Value constant;  // the folded value of a constant expression
    std::string name;
    int32_t codeIndex = -1;  // package code entry; -1 for a unit made from text
    bool fromText = true;
    // The verified bytecode; made when a text unit compiles while the
    // machine is the engine, and always present for package code.
    std::unique_ptr<VMProgram> bytecode;
    // Given when the text compiles into bytecode; kCodeNoIdentity before
    // that and for units in the code list.
    uint32_t textIdentity = kCodeNoIdentity;
};

// The unit's identity: its code entry, else its text identity, else
// kCodeNoIdentity (the machine never runs such a unit).
uint32_t Code_Identity(const CCode& code);
// The live unit of that identity; null when none.
CCode* Code_FindByIdentity(uint32_t identity);
// The live units compiled from text into bytecode, by identity.
std::vector<const CCode*> Code_TextUnits();

// The global code list: the package's code units, one slot per CODE entry
// (null where an entry has no code); a unit set there is named by its
// entry. Resources that run package code refer to these units and never
// free them; the list owns them until the next package's code replaces them
// (Code_List_Free) or the program ends.
void Code_List_Set(int32_t entryIndex, std::unique_ptr<CCode> unit);
// Null for an index outside the list or an entry without a unit.
CCode* Code_List_Find(int32_t entryIndex);
// One past the last entry the list has room for.
int32_t Code_List_Count();
void Code_List_Free();

// The engine of code compiled from text: the virtual machine (the default)
// or, with "-oldexec", the tree interpreter. A unit that has bytecode but no
// tree runs on the machine either way.
void Code_SetUseBytecode(bool useBytecode);
bool Code_UseBytecode();

// Runs the unit for self and other. A failure hands the pending message to
// the run-time error report (Code_Error_ReportPending: an error the machine
// met ends the game) and gives false.
bool Code_Execute(CInstance* self, CInstance* other, CCode& code, Value* result);
// As Code_Execute, but a failure leaves the string "ERROR" in result and
// reports nothing: the pending message is the caller's to report.
bool Code_Execute_Value(CInstance* self, CInstance* other, CCode& code, Value* result);

}  // namespace bw
