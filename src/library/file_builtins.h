// The "File.." group of built-in functions: numbered binary and text files,
// the legacy file, file and folder operations, searching, file names,
// starting programs, the command line and the environment, then the ini and
// registry built-ins (library/ini_builtins.h).
#pragma once

namespace bw {

// Empties the file tables and registers the group in its table order.
void Function_File_Register();
// At shut-down: closes every file, the open ini (its changes written) and
// the search, and forgets the registry.
void File_CloseAll();

}  // namespace bw
