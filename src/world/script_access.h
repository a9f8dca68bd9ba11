// The world's side of running game code: it gives the script engine its
// variable storage, the instances with-statements visit and the built-in
// variable names, gives variable storage the user variable names of the
// compiler, and lets game constants be evaluated with an instance at hand.
#pragma once

namespace bw {

// Fills Code_WorldAccess(), Variable_NameLookups() and the constant
// evaluator. Called once at start-up, before any code is compiled.
void World_RegisterScriptAccess();

}  // namespace bw
