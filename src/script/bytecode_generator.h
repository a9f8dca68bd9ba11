// The bytecode generator: turns a folded syntax tree into the package form
// of bytecode, so that code compiled from text passes the same verifier as
// package code. String operands index the unit's own string list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/bytecode.h"
#include "script/code_node.h"

namespace bw {

// One entry of a unit's offset-to-line table: the code byte offset at which
// a statement begins and its position in the source text.
struct VMLinePair {
    int32_t offset = 0;
    int32_t position = 0;
};

struct VMGeneratedCode {
    std::vector<uint32_t> words;
    std::vector<std::string> strings;
    std::vector<VMLinePair> lines;  // ascending by offset
};

// Result type of a binary operator with right operand t (top) and left u;
// the verifier types the machine's results by the same rule.
VMDataType VM_BinaryResultType(uint8_t opcode, VMDataType t, VMDataType u);

// A statement sequence. False (with *error) only when an expression nests
// deeper than the type stack holds; *errorPosition, when asked for, is then
// the source position of the innermost expression that did not fit.
bool VM_Compile_Program(const CodeNode& root, VMGeneratedCode* out, std::string* error,
                        int32_t* errorPosition = nullptr);
// An expression whose Value the unit returns.
bool VM_Compile_Expression(const CodeNode& root, VMGeneratedCode* out, std::string* error,
                           int32_t* errorPosition = nullptr);

}  // namespace bw
