// The "Misc.." group of built-in functions: performing events from game
// code, variables by name, running code text, debug output and the window
// title. The date built-ins and the external_* calls (library/
// external_builtins) join this group with their own modules.
#pragma once

namespace bw {

// In Steam mode execute_string, execute_file and the external_* calls stay
// unknown to game code.
void Function_Misc_Register(bool steamMode);

}  // namespace bw
