// The fourth phase of compiling game code: a walk over the syntax tree that
// binds names declared with var to the local scope, turns variables with a
// constant target into simple variables and folds operators on constants.
#pragma once

#include "script/code_node.h"

namespace bw {

class CCode;

// False when a constant operation failed (its message is pending): the
// program x = 1/0 does not compile.
bool Code_Phase4(const CCode& code, CodeNode& root);

}  // namespace bw
