// The third phase of compiling game code: a recursive-descent parser turns
// the resolved tokens into a syntax tree. Every error stops the compile at
// once with the system's message at the offending token.
#pragma once

#include "script/code_node.h"
#include "script/names.h"

namespace bw {

// A program: statements up to the end of the text (or one block).
bool Code_Phase3_Program(const CCode& code, const ResolvedTokens& tokens, CodeNode& root);
// One expression; tokens after it are ignored; no tokens give real 0.
bool Code_Phase3_Expression(const CCode& code, const ResolvedTokens& tokens, CodeNode& root);

// Nesting beyond this (brackets, unary operators, blocks, operator chains)
// is refused rather than run into the native stack while compiling,
// folding or running the tree.
inline constexpr int32_t kMaxCodeNesting = 512;

}  // namespace bw
