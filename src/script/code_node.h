// The syntax tree of compiled game code. The parser builds it, folding
// simplifies it, the tree interpreter runs it and the bytecode generator
// translates it. Statement nodes reuse the lexer's keyword codes as their
// kinds and operator nodes carry the lexer's operator codes.
#pragma once

#include <cstdint>
#include <vector>

#include "script/value.h"

namespace bw {

enum CodeNodeKind : int32_t {
    kNodeEmptyProgram = -2,
    kNodeUnset = -1,
    kNodeConstant = 5,
    kNodeCall = 6,
    kNodeVariable = 7,        // [selector expression, index 1?, index 2?]
    kNodeSimpleVariable = 8,  // [selector constant]; made by folding
    kNodeIf = 13,             // [condition, then, else?]
    kNodeWhile = 16,          // [condition, body]
    kNodeDoUntil = 17,        // [body, condition]
    kNodeFor = 18,            // [initial, condition, step, body]
    kNodeRepeat = 20,         // [count, body]
    kNodeExit = 21,
    kNodeBreak = 22,
    kNodeContinue = 23,
    kNodeWith = 24,     // [target, body]
    kNodeReturn = 25,   // [value]
    kNodeSwitch = 26,   // [value, body statements...]
    kNodeCase = 27,     // [value]
    kNodeDefault = 28,
    kNodeVar = 29,        // constants whose code is a declared variable id
    kNodeGlobalVar = 30,  // as var
    kNodeConstantCase = 31,  // [constant]; made by folding
    kNodeAssign = 101,       // code: the assignment operator; [target, value]
    kNodeBlock = 1000,
    kNodeUnary = 1010,   // code: operator; [operand]
    kNodeBinary = 1011,  // code: operator; [left, right]
};

// Instance selectors that only code uses: a name with no explicit target
// (self, or the global store for names declared with globalvar), and a
// local declared with var.
inline constexpr int32_t kSelectorSelf = -1;
inline constexpr int32_t kSelectorOther = -2;
inline constexpr int32_t kSelectorNoone = -4;
inline constexpr int32_t kSelectorGlobal = -5;
inline constexpr int32_t kSelectorUnspecified = -6;
inline constexpr int32_t kSelectorLocal = -7;

// A node owns its value and its children. Nodes move but are never copied.
struct CodeNode {
    CodeNode() = default;
    ~CodeNode();
    CodeNode(CodeNode&& other) noexcept;
    CodeNode& operator=(CodeNode&& other) noexcept;
    CodeNode(const CodeNode&) = delete;
    CodeNode& operator=(const CodeNode&) = delete;

    int32_t kind = kNodeUnset;
    int32_t code = 0;      // operator, assignment code, function id or variable id
    int32_t selector = 0;  // instance selector of a simple variable
    Value value;           // the constant of a constant node
    std::vector<CodeNode> children;
    int32_t position = 0;  // source position for error reports
};

// Kind unset, no children, no value, at position.
void Code_Node_Init(CodeNode& node, int32_t position);
// Releases the node's value and its whole subtree; the node is left unset.
void Code_Tree_Free(CodeNode& root);

}  // namespace bw
