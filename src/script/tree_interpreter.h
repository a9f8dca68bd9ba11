// The tree interpreter: runs a compiled unit straight from its syntax tree.
// It is the engine behind "-oldexec", it always runs constant units, and its
// semantics (truth, loops, with, variable targets, calls) are the reference
// the virtual machine follows.
#pragma once

#include <cstdint>

#include "script/code_node.h"
#include "script/value.h"

namespace bw {

class CCode;
class CInstance;
class CVariableList;

// Status of every statement routine; expression routines give 0 or -1.
enum CodeExecResult : int32_t {
    kExecNormal = 0,
    kExecError = -1,  // a message is pending
    kExecExit = -2,   // exit or return
    kExecBreak = -3,
    kExecContinue = -4,
};

struct CodeExecContext {
    CInstance* self = nullptr;
    CInstance* other = nullptr;
    CVariableList* locals = nullptr;  // made on the first local write; owned
    const CCode* code = nullptr;
};

// The root of a program: an empty program does nothing; anything but a
// block is "This is not a program.".
int32_t Code_Run_Program(CodeExecContext& context, const CodeNode& root, Value* result);
int32_t Code_Exec_Block(CodeExecContext& context, const CodeNode& node, Value* result);
int32_t Code_Exec_Statement(CodeExecContext& context, const CodeNode& node, Value* result);
int32_t Code_Eval_Expression(CodeExecContext& context, const CodeNode& node, Value* result);
int32_t Code_Eval_Call(CodeExecContext& context, const CodeNode& node, Value* result);
// The selector, variable id and array index a variable node addresses
// (kValueNoIndex when it has no index).
int32_t Code_Eval_ArrayIndex(CodeExecContext& context, const CodeNode& variable, int32_t* selector, int32_t* id,
                             int32_t* index);
// Runs body with self = instance and other = the previous self.
int32_t Code_Run_With(CodeExecContext& context, CInstance* instance, const CodeNode& body, Value* result);

}  // namespace bw
