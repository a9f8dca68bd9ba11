// The "Misc.." group of built-in functions: performing events from game
// code, variables by name, running code text, debug output, the window's
// handle and title, the program's priority and the clipboard. The date
// built-ins (library/date_builtins) and the external_* calls (library/
// external_builtins) join this group
// with their own modules.
#pragma once

namespace bw {

// In Steam mode execute_string, execute_file and the external_* calls stay
// unknown to game code.
void Function_Misc_Register(bool steamMode);

}  // namespace bw
